#include "decimal_text.h"

std::string unsignedDecimalText(std::uint64_t value) {
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::string text;
    while (count > 0)
        text += digits[--count];
    return text;
}

std::string signedDecimalText(std::int64_t value) {
    if (value >= 0)
        return unsignedDecimalText(static_cast<std::uint64_t>(value));
    // The magnitude of the most negative value does not fit the signed type.
    return "-" + unsignedDecimalText(0 - static_cast<std::uint64_t>(value));
}
