// The built splashpack program: exit codes, what goes to standard output and to standard
// error, and a whole build, inspect and extract through its command line.
#include "test_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string contentOf(const std::string& path) {
    ByteVector bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

ProgramRun run(const ScratchFolder& folder, const std::vector<std::string>& arguments) {
    std::string command = shellQuoted(SPLASHPACK_PROGRAM);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    command += " >" + shellQuoted(folder.path("stdout")) + " 2>" +
               shellQuoted(folder.path("stderr")) + " </dev/null";
    int status = std::system(command.c_str());
    ProgramRun result;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = contentOf(folder.path("stdout"));
    result.err = contentOf(folder.path("stderr"));
    std::remove(folder.path("stdout").c_str());
    std::remove(folder.path("stderr").c_str());
    return result;
}

} // namespace

TEST(SplashpackProgram, ExitCodesAndStreams) {
    ScratchFolder folder;
    ProgramRun help = run(folder, {"--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_EQ(0u, help.out.find("Usage: splashpack COMMAND [OPTIONS]\n"));
    EXPECT_EQ("", help.err);

    ProgramRun usage = run(folder, {"build", "--picture"});
    EXPECT_EQ(2, usage.exitCode);
    EXPECT_EQ("", usage.out);
    EXPECT_EQ("splashpack: --picture needs a value\nTry 'splashpack build --help'.\n", usage.err);
    EXPECT_EQ(2, run(folder, {}).exitCode);

    ProgramRun missing = run(folder, {"inspect", folder.path("none.exe")});
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_EQ(0u, missing.err.find("splashpack: \"" + folder.path("none.exe") +
                                   "\" is not a splash the player can read: it does not "
                                   "exist.\nThe player shows:\n"));

    // inspect --json fails in JSON on standard output, with the same exit codes.
    struct JsonFailure {
        std::vector<std::string> arguments;
        int exitCode;
        std::string error;
    };
    const JsonFailure failures[] = {
        {{"inspect", "--json", folder.path("none.exe")},
         1,
         "\"" + folder.path("none.exe") +
             "\" is not a splash the player can read: it does not "
             "exist.\nThe player shows:\n"},
        {{"inspect", "-j", "--bogus", "x.exe"}, 2, "unknown option --bogus for inspect"},
    };
    for (const JsonFailure& f : failures) {
        ProgramRun failed = run(folder, f.arguments);
        EXPECT_EQ(f.exitCode, failed.exitCode) << f.arguments[2];
        EXPECT_EQ("", failed.err) << f.arguments[2];
        nlohmann::json json = nlohmann::json::parse(failed.out);
        EXPECT_EQ(0u, json["error"].get<std::string>().find(f.error)) << failed.out;
        EXPECT_EQ(f.exitCode, json["exitCode"]);
    }

    ProgramRun version = run(folder, {"--version"});
    EXPECT_EQ(0, version.exitCode);
    EXPECT_EQ(0u, version.out.find("splashpack "));
}

TEST(SplashpackProgram, BuildInspectExtract) {
    ScratchFolder folder;
    writeFile(folder.path("player.exe"), fakePlayer());
    writeFile(folder.path("logo.png"), encodePng(gradientPicture(20, 10, false), 3));
    writeFile(folder.path("jingle.wav"), waveFile(2, 44100, 16, 40));
    std::vector<std::string> build = {"build",
                                      "-p",
                                      folder.path("logo.png"),
                                      "-s",
                                      folder.path("jingle.wav"),
                                      "-o",
                                      folder.path("demo.exe"),
                                      "--player",
                                      folder.path("player.exe"),
                                      "-t",
                                      "setup.exe",
                                      "-d",
                                      "2s",
                                      "-l",
                                      "500ms",
                                      "--versions",
                                      "98,me",
                                      "--min-resolution",
                                      "640x480",
                                      "--min-colour-depth",
                                      "8",
                                      "-m",
                                      "Needs more.",
                                      "--autorun"};
    ProgramRun built = run(folder, build);
    ASSERT_EQ(0, built.exitCode) << built.err;
    EXPECT_EQ("wrote \"" + folder.path("demo.exe") + "\" (" +
                  std::to_string(readFile(folder.path("demo.exe")).size()) + " bytes)\nwrote \"" +
                  folder.path("autorun.inf") +
                  "\"\nfrom a CD-ROM the picture shows after 0.27 s at 2x, 0.12 s at 8x, 0.09 s "
                  "at 24x; a 56k modem downloads it in 0.78 s\n",
              built.out);
    EXPECT_EQ("splashpack: note: picture \"" + folder.path("logo.png") +
                  "\" is a PNG; converted to a 24-bit BMP of 20 x 10 pixels (654 bytes)\n"
                  "splashpack: warning: only Windows 98 and Me meet --versions: every later "
                  "Windows (Vista and newer, also XP x64 and Server 2003) refuses the splash "
                  "with the requirements message\n"
                  "splashpack: warning: the target \"setup.exe\" is not beside \"" +
                  folder.path("demo.exe") + "\" (looked for \"" + folder.path("setup.exe") +
                  "\"); the player reports \"Cannot Run File\" unless it is there when the "
                  "splash runs\n"
                  "splashpack: warning: --min-colour-depth 8 lets the splash run on 256-colour "
                  "screens, where the player selects no palette and Windows shows the picture in "
                  "its 20 system colours; --colours system stores it in those colours, so that "
                  "what you see is what those screens show\n",
              built.err);

    // The same build again is refused, and replaces only with --force.
    ProgramRun again = run(folder, build);
    EXPECT_EQ(1, again.exitCode);
    EXPECT_EQ("splashpack: \"" + folder.path("demo.exe") + "\" exists; --force replaces it\n",
              again.err);
    build.push_back("-f");
    build.push_back("-q");
    ProgramRun forced = run(folder, build);
    EXPECT_EQ(0, forced.exitCode);
    EXPECT_EQ("", forced.err);
    EXPECT_EQ("", forced.out);

    EXPECT_EQ(0u, readFile(folder.path("demo.exe")).size() % 8) << "signing pads nothing";
    ProgramRun inspect = run(folder, {"inspect", folder.path("demo.exe")});
    EXPECT_EQ(0, inspect.exitCode);
    for (const char* line :
         {"; not the player this splashpack carries\n", "Certificate table   none\n",
          "Picture             654 bytes, 20 x 10, 24 bit; the player shows it\n",
          "Sound               84 bytes, PCM, 2 channels, 44100 Hz, 16 bit, 1 ms\n",
          "Target              setup.exe\n", "Display time        2000 ms\n",
          "Launch delay        500 ms\n", "Versions            98, me\n",
          "Minimum resolution  640 x 480\n", "Minimum colour      8 bit\n",
          "Message             \"Needs more.\"\n"})
        EXPECT_NE(std::string::npos, inspect.out.find(line)) << line << inspect.out;
    ProgramRun json = run(folder, {"inspect", "--json", folder.path("demo.exe")});
    EXPECT_EQ(0, json.exitCode);
    EXPECT_EQ(nlohmann::json::parse(R"(["98", "me"])"),
              nlohmann::json::parse(json.out)["versions"]);

    // The folder is made when it is not there yet.
    ProgramRun extract =
        run(folder, {"extract", "-C", folder.path("out/"), folder.path("demo.exe")});
    EXPECT_EQ(0, extract.exitCode) << extract.err;
    EXPECT_EQ(waveFile(2, 44100, 16, 40), readFile(folder.path("out/demo.wav")));
    EXPECT_EQ(0, largestDifference(gradientPicture(20, 10, false),
                                   readBitmap24(readFile(folder.path("out/demo.bmp")))));

    // -q prints nothing but errors in every command.
    for (std::vector<std::string> quiet :
         {std::vector<std::string>{"inspect", "-q", folder.path("demo.exe")},
          std::vector<std::string>{"inspect", "-q", "--json", folder.path("demo.exe")},
          std::vector<std::string>{"extract", "-q", "-f", "-C", folder.path(""),
                                   folder.path("demo.exe")},
          std::vector<std::string>{"preview", "-fq", "--screen", "800x600", "-o",
                                   folder.path("demo.png"), folder.path("demo.exe")}}) {
        ProgramRun silent = run(folder, quiet);
        EXPECT_EQ(0, silent.exitCode) << quiet[0];
        EXPECT_EQ("", silent.out + silent.err) << quiet[0];
    }
    // preview writes over its splash through no spelling of the path.
    std::filesystem::create_symlink(folder.path("demo.exe"), folder.path("link.exe"));
    ByteVector splash = readFile(folder.path("demo.exe"));
    for (const std::string& output : {folder.path("./demo.exe"), folder.path("link.exe")}) {
        ProgramRun kept = run(folder, {"preview", "-f", "--screen", "800x600", "-o", output,
                                       folder.path("demo.exe")});
        EXPECT_EQ(1, kept.exitCode) << output;
        EXPECT_EQ("splashpack: \"" + output + "\" is the splash itself; it is never written\n",
                  kept.err);
    }
    EXPECT_EQ(splash, readFile(folder.path("demo.exe")));
    ProgramRun refused = run(folder, {"inspect", "-q", folder.path("autorun.inf")});
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_EQ("", refused.out);
    EXPECT_NE("", refused.err);

    // preview -o - gives standard output the PNG and standard error the timeline, but never
    // to a terminal.
    const std::vector<std::string> piped = {
        "preview", folder.path("demo.exe"), "--screen", "640x480", "-o", "-"};
    ProgramRun png = run(folder, piped);
    EXPECT_EQ(0, png.exitCode) << png.err;
    EXPECT_EQ(0u, png.out.find("\x89PNG\r\n\x1a\n"));
    EXPECT_NE(std::string::npos, png.err.find("\nwrote the PNG to standard output (640 x 480)\n"))
        << png.err;
    int terminal = -1, side = -1;
    ASSERT_EQ(0, openpty(&terminal, &side, nullptr, nullptr, nullptr));
    std::string command = shellQuoted(SPLASHPACK_PROGRAM);
    for (const std::string& argument : piped)
        command += " " + shellQuoted(argument);
    command += " >" + shellQuoted(ttyname(side)) + " 2>" + shellQuoted(folder.path("stderr"));
    const int status = std::system(command.c_str());
    close(side);
    close(terminal);
    EXPECT_EQ(1, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    EXPECT_EQ("splashpack: standard output is a terminal; -o - writes the PNG only into a file or "
              "a pipe\n",
              contentOf(folder.path("stderr")));
}

// What the README promises: a native build carries the shipped player, so a build needs no
// --player.
TEST(SplashpackProgram, BuildsWithThePlayerItCarries) {
    ScratchFolder folder;
    writeFile(folder.path("logo.png"), encodePng(gradientPicture(8, 8, false), 3));
    ProgramRun built = run(folder, {"build", "--picture", folder.path("logo.png"), "--output",
                                    folder.path("splash.exe"), "-q"});
    ASSERT_EQ(0, built.exitCode) << built.err;
    ByteVector splash = readFile(folder.path("splash.exe"));
    ASSERT_GT(splash.size(), 2u);
    EXPECT_EQ('M', splash[0]);
    EXPECT_EQ('Z', splash[1]);
    // inspect names the player as --version does ("player: N bytes, FNV-1a 64 HASH").
    ProgramRun inspect = run(folder, {"inspect", folder.path("splash.exe")});
    EXPECT_EQ(0, inspect.exitCode);
    std::string version = run(folder, {"--version"}).out;
    std::string named = version.substr(version.find("player: ") + 8);
    named.pop_back();
    EXPECT_NE(std::string::npos, inspect.out.find("Player              " + named +
                                                  "; the player this splashpack carries\n"))
        << version << inspect.out;
}

TEST(SplashpackProgram, TextsAreStoredInTheCodePage) {
    ScratchFolder folder;
    writeFile(folder.path("p.bmp"), corpusFile("g/rgb24.bmp"));
    std::vector<std::string> build = {"build",
                                      "-p",
                                      folder.path("p.bmp"),
                                      "-o",
                                      folder.path("s.exe"),
                                      "-m",
                                      "D\xc3\xa9sol\xc3\xa9",
                                      "-q"};
    ASSERT_EQ(0, run(folder, build).exitCode);
    // One byte for each letter: 0xE9 reads as e-acute in 1252 and as short i in 1251.
    EXPECT_NE(std::string::npos,
              run(folder, {"inspect", folder.path("s.exe")}).out.find("\"D\xc3\xa9sol\xc3\xa9\""));
    EXPECT_NE(std::string::npos,
              run(folder, {"inspect", "--code-page", "1251", folder.path("s.exe")})
                  .out.find("\"D\xd0\xb9sol\xd0\xb9\""));

    build[6] = "\xe4\xb8\xad";
    build[4] = folder.path("t.exe");
    ProgramRun refused = run(folder, build);
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_EQ("splashpack: the message holds U+4E2D (\xe4\xb8\xad), which code page 1252 cannot "
              "hold; choose another --code-page or leave it out\n",
              refused.err);
}
