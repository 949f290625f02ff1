// BMP validation on the test corpus and on hand-made headers. Every check runs on a heap
// buffer of exactly the file's size, so a read past its end stops the sanitized build.
#include "bitmap_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

// Runs the check on an exactly sized copy of `bytes`.
BitmapVerdict verdictOf(const Bytes& bytes, BitmapLayout& layout) {
    std::unique_ptr<unsigned char[]> exact(new unsigned char[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    return checkBitmap(exact.get(), static_cast<UINT>(bytes.size()), layout);
}

BitmapVerdict verdictOf(const Bytes& bytes) {
    BitmapLayout layout;
    return verdictOf(bytes, layout);
}

void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

struct Picture {
    std::int32_t width = 800;
    std::int32_t height = 600;
    std::uint16_t bitCount = 24;
    std::uint32_t coloursUsed = 0;
    std::uint32_t infoSize = 40;
    // Colour table entries actually written before the pixels.
    std::uint32_t tableEntries = 0;
};

// A well-formed file for `p`, pixel array sized from its dimensions, rows padded to 4 bytes.
Bytes makeBitmap(const Picture& p) {
    const std::uint32_t bitsOffset = 14 + p.infoSize + 4 * p.tableEntries;
    const std::uint64_t absHeight = p.height < 0 ? -std::int64_t{p.height} : p.height;
    const std::uint64_t row = (std::uint64_t(p.width < 0 ? 0 : p.width) * p.bitCount + 31) / 32 * 4;
    Bytes b(bitsOffset + row * absHeight, 0x5A);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<std::uint32_t>(b.size()));
    put32(b, 6, 0);
    put32(b, 10, bitsOffset);
    put32(b, 14, p.infoSize);
    put32(b, 18, static_cast<std::uint32_t>(p.width));
    put32(b, 22, static_cast<std::uint32_t>(p.height));
    put16(b, 26, 1);
    put16(b, 28, p.bitCount);
    put32(b, 30, 0);
    put32(b, 34, 0);
    put32(b, 38, 2835);
    put32(b, 42, 2835);
    put32(b, 46, p.coloursUsed);
    put32(b, 50, 0);
    return b;
}

Picture palette8() {
    Picture p;
    p.width = 127;
    p.height = 64;
    p.bitCount = 8;
    p.tableEntries = 256;
    return p;
}

TEST(BitmapFormat, ShortOrForeignBytesAreRefused) {
    const Bytes good = makeBitmap(Picture());
    EXPECT_EQ(verdictOf(Bytes(good.begin(), good.begin() + 13)),
              BitmapVerdict::shorterThanFileHeader);
    EXPECT_EQ(verdictOf(Bytes(1, 'B')), BitmapVerdict::shorterThanFileHeader);
    for (std::size_t size = 14; size <= 53; ++size)
        EXPECT_EQ(verdictOf(Bytes(good.begin(), good.begin() + size)),
                  BitmapVerdict::shorterThanInfoHeader)
            << size;
    const char* foreign[] = {"BA", "CI", "MB", "bm", "CP", "IC", "PT"};
    for (const char* type : foreign) {
        Bytes b = good;
        b[0] = static_cast<unsigned char>(type[0]);
        b[1] = static_cast<unsigned char>(type[1]);
        EXPECT_EQ(verdictOf(b), BitmapVerdict::notBitmapFile) << type;
    }
    BitmapLayout layout;
    EXPECT_EQ(checkBitmap(nullptr, 100, layout), BitmapVerdict::shorterThanFileHeader);
}

TEST(BitmapFormat, OnlyTheFortyByteUncompressedHeaderIsAccepted) {
    for (std::uint32_t infoSize : {12u, 16u, 39u, 41u, 52u, 56u, 64u, 108u, 124u}) {
        Picture p;
        p.infoSize = infoSize;
        EXPECT_EQ(verdictOf(makeBitmap(p)), BitmapVerdict::unsupportedInfoHeader) << infoSize;
    }
    for (std::uint32_t compression : {1u, 2u, 3u, 4u, 5u, 6u, 0x80000000u}) {
        Bytes b = makeBitmap(Picture());
        put32(b, 30, compression);
        EXPECT_EQ(verdictOf(b), BitmapVerdict::compressed) << compression;
    }
}

TEST(BitmapFormat, ReportsSizeAndPlaceOfAnAcceptedPicture) {
    BitmapLayout layout;
    ASSERT_EQ(verdictOf(makeBitmap(Picture()), layout), BitmapVerdict::accepted);
    EXPECT_EQ(layout.width, 800);
    EXPECT_EQ(layout.height, 600);
    EXPECT_EQ(layout.absoluteHeight, 600u);
    EXPECT_EQ(layout.bitCount, 24u);
    EXPECT_EQ(layout.infoHeaderOffset, 14u);
    EXPECT_EQ(layout.colourTableOffset, 54u);
    EXPECT_EQ(layout.colourTableBytes, 0u);
    EXPECT_EQ(layout.bitsOffset, 54u);
    EXPECT_EQ(layout.pixelBytes, 2400u * 600u);

    Picture topDown;
    topDown.height = -600;
    ASSERT_EQ(verdictOf(makeBitmap(topDown), layout), BitmapVerdict::accepted);
    EXPECT_EQ(layout.height, -600);
    EXPECT_EQ(layout.absoluteHeight, 600u);

    ASSERT_EQ(verdictOf(makeBitmap(palette8()), layout), BitmapVerdict::accepted);
    EXPECT_EQ(layout.colourTableBytes, 1024u);
    EXPECT_EQ(layout.bitsOffset, 1078u);
    EXPECT_EQ(layout.pixelBytes, 128u * 64u);
}

struct BitCountCase {
    std::uint16_t bitCount;
    std::int32_t width;
    std::uint32_t rowBytes;
};

TEST(BitmapFormat, RowsArePaddedToWholeWords) {
    const BitCountCase cases[] = {{1, 1, 4},   {1, 32, 4},  {1, 33, 8}, {4, 8, 4},  {4, 9, 8},
                                  {8, 3, 4},   {8, 5, 8},   {16, 1, 4}, {16, 3, 8}, {24, 1, 4},
                                  {24, 4, 12}, {24, 5, 16}, {32, 1, 4}, {32, 7, 28}};
    for (const BitCountCase& c : cases) {
        Picture p;
        p.width = c.width;
        p.height = 3;
        p.bitCount = c.bitCount;
        p.tableEntries = c.bitCount <= 8 ? (1u << c.bitCount) : 0;
        const Bytes exact = makeBitmap(p);
        BitmapLayout layout;
        ASSERT_EQ(verdictOf(exact, layout), BitmapVerdict::accepted)
            << c.bitCount << "/" << c.width;
        EXPECT_EQ(layout.pixelBytes, c.rowBytes * 3) << c.bitCount << "/" << c.width;
        // One byte short of the last row.
        const Bytes cut(exact.begin(), exact.end() - 1);
        EXPECT_EQ(verdictOf(cut), BitmapVerdict::pixelsOutside) << c.bitCount << "/" << c.width;
    }
    for (std::uint16_t bitCount : {0, 2, 3, 15, 48, 64, 30000}) {
        Bytes b = makeBitmap(Picture());
        put16(b, 28, bitCount);
        EXPECT_EQ(verdictOf(b), BitmapVerdict::unsupportedBitCount) << bitCount;
    }
}

TEST(BitmapFormat, BitsOffsetMustLeaveRoomForThePixels) {
    Bytes b = makeBitmap(Picture());
    Bytes extra = b;
    extra.resize(extra.size() + 7, 0);
    EXPECT_EQ(verdictOf(extra), BitmapVerdict::accepted);

    const std::uint32_t size = static_cast<std::uint32_t>(b.size());
    const std::pair<std::uint32_t, BitmapVerdict> offsets[] = {
        {55, BitmapVerdict::pixelsOutside},
        {size - 1, BitmapVerdict::pixelsOutside},
        {size, BitmapVerdict::pixelsOutside},
        {size + 1, BitmapVerdict::bitsBeyondEnd},
        {0xFFFFFFFFu, BitmapVerdict::bitsBeyondEnd},
        // Pixels that would start inside the headers.
        {0, BitmapVerdict::colourTableOutside},
        {53, BitmapVerdict::colourTableOutside},
    };
    for (const auto& o : offsets) {
        Bytes patched = b;
        put32(patched, 10, o.first);
        EXPECT_EQ(verdictOf(patched), o.second) << o.first;
    }
}

TEST(BitmapFormat, ColourTableMustLieBetweenHeaderAndPixels) {
    // No count: a palette picture carries the full palette of its bit count.
    const std::pair<std::uint16_t, std::uint32_t> fullPalettes[] = {{1, 2}, {4, 16}, {8, 256}};
    for (const auto& f : fullPalettes) {
        Picture p;
        p.width = 16;
        p.height = 2;
        p.bitCount = f.first;
        p.tableEntries = f.second;
        EXPECT_EQ(verdictOf(makeBitmap(p)), BitmapVerdict::accepted) << f.first;
        p.tableEntries = f.second - 1;
        EXPECT_EQ(verdictOf(makeBitmap(p)), BitmapVerdict::colourTableOutside) << f.first;
    }
    // A count names the entries read, for any bit count.
    Picture counted = palette8();
    counted.coloursUsed = 12;
    counted.tableEntries = 12;
    EXPECT_EQ(verdictOf(makeBitmap(counted)), BitmapVerdict::accepted);
    counted.tableEntries = 11;
    EXPECT_EQ(verdictOf(makeBitmap(counted)), BitmapVerdict::colourTableOutside);

    Picture trueColour;
    trueColour.coloursUsed = 2;
    EXPECT_EQ(verdictOf(makeBitmap(trueColour)), BitmapVerdict::colourTableOutside);
    trueColour.tableEntries = 2;
    EXPECT_EQ(verdictOf(makeBitmap(trueColour)), BitmapVerdict::accepted);

    // A count whose byte size wraps 32 bits.
    for (std::uint32_t huge : {0x40000000u, 0x40000001u, 0xFFFFFFFFu}) {
        Bytes b = makeBitmap(palette8());
        put32(b, 46, huge);
        EXPECT_EQ(verdictOf(b), BitmapVerdict::colourTableOutside) << huge;
    }
}

TEST(BitmapFormat, EmptyNegativeAndAbsurdDimensionsAreRefused) {
    const std::pair<std::int32_t, std::int32_t> refused[] = {
        {0, 600},       {800, 0},       {-800, 600},        {32768, 1},
        {1, 32768},     {1, -32768},    {INT32_MIN, 600},   {800, INT32_MIN},
        {INT32_MAX, 1}, {1, INT32_MAX}, {3000000, 2000000},
    };
    for (const auto& d : refused) {
        Bytes b = makeBitmap(Picture());
        put32(b, 18, static_cast<std::uint32_t>(d.first));
        put32(b, 22, static_cast<std::uint32_t>(d.second));
        EXPECT_EQ(verdictOf(b), BitmapVerdict::badDimensions) << d.first << "x" << d.second;
    }
    const std::pair<std::int32_t, std::int32_t> largest[] = {{32767, 1}, {1, 32767}, {1, -32767}};
    for (const auto& d : largest) {
        Picture p;
        p.width = d.first;
        p.height = d.second;
        p.bitCount = 1;
        p.tableEntries = 2;
        EXPECT_EQ(verdictOf(makeBitmap(p)), BitmapVerdict::accepted) << d.first << "x" << d.second;
    }
}

TEST(BitmapFormat, LayoutIsLeftAloneOnRefusal) {
    BitmapLayout layout;
    layout.width = 7;
    Bytes b = makeBitmap(Picture());
    put32(b, 30, 1);
    EXPECT_EQ(verdictOf(b, layout), BitmapVerdict::compressed);
    EXPECT_EQ(layout.width, 7);
}

TEST(BitmapFormat, LocatesHeadersAndPixelsInsideTheBuffer) {
    Bytes file = makeBitmap(palette8());
    DataContent owner(static_cast<UINT>(file.size()));
    std::copy(file.begin(), file.end(), owner.data);
    BitmapView view;
    ASSERT_TRUE(locateBitmap(owner, view));
    EXPECT_EQ(view.fileHeader, owner.data);
    EXPECT_EQ(view.infoHeader, owner.data + 14);
    EXPECT_EQ(view.bits, owner.data + 1078);
    EXPECT_EQ(infoHeaderWidth(view.infoHeader), 127);
    EXPECT_EQ(infoHeaderAbsoluteHeight(view.infoHeader), 64);

    Picture topDown;
    topDown.height = -600;
    Bytes downFile = makeBitmap(topDown);
    DataContent downView(downFile.data(), static_cast<UINT>(downFile.size()), false);
    ASSERT_TRUE(locateBitmap(downView, view));
    EXPECT_EQ(view.bits, downFile.data() + 54);
    EXPECT_EQ(infoHeaderWidth(view.infoHeader), 800);
    EXPECT_EQ(infoHeaderAbsoluteHeight(view.infoHeader), 600);

    // A refused picture leaves the previous addresses in place.
    const BitmapView before = view;
    put32(downFile, 10, static_cast<std::uint32_t>(downFile.size() + 1));
    EXPECT_FALSE(locateBitmap(downView, view));
    EXPECT_EQ(view.bits, before.bits);
    EXPECT_EQ(view.infoHeader, before.infoHeader);
    EXPECT_FALSE(locateBitmap(DataContent(), view));
    EXPECT_EQ(view.fileHeader, before.fileHeader);
}

struct CorpusCase {
    const char* file;
    BitmapVerdict verdict;
};

const BitmapVerdict ok = BitmapVerdict::accepted;
const BitmapVerdict header = BitmapVerdict::unsupportedInfoHeader;
const BitmapVerdict packed = BitmapVerdict::compressed;
const BitmapVerdict bitCount = BitmapVerdict::unsupportedBitCount;

const CorpusCase corpus[] = {
    {"g/pal1.bmp", ok},
    {"g/pal1bg.bmp", ok},
    {"g/pal1wb.bmp", ok},
    {"g/pal4.bmp", ok},
    {"g/pal4gs.bmp", ok},
    {"g/pal4rle.bmp", packed},
    {"g/pal8-0.bmp", ok},
    {"g/pal8.bmp", ok},
    {"g/pal8gs.bmp", ok},
    {"g/pal8nonsquare.bmp", ok},
    {"g/pal8os2.bmp", header},
    {"g/pal8rle.bmp", packed},
    {"g/pal8topdown.bmp", ok},
    {"g/pal8v4.bmp", header},
    {"g/pal8v5.bmp", header},
    {"g/pal8w124.bmp", ok},
    {"g/pal8w125.bmp", ok},
    {"g/pal8w126.bmp", ok},
    {"g/rgb16-565.bmp", packed},
    {"g/rgb16-565pal.bmp", packed},
    {"g/rgb16.bmp", ok},
    {"g/rgb16bfdef.bmp", packed},
    {"g/rgb24.bmp", ok},
    {"g/rgb24pal.bmp", ok},
    {"g/rgb32.bmp", ok},
    {"g/rgb32bf.bmp", packed},
    {"g/rgb32bfdef.bmp", packed},
    {"q/pal1huffmsb.bmp", header},
    {"q/pal1p1.bmp", ok},
    {"q/pal2.bmp", bitCount},
    {"q/pal2color.bmp", bitCount},
    {"q/pal4rlecut.bmp", packed},
    {"q/pal4rletrns.bmp", packed},
    {"q/pal8offs.bmp", ok},
    {"q/pal8os2-hs.bmp", header},
    {"q/pal8os2-sz.bmp", header},
    {"q/pal8os2sp.bmp", header},
    {"q/pal8os2v2-16.bmp", header},
    {"q/pal8os2v2-40sz.bmp", ok},
    {"q/pal8os2v2-sz.bmp", header},
    {"q/pal8os2v2.bmp", header},
    {"q/pal8oversizepal.bmp", ok},
    {"q/pal8rlecut.bmp", packed},
    {"q/pal8rletrns.bmp", packed},
    {"q/rgb16-231.bmp", packed},
    {"q/rgb16-3103.bmp", packed},
    {"q/rgb16faketrns.bmp", ok},
    {"q/rgb24jpeg.bmp", header},
    {"q/rgb24largepal.bmp", ok},
    {"q/rgb24lprof.bmp", header},
    {"q/rgb24png.bmp", header},
    {"q/rgb24prof.bmp", header},
    {"q/rgb24prof2.bmp", header},
    {"q/rgb24rle24.bmp", header},
    {"q/rgb32-111110.bmp", packed},
    {"q/rgb32-7187.bmp", packed},
    {"q/rgb32-xbgr.bmp", header},
    {"q/rgb32fakealpha.bmp", ok},
    {"q/rgb32h52.bmp", header},
    {"q/rgba16-1924.bmp", header},
    {"q/rgba16-4444.bmp", header},
    {"q/rgba16-5551.bmp", header},
    {"q/rgba32-1.bmp", header},
    {"q/rgba32-1010102.bmp", header},
    {"q/rgba32-2.bmp", header},
    {"q/rgba32-61754.bmp", header},
    {"q/rgba32-81284.bmp", header},
    {"q/rgba32abf.bmp", packed},
    {"q/rgba32h56.bmp", header},
    {"q/rgba64.bmp", bitCount},
    {"b/badbitcount.bmp", bitCount},
    // Fields GDI interprets itself (image size, densities, file size, planes) are not checked.
    {"b/badbitssize.bmp", ok},
    {"b/baddens1.bmp", ok},
    {"b/baddens2.bmp", ok},
    {"b/badfilesize.bmp", ok},
    {"b/badheadersize.bmp", header},
    {"b/badpalettesize.bmp", BitmapVerdict::colourTableOutside},
    {"b/badplanes.bmp", ok},
    {"b/badrle.bmp", packed},
    {"b/badrle4.bmp", packed},
    {"b/badrle4bis.bmp", packed},
    {"b/badrle4ter.bmp", packed},
    {"b/badrlebis.bmp", packed},
    {"b/badrleter.bmp", packed},
    {"b/badwidth.bmp", BitmapVerdict::badDimensions},
    // Indices past the palette are GDI's to colour; the bytes are all there.
    {"b/pal8badindex.bmp", ok},
    {"b/reallybig.bmp", BitmapVerdict::badDimensions},
    {"b/rgb16-880.bmp", packed},
    {"b/rletopdown.bmp", packed},
    {"b/shortfile.bmp", BitmapVerdict::pixelsOutside},
};

bool readFile(const std::string& path, Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    bytes.clear();
    unsigned char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
    return true;
}

TEST(BitmapFormat, CorpusFilesAreAcceptedOrRefusedByTheRules) {
    for (const CorpusCase& c : corpus) {
        Bytes bytes;
        ASSERT_TRUE(readFile(std::string(SPLASH_BMP_DIR "/") + c.file, bytes))
            << c.file;
        BitmapLayout layout;
        EXPECT_EQ(verdictOf(bytes, layout), c.verdict) << c.file;
        if (c.verdict == ok) {
            EXPECT_LE(std::uint64_t(layout.bitsOffset) + layout.pixelBytes, bytes.size()) << c.file;
            EXPECT_EQ(layout.width, c.file == std::string("g/pal8w124.bmp")   ? 124
                                    : c.file == std::string("g/pal8w125.bmp") ? 125
                                    : c.file == std::string("g/pal8w126.bmp") ? 126
                                                                              : 127)
                << c.file;
        }
    }
}

} // namespace
