// splashpack's command line: the value syntaxes and the option tables of the commands.
#include "option_grammar.h"
#include "option_help.h"

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
                                         "--colors",
                                         "system",
                                         "--no-dither",
                                         "--sound-rate",
                                         "11025",
                                         "--sound-bits",
                                         "8",
                                         "--mono",
                                         "--max-decoded-pixels",
                                         "1k",
                                         "--player",
                                         "player.exe",
                                         "-a",
                                         "--autorun-label",
                                         "Demo",
                                         "--wait-for-target",
                                         "--cut-color",
                                         "#ff00fe",
                                         "--fade-in",
                                         "0.5s",
                                         "--fade-out=250ms",
                                         "--later-windows",
                                         "-fq"});
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
    EXPECT_EQ(PictureColours::system, b.colours);
    EXPECT_FALSE(b.dither);
    EXPECT_EQ(11025u, b.soundTarget.rate);
    EXPECT_EQ(8u, b.soundTarget.bits);
    EXPECT_TRUE(b.soundTarget.mono);
    EXPECT_EQ(2u * 1024 * 1024, b.maxPictureBytes);
    EXPECT_EQ(1024u, b.fitWidth);
    EXPECT_EQ(768u, b.fitHeight);
    EXPECT_EQ(1024u, b.maxDecodedPixels);
    EXPECT_EQ("player.exe", b.player);
    EXPECT_TRUE(b.autorun);
    EXPECT_EQ("Demo", b.autorunLabel);
    EXPECT_TRUE(b.waitForTarget);
    EXPECT_EQ(PictureShape::keyColour, b.shape);
    EXPECT_EQ(0xFE, b.keyColour.blue);
    EXPECT_EQ(500u, b.fadeIn);
    EXPECT_EQ(250u, b.fadeOut);
    EXPECT_TRUE(b.laterWindows);
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
        {{"/?"}, CommandKind::help},
        {{"-?"}, CommandKind::help},
        {{"preview", "/?"}, CommandKind::preview},
        {{"extract", "-?"}, CommandKind::extract},
    };
    for (const Help& help : helps) {
        CommandLine line = parseCommandLine(help.arguments);
        EXPECT_EQ(CommandKind::help, line.kind) << help.arguments[0];
        EXPECT_EQ(help.topic, line.helpTopic) << help.arguments[0];
    }
    CommandLine preview =
        parseCommandLine({"preview", "s.exe", "--screen", "640x480", "--depth", "16", "--windows",
                          "me", "-o", "p", "--sixteen-bit-layout", "555"});
    EXPECT_EQ(CommandKind::preview, preview.kind);
    EXPECT_EQ("s.exe", preview.preview.file);
    EXPECT_EQ(640u, preview.preview.screenWidth);
    EXPECT_EQ(480u, preview.preview.screenHeight);
    EXPECT_EQ(16, preview.preview.colourBits);
    EXPECT_EQ(osVersionForCode(3), preview.preview.windows);
    EXPECT_EQ(SixteenBitLayout::red5green5blue5, preview.preview.sixteenBitLayout);
    // Any Windows after XP, as one from Windows 8 on reports itself to the player.
    EXPECT_EQ((OsVersion{2, 6, 2}),
              parseCommandLine({"preview", "s", "--screen", "1x1", "-o", "p", "--windows", "later"})
                  .preview.windows);
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
        {{"build", "--like", "old.exe"}, "build needs --output FILE"},
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
        {{"build", "-l", "4294967246ms"},
         "--launch-delay: \"4294967246ms\" is longer than 4294967245 ms: the player keeps the "
         "splash up at least 50 ms past the launch delay and counts that sum in 32 bits"},
        {{"build", "--versions", "win7"},
         "--versions: \"win7\" is not a Windows version; use 95, 98, me, nt4, 2000, xp or all"},
        {{"build", "--colours", "8"}, "--colours: \"8\" is not 256, 16 or system"},
        {{"build", "--sound-rate", "44100"}, "--sound-rate: \"44100\" is not 22050 or 11025"},
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
        {{"build", "-p", "a", "-o", "b", "--autorun-icon", "d.ico"},
         "--autorun-icon needs --autorun"},
        {{"inspect"}, "inspect needs the FILE to read"},
        {{"extract", "a", "b"}, "extract reads one FILE; more were given"},
        {{"inspect", "--directory", "x", "a"}, "unknown option --directory for inspect"},
        {{"preview", "a.exe", "-o", "p.png"}, "preview needs --screen WxH"},
        {{"preview", "a.exe", "--screen", "800x600"}, "preview needs --output FILE"},
        {{"preview", "a", "-o", "p", "--screen", "800x600", "--windows", "98,xp"},
         "--windows: \"98,xp\" names more than one Windows version"},
        {{"preview", "a", "-o", "p", "--screen", "16385x600"},
         "--screen: \"16385x600\" is larger than 16384 pixels a side"},
        {{"preview", "a", "-o", "p", "--screen", "8x6", "--sixteen-bit-layout", "555"},
         "--sixteen-bit-layout needs --depth 16"},
        {{"preview", "a", "-o", "p", "--screen", "8x6", "--depth", "15", "--sixteen-bit-layout",
          "565"},
         "--sixteen-bit-layout needs --depth 16"},
        {{"build", "--cut-colour", "#ff00ff", "--cut-transparent"},
         "--cut-transparent: cannot be given with --cut-colour"},
        {{"build", "--cut-transparent", "--cut-color", "#ff00ff"},
         "--cut-colour: cannot be given with --cut-transparent"},
        {{"build", "--fade-in", "1"}, "--fade-in: \"1\" has no unit; write 1s or 1ms"},
        {{"build", "-d", "2,5s"},
         "--display-time: \"2,5s\" has a decimal comma; the decimal separator is a point: write "
         "2.5s"},
        {{"preview", "a", "-o", "p", "--screen", "8x6", "--depth", "16", "--sixteen-bit-layout",
          "556"},
         "--sixteen-bit-layout: \"556\" is neither 565 nor 555"},
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
