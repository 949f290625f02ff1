// The player executable copied into every splash: the one a front-end carries, or one the author
// names.
#pragma once

#include <cstddef>

// The bytes of a player executable; no data and size 0 when there is none.
struct PlayerImage {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};
