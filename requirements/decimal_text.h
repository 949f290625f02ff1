// Decimal texts of numbers, digit for digit what "%u", "%llu" and "%d" print, without the
// formatted-output machinery of the runtime (which would more than double the player's size).
#pragma once

#include <cstdint>
#include <string>

std::string unsignedDecimalText(std::uint64_t value);
std::string signedDecimalText(std::int64_t value);
