// inspect and extract on files: the player's reader on a file it refuses, and the parts unpacked
// into files.
#include "splash_file.h"

#include "payload_reader.h"
#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

// A splash of a picture and a sound.
SplashDescription sampleSplash() {
    SplashDescription splash;
    splash.picture = corpusFile("g/pal8.bmp");
    splash.sound = waveFile(1, 22050, 16, 300);
    splash.targetFile = "setup\\install.exe";
    return splash;
}

std::string writeSplash(const ScratchFolder& folder, const SplashDescription& splash,
                        const std::string& name = "demo.exe") {
    std::string path = folder.path(name);
    writeFile(path, appendSplash(fakePlayer(), splash));
    return path;
}

std::string inputErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const InputError& error) {
        return error.what();
    }
    return "";
}
} // namespace

// A file the player refuses: what is wrong in the tool's words, then the player's own message.
TEST(SplashReport, FilesThePlayerCannotReadAreRefusedWithItsMessage) {
    ScratchFolder folder;
    auto withTrailer = [](ByteVector bytes, std::uint32_t payload) {
        bytes.insert(bytes.end(), trailerMarker, trailerMarker + sizeof trailerMarker);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<unsigned char>(payload >> shift));
        return bytes;
    };
    ByteVector appended = appendSplash(fakePlayer(), sampleSplash());
    const std::size_t splashEnd = appended.size();
    // Cut inside the payload, as a copy or a download that stops early leaves it; padded as the
    // tool pads a splash; and a program with other bytes after its last section.
    ByteVector cut(appended.begin(), appended.begin() + 5000);
    ByteVector paddedCut = fakePlayer(4093);
    paddedCut.insert(paddedCut.end(), 3, 0);
    paddedCut.insert(paddedCut.end(), appended.begin() + 4096, appended.begin() + 4200);
    ByteVector trailing = fakePlayer();
    trailing.insert(trailing.end(), 50, 'x');
    appended.insert(appended.end(), 7, 'x');
    struct Case {
        const char* name;
        ByteVector bytes; // none written when empty
        std::string problem;
    };
    const Case cases[] = {
        {"plain.exe", fakePlayer(),
         "it ends in no splash trailer: it is a bare player, with nothing after it"},
        {"signed.exe", signedCopy(fakePlayer(4093)),
         "it ends in no splash trailer: it is a bare player, with nothing after it"},
        {"cut.exe", cut,
         "it is a splash cut short: its payload starts at byte 4096 after the player, but the "
         "file breaks off at byte 5000, without the trailer that ends every splash"},
        {"padded.exe", paddedCut,
         "it is a splash cut short: its payload starts at byte 4096 after the player, but the "
         "file breaks off at byte 4200, without the trailer that ends every splash"},
        {"trailing.exe", trailing,
         "it ends in no splash trailer, though 50 bytes follow the player's last section: a "
         "splash cut short, or a program with other data after it"},
        {"text.exe", ByteVector(100, 'x'),
         "it ends in no splash trailer, and it is no Windows program"},
        {"inside.exe", ByteVector(cut.begin(), cut.begin() + 3000),
         "it is cut short inside the player: its headers give sections up to byte 4096, but the "
         "file ends at byte 3000"},
        {"short.exe", ByteVector(10, 'M'),
         "it is 10 bytes, shorter than the 20-byte trailer that ends every splash"},
        {"past.exe", withTrailer(fakePlayer(), 5000),
         "its trailer gives a payload of 5000 bytes, which points past the start of the file "
         "(4116 bytes)"},
        {"missing.exe", {}, "it does not exist"},
        {"appended.exe", appended,
         "its splash trailer ends at byte " + std::to_string(splashEnd) +
             " and 7 bytes follow it; the player looks for the trailer only at the very end"},
    };
    for (const Case& c : cases) {
        std::string path = folder.path(c.name);
        if (!c.bytes.empty())
            writeFile(path, c.bytes);
        std::string error = inputErrorOf([&] { readSplash(path); });
        EXPECT_EQ(0u, error.find("\"" + path + "\" is not a splash the player can read: " +
                                 c.problem + ".\nThe player shows:\n"))
            << error;
        EXPECT_NE(std::string::npos, error.find("{" + path + "}")) << error;
    }
}

