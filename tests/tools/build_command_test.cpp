// The build from files: only the output appears, the warnings appear exactly where the player
// surprises, and refused builds write nothing.
#include "build_command.h"

#include "failure_report.h"
#include "payload_reader.h"
#include "system_code_page.h"
#include "target_search.h"
#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

struct BuildFixture {
    ScratchFolder folder;
    ByteVector player = fakePlayer();
    ByteVector picture = corpusFile("g/pal8.bmp");
    ByteVector sound = waveFile(1, 22050, 16, 300);
    BuildOptions options;

    BuildFixture() {
        writeFile(folder.path("logo.bmp"), picture);
        writeFile(folder.path("jingle.wav"), sound);
        writeFile(folder.path("readme.txt"), {'h', 'i'});
        options.picture = folder.path("logo.bmp");
        options.output = folder.path("setup.exe");
        options.target = "readme.txt";
    }

    PlayerImage embedded() const { return PlayerImage{player.data(), player.size()}; }
    BuildOutcome build() { return runBuild(options, embedded()); }

    // A refused build leaves the folder as the fixture made it (with `extra`).
    void expectUntouched(std::vector<std::string> extra = {}) {
        std::vector<std::string> names = {"jingle.wav", "logo.bmp", "readme.txt"};
        names.insert(names.end(), extra.begin(), extra.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, folder.names());
    }

    template <typename Error> std::string errorOf() {
        try {
            build();
        } catch (const Error& error) {
            return error.what();
        }
        return "";
    }
};

} // namespace

TEST(BuildCommand, InputsStayAsTheyWereAndOnlyTheOutputAppears) {
    BuildFixture f;
    f.options.sound = f.folder.path("jingle.wav");
    f.options.picture = f.folder.path("logo.png");
    writeFile(f.options.picture, encodePng(gradientPicture(9, 9, true), 4));
    ByteVector png = readFile(f.options.picture);
    BuildOutcome outcome = f.build();
    EXPECT_EQ(png, readFile(f.options.picture));
    EXPECT_EQ(f.sound, readFile(f.options.sound));
    EXPECT_EQ(
        std::vector<std::string>({"jingle.wav", "logo.bmp", "logo.png", "readme.txt", "setup.exe"}),
        f.folder.names());
    EXPECT_EQ(2u, outcome.notes.size());
    ASSERT_EQ(1u, outcome.written.size());
    EXPECT_EQ("wrote \"" + f.options.output + "\" (" +
                  std::to_string(readFile(f.options.output).size()) + " bytes)",
              outcome.written[0]);

    // A folder that is not there yet is made for the output, and the author is told.
    f.options.output = f.folder.path("disc/root/setup.exe");
    outcome = f.build();
    ASSERT_EQ(2u, outcome.written.size());
    EXPECT_EQ("made the folder \"" +
                  std::filesystem::path(f.folder.path("disc/root")).make_preferred().string() +
                  "\"",
              outcome.written[0]);
    EXPECT_EQ(readFile(f.folder.path("setup.exe")), readFile(f.options.output));
}

