// Numbers appended least significant byte first, as the BMP and WAV files the tool writes
// store every field.
#pragma once

#include <cstdint>
#include <vector>

inline void appendLittleEndian16(std::vector<unsigned char>& bytes, std::uint32_t value) {
    bytes.push_back(static_cast<unsigned char>(value));
    bytes.push_back(static_cast<unsigned char>(value >> 8));
}

inline void appendLittleEndian32(std::vector<unsigned char>& bytes, std::uint32_t value) {
    appendLittleEndian16(bytes, value & 0xFFFF);
    appendLittleEndian16(bytes, value >> 16);
}
