// The payload writer: what it writes decodes back to the same splash, the trailer locates the
// block, and what the player could not read back is refused.
#include "payload_writer.h"

#include "payload_reader.h"
#include "splash_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

ByteVector bytesOf(const std::string& text) {
    return ByteVector(text.begin(), text.end());
}

SplashDescription sampleSplash() {
    SplashDescription splash;
    splash.picture = bytesOf("BM picture bytes");
    splash.sound = bytesOf("RIFF sound bytes");
    splash.targetFile = "docs\\readme.txt";
    splash.displayTime = 4000;
    splash.launchDelay = 1500;
    splash.versionList = "4 5 6";
    splash.resolution = "1024 x 768";
    splash.colourDepth = "16 bit";
    splash.requirementsMessage = "Needs a better machine.";
    splash.skippedText = "not read";
    splash.skippedBytes = {9, 8, 7, 6, 5, 4, 3, 2};
    splash.imageOption = 0x01020304;
    return splash;
}

DataContent ownedBlock(const ByteVector& bytes) {
    DataContent block(static_cast<UINT>(bytes.size()));
    std::memcpy(block(0), bytes.data(), bytes.size());
    return block;
}

std::string errorOf(const SplashDescription& splash) {
    try {
        buildPayloadBlock(splash);
    } catch (const std::string& message) {
        return message;
    }
    return "";
}

} // namespace

