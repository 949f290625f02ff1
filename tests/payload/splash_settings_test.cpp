// Decoding of payload blocks written byte by byte here, field by field in little-endian order.
#include "splash_settings.h"

#include "payload_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string outsideBlock =
    "DataContent::operator() const - index is greater than content size.";
const std::string defaultMessage =
    "Sorry, your system does not meet all of the necessary system requirements.";

// A block assembled field by field.
struct Bytes {
    std::vector<unsigned char> bytes;

    Bytes& number(std::uint32_t value) {
        bytes.push_back(static_cast<unsigned char>(value & 0xFF));
        bytes.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
        bytes.push_back(static_cast<unsigned char>((value >> 16) & 0xFF));
        bytes.push_back(static_cast<unsigned char>((value >> 24) & 0xFF));
        return *this;
    }
    Bytes& raw(const std::vector<unsigned char>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    Bytes& raw(const std::string& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    Bytes& text(const std::string& value) {
        raw(value);
        bytes.push_back(0);
        return *this;
    }
    // A 100-byte field: the text, then `fill` up to the field's end.
    Bytes& field(const std::string& value, unsigned char fill = 0) {
        raw(value);
        bytes.insert(bytes.end(), 100 - value.size(), fill);
        return *this;
    }
};

// An owned block holding `bytes`, as the payload reader hands it over.
DataContent ownedBlock(const std::vector<unsigned char>& bytes, std::size_t length) {
    DataContent block(static_cast<UINT>(length));
    std::memcpy(block(0), bytes.data(), length);
    return block;
}

DataContent ownedBlock(const std::vector<unsigned char>& bytes) {
    return ownedBlock(bytes, bytes.size());
}

// A 24-bit bottom-up BMP file image of the given size, rows padded to 4 bytes.
std::vector<unsigned char> bmp24(std::uint32_t width, std::uint32_t height) {
    std::uint32_t rowSize = (width * 3 + 3) / 4 * 4;
    std::uint32_t pixelBytes = rowSize * height;
    Bytes file;
    file.raw(std::string("BM")).number(54 + pixelBytes).number(0).number(54);
    file.number(40).number(width).number(height);
    file.bytes.insert(file.bytes.end(), {1, 0, 24, 0}); // planes, bits per pixel
    file.number(0).number(pixelBytes).number(2835).number(2835).number(0).number(0);
    for (std::uint32_t i = 0; i < pixelBytes; ++i)
        file.bytes.push_back(static_cast<unsigned char>(i * 7));
    return file.bytes;
}

const std::string exampleTarget = "setup.exe";
const std::string exampleSkipped = "splash.bmp";
const std::vector<unsigned char> exampleSkippedBytes = {1, 2, 3, 4, 5, 6, 7, 8};

std::vector<unsigned char> exampleBlock(const std::vector<unsigned char>& picture) {
    return Bytes()
        .number(static_cast<std::uint32_t>(picture.size()))
        .raw(picture)
        .number(0)
        .text(exampleTarget)
        .number(60000)
        .number(500)
        .field("1 2 3 4 5 6")
        .field("800 x 600")
        .field("8 bit")
        .text(defaultMessage)
        .text(exampleSkipped)
        .raw(exampleSkippedBytes)
        .number(0)
        .bytes;
}

// A small block with every variable part present, for cutting at every byte.
std::vector<unsigned char> smallBlock() {
    return Bytes()
        .number(3)
        .raw(std::string("BMP"))
        .number(2)
        .raw(std::string("RI"))
        .text("a.exe")
        .number(1000)
        .number(200)
        .field("5 6")
        .field("640 x 480")
        .field("16 bit")
        .text("too old")
        .text("k")
        .raw(exampleSkippedBytes)
        .number(7)
        .bytes;
}

// A complete block whose three fixed fields are given in full: a 100-character value fills its
// field with no NUL.
std::vector<unsigned char> blockWithFields(const std::string& versions,
                                           const std::string& resolution,
                                           const std::string& colour) {
    return Bytes()
        .number(0)
        .number(0)
        .text("")
        .number(1)
        .number(2)
        .field(versions)
        .field(resolution)
        .field(colour)
        .text("message")
        .text("")
        .raw(exampleSkippedBytes)
        .number(3)
        .bytes;
}

std::string decodeError(SplashSettings& settings, const DataContent& block) {
    try {
        settings.decode(block);
    } catch (const std::string& message) {
        return message;
    }
    return "";
}

} // namespace

TEST(SplashSettings, InitialStateIsEmpty) {
    SplashSettings settings;
    EXPECT_EQ(settings.picture.data, nullptr);
    EXPECT_EQ(settings.sound.data, nullptr);
    EXPECT_EQ(settings.payload.data, nullptr);
    EXPECT_TRUE(settings.targetFile.empty());
    EXPECT_TRUE(settings.requirementsMessage.empty());
    EXPECT_TRUE(settings.requiredVersions.empty());
    EXPECT_EQ(settings.requiredResolution.width, 0u);
    EXPECT_EQ(settings.requiredResolution.height, 0u);
    EXPECT_EQ(settings.requiredColourBits, 0);
    EXPECT_EQ(settings.displayTime, 0u);
    EXPECT_EQ(settings.launchDelay, 0u);
    EXPECT_EQ(settings.imageOption, 0u);
    // The process's own record starts the same way.
    EXPECT_EQ(splashSettings.payload.data, nullptr);
    EXPECT_TRUE(splashSettings.requiredVersions.empty());
}

TEST(SplashSettings, ExampleBlockDecodesToItsEnd) {
    const std::vector<unsigned char> picture = bmp24(800, 600);
    const std::vector<unsigned char> bytes = exampleBlock(picture);
    const std::size_t expectedEnd = 9 + picture.size() + 0 + exampleTarget.size() + 322 +
                                    defaultMessage.size() + exampleSkipped.size();
    ASSERT_EQ(bytes.size(), expectedEnd);

    SplashSettings settings;
    settings.decode(ownedBlock(bytes));
    ASSERT_NE(settings.payload.data, nullptr);
    EXPECT_EQ(settings.payload.size, bytes.size());
    EXPECT_EQ(settings.picture.data, settings.payload.data + 4);
    EXPECT_EQ(settings.picture.size, picture.size());
    EXPECT_FALSE(settings.picture.owned);
    EXPECT_EQ(std::memcmp(settings.picture.data, picture.data(), picture.size()), 0);
    EXPECT_EQ(settings.sound.data, nullptr);
    EXPECT_EQ(settings.sound.size, 0u);
    EXPECT_EQ(settings.targetFile, exampleTarget);
    EXPECT_EQ(settings.displayTime, 60000u);
    EXPECT_EQ(settings.launchDelay, 500u);
    EXPECT_EQ(formatVersionSet(settings.requiredVersions),
              "'9&5'; '9&8'; '&Millenium Edition'; '&NT'; '&2000'; '&XP'");
    EXPECT_EQ(settings.requiredResolution.width, 800u);
    EXPECT_EQ(settings.requiredResolution.height, 600u);
    EXPECT_EQ(settings.requiredColourBits, 8);
    EXPECT_EQ(settings.requirementsMessage, defaultMessage);
    EXPECT_EQ(settings.imageOption, 0u);

    // One byte short, the image option no longer fits.
    SplashSettings cut;
    EXPECT_EQ(decodeError(cut, ownedBlock(bytes, bytes.size() - 1)), outsideBlock);
}

TEST(SplashSettings, WriterBuildsTheSameBytes) {
    const std::vector<unsigned char> picture = bmp24(8, 6);
    SplashDescription splash;
    splash.picture = picture;
    splash.targetFile = exampleTarget;
    splash.displayTime = 60000;
    splash.launchDelay = 500;
    splash.versionList = "1 2 3 4 5 6";
    splash.resolution = "800 x 600";
    splash.colourDepth = "8 bit";
    splash.requirementsMessage = defaultMessage;
    splash.skippedText = exampleSkipped;
    std::copy(exampleSkippedBytes.begin(), exampleSkippedBytes.end(), splash.skippedBytes.begin());
    EXPECT_EQ(buildPayloadBlock(splash), exampleBlock(picture));
}

TEST(SplashSettings, NumbersAreLittleEndian) {
    const std::vector<unsigned char> bytes = Bytes()
                                                 .number(0)
                                                 .number(0)
                                                 .text("")
                                                 .number(0x12345678)
                                                 .number(0xFFFFFFFE)
                                                 .field("")
                                                 .field("")
                                                 .field("")
                                                 .text("")
                                                 .text("")
                                                 .raw(exampleSkippedBytes)
                                                 .number(0x80010203)
                                                 .bytes;
    ASSERT_EQ(bytes[9], 0x78); // the display time's lowest byte comes first
    SplashSettings settings;
    settings.decode(ownedBlock(bytes));
    EXPECT_EQ(settings.displayTime, 0x12345678u);
    EXPECT_EQ(settings.launchDelay, 0xFFFFFFFEu);
    EXPECT_EQ(settings.imageOption, 0x80010203u);
    EXPECT_TRUE(settings.targetFile.empty());
    EXPECT_TRUE(settings.requiredVersions.empty());
    EXPECT_EQ(settings.requiredResolution.width, 0u);
    EXPECT_EQ(settings.requiredResolution.height, 0u);
    EXPECT_EQ(settings.requiredColourBits, 0);
}

TEST(SplashSettings, EmptyPictureAndSoundStayEmpty) {
    struct Case {
        std::string picture;
        std::string sound;
    };
    const Case cases[] = {{"", ""}, {"P", ""}, {"", "SOUND"}, {"PICT", "SND"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture + "/" + c.sound);
        Bytes block;
        block.number(static_cast<std::uint32_t>(c.picture.size())).raw(c.picture);
        block.number(static_cast<std::uint32_t>(c.sound.size())).raw(c.sound);
        block.text("t").number(5).number(6).field("4").field("1 x 2").field("3 bit");
        block.text("m").text("").raw(exampleSkippedBytes).number(9);

        SplashSettings settings;
        settings.decode(ownedBlock(block.bytes));
        const unsigned char* start = settings.payload.data;
        if (c.picture.empty()) {
            EXPECT_EQ(settings.picture.data, nullptr);
            EXPECT_EQ(settings.picture.size, 0u);
        } else {
            EXPECT_EQ(settings.picture.data, start + 4);
            EXPECT_EQ(settings.picture.size, c.picture.size());
        }
        if (c.sound.empty()) {
            EXPECT_EQ(settings.sound.data, nullptr);
            EXPECT_EQ(settings.sound.size, 0u);
        } else {
            EXPECT_EQ(settings.sound.data, start + 8 + c.picture.size());
            EXPECT_EQ(settings.sound.size, c.sound.size());
            EXPECT_EQ(std::string(settings.sound.data, settings.sound.data + settings.sound.size),
                      c.sound);
        }
        EXPECT_EQ(settings.targetFile, "t");
        EXPECT_EQ(settings.displayTime, 5u);
        EXPECT_EQ(settings.launchDelay, 6u);
        EXPECT_EQ(settings.requiredVersions, parseVersionList("4"));
        EXPECT_EQ(settings.requiredResolution.width, 1u);
        EXPECT_EQ(settings.requiredResolution.height, 2u);
        EXPECT_EQ(settings.requiredColourBits, 3);
        EXPECT_EQ(settings.requirementsMessage, "m");
        EXPECT_EQ(settings.imageOption, 9u);
    }
}

// The bytes after a fixed field's NUL are not part of its text, and the next field starts 100
// bytes after this one whatever the text's length.
TEST(SplashSettings, FixedFieldsTakeOneHundredBytes) {
    const std::string longest(99, '6');
    const std::vector<unsigned char> bytes = Bytes()
                                                 .number(0)
                                                 .number(0)
                                                 .text("go.exe")
                                                 .number(1)
                                                 .number(2)
                                                 .field(std::string("1\0"
                                                                    "2 3",
                                                                    4),
                                                        '4')
                                                 .field(std::string("1024x768\0"
                                                                    "5",
                                                                    10),
                                                        'x')
                                                 .field(longest)
                                                 .text("msg")
                                                 .text("skip")
                                                 .raw(exampleSkippedBytes)
                                                 .number(3)
                                                 .bytes;
    SplashSettings settings;
    settings.decode(ownedBlock(bytes));
    EXPECT_EQ(formatVersionSet(settings.requiredVersions), "'9&5'");
    EXPECT_EQ(settings.requiredResolution.width, 1024u);
    EXPECT_EQ(settings.requiredResolution.height, 768u);
    EXPECT_EQ(settings.requiredColourBits, -1); // 99 digits: past every 32-bit value
    EXPECT_EQ(settings.requirementsMessage, "msg");
    EXPECT_EQ(settings.imageOption, 3u);
}

TEST(SplashSettings, FieldsThatRunPastTheBlockRaise) {
    const std::string full(100, '1');
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {"picture size past the end", Bytes().number(100).number(0).bytes},
        {"picture size near 2^32", Bytes().number(0xFFFFFFFF).number(0).text("x").bytes},
        {"picture size filling 2^32 with the offset",
         Bytes().number(0xFFFFFFFC).number(0).number(0).bytes},
        {"sound size past the end", Bytes().number(0).number(5).raw(std::string("abcd")).bytes},
        {"sound size near 2^32", Bytes().number(1).raw(std::string("p")).number(0xFFFFFFF8).bytes},
        {"size cut short", Bytes().number(0).raw(std::string("\0\0", 2)).bytes},
        {"target name without NUL", Bytes().number(0).number(0).raw(std::string("run")).bytes},
        // Complete blocks but for one fixed field that holds no NUL: its text must not run on
        // into the next field.
        {"version field without NUL inside", blockWithFields(full, "800 x 600", "8 bit")},
        {"resolution field without NUL inside", blockWithFields("1", full, "8 bit")},
        {"colour field without NUL inside", blockWithFields("1", "800 x 600", full)},
        {"message without NUL", Bytes()
                                    .number(0)
                                    .number(0)
                                    .text("")
                                    .number(1)
                                    .number(2)
                                    .field("")
                                    .field("")
                                    .field("")
                                    .raw(std::string("msg"))
                                    .bytes},
    };
    SplashSettings control;
    EXPECT_EQ(decodeError(control, ownedBlock(blockWithFields("1", "800 x 600", "8 bit"))), "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SplashSettings settings;
        DataContent block = ownedBlock(c.bytes);
        EXPECT_EQ(decodeError(settings, block), outsideBlock);
        EXPECT_EQ(settings.payload.data, block.data);
        EXPECT_EQ(settings.payload.size, block.size);
        settings.release();
    }
}