TEST(BuildCommand, WarningsWhereThePlayerSurprises) {
#ifdef _WIN32
    // The expected texts spell paths with '/'; the Windows build joins them with '\\'.
    GTEST_SKIP() << "expected texts are written for '/' paths";
#endif
    const Warning versionsXp = {
        "versions",
        "only Windows 95, 98, Me, NT 4, 2000 and XP meet --versions: every later Windows (Vista "
        "and newer, also XP x64 and Server 2003) refuses the splash with the requirements "
        "message"};
    struct Case {
        UINT display;
        UINT delay;
        const char* versions;
        const char* target;
        bool found;
        std::vector<Warning> warnings;
        const char* output = "";
    };
    const std::string asciiOnly =
        " holds characters outside ASCII: the player opens its own file by its ANSI name, which "
        "cannot hold them on a Windows of another language, and the splash then does not start "
        "(\"Could not open for load the file\"); name it in ASCII, and the folders it runs from "
        "on the disc too";
    const Case cases[] = {
        {3000, 1000, "1 2 3 4 5 6", "a.exe", true, {versionsXp}},
        {3000,
         1000,
         "1 3",
         "a.exe",
         true,
         {{"versions", "only Windows 95 and Me meet --versions: every later Windows (Vista and "
                       "newer, also XP x64 and Server 2003) refuses the splash with the "
                       "requirements message"}}},
        {1049,
         1000,
         "1 2 3 4 5 6",
         "a.exe",
         true,
         {versionsXp,
          {"display-time", "the display time of 1049 ms ends less than 50 ms after the launch "
                           "delay of 1000 ms; the player raises it to 1050 ms"}}},
        {1000,
         1000,
         "1 2 3 4 5 6",
         "a.exe",
         true,
         {versionsXp,
          {"display-time", "the display time of 1000 ms ends less than 50 ms after the launch "
                           "delay of 1000 ms; the player raises it to 1050 ms"}}},
        {1050, 1000, "1 2 3 4 5 6", "a.exe", true, {versionsXp}},
        {3000,
         1000,
         "4",
         "a.exe",
         true,
         {{"versions", "only Windows NT 4 meets --versions: every later Windows (Vista and "
                       "newer, also XP x64 and Server 2003) refuses the splash with the "
                       "requirements message"}}},
        {999,
         1000,
         "1 2 3 4 5 6",
         "a.exe",
         true,
         {versionsXp,
          {"display-time", "the display time of 999 ms is shorter than the launch delay of "
                           "1000 ms: the window hides after 999 ms and the target opens only "
                           "after 1000 ms"}}},
        {3000,
         1000,
         "1 2 3 4 5 6",
         "",
         false,
         {versionsXp,
          {"target", "no --target: when the launch delay ends the player reports \"The "
                     "application to load is unknown.\""}}},
        {3000,
         1000,
         "6",
         "caf\xc3\xa9.exe",
         true,
         {{"versions", "only Windows XP meets --versions: every later Windows (Vista and newer, "
                       "also XP x64 and Server 2003) refuses the splash with the requirements "
                       "message"},
          {"code-page", "the target or the message holds characters outside ASCII, stored in "
                        "code page 1252; the player shows them as written only on a Windows "
                        "whose ANSI code page is 1252"}}},
        {3000,
         1000,
         "1 2 3 4 5 6",
         "a.exe",
         true,
         {versionsXp,
          {"output",
           "the output's name \"\xe3\x82\xb9\xe3\x83\x97\xe3\x83\xa9\xe3\x83\x83\xe3\x82\xb7\xe3"
           "\x83\xa5.exe\"" +
               asciiOnly}},
         "cdA/\xe3\x82\xb9\xe3\x83\x97\xe3\x83\xa9\xe3\x83\x83\xe3\x82\xb7\xe3\x83\xa5.exe"},
        // The folder on the disc cannot be known; only the file's own name is looked at.
        {3000, 1000, "1 2 3 4 5 6", "a.exe", true, {versionsXp}, "CD \xe3\x83\xab/setup.exe"},
    };
    for (const Case& c : cases) {
        BuildSettings options;
        options.displayTime = c.display;
        options.launchDelay = c.delay;
        options.versionList = c.versions;
        options.target = c.target;
        options.output = c.output;
        EXPECT_EQ(c.warnings, settingsWarnings(options, TargetSearch{c.found, ""}))
            << c.display << " " << c.target;
    }

    BuildSettings missing;
    missing.output = "cd/setup.exe";
    missing.target = "setup\\install.exe";
    std::vector<Warning> warnings =
        settingsWarnings(missing, searchTarget(missing.output, missing.target));
    ASSERT_EQ(2u, warnings.size());
    EXPECT_EQ((Warning{"target", "the target \"setup\\install.exe\" is not beside "
                                 "\"cd/setup.exe\" (looked for \"cd/setup/install.exe\"); the "
                                 "player reports \"Cannot Run File\" unless it is there when the "
                                 "splash runs"}),
              warnings[1]);
    missing.output = "cd/setup.bin";
    missing.imageOption = 16;
    warnings = settingsWarnings(missing, TargetSearch{true, ""});
    ASSERT_EQ(3u, warnings.size());
    EXPECT_EQ((Warning{"image-option", "--image-option 16 is stored but has no effect: every "
                                       "picture splashpack stores is a BMP, and BMP pictures "
                                       "ignore it"}),
              warnings[1]);
    EXPECT_EQ((Warning{"output",
                       "\"cd/setup.bin\" does not end in .exe, though it is a Windows program"}),
              warnings[2]);
}

