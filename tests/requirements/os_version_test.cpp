// Version codes: the code table, classification by ranges, exact membership, and the reading
// and writing of version lists.
#include "os_version.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

const OsVersion unknown{0, 0, 0};
const OsVersion win95{1, 4, 0};
const OsVersion win98{1, 4, 10};
const OsVersion winMe{1, 4, 90};
const OsVersion winNt{2, 4, 0};
const OsVersion win2000{2, 5, 0};
const OsVersion winXp{2, 5, 1};

VersionSet setOf(std::vector<OsVersion> versions) {
    return VersionSet(versions.begin(), versions.end());
}

} // namespace

TEST(OsVersion, CodeTableAndNames) {
    struct Case {
        std::int32_t code;
        OsVersion triple;
        const char* name;
    };
    const Case cases[] = {
        {0, unknown, "Less than 95"},
        {1, win95, "9&5"},
        {2, win98, "9&8"},
        {3, winMe, "&Millenium Edition"},
        {4, winNt, "&NT"},
        {5, win2000, "&2000"},
        {6, winXp, "&XP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(osVersionForCode(c.code), c.triple);
        EXPECT_EQ(versionCodeOf(c.triple), c.code);
        EXPECT_STREQ(versionName(c.triple), c.name);
    }
}

TEST(OsVersion, CodesOutsideTheTableAreUnknown) {
    for (std::int32_t code : {-1, 7, 99, INT_MIN, INT_MAX})
        EXPECT_EQ(osVersionForCode(code), unknown) << code;
}

TEST(OsVersion, ClassificationWorksByRanges) {
    struct Case {
        OsVersion version;
        VersionCode code;
    };
    const Case cases[] = {
        {{2, 5, 2}, 6},          {{2, 6, 0}, 6},  {{2, 6, 2}, 6},          {{2, 0xFFFFFFFF, 0}, 6},
        {{2, 5, 0xFFFFFFFF}, 6}, {{2, 3, 51}, 4}, {{2, 4, 99}, 4},         {{2, 0, 0}, 4},
        {{1, 4, 3}, 1},          {{1, 4, 9}, 1},  {{1, 4, 10}, 2},         {{1, 4, 50}, 2},
        {{1, 4, 89}, 2},         {{1, 4, 90}, 3}, {{1, 4, 0xFFFFFFFF}, 3}, {{1, 3, 0}, 0},
        {{1, 5, 0}, 0},          {{0, 3, 10}, 0}, {{3, 5, 1}, 0},          {{0xFFFFFFFF, 5, 1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.version.platformId << "." << c.version.major << "." << c.version.minor);
        EXPECT_EQ(versionCodeOf(c.version), c.code);
    }
    EXPECT_STREQ(versionName({2, 5, 2}), "&XP");
    EXPECT_STREQ(versionName({1, 4, 3}), "9&5");
    EXPECT_STREQ(versionName({1, 4, 50}), "9&8");
    EXPECT_STREQ(versionName({2, 3, 51}), "&NT");
    EXPECT_STREQ(versionName({0, 3, 10}), "Less than 95");
}

TEST(OsVersion, OrderIsLexicographicAndUnsigned) {
    EXPECT_LT((OsVersion{1, 9, 99}), (OsVersion{2, 0, 0}));
    EXPECT_LT((OsVersion{2, 4, 99}), (OsVersion{2, 5, 0}));
    EXPECT_LT((OsVersion{2, 5, 0}), (OsVersion{2, 5, 1}));
    EXPECT_LT((OsVersion{2, 5, 1}), (OsVersion{2, 5, 0x80000000}));
    EXPECT_LT((OsVersion{1, 0x7FFFFFFF, 0}), (OsVersion{1, 0x80000000, 0}));
    EXPECT_FALSE((OsVersion{2, 5, 1}) < (OsVersion{2, 5, 1}));
    EXPECT_NE((OsVersion{2, 5, 1}), (OsVersion{2, 5, 2}));
    EXPECT_NE((OsVersion{1, 5, 1}), (OsVersion{2, 5, 1}));
}

TEST(OsVersion, MembershipIsExact) {
    const VersionSet all = parseVersionList("0 1 2 3 4 5 6");
    ASSERT_EQ(all.size(), 7u);
    for (const OsVersion& member : {unknown, win95, win98, winMe, winNt, win2000, winXp})
        EXPECT_NE(findVersion(all, member), all.end());
    // Named like members, yet equal to none of them.
    for (const OsVersion& stranger :
         {OsVersion{2, 5, 2}, OsVersion{2, 6, 0}, OsVersion{2, 3, 51}, OsVersion{1, 4, 3}})
        EXPECT_EQ(findVersion(all, stranger), all.end());
    const VersionSet xpOnly = parseVersionList("6");
    auto found = findVersion(xpOnly, winXp);
    ASSERT_NE(found, xpOnly.end());
    EXPECT_EQ(*found, winXp);
    EXPECT_EQ(findVersion(xpOnly, unknown), xpOnly.end());
}

TEST(OsVersion, ParseVersionList) {
    struct Case {
        const char* text;
        std::vector<OsVersion> expected;
    };
    const Case cases[] = {
        {"1 2 3 4 5 6", {win95, win98, winMe, winNt, win2000, winXp}},
        {"", {}},
        {"12", {unknown}},
        {"1,2", {win95}},
        {"  3", {winMe}},
        {"-1", {}},
        {" -1", {unknown}},
        {"+3", {}},
        {" +3", {winMe}},
        {"5 6 7 9", {win2000, winXp, unknown}},
        {"6 1 6", {win95, winXp}},
        {"0 7 99", {unknown}},
        {"05", {win2000}},
        {"007", {unknown}},
        {"1    2", {win95, win98}},
        {"x1", {}},
        {",1", {}},
        {"\t1", {}},
        {"1\t2", {win95}},
        {"1 \t2", {win95, win98}},
        {"1\n2", {win95}},
        // A space with no number after it ends the list and adds nothing.
        {" ", {}},
        {"1 ", {win95}},
        {"1 2   ", {win95, win98}},
        {"1 x 2", {win95}},
        {"1 , 2", {win95}},
        {"1 - 2", {win95}},
        {"1 -", {win95}},
        {"1 +", {win95}},
        // Only ASCII digits count.
        {"1\xb2", {win95}},
        {"\xb9 1", {}},
        {"2 \x80 3", {win98}},
        {"3\xff", {winMe}},
        // 32-bit saturation, not wrapping: these would be 1 modulo 2^32.
        {"4294967297", {unknown}},
        {" -4294967295", {unknown}},
        {"2147483647 2", {unknown, win98}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << '"');
        EXPECT_EQ(parseVersionList(c.text), setOf(c.expected));
    }
    EXPECT_TRUE(parseVersionList(nullptr).empty());
}

TEST(OsVersion, FormatVersionSet) {
    struct Case {
        const char* list;
        const char* text;
    };
    const Case cases[] = {
        {"", "none"},
        {"-1", "none"},
        {"1 6", "'9&5'; '&XP'"},
        {"6 1 6", "'9&5'; '&XP'"},
        {"0 7 99", "'Less than 95'"},
        {"9 1", "'Less than 95'; '9&5'"},
        {"1 2 3 4 5 6", "'9&5'; '9&8'; '&Millenium Edition'; '&NT'; '&2000'; '&XP'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatVersionSet(parseVersionList(c.list)), c.text) << '"' << c.list << '"';
    // Elements that are no canonical triple are named by their class.
    EXPECT_EQ(formatVersionSet(setOf({{2, 6, 2}, {1, 4, 50}})), "'9&8'; '&XP'");
}

// Later Windows passes only with the splash's opt-in, and only on the NT line after XP; the set
// decides as before for every other system, with or without it.
TEST(OsVersion, LaterWindowsPassesOnlyWithTheOptIn) {
    struct Case {
        OsVersion version;
        const char* list;
        bool without;
        bool with;
    };
    const Case cases[] = {
        {OsVersion{2, 5, 2}, "1 2 3 4 5 6", false, true}, // XP x64, Server 2003
        {OsVersion{2, 6, 0}, "1 2 3 4 5 6", false, true}, // Vista
        {OsVersion{2, 6, 2}, "6", false, true},           // 8, or 8.1 to 11 without a manifest
        {OsVersion{2, 10, 0}, "", false, true},           // 10 with a manifest
        {winXp, "1 2 3 4 5", false, false},
        {win2000, "6", false, false},
        {winXp, "6", true, true},
        {win98, "", false, false},
        {OsVersion{1, 5, 0}, "", false, false}, // not of the NT line
        {OsVersion{3, 6, 0}, "", false, false},
        {unknown, "0", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.version.platformId) + "." + std::to_string(c.version.major) +
                     "." + std::to_string(c.version.minor) + " in {" + c.list + "}");
        const VersionSet versions = parseVersionList(c.list);
        EXPECT_EQ(versionAllowed(versions, c.version, false), c.without);
        EXPECT_EQ(versionAllowed(versions, c.version, true), c.with);
    }
}
