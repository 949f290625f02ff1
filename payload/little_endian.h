// Numbers stored least significant byte first, as every field of the payload, the BMP and the
// WAV formats is; read from bytes the caller has checked to lie inside its buffer.
#pragma once

#include <cstdint>

inline std::uint16_t readLittleEndian16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t readLittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}