TEST(SplashSettings, FailedDecodeKeepsEarlierFields) {
    std::vector<unsigned char> bytes = smallBlock();
    // Cut inside the colour field: the version list and resolution are in, the rest is not.
    const std::size_t colourField = 4 + 3 + 4 + 2 + 6 + 8 + 200;
    SplashSettings settings;
    DataContent block = ownedBlock(bytes, colourField + 50);
    EXPECT_EQ(decodeError(settings, block), outsideBlock);
    EXPECT_EQ(settings.picture.size, 3u);
    EXPECT_EQ(settings.sound.size, 2u);
    EXPECT_EQ(settings.targetFile, "a.exe");
    EXPECT_EQ(settings.displayTime, 1000u);
    EXPECT_EQ(settings.launchDelay, 200u);
    EXPECT_EQ(settings.requiredVersions, parseVersionList("5 6"));
    EXPECT_EQ(settings.requiredResolution.width, 640u);
    EXPECT_EQ(settings.requiredColourBits, 0);
    EXPECT_TRUE(settings.requirementsMessage.empty());
    EXPECT_EQ(settings.imageOption, 0u);
    EXPECT_EQ(ContentRegistry::instance().countOf(block.data), 2u);
    settings.release();
    EXPECT_EQ(ContentRegistry::instance().countOf(block.data), 1u);
}

