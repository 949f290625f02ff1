// splashpack's command line: the value syntaxes and the option tables of the commands.
#include "command_line.h"

#include "splashpack.h"

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

std::string parseError(const std::vector<std::string>& arguments) {
    return usageErrorOf([&] { parseCommandLine(arguments); });
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

TEST(SplashpackCommandLine, BuildWithEveryOption) {
    CommandLine line = parseCommandLine({"build",
                                         "-p",
                                         "logo.png",
                                         "--output=setup.exe",
                                         "--sound",
                                         "jingle.wav",
                                         "-t",
                                         "setup\\install.exe",
                                         "-d",
                                         "4s",
                                         "--launch-delay=250ms",
                                         "--versions",
                                         "98,xp",
                                         "--min-resolution",
                                         "800x600",
                                         "--min-colour-depth",
                                         "16",
                                         "-m",
                                         "Too old.",
                                         "--image-option",
                                         "0x10",
                                         "--background",
                                         "#000000",
                                         "--max-picture",
                                         "640x480",
                                         "--max-picture-bytes",
                                         "2M",
                                         "--fit",
                                         "1024x768",
                                         "--player",
                                         "player.exe",
                                         "-a",
                                         "--autorun-label",
                                         "Demo",
                                         "-f",
                                         "-q"});
    ASSERT_EQ(CommandKind::build, line.kind);
    const BuildOptions& b = line.build;
    EXPECT_EQ("logo.png", b.picture);
    EXPECT_EQ("setup.exe", b.output);
    EXPECT_EQ("jingle.wav", b.sound);
    EXPECT_EQ("setup\\install.exe", b.target);
    EXPECT_EQ(4000u, b.displayTime);
    EXPECT_EQ(250u, b.launchDelay);
    EXPECT_EQ("2 6", b.versionList);
    EXPECT_EQ("800 x 600", b.resolution);
    EXPECT_EQ("16 bit", b.colourDepth);
    EXPECT_EQ("Too old.", b.message);
    EXPECT_EQ(16u, b.imageOption);
    EXPECT_EQ(0, b.background.red + b.background.green + b.background.blue);
    EXPECT_EQ(640u, b.maxWidth);
    EXPECT_EQ(480u, b.maxHeight);
    EXPECT_EQ(2u * 1024 * 1024, b.maxPictureBytes);
    EXPECT_EQ(1024u, b.fitWidth);
    EXPECT_EQ(768u, b.fitHeight);
    EXPECT_EQ("player.exe", b.player);
    EXPECT_TRUE(b.autorun);
    EXPECT_EQ("Demo", b.autorunLabel);
    EXPECT_TRUE(b.force);
    EXPECT_TRUE(b.quiet);
}

TEST(SplashpackCommandLine, OtherCommands) {
    CommandLine inspect = parseCommandLine({"inspect", "--json", "setup.exe"});
    EXPECT_EQ(CommandKind::inspect, inspect.kind);
    EXPECT_EQ("setup.exe", inspect.inspect.file);
    EXPECT_TRUE(inspect.inspect.json);

    CommandLine extract =
        parseCommandLine({"extract", "-C", "out", "--sound=s.wav", "--", "-odd.exe"});
    EXPECT_EQ(CommandKind::extract, extract.kind);
    EXPECT_EQ("-odd.exe", extract.extract.file);
    EXPECT_EQ("out", extract.extract.directory);
    EXPECT_EQ("s.wav", extract.extract.sound);
    EXPECT_EQ("", extract.extract.picture);

    struct Help {
        std::vector<std::string> arguments;
        CommandKind topic;
    };
    const Help helps[] = {
        {{"--help"}, CommandKind::help},
        {{"help"}, CommandKind::help},
        {{"help", "extract"}, CommandKind::extract},
        {{"build", "--help"}, CommandKind::build},
        {{"inspect", "x", "-h"}, CommandKind::inspect},
    };
    for (const Help& help : helps) {
        CommandLine line = parseCommandLine(help.arguments);
        EXPECT_EQ(CommandKind::help, line.kind) << help.arguments[0];
        EXPECT_EQ(help.topic, line.helpTopic) << help.arguments[0];
    }
    CommandLine preview = parseCommandLine(
        {"preview", "s.exe", "--screen", "640x480", "--depth", "16", "--windows", "me", "-o", "p"});
    EXPECT_EQ(CommandKind::preview, preview.kind);
    EXPECT_EQ("s.exe", preview.preview.file);
    EXPECT_EQ(640u, preview.preview.screenWidth);
    EXPECT_EQ(480u, preview.preview.screenHeight);
    EXPECT_EQ(16, preview.preview.colourBits);
    EXPECT_EQ(osVersionForCode(3), preview.preview.windows);
    EXPECT_EQ(32,
              parseCommandLine({"preview", "s", "--screen", "1x1", "-o", "p"}).preview.colourBits);
    EXPECT_EQ(CommandKind::version, parseCommandLine({"--version"}).kind);
    EXPECT_NE(std::string::npos, helpText(CommandKind::build).find("[3s]"));
    EXPECT_NE(std::string::npos, helpText(CommandKind::build).find("[1s]"));
}

TEST(SplashpackCommandLine, Refusals) {
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"pack"}, "unknown command \"pack\""},
        {{"help", "pack"}, "no help for \"pack\""},
        {{"build", "-o", "a.exe"}, "build needs --picture FILE"},
        {{"build", "-p", "a.bmp"}, "build needs --output FILE"},
        {{"build", "-p", "a.bmp", "-o", "a.exe", "extra"},
         "build takes no operands; \"extra\" is not an option"},
        {{"build", "-p", "a.bmp", "-o"}, "--output needs a value"},
        {{"build", "--json"}, "unknown option --json for build"},
        {{"build", "-x"}, "unknown option -x for build"},
        {{"build", "--force=yes"}, "--force takes no value"},
        {{"build", "-p", "a", "-p", "b"}, "--picture is given more than once"},
        {{"build", "--min-color-depth", "8", "-c", "16"},
         "--min-colour-depth is given more than once"},
        {{"build", "-d", "3"}, "--display-time: \"3\" has no unit; write 3s or 3ms"},
        {{"build", "--versions", "win7"},
         "--versions: \"win7\" is not a Windows version; use 95, 98, me, nt4, 2000, xp or all"},
        {{"build", "--image-option", "0x100000000"},
         "--image-option: \"0x100000000\" is larger than 4294967295"},
        {{"build", "-p", "a", "-o", "b", "-t", "C:\\setup.exe"},
         "--target: \"C:\\setup.exe\" is not relative; the player joins the target to its own "
         "folder"},
        {{"build", "-p", "a", "-o", "b", "-t", "\\setup.exe"},
         "--target: \"\\setup.exe\" is not relative; the player joins the target to its own "
         "folder"},
        {{"build", "-p", "a", "-o", "b", "--autorun-label", "X"},
         "--autorun-label needs --autorun"},
        {{"inspect"}, "inspect needs the FILE to read"},
        {{"extract", "a", "b"}, "extract reads one FILE; more were given"},
        {{"inspect", "--directory", "x", "a"}, "unknown option --directory for inspect"},
        {{"preview", "a.exe", "-o", "p.png"}, "preview needs --screen WxH"},
        {{"preview", "a.exe", "--screen", "800x600"}, "preview needs --output FILE"},
        {{"preview", "a", "-o", "p", "--screen", "800x600", "--windows", "98,xp"},
         "--windows: \"98,xp\" names more than one Windows version"},
        {{"preview", "a", "-o", "p", "--screen", "16385x600"},
         "--screen: \"16385x600\" is larger than 16384 pixels a side"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, parseError(c.arguments))
            << (c.arguments.empty() ? "" : c.arguments.back());
}

// --version names the player by its size and FNV-1a 64 hash (published test values of the hash).
TEST(SplashpackCommandLine, VersionNamesThePlayer) {
    const unsigned char a[] = {'a'};
    const unsigned char foobar[] = {'f', 'o', 'o', 'b', 'a', 'r'};
    struct Case {
        PlayerImage player;
        const char* line;
    };
    const Case cases[] = {
        {PlayerImage{a, sizeof a}, "player: 1 bytes, FNV-1a 64 af63dc4c8601ec8c\n"},
        {PlayerImage{foobar, sizeof foobar}, "player: 6 bytes, FNV-1a 64 85944171f73967e8\n"},
        {PlayerImage{}, "player: none built in; every build needs --player FILE\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.line, playerVersionLine(c.player));
}