TEST(BuildCommand, TargetIsLookedForBesideTheOutput) {
    BuildFixture f;
    auto targetWarnings = [&f] {
        BuildOutcome outcome = f.build();
        return std::count_if(outcome.warnings.begin(), outcome.warnings.end(),
                             [](const Warning& w) { return w.text.find("the target") == 0; });
    };
    f.options.force = true;
    EXPECT_EQ(0, targetWarnings());
    f.options.target = "readme.doc";
    EXPECT_EQ(1, targetWarnings());
}

TEST(BuildCommand, RefusedBuildsWriteNothing) {
    {
        BuildFixture f;
        writeFile(f.options.output, {'o', 'l', 'd'});
        EXPECT_EQ("\"" + f.options.output + "\" exists; --force replaces it",
                  f.errorOf<InputError>());
        EXPECT_EQ(ByteVector({'o', 'l', 'd'}), readFile(f.options.output));
        f.options.force = true;
        f.build();
        EXPECT_NE(ByteVector({'o', 'l', 'd'}), readFile(f.options.output));
    }
    {
        BuildFixture f;
        f.options.output = f.options.picture;
        f.options.force = true;
        EXPECT_EQ("\"" + f.options.picture +
                      "\" is an input of this build; inputs are never "
                      "written",
                  f.errorOf<InputError>());
        EXPECT_EQ(f.picture, readFile(f.options.picture));
    }
    {
        BuildFixture f;
        f.player.clear();
        EXPECT_EQ("this splashpack was built without a player; name one with --player FILE",
                  f.errorOf<UsageError>());
        writeFile(f.folder.path("player.exe"), fakePlayer());
        f.options.player = f.folder.path("player.exe");
        f.build();
        EXPECT_TRUE(
            std::equal(f.player.begin(), f.player.end(), readFile(f.options.output).begin()));
        // A finished splash is no player to build on.
        f.options.player = f.options.output;
        f.options.output = f.folder.path("second.exe");
        EXPECT_EQ("player \"" + f.options.player +
                      "\" already carries a splash (it ends in a trailer); give the bare player",
                  f.errorOf<InputError>());
    }
    {
        BuildFixture f;
        writeFile(f.options.picture, {'G', 'I', 'F', '8', '9', 'a', 0});
        EXPECT_EQ("picture \"" + f.options.picture +
                      "\" is a damaged GIF: No screen descriptor detected",
                  f.errorOf<InputError>());
        f.expectUntouched();
    }
    {
        BuildFixture f;
        f.options.sound = f.folder.path("logo.bmp");
        EXPECT_EQ("sound \"" + f.options.sound + "\" is not a WAV file (no RIFF/WAVE header)",
                  f.errorOf<InputError>());
        f.expectUntouched();
    }
    {
        BuildFixture f;
        f.options.message = std::string("a\0b", 3);
        EXPECT_EQ("the splash cannot be built: buildPayloadBlock - the requirements message "
                  "holds a NUL character.",
                  f.errorOf<InputError>());
        f.expectUntouched();
    }
    {
        BuildFixture f;
        f.options.autorun = true;
        f.options.output = f.folder.path("my setup.exe");
        EXPECT_EQ("autorun.inf cannot open \"my setup.exe\": its open= line is a command line, "
                  "so the name must hold no spaces",
                  f.errorOf<InputError>());
        f.options.output = f.folder.path("setup.exe");
        writeFile(f.folder.path("autorun.inf"), {'x'});
        EXPECT_EQ("\"" + f.folder.path("autorun.inf") + "\" exists; --force replaces it",
                  f.errorOf<InputError>());
        f.expectUntouched({"autorun.inf"});
    }
}

