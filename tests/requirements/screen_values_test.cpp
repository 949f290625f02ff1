// Resolution and colour-depth texts: scanf-style reading, printf-style writing.
#include "screen_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

TEST(ScreenValues, ParseResolution) {
    struct Case {
        const char* text;
        std::uint32_t width;
        std::uint32_t height;
    };
    const Case cases[] = {
        {"800 x 600", 800, 600},
        {"1024x768", 1024, 768},
        {"800 x600", 800, 600},
        {"800x 600", 800, 600},
        {"  800   x   600", 800, 600},
        {"800\tx\n600", 800, 600},
        {"0800 x 0600", 800, 600},
        {"800 x 600 pixels", 800, 600},
        {"800x600x32", 800, 600},
        {"800", 800, 0},
        {"800 X 600", 800, 0},
        {"800 x", 800, 0},
        {"800 x abc", 800, 0},
        {"800 xx 600", 800, 0},
        {"800 - 600", 800, 0},
        {"", 0, 0},
        {"   ", 0, 0},
        {"x 600", 0, 0},
        {"abc", 0, 0},
        {"+800 x +600", 800, 600},
        {"- 800 x 600", 0, 0},
        // As strtoul does: a '-' negates modulo 2^32, a magnitude past 32 bits gives the top.
        {"-1 x 600", 4294967295u, 600},
        {"800 x -600", 800, 4294966696u},
        {"-4294967295 x 5", 1, 5},
        {"4294967295 x 4294967295", 4294967295u, 4294967295u},
        {"4294967296 x 1", 4294967295u, 1},
        {"99999999999999999999 x 2", 4294967295u, 2},
        {"-4294967296 x 2", 4294967295u, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << '"');
        ScreenResolution resolution = parseResolution(c.text);
        EXPECT_EQ(resolution.width, c.width);
        EXPECT_EQ(resolution.height, c.height);
    }
    ScreenResolution absent = parseResolution(nullptr);
    EXPECT_EQ(absent.width, 0u);
    EXPECT_EQ(absent.height, 0u);
}

// Where the C library's own reading is well defined (no overflow), it must agree.
TEST(ScreenValues, ParseResolutionAgreesWithScanf) {
    const char* texts[] = {
        "800 x 600", "1024x768", "800",         "800 X 600",     "",        " 1 x 2", "7 x",
        "7x y",      "x",        "12\v x \f34", "640 x 480 x 8", "007x009", "\t\n",   "3 , 4",
    };
    for (const char* text : texts) {
        unsigned int width = 0;
        unsigned int height = 0;
        std::sscanf(text, "%u x %u", &width, &height);
        ScreenResolution resolution = parseResolution(text);
        EXPECT_EQ(resolution.width, width) << '"' << text << '"';
        EXPECT_EQ(resolution.height, height) << '"' << text << '"';
    }
}

TEST(ScreenValues, ParseColourDepth) {
    struct Case {
        const char* text;
        std::int32_t bits;
    };
    const Case cases[] = {
        {"8 bit", 8},
        {"16", 16},
        {"16 bits", 16},
        {"24bit", 24},
        {"  32 bit", 32},
        {"32 BIT", 32},
        {"bit", 0},
        {"", 0},
        {"x8", 0},
        {"+4 bit", 4},
        {"-1 bit", -1},
        {"4294967295", -1},
        {"2147483648", INT_MIN},
        {"99999999999", -1},
        {"015 bit", 15},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseColourDepth(c.text), c.bits) << '"' << c.text << '"';
    EXPECT_EQ(parseColourDepth(nullptr), 0);
}

TEST(ScreenValues, FormatWidthFirst) {
    ScreenResolution resolution;
    resolution.height = 768;
    resolution.width = 1024;
    EXPECT_EQ(formatResolution(resolution), "1024 x 768");
    resolution.height = 600;
    resolution.width = 800;
    EXPECT_EQ(formatResolution(resolution), "800 x 600");
    EXPECT_EQ(formatResolution(ScreenResolution()), "0 x 0");
    // Both numbers print signed.
    resolution.height = 0xFFFFFFFF;
    resolution.width = 0x80000000;
    EXPECT_EQ(formatResolution(resolution), "-2147483648 x -1");
    EXPECT_EQ(formatResolution(parseResolution("1280 x 1024")), "1280 x 1024");
}

TEST(ScreenValues, FormatColourDepth) {
    EXPECT_EQ(formatColourDepth(24), "24 bit");
    EXPECT_EQ(formatColourDepth(0), "0 bit");
    EXPECT_EQ(formatColourDepth(-1), "-1 bit");
    EXPECT_EQ(formatColourDepth(INT_MIN), "-2147483648 bit");
}
