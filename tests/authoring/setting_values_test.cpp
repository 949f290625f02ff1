// The values of the settings as an author writes them: durations, Windows versions, resolutions,
// colour depths, sizes and colours.
#include "setting_values.h"

#include "tool_error.h"

#include <gtest/gtest.h>

namespace {

// The message of the UsageError that `action` raises; "" when it raises none.
template <typename Action> std::string usageErrorOf(Action action) {
    try {
        action();
    } catch (const UsageError& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(SplashpackValues, Durations) {
    struct Case {
        const char* text;
        UINT milliseconds;
    };
    const Case cases[] = {
        {"3s", 3000},
        {"2.5s", 2500},
        {"0.001s", 1},
        {"1500ms", 1500},
        {"0", 0},
        {"000", 0},
        {"0ms", 0},
        {"1.250S", 1250},
        {" 7 s ", 7000},
        {"4294967295ms", 0xFFFFFFFFu},
        {"4294967.295s", 0xFFFFFFFFu},
        {"1.0ms", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.milliseconds, parseDuration(c.text)) << c.text;
}

TEST(SplashpackValues, DurationsRefused) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"3", "\"3\" has no unit; write 3s or 3ms"},
        {"1.5ms", "\"1.5ms\" is not a whole number of milliseconds"},
        {"0.0005s", "\"0.0005s\" is not a whole number of milliseconds"},
        {"4294967296ms", "\"4294967296ms\" is longer than 4294967295 ms (49.7 days)"},
        {"4294967.296s", "\"4294967.296s\" is longer than 4294967295 ms (49.7 days)"},
        {"99999999999999s", "\"99999999999999s\" is longer than 4294967295 ms (49.7 days)"},
        {"3min", "\"3min\" has the unknown unit \"min\"; use ms or s"},
        {"2,5s", "\"2,5s\" has a decimal comma; the decimal separator is a point: write 2.5s"},
        {"", "\"\" is not a duration; write e.g. 3s or 1500ms"},
        {"s", "\"s\" is not a duration; write e.g. 3s or 1500ms"},
        {".5s", "\".5s\" is not a duration; write e.g. 3s or 1500ms"},
        {"1.s", "\"1.s\" is not a duration; write e.g. 3s or 1500ms"},
        {"1.2.3s", "\"1.2.3s\" is not a duration; write e.g. 3s or 1500ms"},
        {"-1s", "\"-1s\" is not a duration; write e.g. 3s or 1500ms"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, usageErrorOf([&] { parseDuration(c.text); })) << c.text;
}

TEST(SplashpackValues, VersionNames) {
    struct Case {
        const char* text;
        const char* codes;
    };
    const Case cases[] = {
        {"95,98,me,nt4,2000,xp", "1 2 3 4 5 6"},
        {"all", "1 2 3 4 5 6"},
        {"XP", "6"},
        {"xp, 95", "1 6"},
        {"nt,NT4", "4"},
        {"Me,2000,", "3 5"},
        {"98,all", "1 2 3 4 5 6"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.codes, parseVersionNames(c.text)) << c.text;

    EXPECT_EQ("\"vista\" is not a Windows version; use 95, 98, me, nt4, 2000, xp or all",
              usageErrorOf([] { parseVersionNames("xp,vista"); }));
    EXPECT_EQ("\"95 98\" is not a Windows version; use 95, 98, me, nt4, 2000, xp or all",
              usageErrorOf([] { parseVersionNames("95 98"); }));
    for (const char* none : {"", ",", " , "})
        EXPECT_EQ("no Windows version named; a splash that allows none never runs",
                  usageErrorOf([&] { parseVersionNames(none); }))
            << none;
}

TEST(SplashpackValues, VersionNamesForCodes) {
    const char* expected[] = {"unknown", "95", "98", "me", "nt4", "2000", "xp", "unknown"};
    for (int code = 0; code <= 7; ++code)
        EXPECT_STREQ(expected[code], toolVersionName(osVersionForCode(code))) << code;
    // Membership is exact, so a release between the codes has no name of the tool.
    EXPECT_STREQ("unknown", toolVersionName(OsVersion{2, 5, 2}));
}

TEST(SplashpackValues, ResolutionsAndDepths) {
    EXPECT_EQ("800 x 600", parseMinimumResolution("800x600"));
    EXPECT_EQ("1024 x 768", parseMinimumResolution(" 1024 X 768 "));
    EXPECT_EQ("65535 x 1", parseMinimumResolution("65535x1"));
    for (const char* bad :
         {"800", "800x", "x600", "800x0", "0x600", "800x65536", "8OOx600", "-800x600"})
        EXPECT_NE("", usageErrorOf([&] { parseMinimumResolution(bad); })) << bad;
    EXPECT_EQ("\"800x0\" has a side of 0 pixels",
              usageErrorOf([] { parseMinimumResolution("800x0"); }));

    EXPECT_EQ("16 bit", parseMinimumColourDepth("16"));
    EXPECT_EQ("8 bit", parseMinimumColourDepth("8bit"));
    EXPECT_EQ("32 bit", parseMinimumColourDepth("32 BIT"));
    for (const char* bad : {"0", "33", "bit", "", "16-bit", "sixteen"})
        EXPECT_EQ(std::string("\"") + bad + "\" is not a colour depth from 1 to 32 bits",
                  usageErrorOf([&] { parseMinimumColourDepth(bad); }))
            << bad;
}

TEST(SplashpackValues, SizesAndColours) {
    EXPECT_EQ(1000u, parseByteSize("1000"));
    EXPECT_EQ(512u * 1024, parseByteSize("512k"));
    EXPECT_EQ(64u * 1024 * 1024, parseByteSize("64M"));
    EXPECT_EQ(2ull * 1024 * 1024 * 1024, parseByteSize("2g"));
    EXPECT_EQ("\"64MB\" is not a size such as 500000, 500k or 64M",
              usageErrorOf([] { parseByteSize("64MB"); }));

    Rgb colour = parseColour("#10a0Ff");
    EXPECT_EQ(0x10, colour.red);
    EXPECT_EQ(0xA0, colour.green);
    EXPECT_EQ(0xFF, colour.blue);
    EXPECT_EQ(0x12, parseColour("123456").red);
    for (const char* bad : {"#fff", "#1234567", "red", "#12345g"})
        EXPECT_EQ(std::string("\"") + bad + "\" is not a colour #rrggbb",
                  usageErrorOf([&] { parseColour(bad); }))
            << bad;
}