// --like starts from every setting, the picture and the sound of a splash; options given win.
// Each refusal names the option whose value or file it concerns, which the page shows it
// beside, with the exit code the command line gives.
TEST(BuildCommand, EachRefusalNamesItsOption) {
    struct Case {
        const char* what;
        void (*arrange)(BuildFixture& f);
        const char* option;
        int exitCode;
    };
    const Case cases[] = {
        {"output exists", [](BuildFixture& f) { writeFile(f.options.output, {'x'}); }, "output",
         exitBadInput},
        {"output is the picture", [](BuildFixture& f) { f.options.output = f.options.picture; },
         "output", exitBadInput},
        {"no player", [](BuildFixture& f) { f.player.clear(); }, "player", exitUsage},
        {"player is no program", [](BuildFixture& f) { f.options.player = f.options.picture; },
         "player", exitBadInput},
        {"picture unreadable",
         [](BuildFixture& f) {
             writeFile(f.options.picture, {'G', 'I', 'F', '8', '9', 'a'});
         },
         "picture", exitBadInput},
        {"picture missing", [](BuildFixture& f) { f.options.picture = f.folder.path("no.png"); },
         "picture", exitBadInput},
        {"sound no WAV", [](BuildFixture& f) { f.options.sound = f.options.picture; }, "sound",
         exitBadInput},
        {"target outside the code page", [](BuildFixture& f) { f.options.target = "\xe4\xb8\xad"; },
         "target", exitBadInput},
        {"message outside the code page",
         [](BuildFixture& f) { f.options.message = "\xe4\xb8\xad"; }, "message", exitBadInput},
        {"message with NUL", [](BuildFixture& f) { f.options.message = std::string("a\0b", 3); },
         "", exitBadInput},
        {"autorun name with a space",
         [](BuildFixture& f) {
             f.options.autorun = true;
             f.options.output = f.folder.path("my setup.exe");
         },
         "autorun", exitBadInput},
        {"autorun label outside the code page",
         [](BuildFixture& f) {
             f.options.autorun = true;
             f.options.autorunLabel = "\xe4\xb8\xad";
         },
         "autorun", exitBadInput},
        {"icon no .ico",
         [](BuildFixture& f) {
             f.options.autorun = true;
             f.options.autorunIcon = f.options.picture;
         },
         "autorun-icon", exitBadInput},
        {"like no splash", [](BuildFixture& f) { f.options.like = f.options.picture; }, "like",
         exitBadInput},
    };
    for (const Case& c : cases) {
        BuildFixture f;
        c.arrange(f);
        FailureReport failure;
        try {
            f.build();
        } catch (...) {
            failure = reportOfFailure("build");
        }
        EXPECT_EQ(c.option, failure.option) << c.what << ": " << failure.message;
        EXPECT_EQ(c.exitCode, failure.exitCode) << c.what;
    }
}

