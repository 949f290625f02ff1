// Trimming, the three comparisons, the details text and the message choice of the check.
#include "requirements_decision.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(RequirementsDecision, TrimsOnlyLineBreaksTabsAndSpaces) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {" ", ""},
        {"\n\r\t ", ""},
        {"  \t\r\n \n", ""},
        {"abc", "abc"},
        {"  abc  ", "abc"},
        {"\r\n\tabc def\t\r\n", "abc def"},
        {"a \n b", "a \n b"},
        {"\v", "\v"},
        {"\f", "\f"},
        {" \vabc\f ", "\vabc\f"},
        {std::string("\0 x", 3), std::string("\0 x", 3)},
        {" x", "x"},
        {"x ", "x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(trimWhitespace(c.first), c.second) << "[" << c.first << "]";
}

TEST(RequirementsDecision, ResolutionMustReachBothSides) {
    struct Case {
        std::uint32_t screenWidth, screenHeight, requiredWidth, requiredHeight;
        bool meets;
    };
    const Case cases[] = {
        {800, 600, 800, 600, true},
        {799, 1200, 800, 600, false},
        {1600, 599, 800, 600, false},
        {1024, 768, 800, 600, true},
        {0, 0, 0, 0, true},
        {640, 480, 800, 0, false},
        {800, 0, 800, 0, true},
        // Compared unsigned: a huge requirement is never met.
        {1024, 768, 0xFFFFFFFFu, 0, false},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x80000000u, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolutionMeets(c.screenWidth, c.screenHeight, c.requiredWidth, c.requiredHeight),
                  c.meets)
            << c.screenWidth << "x" << c.screenHeight << " vs " << c.requiredWidth << "x"
            << c.requiredHeight;
}

TEST(RequirementsDecision, ColourDepthIsComparedSigned) {
    EXPECT_TRUE(colourDepthMeets(16, 16));
    EXPECT_TRUE(colourDepthMeets(16, 8));
    EXPECT_FALSE(colourDepthMeets(16, 24));
    EXPECT_TRUE(colourDepthMeets(16, 0));
    EXPECT_TRUE(colourDepthMeets(1, 0));
    // A depth read as 4294967295 is -1 signed, which every screen meets.
    EXPECT_TRUE(colourDepthMeets(8, static_cast<std::int32_t>(0xFFFFFFFFu)));
    EXPECT_FALSE(colourDepthMeets(32, 0x7FFFFFFF));
}

RequirementsFindings findings(bool versionMet, bool resolutionMet, bool colourMet) {
    RequirementsFindings f;
    f.versionMet = versionMet;
    f.allowedVersions = "'&2000'; '&XP'";
    f.currentVersion = "9&8";
    f.resolutionMet = resolutionMet;
    f.requiredResolution = "1024 x 768";
    f.currentResolution = "800 x 600";
    f.colourMet = colourMet;
    f.requiredColour = "24 bit";
    f.currentColour = "16 bit";
    return f;
}

TEST(RequirementsDecision, DetailsHoldOneSectionPerFailedTestInOrder) {
    const std::string version = "Required set of system versions is { '&2000'; '&XP' }\n"
                                "Current system version is 9&8\n\n";
    const std::string resolution = "Required screen resolutions is 1024 x 768\n"
                                   "Current screen resolutions is 800 x 600\n\n";
    const std::string colour = "Required colour quality is 24 bit\n"
                               "Current colour quality is 16 bit\n";
    for (int mask = 0; mask < 8; ++mask) {
        const bool versionFails = (mask & 1) != 0;
        const bool resolutionFails = (mask & 2) != 0;
        const bool colourFails = (mask & 4) != 0;
        std::string expected;
        if (versionFails)
            expected += version;
        if (resolutionFails)
            expected += resolution;
        if (colourFails)
            expected += colour;
        EXPECT_EQ(requirementsDetails(findings(!versionFails, !resolutionFails, !colourFails)),
                  expected)
            << mask;
    }
    RequirementsFindings none = findings(false, true, true);
    none.allowedVersions = "none";
    none.currentVersion = "Less than 95";
    EXPECT_EQ(requirementsDetails(none), "Required set of system versions is { none }\n"
                                         "Current system version is Less than 95\n\n");
}

TEST(RequirementsDecision, BlankCustomMessageGivesTheDefault) {
    const std::string defaultText =
        "Sorry, your system does not meet all of the necessary system requirements.";
    const std::pair<std::string, std::string> cases[] = {
        {"", defaultText},
        {"   ", defaultText},
        {"\r\n\t \n", defaultText},
        {"Needs a bigger screen.", "Needs a bigger screen."},
        {"  Needs XP.\r\n", "  Needs XP.\r\n"},
        {"\tline one\nline two\n", "\tline one\nline two\n"},
        {"\v", "\v"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseRequirementsMessage(c.first), c.second) << "[" << c.first << "]";
    EXPECT_STREQ(requirementsCaption, "System Requirements Not Met");
}

} // namespace