TEST(PayloadWriter, RoundTripThroughTheDecoder) {
    struct Case {
        const char* picture;
        const char* sound;
        const char* target;
    };
    const Case cases[] = {
        {"", "", ""}, {"P", "", ""}, {"", "S", ""}, {"", "", "t.exe"}, {"PIC", "SOUND", "go.bat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture << "/" << c.sound << "/" << c.target);
        SplashDescription splash = sampleSplash();
        splash.picture = bytesOf(c.picture);
        splash.sound = bytesOf(c.sound);
        splash.targetFile = c.target;

        SplashSettings settings;
        settings.decode(ownedBlock(buildPayloadBlock(splash)));
        EXPECT_EQ(ByteVector(settings.picture.data, settings.picture.data + settings.picture.size),
                  splash.picture);
        EXPECT_EQ(ByteVector(settings.sound.data, settings.sound.data + settings.sound.size),
                  splash.sound);
        EXPECT_EQ(settings.picture.data == nullptr, splash.picture.empty());
        EXPECT_EQ(settings.sound.data == nullptr, splash.sound.empty());
        EXPECT_EQ(settings.targetFile, splash.targetFile);
        EXPECT_EQ(settings.displayTime, 4000u);
        EXPECT_EQ(settings.launchDelay, 1500u);
        EXPECT_EQ(formatVersionSet(settings.requiredVersions), "'&NT'; '&2000'; '&XP'");
        EXPECT_EQ(formatResolution(settings.requiredResolution), "1024 x 768");
        EXPECT_EQ(settings.requiredColourBits, 16);
        EXPECT_EQ(settings.requirementsMessage, splash.requirementsMessage);
        EXPECT_EQ(settings.imageOption, 0x01020304u);
    }
}

TEST(PayloadWriter, LongestFieldTextsAndEmptyTextsRoundTrip) {
    SplashDescription splash = sampleSplash();
    splash.versionList = std::string(98, ' ') + "6";
    splash.resolution = "7 x " + std::string(95, '0');
    splash.colourDepth = std::string(98, '0') + "8";
    splash.requirementsMessage = "";
    splash.skippedText = std::string(300, 's');
    SplashSettings settings;
    settings.decode(ownedBlock(buildPayloadBlock(splash)));
    EXPECT_EQ(formatVersionSet(settings.requiredVersions), "'&XP'");
    EXPECT_EQ(settings.requiredResolution.width, 7u);
    EXPECT_EQ(settings.requiredResolution.height, 0u);
    EXPECT_EQ(settings.requiredColourBits, 8);
    EXPECT_TRUE(settings.requirementsMessage.empty());
    EXPECT_EQ(settings.imageOption, 0x01020304u);
}

TEST(PayloadWriter, RefusesWhatThePlayerCannotReadBack) {
    struct Case {
        const char* what;
        void (*change)(SplashDescription&);
    };
    const Case cases[] = {
        {"version list", [](SplashDescription& s) { s.versionList = std::string(100, '1'); }},
        {"resolution text", [](SplashDescription& s) { s.resolution = std::string(150, ' '); }},
        {"colour text", [](SplashDescription& s) { s.colourDepth = std::string(100, '8'); }},
        {"target file name", [](SplashDescription& s) { s.targetFile = std::string("a\0b", 3); }},
        {"requirements message",
         [](SplashDescription& s) { s.requirementsMessage = std::string("\0", 1); }},
        {"skipped text", [](SplashDescription& s) { s.skippedText = std::string("x\0", 2); }},
        {"version list", [](SplashDescription& s) { s.versionList = std::string("1\0 2", 4); }},
        {"colour text", [](SplashDescription& s) { s.colourDepth = std::string("8\0", 2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SplashDescription splash = sampleSplash();
        c.change(splash);
        std::string message = errorOf(splash);
        EXPECT_NE(message.find(c.what), std::string::npos) << message;
        EXPECT_EQ(message.rfind("buildPayloadBlock - ", 0), 0u) << message;
    }
    EXPECT_EQ(errorOf(sampleSplash()), "");
}

TEST(PayloadWriter, TrailerFollowsTheBlock) {
    const ByteVector player = bytesOf("MZ player image");
    const ByteVector block = buildPayloadBlock(sampleSplash());
    const ByteVector image = appendSplash(player, sampleSplash());
    ASSERT_EQ(image.size(), player.size() + block.size() + 20);
    EXPECT_EQ(ByteVector(image.begin(), image.begin() + player.size()), player);
    EXPECT_EQ(ByteVector(image.begin() + player.size(), image.end() - 20), block);
    const unsigned char* trailer = image.data() + image.size() - 20;
    EXPECT_EQ(std::memcmp(trailer, "Trailer Section\0", 16), 0);
    const UINT size = trailer[16] | trailer[17] << 8 | trailer[18] << 16 | UINT(trailer[19]) << 24;
    EXPECT_EQ(size, block.size());

    // A block of 0x01020304 bytes would be too big to write here; the byte order shows on a
    // size above 255.
    ASSERT_GT(block.size(), 255u);
    EXPECT_EQ(trailer[16], block.size() & 0xFF);
    EXPECT_EQ(trailer[17], (block.size() >> 8) & 0xFF);

    // Written in parts around a picture copied from elsewhere: the same bytes, and the same
    // limits on a picture that is never in memory.
    SplashDescription splash = sampleSplash();
    const SplashParts parts = splashAroundPicture(player.size(), splash, splash.picture.size());
    ByteVector joined = player;
    for (const ByteVector& part : {parts.head, splash.picture, parts.tail})
        joined.insert(joined.end(), part.begin(), part.end());
    EXPECT_EQ(joined, image);
    splash.picture.clear();
    try {
        splashAroundPicture(player.size(), splash, 0x100000000ull);
        ADD_FAILURE() << "a picture of 4 GB was placed";
    } catch (const std::string& message) {
        EXPECT_EQ(message, "buildPayloadBlock - the picture is larger than 4294967295 bytes.");
    }

    EXPECT_EQ(appendPayload(ByteVector(), block).size(), block.size() + 20);
    try {
        appendPayload(player, ByteVector());
        ADD_FAILURE() << "an empty block was appended";
    } catch (const std::string& message) {
        EXPECT_EQ(message, "appendPayload - the payload block is empty.");
    }
}

// The whole path the player takes: a copy of the player with its splash appended, read back
// from the file by the record's own load.
TEST(PayloadWriter, LoadReadsBackWhatWasAppended) {
    const std::string fileName = testing::TempDir() + "settings_load_test.exe";
    const ByteVector image = appendSplash(bytesOf("MZ player image"), sampleSplash());
    {
        std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        ASSERT_TRUE(file.good());
    }
    const std::size_t entriesBefore = ContentRegistry::instance().entryCount();
    SplashSettings settings;
    settings.load(fileName);
    std::remove(fileName.c_str());
    ASSERT_NE(settings.payload.data, nullptr);
    EXPECT_EQ(settings.payload.size, buildPayloadBlock(sampleSplash()).size());
    EXPECT_EQ(ContentRegistry::instance().countOf(settings.payload.data), 1u);
    EXPECT_EQ(ContentRegistry::instance().entryCount(), entriesBefore + 1);
    EXPECT_EQ(settings.picture.data, settings.payload.data + 4);
    EXPECT_EQ(ByteVector(settings.sound.data, settings.sound.data + settings.sound.size),
              sampleSplash().sound);
    EXPECT_EQ(settings.targetFile, "docs\\readme.txt");
    EXPECT_EQ(settings.imageOption, 0x01020304u);
    settings.release();
    EXPECT_EQ(ContentRegistry::instance().entryCount(), entriesBefore);

    SplashSettings missing;
    EXPECT_THROW(missing.load(fileName), std::string);
    EXPECT_EQ(missing.payload.data, nullptr);
    EXPECT_EQ(ContentRegistry::instance().entryCount(), entriesBefore);
}