TEST(BuildCommand, StartsAgainFromASplash) {
    BuildFixture f;
    f.options.sound = f.folder.path("jingle.wav");
    f.options.displayTime = 5000;
    f.options.versionList = "2 3";
    f.options.resolution = "640 x 480";
    f.options.colourDepth = "16 bit";
    // Japanese, stored in the code page of Japanese Windows, which the splash records.
    f.options.message = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\x8c\xe5\xbf\x85\xe8\xa6\x81";
    f.options.codePage = 932;
    f.options.imageOption = 7;
    f.options.fadeIn = 300;
    f.options.laterWindows = true;
    f.build();
    const ByteVector old = readFile(f.options.output);
    struct Case {
        const char* given;   // the option given besides --like, empty for none
        std::string changed; // what then differs, in inspect's words; empty: the same bytes
    };
    const Case cases[] = {
        {"", ""},
        {"display-time", "Display time        2000 ms\n"},
        {"sound", "Sound               none\n"},
        // The same texts, stored in Simplified Chinese's code page instead.
        {"code-page", "Code page           936, as the splash records\n"},
        {"fade-in", "Fades               none\n"},
        {"later-windows", "Later Windows       no: the version test is exact\n"},
    };
    for (const Case& c : cases) {
        BuildOptions options;
        options.like = f.options.output;
        options.output = f.folder.path(std::string("again") + c.given + ".exe");
        options.target = "ignored.txt";
        options.given = {"like", "output"};
        if (c.given[0] != '\0')
            options.given.insert(c.given);
        options.displayTime = 2000;
        options.codePage = 936;
        runBuild(options, f.embedded());
        const ByteVector again = readFile(options.output);
        if (c.changed.empty()) {
            EXPECT_EQ(old, again);
            continue;
        }
        std::string before = reportText(readSplashBytes(old, "s", systemCodePage()));
        std::string after = reportText(readSplashBytes(again, "s", systemCodePage()));
        std::size_t label = before.find(c.changed.substr(0, 20));
        ASSERT_NE(std::string::npos, label) << c.given;
        std::size_t end = before.find('\n', label) + 1;
        before.replace(label, end - label, c.changed);
        after.replace(0, after.find('\n'), before.substr(0, before.find('\n')));
        // The start-up time follows the file's size, which the File line already tells.
        for (std::string* text : {&before, &after}) {
            const std::size_t startUp = text->find("Start-up");
            text->erase(startUp, text->find('\n', startUp) + 1 - startUp);
        }
        EXPECT_EQ(before, after) << c.given;
    }
    BuildOptions over;
    over.like = over.output = f.options.output;
    over.force = true;
    EXPECT_THROW(runBuild(over, f.embedded()), InputError);
    EXPECT_EQ(old, readFile(f.options.output));
}

// --player takes a bare Windows GUI program for x86 only; the refused build writes nothing.
TEST(BuildCommand, PlayersThatAreRefused) {
    auto changed = [](std::initializer_list<std::pair<std::size_t, unsigned char>> bytes) {
        ByteVector player = fakePlayer();
        for (const auto& change : bytes)
            player[change.first] = change.second;
        return player;
    };
    ByteVector withTrailer = fakePlayer();
    withTrailer.insert(withTrailer.end(), trailerMarker, trailerMarker + sizeof trailerMarker);
    withTrailer.insert(withTrailer.end(), {0xFF, 0xFF, 0, 0}); // a size the reader refuses
    SplashDescription splash;
    splash.picture = corpusFile("g/pal8.bmp");
    struct Case {
        ByteVector player;
        const char* problem;
    };
    const Case cases[] = {
        {ByteVector(100, 'x'), " is not a Windows program: it does not start with \"MZ\""},
        {changed({{0x3C, 0xF0}, {0x3D, 0xFF}}), " is not a Windows program: it has no PE header"},
        {changed({{0x81, 'X'}}), " is not a Windows program: it has no PE header"},
        {changed({{0x84, 0x64}, {0x85, 0xAA}}),
         " is not a program for x86 Windows (machine 43620)"},
        {changed({{0x94, 0x10}}), " is not a Windows program: its optional header is cut short"},
        {changed({{0xDC, 3}}), " is not a Windows GUI program (subsystem 3); the player is one"},
        {withTrailer, " already carries a splash (it ends in a trailer); give the bare player"},
        {signedCopy(appendSplash(fakePlayer(), splash)),
         " already carries a splash (a trailer before its certificate table: it is a signed "
         "splash); give the bare player"},
    };
    for (const Case& c : cases) {
        BuildFixture f;
        writeFile(f.folder.path("player.exe"), c.player);
        f.options.player = f.folder.path("player.exe");
        EXPECT_EQ("player \"" + f.options.player + "\"" + c.problem, f.errorOf<InputError>());
        f.expectUntouched({"player.exe"});
    }
    BuildFixture amd64;
    writeFile(amd64.folder.path("player.exe"), changed({{0x84, 0x64}, {0x85, 0x86}}));
    amd64.options.player = amd64.folder.path("player.exe");
    EXPECT_EQ("", amd64.errorOf<InputError>());
    // A signed player is taken, its signature left out, and the warning names it.
    BuildFixture signedPlayer;
    writeFile(signedPlayer.folder.path("player.exe"), signedCopy(fakePlayer()));
    signedPlayer.options.player = signedPlayer.folder.path("player.exe");
    EXPECT_EQ(0u, signedPlayer.build().warnings.back().text.find(
                      "player \"" + signedPlayer.options.player + "\" is signed: "));
}