// Cut anywhere, a block either decodes completely or raises the bounds message; the sanitizer
// reports any byte read past the cut.
TEST(SplashSettings, EveryTruncationIsRefused) {
    const std::vector<unsigned char> bytes = smallBlock();
    for (std::size_t length = 1; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        SplashSettings settings;
        DataContent block = ownedBlock(bytes, length);
        EXPECT_EQ(decodeError(settings, block), outsideBlock);
        EXPECT_EQ(settings.payload.data, block.data);
        EXPECT_EQ(settings.payload.size, length);
        EXPECT_EQ(ContentRegistry::instance().countOf(block.data), 2u);
    }
    std::vector<unsigned char> longer = bytes;
    longer.insert(longer.end(), {0xAA, 0xBB, 0xCC});
    const std::vector<unsigned char>* wholeBlocks[] = {&bytes, &longer};
    for (const std::vector<unsigned char>* whole : wholeBlocks) {
        SplashSettings settings;
        EXPECT_EQ(decodeError(settings, ownedBlock(*whole)), "");
        EXPECT_EQ(settings.imageOption, 7u);
        EXPECT_EQ(settings.payload.size, whole->size());
    }
}

TEST(SplashSettings, EmptyBlockRaisesTheBoundsMessage) {
    SplashSettings settings;
    EXPECT_EQ(decodeError(settings, DataContent()), outsideBlock);
    EXPECT_EQ(settings.payload.data, nullptr);
}

