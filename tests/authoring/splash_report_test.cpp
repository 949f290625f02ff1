// inspect's report: splashes made with the payload writer, read back through the player's reader
// and decoder from their bytes, printed as text and JSON.
#include "splash_report.h"

#include "payload_reader.h"
#include "player_bytes.h"
#include "start_time_model.h"
#include "system_code_page.h"
#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::json;

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

// The report of the splash's bytes, as the core reads them.
SplashReport reportOf(const SplashDescription& splash, const std::string& name = "demo.exe") {
    return readSplashBytes(appendSplash(fakePlayer(), splash), name, systemCodePage());
}

} // namespace

TEST(SplashReport, TextShowsEverySetting) {
    std::string path = "cd/demo.exe";
    SplashReport report = reportOf(sampleSplash(), path);
    UINT fileBytes = UINT(appendSplash(fakePlayer(), sampleSplash()).size());
    UINT payloadBytes = fileBytes - 4096 - 20;
    const ByteVector player = fakePlayer();
    EXPECT_EQ("File                " + path + " (" + std::to_string(fileBytes) +
                  " bytes; payload " + std::to_string(payloadBytes) +
                  " bytes)\n"
                  "Player              4096 bytes, FNV-1a 64 " +
                  hashText(fnv1a64(player.data(), player.size())) +
                  "\n"
                  "Certificate table   none\n"
                  "Start-up            " +
                  describeStartTimes(fileBytes) +
                  "\n"
                  "Picture             9254 bytes, 127 x 64, 8 bit; the player shows it\n"
                  "Sound               344 bytes, PCM, 1 channel, 22050 Hz, 16 bit, 7 ms\n"
                  "Target              setup\\install.exe\n"
                  "Display time        1020 ms (the player makes it 1050 ms)\n"
                  "Launch delay        1000 ms\n"
                  "Versions            95, 98, xp\n"
                  "Minimum resolution  800 x 600\n"
                  "Minimum colour      16 bit\n"
                  "Message             \"Say \"hi\"\\n\"\n"
                  "Image option        7\n"
                  "Code page           1252 (the splash records none)\n"
                  "Wait for target     no\n"
                  "Shape               none\n"
                  "Fades               none\n"
                  "Later Windows       no: the version test is exact\n",
              reportText(report));
}

TEST(SplashReport, JsonCarriesTheSameFacts) {
    SplashDescription splash = sampleSplash();
    splash.versionList = "0 6";
    std::string path = "j.exe";
    Json json = Json::parse(reportJson(reportOf(splash, path)));
    EXPECT_EQ(path, json["file"]);
    const std::uint64_t fileBytes = json["fileBytes"];
    EXPECT_EQ(eightSpeedMilliseconds(fileBytes), json["startMs"]["cd8x"]);
    EXPECT_EQ(json["startMs"].size(), readingMedia().size());
    EXPECT_EQ(Json::parse(R"({"bytes": 9254, "width": 127, "height": 64, "bitsPerPixel": 8,
                              "playerAccepts": true, "playerVerdict": "accepted"})"),
              json["picture"]);
    EXPECT_EQ(Json::parse(R"({"bytes": 344, "wave": true, "problem": null, "formatTag": 1,
                              "channels": 1, "samplesPerSecond": 22050, "bitsPerSample": 16,
                              "dataBytes": 300, "durationMs": 7})"),
              json["sound"]);
    EXPECT_EQ("setup\\install.exe", json["target"]);
    EXPECT_EQ(1020, json["displayTimeMs"]);
    EXPECT_EQ(1000, json["launchDelayMs"]);
    EXPECT_EQ(1050, json["effectiveDisplayTimeMs"]);
    EXPECT_EQ(Json::parse(R"(["unknown", "xp"])"), json["versions"]);
    EXPECT_EQ(Json::parse(R"({"width": 800, "height": 600})"), json["minimumResolution"]);
    EXPECT_EQ(16, json["minimumColourBits"]);
    EXPECT_EQ(false, json["usesDefaultMessage"]);
    EXPECT_EQ(7, json["imageOption"]);

    // Stored texts are the ANSI bytes the player passes to Windows: read in the code page the
    // splash records in the text the player skips, else as Windows-1252, they always make valid
    // JSON.
    const std::string hint = "the splash records no code page, and its texts hold bytes above "
                             "127: they are read as 1252; if they read wrong, name the code page "
                             "they were stored in with --code-page";
    struct Case {
        const char* stored;
        const char* utf8;
        const char* skipped = "";      // what the splash records for its readers
        Json recorded = nullptr;       // the code page it records
        std::string codePageLine = ""; // inspect's line, when it says more than the number
    };
    const Case cases[] = {
        {"Say \"hi\"\n", "Say \"hi\"\n", "", nullptr, "1252 (the splash records none)"},
        {"caf\xe9\t", "caf\xc3\xa9\t", "", nullptr, "1252 (" + hint + ")"},
        {"\x80 \x93x\x94", "\xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d"},
        {"\x81 caf\xe9", "\xc2\x81 caf\xc3\xa9"}, // 0x81: undefined, passed through as Windows does
        {"caf\xc3\xa9", "caf\xc3\x83\xc2\xa9"},   // UTF-8 typed in is read as Windows would
        {"\x93\xfa\x96\x7b", "\xe6\x97\xa5\xe6\x9c\xac", "cp=932", 932,
         "932, as the splash records"},
        {"caf\xe9", "caf\xc3\xa9", "logo.bmp cp=1252 x=1", 1252},
        {"\xc4\xe9", "\xd0\x94\xd0\xb9", "cp=1251", 1251},
        {"\x93\xfa", "\xe2\x80\x9c\xc3\xba", "cp=999"},     // no code page the tool knows
        {"\x93\xfa", "\xe2\x80\x9c\xc3\xba", "splash.bmp"}, // another tool's text
    };
    for (const Case& c : cases) {
        splash.requirementsMessage = c.stored;
        splash.targetFile = c.stored;
        splash.skippedText = c.skipped;
        const SplashReport report = reportOf(splash);
        Json read = Json::parse(reportJson(report));
        EXPECT_EQ(c.utf8, read["requirementsMessage"]) << c.stored;
        EXPECT_EQ(c.utf8, read["target"]) << c.stored;
        EXPECT_EQ(c.recorded, read["recordedCodePage"]) << c.skipped;
        EXPECT_EQ(c.recorded.is_null() ? Json(1252) : c.recorded, read["codePage"]);
        if (!c.codePageLine.empty()) {
            EXPECT_NE(std::string::npos,
                      reportText(report).find("\nCode page           " + c.codePageLine + "\n"))
                << reportText(report);
        }
    }
    // A code page the reader names wins, and the line says so.
    splash.skippedText = "cp=932";
    splash.requirementsMessage = "\x93\xfa\x96\x7b";
    const SplashReport named =
        readSplashBytes(appendSplash(fakePlayer(), splash), "n.exe", systemCodePage(), 1252);
    EXPECT_EQ("\xe2\x80\x9c\xc3\xba\xe2\x80\x93{", named.requirementsMessage);
    EXPECT_NE(std::string::npos,
              reportText(named).find("\nCode page           1252 (--code-page; the splash "
                                     "records 932)\n"));
}

