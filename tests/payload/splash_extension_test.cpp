// The payload's extension after the image option: read whole through the settings decoder, or
// ignored whole when anything about it is out of place; and written only when a setting is on.
#include "splash_settings.h"

#include "payload_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

void put(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<unsigned char>(value >> shift));
}

Bytes entry(std::uint32_t tag, const Bytes& data) {
    Bytes bytes;
    put(bytes, tag);
    put(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

Bytes times(std::uint32_t in, std::uint32_t out) {
    Bytes bytes;
    put(bytes, in);
    put(bytes, out);
    return bytes;
}

// Marker, version and the entries' length, then the entries; `declared` overrides the length.
Bytes extension(const std::vector<Bytes>& entries, std::uint32_t version = 1,
                std::int64_t declared = -1) {
    Bytes joined;
    for (const Bytes& one : entries)
        joined.insert(joined.end(), one.begin(), one.end());
    Bytes bytes(extensionMarker, extensionMarker + 16);
    put(bytes, version);
    put(bytes, declared >= 0 ? static_cast<std::uint32_t>(declared)
                             : static_cast<std::uint32_t>(joined.size()));
    bytes.insert(bytes.end(), joined.begin(), joined.end());
    return bytes;
}

const Bytes waitEntry = entry(extensionTagWaitForTarget, {});
const Bytes shapeEntry = entry(extensionTagShape, {0xFF, 0x00, 0xFE, 0});
const Bytes fadesEntry = entry(extensionTagFades, times(300, 700));
const Bytes laterEntry = entry(extensionTagLaterWindows, {});

// A splash with every part of the format present and no extension.
SplashDescription plainSplash() {
    SplashDescription splash;
    splash.picture = {'B', 'M', 'P'};
    splash.sound = {'R', 'I'};
    splash.targetFile = "a.exe";
    splash.displayTime = 1000;
    splash.launchDelay = 200;
    splash.versionList = "5 6";
    splash.skippedText = "k";
    splash.imageOption = 7;
    return splash;
}

// Its block as the writer writes it.
Bytes plainBlock() {
    return buildPayloadBlock(plainSplash());
}

SplashExtension decodedAfter(const Bytes& after) {
    Bytes bytes = plainBlock();
    bytes.insert(bytes.end(), after.begin(), after.end());
    DataContent block(static_cast<UINT>(bytes.size()));
    std::memcpy(block(0), bytes.data(), bytes.size());
    SplashSettings settings;
    settings.decode(block);
    EXPECT_EQ(settings.imageOption, 7u) << "the format's fields are read as before";
    const SplashExtension found = settings.extension;
    settings.release();
    return found;
}

std::string describe(const SplashExtension& e) {
    return std::string(e.waitForTarget ? "wait " : "") +
           (e.shaped ? "shape " + std::to_string(e.keyColour.red) + "," +
                           std::to_string(e.keyColour.green) + "," +
                           std::to_string(e.keyColour.blue) + " "
                     : "") +
           (e.fadeIn != 0 || e.fadeOut != 0
                ? "fades " + std::to_string(e.fadeIn) + "/" + std::to_string(e.fadeOut) + " "
                : "") +
           (e.laterWindows ? "later " : "");
}

} // namespace

TEST(SplashExtension, ReadWholeOrIgnoredWhole) {
    const std::string all = "wait shape 255,0,254 fades 300/700 later ";
    Bytes cutShape = entry(extensionTagShape, {1, 2, 3});
    Bytes tinted = entry(extensionTagShape, {1, 2, 3, 4});
    Bytes shortFades = entry(extensionTagFades, {1, 0, 0, 0});
    Bytes waitWithData = entry(extensionTagWaitForTarget, {1});
    Bytes unknownOptional = entry(77, {9, 9, 9});
    Bytes unknownNeeded = entry(extensionTagMustUnderstand | 77, {});
    Bytes knownButNeeded = entry(extensionTagMustUnderstand | extensionTagWaitForTarget, {});
    Bytes halfHeader;
    put(halfHeader, extensionTagWaitForTarget);
    Bytes wrongMarker = extension({waitEntry});
    wrongMarker[6] = '_';
    Bytes afterIt = extension({waitEntry});
    afterIt.insert(afterIt.end(), {'x', 'y', 'z'});
    struct Row {
        const char* what;
        Bytes after;
        std::string expected; // as `describe` gives it; "" for nothing read
    };
    const Row rows[] = {
        {"no bytes after the image option", {}, ""},
        {"bytes of another kind", {'h', 'e', 'l', 'l', 'o'}, ""},
        {"every setting", extension({waitEntry, shapeEntry, fadesEntry, laterEntry}), all},
        {"every setting in another order",
         extension({laterEntry, fadesEntry, waitEntry, shapeEntry}), all},
        {"no entries", extension({}), ""},
        {"a fade-out alone", extension({entry(extensionTagFades, times(0, 250))}), "fades 0/250 "},
        {"bytes after the extension", afterIt, "wait "},
        {"an unknown tag that may be skipped", extension({unknownOptional, waitEntry}), "wait "},
        {"the marker one byte off", wrongMarker, ""},
        {"the marker cut short", Bytes(extensionMarker, extensionMarker + 10), ""},
        {"version 0", extension({waitEntry}, 0), ""},
        {"version 2", extension({waitEntry}, 2), ""},
        {"a length one past the block", extension({waitEntry}, 1, 9), ""},
        {"the largest length", extension({waitEntry}, 1, 0xFFFFFFFFu), ""},
        {"a length that ends inside an entry", extension({waitEntry, shapeEntry}, 1, 12), ""},
        {"half an entry header", extension({waitEntry, halfHeader}), ""},
        {"an entry longer than the entries", extension({entry(77, Bytes(4))}, 1, 10), ""},
        {"an unknown tag that must be understood", extension({waitEntry, unknownNeeded}), ""},
        {"a known tag marked as one to understand", extension({knownButNeeded}), ""},
        {"a setting twice", extension({waitEntry, fadesEntry, waitEntry}), ""},
        {"a shape of three bytes", extension({cutShape}), ""},
        {"a shape whose fourth byte is not 0", extension({tinted}), ""},
        {"fades of four bytes", extension({shortFades}), ""},
        {"a wait with data", extension({waitWithData}), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(describe(decodedAfter(row.after)), row.expected);
    }
}

TEST(SplashExtension, AnExtensionCutAtAnyByteIsIgnored) {
    const Bytes whole = extension({waitEntry, shapeEntry, fadesEntry, laterEntry});
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(describe(decodedAfter(Bytes(whole.begin(), whole.begin() + length))), "");
    }
}

TEST(SplashExtension, TheWriterAddsItOnlyForASettingAndTheDecoderReadsItBack) {
    const Bytes plain = plainBlock();
    SplashDescription splash = plainSplash();
    EXPECT_TRUE(extensionBytes(splash.extension).empty());

    struct Row {
        const char* what;
        SplashExtension extension;
        std::string expected;
    };
    SplashExtension wait, shape, fades, later, fadeIn;
    wait.waitForTarget = true;
    shape.shaped = true;
    shape.keyColour = KeyColour{0, 0, 0};
    fades.fadeIn = 1;
    fades.fadeOut = 0xFFFFFFFFu;
    fadeIn.fadeIn = 400;
    later.laterWindows = true;
    const Row rows[] = {
        {"wait", wait, "wait "},
        {"a black key colour", shape, "shape 0,0,0 "},
        {"the extreme fades", fades, "fades 1/4294967295 "},
        {"a fade-in alone", fadeIn, "fades 400/0 "},
        {"later Windows", later, "later "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        splash.extension = row.extension;
        const Bytes block = buildPayloadBlock(splash);
        ASSERT_GT(block.size(), plain.size());
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), block.begin()))
            << "the format's bytes come first, unchanged";
        EXPECT_EQ(Bytes(block.begin() + plain.size(), block.end()), extensionBytes(row.extension));
        EXPECT_EQ(describe(decodedAfter(extensionBytes(row.extension))), row.expected);
        // The parts a front-end copies around the picture add up to the same block.
        const SplashParts parts = splashAroundPicture(0, splash, splash.picture.size());
        EXPECT_EQ(parts.head.size() + splash.picture.size() + parts.tail.size(), block.size() + 20);
    }
}