TEST(SplashSettings, ViewsPointIntoTheOnePayloadBuffer) {
    const std::size_t entriesBefore = ContentRegistry::instance().entryCount();
    SplashSettings settings;
    {
        DataContent block = ownedBlock(smallBlock());
        settings.decode(block);
        EXPECT_EQ(ContentRegistry::instance().countOf(block.data), 2u);
    }
    const unsigned char* start = settings.payload.data;
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(settings.payload.owned);
    EXPECT_EQ(ContentRegistry::instance().countOf(start), 1u);
    EXPECT_EQ(ContentRegistry::instance().entryCount(), entriesBefore + 1);
    EXPECT_EQ(settings.picture.data, start + 4);
    EXPECT_EQ(settings.sound.data, start + 11);
    EXPECT_FALSE(settings.picture.owned);
    EXPECT_FALSE(settings.sound.owned);
    EXPECT_EQ(std::string(settings.picture.data, settings.picture.data + 3), "BMP");
    EXPECT_EQ(std::string(settings.sound.data, settings.sound.data + 2), "RI");

    settings.release();
    EXPECT_EQ(ContentRegistry::instance().entryCount(), entriesBefore);
    EXPECT_EQ(settings.picture.data, nullptr);
    EXPECT_EQ(settings.sound.data, nullptr);
    EXPECT_EQ(settings.payload.data, nullptr);
    EXPECT_EQ(settings.payload.size, 0u);
    // What was copied out stays.
    EXPECT_EQ(settings.targetFile, "a.exe");
    EXPECT_EQ(settings.requirementsMessage, "too old");
    EXPECT_EQ(settings.requiredVersions, parseVersionList("5 6"));
    settings.release();
    EXPECT_EQ(ContentRegistry::instance().entryCount(), entriesBefore);
}
