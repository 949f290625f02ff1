// Picture intake: BMPs the player reads pass unchanged, everything else becomes a 24-bit BMP
// whose pixels are checked against the source, and every refusal names its reason.
#include "picture_intake.h"

#include "bitmap_format.h"
#include "picture_fit.h"
#include "picture_rows.h"
#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>
#if defined(__linux__)
#include <thread>
#endif

namespace {

PreparedPicture prepare(const ByteVector& file, PictureLimits limits = PictureLimits()) {
    return preparePicture(file, "in", limits);
}

std::string refusalOf(const ByteVector& file, PictureLimits limits = PictureLimits()) {
    try {
        prepare(file, limits);
    } catch (const InputError& error) {
        return error.what();
    }
    return "";
}

bool playerAccepts(const ByteVector& bmp) {
    BitmapLayout layout;
    return checkBitmap(bmp.data(), UINT(bmp.size()), layout) == BitmapVerdict::accepted;
}

// The source blended over `under` by its alpha, as the conversion should draw it.
RgbaPicture over(RgbaPicture picture, Rgb under) {
    for (std::size_t at = 0; at < picture.rgba.size(); at += 4) {
        unsigned alpha = picture.rgba[at + 3];
        const unsigned char back[3] = {under.red, under.green, under.blue};
        for (int c = 0; c < 3; ++c)
            picture.rgba[at + c] = static_cast<unsigned char>(
                (picture.rgba[at + c] * alpha + back[c] * (255 - alpha) + 127) / 255);
        picture.rgba[at + 3] = 255;
    }
    return picture;
}

void setBytes32(ByteVector& bytes, std::size_t at, UINT value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// The JPEG with an APP1 Exif segment after its start marker that gives `orientation`.
ByteVector withOrientation(ByteVector jpeg, unsigned orientation, bool bigEndian) {
    auto two = [bigEndian](unsigned value) {
        ByteVector bytes = {static_cast<unsigned char>(value),
                            static_cast<unsigned char>(value >> 8)};
        if (bigEndian)
            std::swap(bytes[0], bytes[1]);
        return bytes;
    };
    ByteVector tiff = bigEndian ? ByteVector{'M', 'M'} : ByteVector{'I', 'I'};
    for (const ByteVector& part :
         {two(42), bigEndian ? ByteVector{0, 0, 0, 8} : ByteVector{8, 0, 0, 0}, two(1), two(0x0112),
          two(3), bigEndian ? ByteVector{0, 0, 0, 1} : ByteVector{1, 0, 0, 0}, two(orientation),
          ByteVector{0, 0}, ByteVector{0, 0, 0, 0}})
        tiff.insert(tiff.end(), part.begin(), part.end());
    ByteVector segment = {
        0xFF, 0xE1, 0, static_cast<unsigned char>(2 + 6 + tiff.size()), 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

RgbaPicture mirrored(const RgbaPicture& picture) {
    RgbaPicture out = picture;
    for (UINT y = 0; y < picture.height; ++y)
        for (UINT x = 0; x < picture.width; ++x)
            std::memcpy(&out.rgba[(y * picture.width + x) * 4],
                        &picture.rgba[(y * picture.width + picture.width - 1 - x) * 4], 4);
    return out;
}

// A quarter turn clockwise.
RgbaPicture turned(const RgbaPicture& picture) {
    RgbaPicture out;
    out.width = picture.height;
    out.height = picture.width;
    out.rgba.resize(picture.rgba.size());
    for (UINT y = 0; y < picture.height; ++y)
        for (UINT x = 0; x < picture.width; ++x)
            std::memcpy(&out.rgba[(x * out.width + (picture.height - 1 - y)) * 4],
                        &picture.rgba[(y * picture.width + x) * 4], 4);
    return out;
}

// Where the segment of `marker` starts (its 0xFF) in the JPEG's headers; the file's size when
// it has none.
std::size_t segmentOf(const ByteVector& jpeg, unsigned char marker) {
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
        if (jpeg[at + 1] == marker)
            return at;
        at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    }
    return jpeg.size();
}

ByteVector changed(ByteVector bytes, std::size_t at, unsigned char value) {
    bytes.at(at) = value;
    return bytes;
}

} // namespace

TEST(PictureIntake, BitmapsThePlayerReadsPassByteForByte) {
    for (const char* name : {"g/pal1.bmp", "g/pal4.bmp", "g/pal8.bmp", "g/pal8topdown.bmp",
                             "g/rgb16.bmp", "g/rgb24.bmp", "g/rgb32.bmp"}) {
        ByteVector file = corpusFile(name);
        PreparedPicture prepared = prepare(file);
        EXPECT_FALSE(prepared.converted) << name;
        EXPECT_EQ(file, prepared.bitmap) << name;
        EXPECT_TRUE(prepared.notes.empty()) << name;
        EXPECT_TRUE(prepared.warnings.empty()) << name;
        EXPECT_EQ(127u, prepared.width) << name;
        EXPECT_EQ(64u, prepared.height) << name;
    }
}

TEST(PictureIntake, AlphaInA32BitBitmapIsWarnedAbout) {
    ByteVector file = corpusFile("g/rgb32.bmp");
    file[file.size() - 1] = 0x80; // the fourth byte of the last pixel
    const std::string warning =
        "picture \"in\" is a 32-bit BMP whose fourth bytes are not all zero; it goes in as it "
        "is and the player ignores that alpha channel, drawing every pixel opaque (--background "
        "lies under transparent pixels only in pictures the tool converts)";
    PreparedPicture prepared = prepare(file);
    EXPECT_EQ(file, prepared.bitmap);
    EXPECT_EQ(std::vector<std::string>{warning}, prepared.warnings);

    // The build reads the picture from an input it copies unchanged.
    MemoryInput input(file);
    PreparedPicture fromFile = preparePicture(input, "in", PictureLimits());
    EXPECT_TRUE(fromFile.unchanged);
    EXPECT_EQ(std::vector<std::string>{warning}, fromFile.warnings);
}

TEST(PictureIntake, RefusedBitmapsAreConvertedToTheSamePixels) {
    // Each file of the corpus draws the same picture as its plain twin's rendering.
    struct Case {
        const char* file;
        const char* reference;
        const char* reason;
    };
    const Case cases[] = {
        {"g/pal8rle.bmp", "ref/pal8.png", "RLE8 compressed"},
        {"g/pal4rle.bmp", "ref/pal4.png", "RLE4 compressed"},
        {"g/pal8v4.bmp", "ref/pal8.png", "108-byte info header"},
        {"g/pal8v5.bmp", "ref/pal8.png", "124-byte info header"},
        {"g/pal8os2.bmp", "ref/pal8.png", "12-byte info header"},
        {"q/pal8os2v2.bmp", "ref/pal8.png", "64-byte info header"},
        {"q/pal8os2v2-16.bmp", "ref/pal8.png", "16-byte info header"},
        {"g/rgb32bf.bmp", "ref/rgb32.png", "bit-field"},
        {"g/rgb32bfdef.bmp", "ref/rgb32.png", "bit-field"},
        {"q/rgb32h52.bmp", "ref/rgb32.png", "52-byte info header"},
        {"g/rgb16bfdef.bmp", "ref/rgb16.png", "bit-field"},
        {"q/rgb24png.bmp", "ref/rgb24.png", "124-byte info header"},
    };
    for (const Case& c : cases) {
        PreparedPicture prepared = prepare(corpusFile(c.file));
        EXPECT_TRUE(prepared.converted) << c.file;
        EXPECT_TRUE(playerAccepts(prepared.bitmap)) << c.file;
        EXPECT_EQ(0, largestDifference(decodeReference(corpusFile(c.reference)),
                                       readBitmap24(prepared.bitmap)))
            << c.file;
        ASSERT_FALSE(prepared.notes.empty()) << c.file;
        EXPECT_EQ(std::string("picture \"in\" is a BMP the player does not read (") + c.reason +
                      "); converted to a 24-bit BMP of 127 x 64 pixels (24630 bytes)",
                  prepared.notes[0]);
    }
    // A BMP holding a JPEG stream shows what that stream decodes to (another decoder's reading
    // differs by its rounding), and that is close to the plain picture.
    ByteVector holder = corpusFile("q/rgb24jpeg.bmp");
    UINT offset = holder[10] | holder[11] << 8;
    UINT length = holder[34] | holder[35] << 8 | holder[36] << 16;
    ByteVector stream(holder.begin() + offset, holder.begin() + offset + length);
    RgbaPicture converted = readBitmap24(prepare(holder).bitmap);
    EXPECT_GE(3, largestDifference(decodeReference(stream), converted));
    EXPECT_GE(4.0, meanDifference(decodeReference(corpusFile("ref/rgb24.png")), converted));
}

TEST(PictureIntake, PixelsSkippedByRunLengthDataShowTheBackground) {
    PictureLimits limits;
    limits.background = Rgb{1, 2, 3};
    ByteVector file = corpusFile("q/pal8rletrns.bmp");
    RgbaPicture converted = readBitmap24(prepare(file, limits).bitmap);
    RgbaPicture reference = decodeReference(corpusFile("ref/pal8.png"));
    ASSERT_EQ(0u, converted.width - reference.width + converted.height - reference.height);
    std::size_t skipped = 0;
    for (std::size_t at = 0; at < converted.rgba.size(); at += 4) {
        bool background =
            converted.rgba[at] == 1 && converted.rgba[at + 1] == 2 && converted.rgba[at + 2] == 3;
        if (background)
            ++skipped;
        else
            EXPECT_EQ(0, std::memcmp(&converted.rgba[at], &reference.rgba[at], 3)) << at / 4;
    }
    EXPECT_LT(0u, skipped);
    EXPECT_GT(converted.rgba.size() / 4, skipped);
    EXPECT_EQ("picture \"in\" has undrawn or transparent pixels; they show #010203 "
              "(--background)",
              prepare(file, limits).notes.at(1));
}

TEST(PictureIntake, PngKeepsEveryPixel) {
    // An odd width makes the written rows need padding.
    RgbaPicture source = gradientPicture(37, 23, false);
    for (int channels : {3, 4}) {
        PreparedPicture prepared = prepare(encodePng(source, channels));
        EXPECT_TRUE(prepared.converted);
        EXPECT_TRUE(playerAccepts(prepared.bitmap));
        EXPECT_EQ(0, largestDifference(source, readBitmap24(prepared.bitmap))) << channels;
        ASSERT_EQ(1u, prepared.notes.size());
        EXPECT_EQ("picture \"in\" is a PNG; converted to a 24-bit BMP of 37 x 23 pixels (2630 "
                  "bytes)",
                  prepared.notes[0]);
    }
    RgbaPicture grey = gradientPicture(5, 4, false);
    for (std::size_t at = 0; at < grey.rgba.size(); at += 4)
        grey.rgba[at + 1] = grey.rgba[at + 2] = grey.rgba[at];
    EXPECT_EQ(0, largestDifference(grey, readBitmap24(prepare(encodePng(grey, 1)).bitmap)));
}

TEST(PictureIntake, TransparencyIsBlendedOverTheBackground) {
    RgbaPicture source = gradientPicture(16, 9, true);
    for (Rgb background : {Rgb{255, 255, 255}, Rgb{0, 0, 0}, Rgb{200, 30, 90}}) {
        PictureLimits limits;
        limits.background = background;
        PreparedPicture prepared = prepare(encodePng(source, 4), limits);
        EXPECT_EQ(0, largestDifference(over(source, background), readBitmap24(prepared.bitmap)));
        ASSERT_EQ(2u, prepared.notes.size());
        EXPECT_NE(std::string::npos, prepared.notes[1].find("has transparent pixels"));
    }
}

TEST(PictureIntake, JpegStaysCloseToItsSource) {
    RgbaPicture source = gradientPicture(64, 48, false);
    for (std::size_t at = 0; at < source.rgba.size(); at += 4)
        source.rgba[at + 2] = 128; // smooth in every channel, so the coding error stays small
    PreparedPicture prepared = prepare(encodeJpeg(source, 100));
    EXPECT_EQ("JPEG", prepared.sourceFormat);
    RgbaPicture converted = readBitmap24(prepared.bitmap);
    EXPECT_GE(12, largestDifference(source, converted));
    EXPECT_GE(2.0, meanDifference(source, converted));
    // Another decoder reads the same stream within its rounding.
    EXPECT_GE(3, largestDifference(decodeReference(encodeJpeg(source, 100)), converted));
}

TEST(PictureIntake, GifFirstFrameAndTransparentIndex) {
    const std::vector<Rgb> palette = {{10, 20, 30}, {250, 0, 0}, {0, 250, 0}, {0, 0, 250}};
    const UINT width = 21;
    const UINT height = 30; // 630 pixels: the codes span several clear codes and sub-blocks
    std::vector<unsigned char> first;
    std::vector<unsigned char> second(width * height, 2);
    for (UINT i = 0; i < width * height; ++i)
        first.push_back(static_cast<unsigned char>((i / 7 + i % 5) % 4));

    PictureLimits limits;
    limits.background = Rgb{9, 9, 9};
    PreparedPicture still = prepare(encodeGif(width, height, palette, {first}, -1), limits);
    RgbaPicture converted = readBitmap24(still.bitmap);
    ASSERT_EQ(width * height * 4, converted.rgba.size());
    for (UINT i = 0; i < width * height; ++i)
        EXPECT_EQ(palette[first[i]].green, converted.rgba[i * 4 + 1]) << i;
    EXPECT_EQ(1u, still.notes.size());

    PreparedPicture animated =
        prepare(encodeGif(width, height, palette, {first, second, second}, 0), limits);
    converted = readBitmap24(animated.bitmap);
    for (UINT i = 0; i < width * height; ++i) {
        Rgb expected = first[i] == 0 ? limits.background : palette[first[i]];
        EXPECT_EQ(expected.red, converted.rgba[i * 4]) << i;
        EXPECT_EQ(expected.blue, converted.rgba[i * 4 + 2]) << i;
    }
    ASSERT_EQ(3u, animated.notes.size());
    EXPECT_EQ("picture \"in\" has 3 frames; the splash shows the first", animated.notes[1]);
    EXPECT_NE(std::string::npos, animated.notes[2].find("#090909"));
}

TEST(PictureIntake, LimitsRefuseLargePictures) {
    PictureLimits limits;
    limits.maxWidth = 36;
    limits.maxHeight = 100;
    ByteVector png = encodePng(gradientPicture(37, 23, false), 3);
    EXPECT_EQ("picture \"in\" is 37 x 23 pixels, larger than the limit of 36 x 100 "
              "(--max-picture)",
              refusalOf(png, limits));
    limits.maxWidth = 37;
    limits.maxBytes = 2629;
    EXPECT_EQ("picture \"in\" would take 2630 bytes, more than the limit of 2629 bytes "
              "(--max-picture-bytes)",
              refusalOf(png, limits));
    limits.maxBytes = 2630;
    EXPECT_EQ("", refusalOf(png, limits));
    limits.maxDecodedPixels = 850;
    EXPECT_EQ("picture \"in\" is 37 x 23 pixels (851), more than the 850 pixels splashpack reads "
              "(--max-decoded-pixels)",
              refusalOf(png, limits));

    PictureLimits bitmapLimits;
    bitmapLimits.maxBytes = 1000;
    ByteVector pal8 = corpusFile("g/pal8.bmp");
    EXPECT_EQ("picture \"in\" takes " + std::to_string(pal8.size()) +
                  " bytes, more than the limit of 1000 bytes (--max-picture-bytes)",
              refusalOf(pal8, bitmapLimits));
    bitmapLimits = PictureLimits();
    bitmapLimits.maxHeight = 63;
    EXPECT_EQ("picture \"in\" is 127 x 64 pixels, larger than the limit of 32767 x 63 "
              "(--max-picture)",
              refusalOf(corpusFile("g/pal8rle.bmp"), bitmapLimits));

    // Beyond what the player shows, whatever the limits say; measured before any decoding.
    PictureLimits generous;
    generous.maxWidth = generous.maxHeight = 65535;
    generous.maxBytes = ~0ull;
    ByteVector wide = encodePng(gradientPicture(4, 2, false), 3);
    setBytes32(wide, 16, 0x00800000); // the IHDR width, big-endian: 32768
    fixPngChunkCrc(wide, 8);
    EXPECT_EQ("picture \"in\" is 32768 x 2 pixels; the player shows at most 32767 pixels a side",
              refusalOf(wide, generous));
}

TEST(PictureIntake, UnreadablePicturesAreRefused) {
    ByteVector png = encodePng(gradientPicture(8, 8, false), 3);
    ByteVector truncated(png.begin(), png.end() - 20);
    ByteVector overMasks = corpusFile("g/rgb16-565.bmp");
    setBytes32(overMasks, 10, 54); // the pixels start where the masks do
    ByteVector shortRle = corpusFile("g/pal8rle.bmp");
    setBytes32(shortRle, 34, UINT(shortRle.size())); // an image size past the end
    ByteVector damagedPng = png;
    damagedPng[damagedPng.size() - 20] ^= 0x55; // inside the last IDAT chunk's data

    ByteVector jpeg = encodeJpeg(gradientPicture(16, 16, false), 90);
    const std::size_t frame = segmentOf(jpeg, 0xC0);
    const std::size_t huffman = segmentOf(jpeg, 0xC4);
    ByteVector overfullHuffman = jpeg; // code counts that add up to more than 256
    overfullHuffman.at(huffman + 5 + 14) = 200;
    overfullHuffman.at(huffman + 5 + 15) = 200;

    const std::vector<Rgb> four = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const std::vector<unsigned char> indices(12 * 10, 2);
    ByteVector gif = encodeGif(12, 10, four, {indices}, -1);
    ByteVector noTable = gif; // no global table and no local one
    noTable[10] = 0;
    noTable.erase(noTable.begin() + 13, noTable.begin() + 13 + 768);
    ByteVector smallTable = encodeGif(12, 10, four, {std::vector<unsigned char>(120, 5)}, -1);
    smallTable[10] = 0xF1; // a global table of 4 colours
    smallTable.erase(smallTable.begin() + 13 + 12, smallTable.begin() + 13 + 768);
    ByteVector outside = gif;
    outside.at(13 + 768 + 8 + 5) = 13; // the first frame's width, one more than the picture's
    ByteVector cutGif(gif.begin(), gif.begin() + 13 + 768 + 8 + 10 + 6);
    struct Case {
        ByteVector file;
        const char* message;
    };
    const Case cases[] = {
        {{}, "picture \"in\" is empty"},
        {{'I', 'I', '*', 0, 8, 0, 0, 0},
         "picture \"in\" is not a picture splashpack reads; use BMP, PNG, JPEG or GIF"},
        {truncated, "picture \"in\" is cut short: its PNG data ends before its picture does"},
        {{'B', 'M', 1, 2, 3}, "picture \"in\" is not a BMP file"},
        {corpusFile("b/shortfile.bmp"),
         "picture \"in\" is cut short: its pixel rows need 1024 bytes and the file has 211"},
        {corpusFile("b/badwidth.bmp"), "picture \"in\" has a width of -127 pixels"},
        {corpusFile("b/badheadersize.bmp"),
         "picture \"in\" has an info header of 66 bytes, a size no BMP uses"},
        {corpusFile("b/badpalettesize.bmp"),
         "picture \"in\" is a damaged BMP: a colour table that overlaps the pixels or passes the "
         "end of the file"},
        {corpusFile("b/badrle.bmp"),
         "picture \"in\" is damaged: its run-length data draws past the end of a row"},
        {corpusFile("b/badrlebis.bmp"),
         "picture \"in\" is damaged: its run-length data moves outside the picture"},
        {corpusFile("b/rletopdown.bmp"),
         "picture \"in\" is run-length compressed and top-down, which BMP does not allow"},
        {overMasks, "picture \"in\" places its pixels (offset 54) over its colour masks, "
                    "which end at offset 66"},
        {shortRle,
         "picture \"in\" is cut short: its compressed pixels run past the end of the file"},
        {corpusFile("q/pal2.bmp"),
         "picture \"in\" has 2 bits a pixel, which splashpack cannot read"},
        {corpusFile("q/rgba64.bmp"),
         "picture \"in\" has 64 bits a pixel, which splashpack cannot read"},
        {corpusFile("q/rgb24rle24.bmp"),
         "picture \"in\" is OS/2 RLE24 compressed, which splashpack cannot read"},
        {corpusFile("q/rgba32-1010102.bmp"),
         "picture \"in\" has bit fields of 10 bits for one channel; splashpack reads 1 to 8"},
        {damagedPng, "picture \"in\" is a damaged PNG: IDAT: incorrect data check"},
        {overfullHuffman, "picture \"in\" is a damaged JPEG: Bogus Huffman table definition"},
        {changed(jpeg, frame + 4, 12),
         "picture \"in\" is a JPEG of 12 bits a channel; splashpack reads JPEGs of 8 bits a "
         "channel"},
        {changed(jpeg, frame + 1, 0xC3),
         "picture \"in\" is a lossless or hierarchical JPEG (SOF marker 0xC3), which "
         "splashpack cannot read"},
        {ByteVector(jpeg.begin(), jpeg.begin() + long(frame)),
         "picture \"in\" is a damaged JPEG: JPEG datastream contains no image"},
        {noTable, "picture \"in\" is a GIF without a colour table"},
        {smallTable, "picture \"in\" is a damaged GIF: its first frame uses colour 5, which its "
                     "colour table of 4 lacks"},
        {outside, "picture \"in\" is a GIF whose first frame (13 x 10 pixels at 0, 0) does not "
                  "lie within its picture of 12 x 10 pixels"},
        {cutGif, "picture \"in\" is cut short: its GIF data ends before its picture does"},
        {changed(gif, 6, 0), "picture \"in\" is a GIF of 0 x 10 pixels, which holds no picture"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, refusalOf(c.file)) << c.message;
}

TEST(PictureIntake, JpegIsTurnedUprightByItsExifOrientation) {
    ByteVector jpeg = encodeJpeg(gradientPicture(7, 3, false), 90);
    RgbaPicture stored = readBitmap24(prepare(jpeg).bitmap);
    const RgbaPicture upright[] = {
        stored,
        mirrored(stored),
        turned(turned(stored)),
        turned(turned(mirrored(stored))),
        turned(turned(turned(mirrored(stored)))),
        turned(stored),
        turned(mirrored(stored)),
        turned(turned(turned(stored))),
    };
    for (unsigned orientation = 1; orientation <= 8; ++orientation)
        for (bool bigEndian : {false, true}) {
            PreparedPicture prepared = prepare(withOrientation(jpeg, orientation, bigEndian));
            RgbaPicture shown = readBitmap24(prepared.bitmap);
            const RgbaPicture& expected = upright[orientation - 1];
            ASSERT_EQ(expected.width, shown.width) << orientation;
            ASSERT_EQ(expected.height, shown.height) << orientation;
            EXPECT_EQ(0, largestDifference(expected, shown)) << orientation << " " << bigEndian;
            EXPECT_EQ(orientation == 1 ? 1u : 2u, prepared.notes.size()) << orientation;
        }
    // Shrunk by --fit as it is read (at half its size by the decoder, then by the resizer), it
    // comes out as the upright picture shrunk.
    PictureLimits fit;
    fit.fitFollows = true;
    fit.fitWidth = fit.fitHeight = 24;
    ByteVector large = encodeJpeg(smoothPicture(70, 30), 95);
    RgbaPicture largeStored = readBitmap24(prepare(large).bitmap);
    for (unsigned orientation : {1u, 6u}) {
        RgbaPicture expected = orientation == 1 ? largeStored : turned(largeStored);
        WindowSize size =
            fitToScreen(WindowSize{expected.width, expected.height}, WindowSize{24, 24});
        PreparedPicture shrunk = prepare(withOrientation(large, orientation, false), fit);
        RgbaPicture shown = readBitmap24(shrunk.bitmap);
        EXPECT_GE(8, largestDifference(resizePicture(expected, size), shown)) << orientation;
        EXPECT_GE(2.0, meanDifference(resizePicture(expected, size), shown)) << orientation;
    }
    // A value outside 1 to 8 and a cut-short block leave the picture as stored.
    EXPECT_EQ(0, largestDifference(stored,
                                   readBitmap24(prepare(withOrientation(jpeg, 9, false)).bitmap)));
    ByteVector cut = withOrientation(jpeg, 6, false);
    cut[5] = 20; // the segment's length, now ending inside the IFD entry
    EXPECT_EQ(0, largestDifference(stored, readBitmap24(prepare(cut).bitmap)));
}

TEST(PictureIntake, PngOfEveryKindKeepsEveryPixel) {
    // Each row: a PNG layout, its samples at (x, y), and the RGBA the conversion must show
    // there (16-bit samples keep their high byte).
    using Samples = std::vector<unsigned>;
    using Rgba = std::array<unsigned, 4>;
    std::vector<Rgb> sixteen;
    for (unsigned i = 0; i < 16; ++i)
        sixteen.push_back(Rgb{static_cast<unsigned char>(i * 16),
                              static_cast<unsigned char>(255 - i * 9),
                              static_cast<unsigned char>(i * 5)});
    std::vector<Rgb> many;
    for (unsigned i = 0; i < 200; ++i)
        many.push_back(Rgb{static_cast<unsigned char>(i), static_cast<unsigned char>(i * 3),
                           static_cast<unsigned char>(255 - i)});
    auto v = [](UINT x, UINT y) { return x * 37 + y * 91; };
    struct Case {
        const char* name;
        PngSamples layout;
        std::function<Samples(UINT, UINT)> sample;
        std::function<Rgba(UINT, UINT)> shown;
    };
    const Case cases[] = {
        {"grey, 1 bit, interlaced",
         {13, 11, 0, 1, true, {}, {}},
         [](UINT x, UINT y) { return Samples{(x + y) & 1}; },
         [](UINT x, UINT y) {
             return Rgba{(x + y) & 1 ? 255u : 0u, (x + y) & 1 ? 255u : 0u, (x + y) & 1 ? 255u : 0u,
                         255};
         }},
        {"grey, 2 bits",
         {13, 11, 0, 2, false, {}, {}},
         [](UINT x, UINT y) { return Samples{(x + 2 * y) % 4}; },
         [](UINT x, UINT y) {
             unsigned g = (x + 2 * y) % 4 * 85;
             return Rgba{g, g, g, 255};
         }},
        {"grey, 4 bits, interlaced",
         {13, 11, 0, 4, true, {}, {}},
         [](UINT x, UINT y) { return Samples{(x * 3 + y) % 16}; },
         [](UINT x, UINT y) {
             unsigned g = (x * 3 + y) % 16 * 17;
             return Rgba{g, g, g, 255};
         }},
        {"grey, 16 bits",
         {13, 11, 0, 16, false, {}, {}},
         [&](UINT x, UINT y) { return Samples{v(x, y) * 173 % 65536}; },
         [&](UINT x, UINT y) {
             unsigned g = v(x, y) * 173 % 65536 >> 8;
             return Rgba{g, g, g, 255};
         }},
        {"grey with a transparent value",
         {13, 11, 0, 8, false, {}, {0, 45}},
         [](UINT x, UINT y) { return Samples{(x * 45 + y) % 256}; },
         [](UINT x, UINT y) {
             unsigned g = (x * 45 + y) % 256;
             return Rgba{g, g, g, g == 45 ? 0u : 255u};
         }},
        {"grey and alpha, 8 bits",
         {13, 11, 4, 8, false, {}, {}},
         [](UINT x, UINT y) {
             return Samples{x * 9, y * 20};
         },
         [](UINT x, UINT y) {
             return Rgba{x * 9, x * 9, x * 9, y * 20};
         }},
        {"grey and alpha, 16 bits, interlaced",
         {13, 11, 4, 16, true, {}, {}},
         [](UINT x, UINT y) {
             return Samples{x * 5000, 65535 - y * 6000};
         },
         [](UINT x, UINT y) {
             return Rgba{x * 5000 >> 8, x * 5000 >> 8, x * 5000 >> 8, (65535 - y * 6000) >> 8};
         }},
        {"RGB, 16 bits, interlaced",
         {13, 11, 2, 16, true, {}, {}},
         [](UINT x, UINT y) {
             return Samples{x * 3000, y * 2000, (x + y) * 1000};
         },
         [](UINT x, UINT y) {
             return Rgba{x * 3000 >> 8, y * 2000 >> 8, (x + y) * 1000 >> 8, 255};
         }},
        {"RGB with a transparent colour",
         {13, 11, 2, 8, false, {}, {0, 10, 0, 20, 0, 30}},
         [](UINT x, UINT y) {
             return (x + y) % 3 == 0 ? Samples{10, 20, 30} : Samples{x, y, 7};
         },
         [](UINT x, UINT y) {
             return (x + y) % 3 == 0 ? Rgba{10, 20, 30, 0} : Rgba{x, y, 7, 255};
         }},
        {"RGBA, 16 bits",
         {13, 11, 6, 16, false, {}, {}},
         [&](UINT x, UINT y) {
             return Samples{v(x, y) * 97 % 65536, x * 4000, y * 3000, y * 5000};
         },
         [&](UINT x, UINT y) {
             return Rgba{v(x, y) * 97 % 65536 >> 8, x * 4000 >> 8, y * 3000 >> 8, y * 5000 >> 8};
         }},
        {"palette, 1 bit",
         {13, 11, 3, 1, false, {{200, 10, 20}, {5, 250, 60}}, {}},
         [](UINT x, UINT y) { return Samples{(x * y) & 1}; },
         [](UINT x, UINT y) {
             return (x * y) & 1 ? Rgba{5, 250, 60, 255} : Rgba{200, 10, 20, 255};
         }},
        {"palette, 4 bits, with transparent entries",
         {13, 11, 3, 4, false, sixteen, {0, 128, 255}},
         [](UINT x, UINT y) { return Samples{(x + y) % 16}; },
         [&](UINT x, UINT y) {
             unsigned i = (x + y) % 16;
             return Rgba{sixteen[i].red, sixteen[i].green, sixteen[i].blue,
                         i == 0   ? 0u
                         : i == 1 ? 128u
                                  : 255u};
         }},
        {"palette, 8 bits, interlaced",
         {13, 11, 3, 8, true, many, {}},
         [&](UINT x, UINT y) { return Samples{v(x, y) % 200}; },
         [&](UINT x, UINT y) {
             const Rgb& c = many[v(x, y) % 200];
             return Rgba{c.red, c.green, c.blue, 255};
         }},
    };
    PictureLimits limits;
    limits.background = Rgb{7, 8, 9};
    for (const Case& c : cases) {
        RgbaPicture expected;
        expected.width = c.layout.width;
        expected.height = c.layout.height;
        for (UINT y = 0; y < expected.height; ++y)
            for (UINT x = 0; x < expected.width; ++x)
                for (unsigned value : c.shown(x, y))
                    expected.rgba.push_back(static_cast<unsigned char>(value));
        PreparedPicture prepared = prepare(writePng(c.layout, c.sample), limits);
        EXPECT_EQ(
            0, largestDifference(over(expected, limits.background), readBitmap24(prepared.bitmap)))
            << c.name;
        EXPECT_EQ(hasTransparency(expected) ? 2u : 1u, prepared.notes.size()) << c.name;
    }
}

TEST(PictureIntake, JpegOfEveryCodingIsRead) {
    // The files hold smoothPicture(48, 32), coded at quality 95 (the grey one holds its green).
    struct Case {
        const char* file;
        const char* note; // the decoder's own, after the conversion's
    };
    const Case cases[] = {
        {"cmyk.jpg", "picture \"in\" is a CMYK JPEG: its inks are turned into screen colours by "
                     "the plain formula, without a colour profile"},
        {"ycck.jpg", "picture \"in\" is a YCCK JPEG: its inks are turned into screen colours by "
                     "the plain formula, without a colour profile"},
        {"progressive.jpg", nullptr},
        {"arithmetic.jpg", nullptr},
        {"grey-progressive-arithmetic.jpg", nullptr},
    };
    for (const Case& c : cases) {
        RgbaPicture expected = smoothPicture(48, 32);
        if (std::string(c.file).find("grey") != std::string::npos)
            for (std::size_t at = 0; at < expected.rgba.size(); at += 4)
                expected.rgba[at] = expected.rgba[at + 2] = expected.rgba[at + 1];
        PreparedPicture prepared = prepare(pictureFile(c.file));
        RgbaPicture shown = readBitmap24(prepared.bitmap);
        EXPECT_GE(12, largestDifference(expected, shown)) << c.file;
        EXPECT_GE(2.0, meanDifference(expected, shown)) << c.file;
        EXPECT_EQ(c.note ? 2u : 1u, prepared.notes.size()) << c.file;
        if (c.note && prepared.notes.size() == 2) {
            EXPECT_EQ(c.note, prepared.notes[1]) << c.file;
        }
    }
}

TEST(PictureIntake, DamagedJpegDataIsReadPastWithAWarning) {
    ByteVector jpeg = encodeJpeg(smoothPicture(48, 32), 90);
    ByteVector cut(jpeg.begin(), jpeg.end() - 200);
    PreparedPicture prepared = prepare(cut);
    EXPECT_EQ(48u, prepared.width);
    EXPECT_EQ(std::vector<std::string>{"picture \"in\" is a damaged JPEG (\"Premature end of "
                                       "JPEG file\"); splashpack reads past the damage, and what "
                                       "it cannot read shows grey or out of place"},
              prepared.warnings);
    EXPECT_TRUE(prepare(jpeg).warnings.empty());
}

TEST(PictureIntake, FitShrinksEveryKindAsItIsRead) {
    // Each source, 150 x 90, fitted to 64 x 64: read straight into a picture a whole factor
    // smaller (2, or 1/2 by the JPEG decoder), then resized to 64 x 38, it must look like the
    // whole picture resized.
    RgbaPicture source = smoothPicture(150, 90);
    std::vector<Rgb> palette;
    std::vector<unsigned char> indices;
    for (std::size_t at = 0; at < source.rgba.size(); at += 4) {
        // A palette of the picture's colours in 216 steps, and the picture in them.
        auto step = [&](int channel) { return (source.rgba[at + channel] + 25) / 51; };
        indices.push_back(static_cast<unsigned char>(step(0) * 36 + step(1) * 6 + step(2)));
    }
    for (unsigned i = 0; i < 216; ++i)
        palette.push_back(Rgb{static_cast<unsigned char>(i / 36 * 51),
                              static_cast<unsigned char>(i / 6 % 6 * 51),
                              static_cast<unsigned char>(i % 6 * 51)});
    auto rgb = [&](UINT x, UINT y) {
        const unsigned char* p = &source.rgba[(y * 150 + x) * 4];
        return std::vector<unsigned>{p[0], p[1], p[2]};
    };
    RgbaPicture inPalette = source;
    for (std::size_t pixel = 0; pixel < indices.size(); ++pixel) {
        inPalette.rgba[pixel * 4] = palette[indices[pixel]].red;
        inPalette.rgba[pixel * 4 + 1] = palette[indices[pixel]].green;
        inPalette.rgba[pixel * 4 + 2] = palette[indices[pixel]].blue;
    }
    struct Case {
        const char* name;
        ByteVector file;
        const RgbaPicture& whole; // what it shows unshrunk, to within `loss`
        int loss;
    };
    const Case cases[] = {
        {"PNG", writePng({150, 90, 2, 8, false, {}, {}}, rgb), source, 0},
        {"interlaced PNG", writePng({150, 90, 2, 8, true, {}, {}}, rgb), source, 0},
        {"GIF", encodeGif(150, 90, palette, {indices}, -1), inPalette, 0},
        {"interlaced GIF", encodeGif(150, 90, palette, {indices}, -1, true), inPalette, 0},
        {"BMP the player reads", encodeBitmap24(source, Rgb{}), source, 0},
        {"JPEG", encodeJpeg(source, 95), source, 6},
    };
    PictureLimits fit;
    fit.fitFollows = fit.reshapeFollows = true;
    fit.fitWidth = fit.fitHeight = 64;
    for (const Case& c : cases) {
        RgbaPicture whole = readBitmap24(prepare(c.file).bitmap);
        EXPECT_GE(c.loss, largestDifference(c.whole, whole)) << c.name;
        PreparedPicture shrunk = prepare(c.file, fit);
        EXPECT_EQ(64u, shrunk.width) << c.name;
        EXPECT_EQ(38u, shrunk.height) << c.name;
        RgbaPicture shown = readBitmap24(shrunk.bitmap);
        RgbaPicture expected = resizePicture(whole, WindowSize{64, 38});
        EXPECT_GE(10, largestDifference(expected, shown)) << c.name;
        EXPECT_GE(1.5, meanDifference(expected, shown)) << c.name;
        ASSERT_FALSE(shrunk.notes.empty()) << c.name;
        EXPECT_EQ("picture \"in\" shrunk from 150 x 90 to 64 x 38 pixels to fit 64 x 64 (--fit)",
                  shrunk.notes.back())
            << c.name;
    }
}

TEST(PictureIntake, ShrinkingAveragesInLinearLight) {
    // Black and white pixels in turn, halved exactly: each pair is half the light, which sRGB
    // writes as 188, not 128; a transparent half leaves the colour and halves the alpha.
    ShrinkingPicture halved(WindowSize{3, 1});
    halved.start(7, 2);
    const unsigned char top[] = {0,   0,   0, 255, 255, 255, 255, 255, 0,  0, 0,  255, 255, 255,
                                 255, 255, 9, 9,   9,   255, 200, 100, 50, 0, 10, 20,  30,  255};
    halved.row(0, top);
    halved.row(1, top);
    ASSERT_EQ(2u, halved.factor());
    const std::vector<unsigned char> expected = {188, 188, 188, 255, 188, 188, 188, 255,
                                                 9,   9,   9,   128, 10,  20,  30,  255};
    EXPECT_EQ(expected, halved.picture().rgba);
    for (unsigned value = 0; value < 256; ++value)
        EXPECT_EQ(value, srgbFromLinear(linearFromSrgb(static_cast<unsigned char>(value))));
}

#if defined(__linux__) && defined(__x86_64__)
// The Linux tool links Debian's libjpeg-turbo, which decodes with SIMD code where the processor
// has it; splashpack.exe and the page build the same release without SIMD. The library picks its
// code once per thread, reading JSIMD_FORCENONE, so each reading runs on a thread of its own.
extern "C" int jsimd_can_idct_islow(void);

TEST(PictureIntake, JpegDecodesAlikeWithAndWithoutTheLibrarysSimdCode) {
    auto readOnThread = [](const ByteVector& jpeg, const PictureLimits& limits, bool plain,
                           bool& simdUsed) {
        if (plain)
            setenv("JSIMD_FORCENONE", "1", 1);
        else
            unsetenv("JSIMD_FORCENONE");
        ByteVector bitmap;
        std::thread reader([&] {
            simdUsed = jsimd_can_idct_islow() != 0;
            bitmap = prepare(jpeg, limits).bitmap;
        });
        reader.join();
        unsetenv("JSIMD_FORCENONE");
        return bitmap;
    };
    std::vector<std::pair<std::string, ByteVector>> files;
    for (const char* name :
         {"busy-420.jpg", "busy-422.jpg", "busy-440.jpg", "busy-411.jpg", "progressive.jpg",
          "arithmetic.jpg", "cmyk.jpg", "ycck.jpg", "grey-progressive-arithmetic.jpg"})
        files.emplace_back(name, pictureFile(name));
    files.emplace_back("4:4:4 of the tests' encoder",
                       encodeJpeg(gradientPicture(97, 67, false), 95));
    files.emplace_back("4:2:0 of the tests' encoder",
                       encodeJpeg(gradientPicture(97, 67, false), 75));
    // The whole picture, and fits the decoder reaches at 1/2, 1/4 and 1/8 of 97 x 67.
    for (const auto& file : files)
        for (UINT fitWidth : {0u, 49u, 25u, 13u}) {
            PictureLimits limits;
            limits.fitFollows = limits.reshapeFollows = fitWidth != 0;
            limits.fitWidth = limits.fitHeight = fitWidth;
            bool simd = false;
            bool plainSimd = true;
            ByteVector fast = readOnThread(file.second, limits, false, simd);
            ByteVector plain = readOnThread(file.second, limits, true, plainSimd);
            EXPECT_TRUE(simd && !plainSimd) << "the library's SIMD code is not switched";
            EXPECT_TRUE(fast == plain) << file.first << " fitted to " << fitWidth;
        }
}
#endif
