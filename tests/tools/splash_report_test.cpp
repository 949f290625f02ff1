// inspect and extract: splashes written with the payload writer, read back through the player's
// reader and decoder, printed as text and JSON, and unpacked into files.
#include "splash_report.h"

#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

SplashDescription sampleSplash() {
    SplashDescription splash;
    splash.picture = corpusFile("g/pal8.bmp");
    splash.sound = waveFile(1, 22050, 16, 300);
    splash.targetFile = "setup\\install.exe";
    splash.displayTime = 1020;
    splash.launchDelay = 1000;
    splash.versionList = "1 2 6";
    splash.resolution = "800 x 600";
    splash.colourDepth = "16 bit";
    splash.requirementsMessage = "Say \"hi\"\n";
    splash.imageOption = 7;
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

TEST(SplashReport, TextShowsEverySetting) {
    ScratchFolder folder;
    std::string path = writeSplash(folder, sampleSplash());
    SplashReport report = readSplash(path);
    UINT fileBytes = UINT(readFile(path).size());
    UINT payloadBytes = fileBytes - 4096 - 20;
    EXPECT_EQ("File                " + path + " (" + std::to_string(fileBytes) +
                  " bytes; payload " + std::to_string(payloadBytes) +
                  " bytes)\n"
                  "Picture             9254 bytes, 127 x 64, 8 bit; the player shows it\n"
                  "Sound               344 bytes, PCM, 1 channel, 22050 Hz, 16 bit, 7 ms\n"
                  "Target              setup\\install.exe\n"
                  "Display time        1020 ms (the player makes it 1050 ms)\n"
                  "Launch delay        1000 ms\n"
                  "Versions            95, 98, xp\n"
                  "Minimum resolution  800 x 600\n"
                  "Minimum colour      16 bit\n"
                  "Message             \"Say \"hi\"\\n\"\n"
                  "Image option        7\n",
              reportText(report));
}

TEST(SplashReport, JsonCarriesTheSameFacts) {
#ifdef _WIN32
    // The expected texts spell paths with '/'; the Windows build joins them with '\\'.
    GTEST_SKIP() << "expected texts are written for '/' paths";
#endif
    ScratchFolder folder;
    SplashDescription splash = sampleSplash();
    splash.requirementsMessage = "caf\xe9 \"x\"\t"; // a byte of the Windows code page
    splash.versionList = "0 6";
    std::string path = writeSplash(folder, splash, "j.exe");
    SplashReport report = readSplash(path);
    std::string json = reportJson(report);
    const char* const expectedLines[] = {
        "  \"picture\": {\"bytes\": 9254, \"width\": 127, \"height\": 64, \"bitsPerPixel\": 8, "
        "\"playerAccepts\": true, \"playerVerdict\": \"accepted\"},\n",
        "  \"sound\": {\"bytes\": 344, \"wave\": true, \"problem\": null, \"formatTag\": 1, "
        "\"channels\": 1, \"samplesPerSecond\": 22050, \"bitsPerSample\": 16, \"dataBytes\": "
        "300, \"durationMs\": 7},\n",
        "  \"target\": \"setup\\\\install.exe\",\n",
        "  \"displayTimeMs\": 1020,\n",
        "  \"launchDelayMs\": 1000,\n",
        "  \"effectiveDisplayTimeMs\": 1050,\n",
        "  \"versions\": [\"unknown\", \"xp\"],\n",
        "  \"minimumResolution\": {\"width\": 800, \"height\": 600},\n",
        "  \"minimumColourBits\": 16,\n",
        "  \"requirementsMessage\": \"caf\xc3\xa9 \\\"x\\\"\\u0009\",\n",
        "  \"usesDefaultMessage\": false,\n",
        "  \"imageOption\": 7\n}\n",
    };
    for (const char* line : expectedLines)
        EXPECT_NE(std::string::npos, json.find(line)) << line << "\nin\n" << json;
    EXPECT_EQ(0u, json.find("{\n  \"file\": \"" + path + "\",\n"));
}

TEST(SplashReport, WhatThePlayerRefusesOrLacks) {
    ScratchFolder folder;
    SplashDescription splash = sampleSplash();
    splash.picture = corpusFile("g/pal8rle.bmp");
    splash.sound = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
    splash.targetFile = "";
    splash.displayTime = 500;
    splash.versionList = "";
    splash.resolution = "";
    splash.colourDepth = "";
    splash.requirementsMessage = " \r\n";
    SplashReport report = readSplash(writeSplash(folder, splash));
    std::string text = reportText(report);
    const char* const expectedLines[] = {
        "Picture             8788 bytes, 127 x 64, 8 bit; the player refuses it (compressed) and "
        "shows an empty 120 x 90 window\n",
        "Sound               8 bytes, but it is not a WAV file (no RIFF/WAVE header)\n",
        "Target              none; the player reports that the application to load is unknown\n",
        "Display time        500 ms (the window hides before the launch)\n",
        "Versions            none; the player runs on no Windows\n",
        "Minimum resolution  none\n",
        "Minimum colour      none\n",
        "Message             none; the player says \"Sorry, your system does not meet all of the "
        "necessary system requirements.\"\n",
    };
    for (const char* line : expectedLines)
        EXPECT_NE(std::string::npos, text.find(line)) << line << "\nin\n" << text;
    std::string json = reportJson(report);
    EXPECT_NE(std::string::npos, json.find("\"playerAccepts\": false, \"playerVerdict\": "
                                           "\"compressed\""));
    EXPECT_NE(std::string::npos, json.find("\"minimumResolution\": null"));
    EXPECT_NE(std::string::npos, json.find("\"versions\": []"));
    EXPECT_NE(std::string::npos, json.find("\"usesDefaultMessage\": true"));

    splash.picture.clear();
    splash.sound.clear();
    report = readSplash(writeSplash(folder, splash, "bare.exe"));
    text = reportText(report);
    EXPECT_NE(std::string::npos,
              text.find("Picture             none; the player shows an empty 120 x 90 window\n"));
    EXPECT_NE(std::string::npos, text.find("Sound               none\n"));
    EXPECT_NE(std::string::npos, reportJson(report).find("\"picture\": null,\n  \"sound\": null"));
}

TEST(SplashReport, FilesThePlayerCannotReadAreRefusedWithItsMessage) {
    ScratchFolder folder;
    std::string plain = folder.path("plain.exe");
    writeFile(plain, fakePlayer());
    std::string error = inputErrorOf([&] { readSplash(plain); });
    EXPECT_EQ(0u, error.find("\"" + plain + "\" is not a splash the player can read:\n"));
    EXPECT_NE(std::string::npos, error.find("{" + plain + "}")) << error;

    std::string missing = folder.path("missing.exe");
    EXPECT_EQ(0u, inputErrorOf([&] {
                      readSplash(missing);
                  }).find("\"" + missing + "\" is not a splash the player can read:\n"));
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
    options.sound = folder.path("p.bmp");
    EXPECT_EQ("the picture and the sound would both be written to \"" + folder.path("p.bmp") + "\"",
              inputErrorOf([&] { extractSplash(report, options); }));
    options.sound = report.file;
    EXPECT_EQ("\"" + report.file + "\" is the splash itself; it is never written",
              inputErrorOf([&] { extractSplash(report, options); }));
    EXPECT_EQ(std::vector<std::string>({"demo.bmp", "demo.exe", "demo.wav"}), folder.names());

    splash.sound.clear();
    SplashReport silent = readSplash(writeSplash(folder, splash, "silent.exe"));
    ExtractOptions silentOptions;
    silentOptions.directory = folder.path("");
    lines = extractSplash(silent, silentOptions);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("the splash holds no sound", lines[1]);
    EXPECT_EQ(splash.picture, readFile(folder.path("silent.bmp")));
}