// autorun.inf is read in the machine's ANSI code page, so it is written in the splash's.
TEST(BuildCommand, AutorunOpensTheSplash) {
    struct Case {
        const char* program;
        const char* icon;
        const char* label;
        UINT codePage;
        std::string text; // "" when refused
        std::string problem;
    };
    const std::string tooLong = "autorun.inf names \"demonstration.exe\", which is no 8.3 name: a "
                                "disc written without long names holds it under a shortened "
                                "name, and autorun.inf then names a file that is not there";
    const Case cases[] = {
        {"setup.exe", "", "", 1252, "[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n", ""},
        {"a.exe", "disc.ico", "Demo Disc", 1252,
         "[autorun]\r\nopen=a.exe\r\nicon=disc.ico\r\nlabel=Demo Disc\r\n", ""},
        {"d\xc3\xa9mo.exe", "", "\xd0\x9c\xd0\xbe\xd0\xb9 \xd0\xb4\xd0\xb8\xd1\x81\xd0\xba", 1251,
         "",
         "the output's name \"d\xc3\xa9mo.exe\" holds U+00E9 (\xc3\xa9), which code page 1251 "
         "cannot hold; choose another --code-page or leave it out"},
        {"setup.exe", "", "\xd0\x9c\xd0\xbe\xd0\xb9 \xd0\xb4\xd0\xb8\xd1\x81\xd0\xba", 1251,
         "[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\nlabel=\xcc\xee\xe9 \xe4\xe8\xf1\xea\r\n",
         ""},
        {"d\xc3\xa9mo.exe", "", "", 1252, "[autorun]\r\nopen=d\xe9mo.exe\r\nicon=d\xe9mo.exe\r\n",
         ""},
        {"setup.exe", "", "\xe6\x97\xa5", 1252, "",
         "--autorun-label holds U+65E5 (\xe6\x97\xa5), which code page 1252 cannot hold; choose "
         "another --code-page or leave it out"},
        {"demonstration.exe", "", "", 1252,
         "[autorun]\r\nopen=demonstration.exe\r\nicon=demonstration.exe\r\n", tooLong},
    };
    for (const Case& c : cases) {
        std::string problem;
        AutorunFile file;
        try {
            file = autorunFile(c.program, c.icon, c.label, c.codePage, systemCodePage());
            if (!file.warnings.empty())
                problem = file.warnings[0].text;
        } catch (const InputError& error) {
            problem = error.what();
        }
        EXPECT_EQ(c.problem, problem) << c.program;
        EXPECT_EQ(c.text, std::string(file.bytes.begin(), file.bytes.end())) << c.program;
    }

    // The author's icon is copied beside the splash and named there.
    BuildFixture f;
    f.options.autorun = true;
    f.options.autorunLabel = "Demo";
    std::filesystem::create_directory(f.folder.path("art"));
    f.options.autorunIcon = f.folder.path("art/disc.ico");
    writeFile(f.options.autorunIcon, {'M', 'Z', 1, 0, 1, 0});
    EXPECT_EQ("icon \"" + f.options.autorunIcon + "\" is not a Windows icon (.ico) file",
              f.errorOf<InputError>());
    const ByteVector icon = {0, 0, 1, 0, 1, 0, 16, 16};
    writeFile(f.options.autorunIcon, icon);
    BuildOutcome outcome = f.build();
    std::string text = autorunText("setup.exe", "disc.ico", "Demo");
    EXPECT_EQ(ByteVector(text.begin(), text.end()), readFile(f.folder.path("autorun.inf")));
    EXPECT_EQ(icon, readFile(f.folder.path("disc.ico")));
    ASSERT_EQ(3u, outcome.written.size());
    EXPECT_EQ("wrote \"" + f.folder.path("autorun.inf") + "\"", outcome.written[1]);
}
