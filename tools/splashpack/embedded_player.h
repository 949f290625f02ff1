// The player executable that splashpack copies into every splash it builds, when one was built
// into the tool.
#pragma once

#include <cstddef>

// The bytes of a player executable; no data and size 0 when there is none.
struct PlayerImage {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// The player built into this tool; empty when the tool was built without one.
PlayerImage embeddedPlayer();
