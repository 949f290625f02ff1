// Picture intake: BMPs the player reads pass unchanged, everything else becomes a 24-bit BMP
// whose pixels are checked against the source, and every refusal names its reason.
#include "picture_intake.h"

#include "bitmap_format.h"
#include "picture_fit.h"
#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <cstring>

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
    // A BMP holding a JPEG stream shows exactly what that stream decodes to, and that is
    // close to the plain picture.
    ByteVector holder = corpusFile("q/rgb24jpeg.bmp");
    UINT offset = holder[10] | holder[11] << 8;
    UINT length = holder[34] | holder[35] << 8 | holder[36] << 16;
    ByteVector stream(holder.begin() + offset, holder.begin() + offset + length);
    RgbaPicture converted = readBitmap24(prepare(holder).bitmap);
    EXPECT_EQ(0, largestDifference(decodeReference(stream), converted));
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
    // The decoder's own reading of the stream is what goes in, exactly.
    EXPECT_EQ(0, largestDifference(decodeReference(encodeJpeg(source, 100)), converted));
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
    struct Case {
        ByteVector file;
        const char* message;
    };
    const Case cases[] = {
        {{}, "picture \"in\" is empty"},
        {{'I', 'I', '*', 0, 8, 0, 0, 0},
         "picture \"in\" is not a picture splashpack reads; use BMP, PNG, JPEG or GIF"},
        {truncated, "picture \"in\" cannot be read: the image library reports \"Corrupt PNG\""},
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
    // Shrunk by --fit as it is read, it comes out as the upright picture shrunk.
    PictureLimits fit;
    fit.fitFollows = true;
    fit.fitWidth = fit.fitHeight = 4;
    for (unsigned orientation : {1u, 6u}) {
        const RgbaPicture& expected = upright[orientation - 1];
        WindowSize size =
            fitToScreen(WindowSize{expected.width, expected.height}, WindowSize{4, 4});
        PreparedPicture shrunk = prepare(withOrientation(jpeg, orientation, false), fit);
        EXPECT_GE(2, largestDifference(resizePicture(expected, size), readBitmap24(shrunk.bitmap)))
            << orientation;
    }
    // A value outside 1 to 8 and a cut-short block leave the picture as stored.
    EXPECT_EQ(0, largestDifference(stored,
                                   readBitmap24(prepare(withOrientation(jpeg, 9, false)).bitmap)));
    ByteVector cut = withOrientation(jpeg, 6, false);
    cut[5] = 20; // the segment's length, now ending inside the IFD entry
    EXPECT_EQ(0, largestDifference(stored, readBitmap24(prepare(cut).bitmap)));
}
