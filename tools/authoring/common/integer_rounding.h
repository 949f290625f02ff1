// Rounding of integer divisions for either sign, for the conversions that compute in fixed point
// so that every compiler and processor gives the same bytes. None relies on how a negative
// number shifts.
#pragma once

#include <cstdint>

// floor(value / 2^bits).
inline std::int64_t floorShift(std::int64_t value, int bits) {
    return value >= 0 ? value >> bits : -((-value - 1) >> bits) - 1;
}

// value / 2^bits, rounded half up.
inline std::int64_t roundedShift(std::int64_t value, int bits) {
    return floorShift(value + (std::int64_t(1) << (bits - 1)), bits);
}

// floor(value / divisor), for divisor > 0.
inline std::int64_t floorDivision(std::int64_t value, std::int64_t divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// value / divisor, for divisor > 0, rounded half away from zero.
inline std::int64_t roundedDivision(std::int64_t value, std::int64_t divisor) {
    return value >= 0 ? (value + divisor / 2) / divisor : -((-value + divisor / 2) / divisor);
}