TEST(SplashReport, ExtractWritesThePartsBack) {
    ScratchFolder folder;
    SplashDescription splash = sampleSplash();
    SplashReport report = readSplash(writeSplash(folder, splash));
    ExtractOptions options;
    options.directory = folder.path("");
    std::vector<std::string> lines = extractSplash(report, options);
    EXPECT_EQ(splash.picture, readFile(folder.path("demo.bmp")));
    EXPECT_EQ(splash.sound, readFile(folder.path("demo.wav")));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("wrote the picture to \"" + folder.path("demo.bmp") + "\" (9254 bytes)", lines[0]);

    EXPECT_EQ("\"" + folder.path("demo.bmp") + "\" exists; --force replaces it",
              inputErrorOf([&] { extractSplash(report, options); }));
    options.force = true;
    options.picture = folder.path("p.bmp");
    options.sound = folder.path("./p.bmp");
    EXPECT_EQ("the picture and the sound would both be written to \"" + folder.path("p.bmp") + "\"",
              inputErrorOf([&] { extractSplash(report, options); }));
    options.sound = report.file;
    EXPECT_EQ("\"" + report.file + "\" is the splash itself; it is never written",
              inputErrorOf([&] { extractSplash(report, options); }));
    EXPECT_EQ(std::vector<std::string>({"demo.bmp", "demo.exe", "demo.wav"}), folder.names());

    // A splash signed after it was built gives the same parts.
    std::string signedPath = folder.path("signed.exe");
    writeFile(signedPath, signedCopy(appendSplash(fakePlayer(), splash)));
    options.directory = folder.path("");
    options.picture = options.sound = "";
    extractSplash(readSplash(signedPath), options);
    EXPECT_EQ(splash.picture, readFile(folder.path("signed.bmp")));
    EXPECT_EQ(splash.sound, readFile(folder.path("signed.wav")));

    splash.sound.clear();
    SplashReport silent = readSplash(writeSplash(folder, splash, "silent.exe"));
    ExtractOptions silentOptions;
    silentOptions.directory = folder.path("");
    lines = extractSplash(silent, silentOptions);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("the splash holds no sound", lines[1]);
    EXPECT_EQ(splash.picture, readFile(folder.path("silent.bmp")));

    // Names given with -p and -s are taken inside -C, as tar -C does (a full path stays as it
    // is), and the folder is made for what goes into it.
    struct Into {
        std::string directory;
        std::string picture; // as given; empty for the splash's name
        std::string sound;
        std::string pictureAt, soundAt; // where they are written
    };
    const Into intos[] = {
        {"sub", "pic.bmp", "", "sub/pic.bmp", "sub/demo.wav"},
        {"made/deeper", "", "s.wav", "made/deeper/demo.bmp", "made/deeper/s.wav"},
        {"full", folder.path("full.bmp"), "", "full.bmp", "full/demo.wav"},
    };
    const std::string demo = folder.path("demo.exe");
    for (const Into& into : intos) {
        ExtractOptions options;
        options.directory = folder.path(into.directory);
        options.picture = into.picture;
        options.sound = into.sound;
        lines = extractSplash(readSplash(demo), options);
        auto at = [&folder](const std::string& name) {
            return std::filesystem::path(folder.path(name)).make_preferred().string();
        };
        ASSERT_EQ(2u, lines.size()) << into.directory;
        EXPECT_EQ("wrote the picture to \"" + at(into.pictureAt) + "\" (9254 bytes)", lines[0]);
        EXPECT_EQ("wrote the sound to \"" + at(into.soundAt) + "\" (344 bytes)", lines[1]);
        EXPECT_EQ(splash.picture, readFile(at(into.pictureAt)));
    }
}
