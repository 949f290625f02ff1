// Reading bytes of a code page through its table, as the system reads them: the page's converter
// reads with it, and the table generator checks the same reading against the system's.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A letter and the accent after it that read as one character, and whether that character takes
// a further accent (glibc joins a second accent in 1255, not in 1258).
struct JoinedCharacter {
    char16_t character = 0;
    bool joinsFurther = false;
};
using Compositions = std::map<std::pair<char16_t, char16_t>, JoinedCharacter>;

// `values`: every byte, then for a double-byte code page every pair of a lead byte 0x80 to 0xFF
// and any trail byte; 0 where the bytes mean nothing (byte 0 itself is U+0000). Each byte or pair
// is one character, and an accent joins the letter before it where `compositions` says so; false
// where a byte or pair means nothing.
inline bool readWithTable(const std::vector<char16_t>& values, const Compositions& compositions,
                          const std::string& bytes, std::u32string& characters) {
    characters.clear();
    // The system holds a letter back until it sees whether an accent follows.
    char16_t pending = 0;
    bool hasPending = false, mayJoin = false;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        unsigned char byte = static_cast<unsigned char>(bytes[at]);
        char16_t c = values[byte];
        if (c == 0 && byte != 0) {
            if (values.size() == 256 || byte < 0x80 || at + 1 >= bytes.size())
                return false;
            c = values[256 + (byte - 0x80u) * 256 + static_cast<unsigned char>(bytes[at + 1])];
            if (c == 0)
                return false;
            ++at;
        }
        if (hasPending) {
            auto joined = mayJoin ? compositions.find({pending, c}) : compositions.end();
            if (joined != compositions.end()) {
                pending = joined->second.character;
                mayJoin = joined->second.joinsFurther;
                continue;
            }
            characters += pending;
        }
        pending = c;
        hasPending = mayJoin = true;
    }
    if (hasPending)
        characters += pending;
    return true;
}