// A splash signed after it was built, and a payload appended to a signed player: the table is
// reported, not verified, and the player is named as it was before signing.
TEST(SplashReport, CertificateTablesAndThePlayerCarried) {
    const ByteVector player = fakePlayer();
    const ByteVector splash = appendSplash(player, sampleSplash());
    const UINT signedAt = UINT(splash.size() + 7) / 8 * 8;
    const UINT after = UINT(splash.size()) - 4096; // the payload block and the trailer
    const std::string hash = hashText(fnv1a64(player.data(), player.size()));
    struct Case {
        const char* what;
        ByteVector file;
        ByteVector carried;
        std::string playerLine;
        std::string tableLine;
        Json table;
    };
    const Case cases[] = {
        {"signed after it was built",
         signedCopy(splash),
         player,
         "4096 bytes, FNV-1a 64 " + hash + "; the player this splashpack carries",
         "1504 bytes at offset " + std::to_string(signedAt) +
             " (not verified); the payload lies before it, inside what a signature covers",
         {{"offset", signedAt},
          {"bytes", 1504},
          {"verification", "not verified"},
          {"payloadInside", true},
          {"bytesAfter", 0}}},
        {"appended after signing",
         appendSplash(signedCopy(player), sampleSplash()),
         fakePlayer(4088),
         "4096 bytes, FNV-1a 64 " + hash + "; not the player this splashpack carries",
         "1504 bytes at offset 4096 (not verified); " + std::to_string(after) +
             " bytes follow it, appended after signing, so no Windows accepts its signature; the "
             "payload lies after it, outside what a signature covers",
         {{"offset", 4096},
          {"bytes", 1504},
          {"verification", "not verified"},
          {"payloadInside", false},
          {"bytesAfter", after}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SplashReport report = readSplashBytes(c.file, "s.exe", systemCodePage(), defaultCodePage,
                                              PlayerImage{c.carried.data(), c.carried.size()});
        EXPECT_EQ(sampleSplash().picture, report.picture);
        std::string text = reportText(report);
        EXPECT_NE(std::string::npos, text.find("\nPlayer              " + c.playerLine + "\n"))
            << text;
        EXPECT_NE(std::string::npos, text.find("\nCertificate table   " + c.tableLine + "\n"))
            << text;
        Json json = Json::parse(reportJson(report));
        EXPECT_EQ(c.table, json["certificateTable"]);
        EXPECT_EQ(hash, json["player"]["fnv1a64"]);
        EXPECT_EQ(c.carried == player, json["player"]["carriedByThisTool"]);
    }
}

TEST(SplashReport, WhatThePlayerRefusesOrLacks) {
    SplashDescription splash = sampleSplash();
    splash.picture = corpusFile("g/pal8rle.bmp");
    splash.sound = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
    splash.targetFile = "";
    splash.displayTime = 500;
    splash.versionList = "";
    splash.resolution = "";
    splash.colourDepth = "";
    splash.requirementsMessage = " \r\n";
    SplashReport report = reportOf(splash);
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
    Json json = Json::parse(reportJson(report));
    EXPECT_EQ(false, json["picture"]["playerAccepts"]);
    EXPECT_EQ("compressed", json["picture"]["playerVerdict"]);
    EXPECT_TRUE(json["minimumResolution"].is_null());
    EXPECT_EQ(Json::array(), json["versions"]);
    EXPECT_EQ(true, json["usesDefaultMessage"]);

    splash.picture.clear();
    splash.sound.clear();
    report = reportOf(splash, "bare.exe");
    text = reportText(report);
    EXPECT_NE(std::string::npos,
              text.find("Picture             none; the player shows an empty 120 x 90 window\n"));
    EXPECT_NE(std::string::npos, text.find("Sound               none\n"));
    json = Json::parse(reportJson(report));
    EXPECT_TRUE(json["picture"].is_null());
    EXPECT_TRUE(json["sound"].is_null());
}
