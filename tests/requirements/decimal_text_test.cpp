// The decimal texts must read exactly as the runtime's "%llu" and "%lld" print them, on every
// value the messages and requirement texts can carry.
#include "decimal_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

std::string printedUnsigned(std::uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
    return text;
}

std::string printedSigned(std::int64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    return text;
}

TEST(DecimalTextTest, UnsignedValuesReadAsPrinted) {
    const std::uint64_t values[] = {0,
                                    1,
                                    9,
                                    10,
                                    99,
                                    100,
                                    4294967295U,
                                    4294967296ULL,
                                    4294967315ULL,
                                    1000000000000000000ULL,
                                    std::numeric_limits<std::uint64_t>::max()};
    for (std::uint64_t value : values)
        EXPECT_EQ(unsignedDecimalText(value), printedUnsigned(value)) << value;
}

TEST(DecimalTextTest, SignedValuesReadAsPrinted) {
    const std::int64_t values[] = {0,
                                   -1,
                                   7,
                                   -10,
                                   800,
                                   std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max(),
                                   std::numeric_limits<std::int64_t>::min(),
                                   std::numeric_limits<std::int64_t>::max()};
    for (std::int64_t value : values)
        EXPECT_EQ(signedDecimalText(value), printedSigned(value)) << value;
}

} // namespace
