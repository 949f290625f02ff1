// Writes the inputs the fuzz targets start from: whole splash files (some signed), bare payload
// blocks and extensions made by the payload writer, small BMPs of each accepted bit count,
// pictures of every kind written by the encoders of Debian's libpng, libjpeg-turbo and giflib,
// and copies of the BMP test corpus and the tests' JPEGs when their folders are given.
//   fuzz_starters <corpus folder> [<BMP corpus folder> [<pictures folder>]]
#include "payload_writer.h"

#include <cstdio>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void putLittle(ByteVector& bytes, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// An uncompressed BMP with a 40-byte header, a full palette for palette bit counts (or
// `coloursUsed` entries when given) and a simple pattern in the pixels.
ByteVector makeBitmap(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                      std::uint32_t coloursUsed = 0) {
    const std::uint32_t entries =
        coloursUsed != 0 ? coloursUsed : (bitCount <= 8 ? 1u << bitCount : 0);
    const std::uint32_t absoluteHeight = height < 0 ? -height : height;
    const std::uint32_t stride = (std::uint32_t(width) * bitCount + 31) / 32 * 4;
    const std::uint32_t bitsOffset = 14 + 40 + entries * 4;
    const std::uint32_t fileSize = bitsOffset + stride * absoluteHeight;
    ByteVector bytes{'B', 'M'};
    putLittle(bytes, fileSize, 4);
    putLittle(bytes, 0, 4);
    putLittle(bytes, bitsOffset, 4);
    putLittle(bytes, 40, 4);
    putLittle(bytes, std::uint32_t(width), 4);
    putLittle(bytes, std::uint32_t(height), 4);
    putLittle(bytes, 1, 2);
    putLittle(bytes, bitCount, 2);
    putLittle(bytes, 0, 4); // BI_RGB
    putLittle(bytes, stride * absoluteHeight, 4);
    putLittle(bytes, 2835, 4);
    putLittle(bytes, 2835, 4);
    putLittle(bytes, coloursUsed, 4);
    putLittle(bytes, 0, 4);
    for (std::uint32_t i = 0; i < entries; ++i)
        putLittle(bytes, i * 0x00102030u & 0x00FFFFFFu, 4);
    for (std::uint32_t i = 0; i < stride * absoluteHeight; ++i)
        bytes.push_back(static_cast<unsigned char>(i * 37));
    return bytes;
}

// A short mono 8-bit PCM WAV.
ByteVector makeSound() {
    ByteVector samples;
    for (int i = 0; i < 64; ++i)
        samples.push_back(static_cast<unsigned char>(128 + (i % 16 < 8 ? 40 : -40)));
    ByteVector bytes{'R', 'I', 'F', 'F'};
    putLittle(bytes, std::uint32_t(36 + samples.size()), 4);
    for (char c : std::string("WAVEfmt "))
        bytes.push_back(static_cast<unsigned char>(c));
    putLittle(bytes, 16, 4);
    putLittle(bytes, 1, 2);    // PCM
    putLittle(bytes, 1, 2);    // mono
    putLittle(bytes, 8000, 4); // samples per second
    putLittle(bytes, 8000, 4); // bytes per second
    putLittle(bytes, 1, 2);    // block align
    putLittle(bytes, 8, 2);    // bits per sample
    for (char c : std::string("data"))
        bytes.push_back(static_cast<unsigned char>(c));
    putLittle(bytes, std::uint32_t(samples.size()), 4);
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
}

std::vector<SplashDescription> splashes() {
    std::vector<SplashDescription> all;

    all.emplace_back(); // nothing but the empty texts and zero numbers

    SplashDescription full;
    full.picture = makeBitmap(3, 2, 24);
    full.sound = makeSound();
    full.targetFile = "setup.exe";
    full.displayTime = 4000;
    full.launchDelay = 1500;
    full.versionList = "1 2 3 4 5 6";
    full.resolution = "800 x 600";
    full.colourDepth = "16 bit";
    full.requirementsMessage = "This program needs a larger screen.";
    full.skippedText = "kept by the authoring tool";
    full.skippedBytes = {1, 2, 3, 4, 5, 6, 7, 8};
    full.imageOption = 1;
    all.push_back(full);

    SplashDescription palette;
    palette.picture = makeBitmap(5, -4, 8, 16);
    palette.targetFile = "docs\\read me.txt";
    palette.displayTime = 0xFFFFFFFFu;
    palette.versionList = "0 6 4";
    palette.resolution = "1024x768";
    palette.colourDepth = "8 bit";
    all.push_back(palette);

    SplashDescription limits;
    limits.sound = makeSound();
    limits.versionList = std::string(99, '1');
    limits.resolution = "4294967295 x 4294967296";
    limits.colourDepth = std::string(99, '9');
    limits.requirementsMessage = std::string(300, 'm');
    all.push_back(limits);

    SplashDescription extended = full;
    extended.extension.waitForTarget = true;
    extended.extension.shaped = true;
    extended.extension.keyColour = KeyColour{255, 0, 255};
    extended.extension.fadeIn = 300;
    extended.extension.fadeOut = 600;
    extended.extension.laterWindows = true;
    all.push_back(extended);

    SplashDescription fadeOnly = palette;
    fadeOnly.extension.fadeOut = 1000;
    all.push_back(fadeOnly);
    return all;
}

// A splash as a signing tool leaves it: PE32 headers (no sections, 16 data directories) whose
// directory 4 names a certificate table appended after `padding` zero bytes.
ByteVector signedSplash(const ByteVector& block, std::uint32_t padding) {
    ByteVector headers{'M', 'Z'};
    headers.resize(0x3C);
    putLittle(headers, 0x40, 4);
    putLittle(headers, 0x00004550, 4); // "PE\0\0"
    putLittle(headers, 0x014C, 2);     // i386
    headers.resize(0x40 + 20);
    putLittle(headers, 0xE0, 2); // optional header size
    putLittle(headers, 0x0102, 2);
    putLittle(headers, 0x10B, 2); // PE32
    headers.resize(0x58 + 60);
    putLittle(headers, 0x200, 4); // size of the headers
    headers.resize(0x58 + 92);
    putLittle(headers, 16, 4);
    headers.resize(0x200);
    ByteVector file = appendPayload(headers, block);
    const std::uint32_t tableOffset = std::uint32_t(file.size() + padding);
    const std::uint32_t tableSize = 48;
    for (int i = 0; i < 4; ++i) {
        file[0x58 + 96 + 32 + i] = static_cast<unsigned char>(tableOffset >> (8 * i));
        file[0x58 + 96 + 36 + i] = static_cast<unsigned char>(tableSize >> (8 * i));
    }
    file.resize(tableOffset, 0);
    file.resize(tableOffset + tableSize, 0x30);
    return file;
}

void writeFile(const fs::path& path, const ByteVector& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

// PCM and ADPCM sounds, one with a chunk before the format and an odd-length one.
void writeWaveStarters(const fs::path& folder) {
    const struct {
        const char* name;
        std::uint16_t tag;
        std::uint32_t dataBytes;
        bool listFirst;
    } waves[] = {{"pcm", 1, 64, false},
                 {"adpcm", 2, 33, false},
                 {"list", 1, 8, true},
                 {"empty", 1, 0, false}};
    for (const auto& wave : waves) {
        ByteVector chunks;
        if (wave.listFirst) {
            chunks.insert(chunks.end(), {'L', 'I', 'S', 'T'});
            putLittle(chunks, 3, 4);
            chunks.insert(chunks.end(), {'a', 'b', 'c', 0});
        }
        chunks.insert(chunks.end(), {'f', 'm', 't', ' '});
        putLittle(chunks, 16, 4);
        putLittle(chunks, wave.tag, 2);
        putLittle(chunks, 1, 2);
        putLittle(chunks, 8000, 4);
        putLittle(chunks, 16000, 4);
        putLittle(chunks, 2, 2);
        putLittle(chunks, 16, 2);
        chunks.insert(chunks.end(), {'d', 'a', 't', 'a'});
        putLittle(chunks, wave.dataBytes, 4);
        for (std::uint32_t i = 0; i < wave.dataBytes + (wave.dataBytes & 1); ++i)
            chunks.push_back(static_cast<unsigned char>(i * 7));
        ByteVector file{'R', 'I', 'F', 'F'};
        putLittle(file, std::uint32_t(4 + chunks.size()), 4);
        file.insert(file.end(), {'W', 'A', 'V', 'E'});
        file.insert(file.end(), chunks.begin(), chunks.end());
        writeFile(folder / (std::string(wave.name) + ".wav"), file);
    }
}

// JPEG starts with an Exif segment of each byte order, behind another segment and not.
void writeExifStarters(const fs::path& folder) {
    for (int orientation = 1; orientation <= 8; ++orientation)
        for (bool bigEndian : {false, true}) {
            auto put = [bigEndian](ByteVector& bytes, std::uint32_t value, int width) {
                for (int i = 0; i < width; ++i)
                    bytes.push_back(
                        static_cast<unsigned char>(value >> (8 * (bigEndian ? width - 1 - i : i))));
            };
            ByteVector tiff = bigEndian ? ByteVector{'M', 'M'} : ByteVector{'I', 'I'};
            put(tiff, 42, 2);
            put(tiff, 8, 4);
            put(tiff, 2, 2);
            put(tiff, 0x010F, 2); // the camera's maker, an ASCII value elsewhere
            put(tiff, 2, 2);
            put(tiff, 4, 4);
            put(tiff, 0, 4);
            put(tiff, 0x0112, 2);
            put(tiff, 3, 2);
            put(tiff, 1, 4);
            put(tiff, std::uint32_t(orientation), 2);
            put(tiff, 0, 2);
            put(tiff, 0, 4);
            ByteVector file{0xFF, 0xD8};
            if (orientation % 2 == 0)
                file.insert(file.end(), {0xFF, 0xE0, 0, 4, 'J', 'F'});
            file.insert(file.end(), {0xFF, 0xE1, 0, static_cast<unsigned char>(8 + tiff.size()),
                                     'E', 'x', 'i', 'f', 0, 0});
            file.insert(file.end(), tiff.begin(), tiff.end());
            file.insert(file.end(), {0xFF, 0xDA, 0, 2, 0xFF, 0xD9});
            writeFile(folder / ("orientation-" + std::to_string(orientation) +
                                (bigEndian ? "-mm.jpg" : "-ii.jpg")),
                      file);
        }
}

// Samples of a small photo-like picture: smooth in places, busy in others.
unsigned sampleAt(unsigned x, unsigned y, unsigned channel) {
    return (x * (40 + 30 * channel) + y * (70 - 20 * channel) + (x * y * 7 >> (channel + 1))) &
           0xFF;
}

ByteVector pngStarter(unsigned width, unsigned height, int colourType, int bitDepth,
                      bool interlaced, bool transparency, bool ancillary) {
    ByteVector bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        throw std::runtime_error("libpng cannot write a starter");
    png_set_write_fn(
        png, &bytes,
        [](png_structp p, png_bytep data, png_size_t length) {
            auto* out = static_cast<ByteVector*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + length);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const int entries = colourType == PNG_COLOR_TYPE_PALETTE ? 1 << bitDepth : 0;
    std::vector<png_color> palette(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i)
        palette[std::size_t(i)] =
            png_color{png_byte(i * 37), png_byte(255 - i * 11), png_byte(i * 5)};
    if (entries > 0)
        png_set_PLTE(png, info, palette.data(), entries);
    png_byte alphas[4] = {0, 90, 180, 255};
    png_color_16 key{};
    key.red = key.green = key.blue = key.gray = 3;
    if (transparency)
        png_set_tRNS(png, info, alphas, entries > 0 ? 4 : 0, entries > 0 ? nullptr : &key);
    if (ancillary) {
        png_set_gAMA(png, info, 0.45455);
        png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
        png_set_pHYs(png, info, 2835, 2835, PNG_RESOLUTION_METER);
        png_text text{};
        text.compression = PNG_TEXT_COMPRESSION_zTXt;
        text.key = const_cast<char*>("Comment");
        text.text = const_cast<char*>("a starter for the picture intake fuzzer");
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_byte> rows(rowBytes * height);
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                unsigned value = sampleAt(x, y, unsigned(c));
                png_byte* row = &rows[y * rowBytes];
                if (bitDepth == 16) {
                    row[(x * channels + c) * 2] = png_byte(value);
                    row[(x * channels + c) * 2 + 1] = png_byte(value * 3);
                } else if (bitDepth == 8) {
                    row[x * channels + c] = png_byte(value);
                } else {
                    unsigned bit = x * unsigned(bitDepth);
                    row[bit / 8] |= png_byte((value >> (8 - bitDepth)) << (8 - bitDepth - bit % 8));
                }
            }
    std::vector<png_bytep> starts(height);
    for (unsigned y = 0; y < height; ++y)
        starts[y] = &rows[y * rowBytes];
    png_write_image(png, starts.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

struct JpegStarter {
    const char* name;
    J_COLOR_SPACE input;
    J_COLOR_SPACE coded;
    int hSampling; // of the first component, the others 1
    int vSampling;
    bool progressive;
    bool arithmetic;
    unsigned restartRows;
};

ByteVector jpegStarter(const JpegStarter& starter, unsigned width, unsigned height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.in_color_space = starter.input;
    info.input_components = starter.input == JCS_GRAYSCALE ? 1 : starter.input == JCS_CMYK ? 4 : 3;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, starter.coded);
    info.comp_info[0].h_samp_factor = starter.hSampling;
    info.comp_info[0].v_samp_factor = starter.vSampling;
    jpeg_set_quality(&info, 80, TRUE);
    if (starter.progressive)
        jpeg_simple_progression(&info);
    info.arith_code = starter.arithmetic;
    info.restart_in_rows = int(starter.restartRows);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(width) * unsigned(info.input_components));
    while (info.next_scanline < height) {
        for (unsigned x = 0; x < width; ++x)
            for (int c = 0; c < info.input_components; ++c)
                row[x * unsigned(info.input_components) + unsigned(c)] =
                    static_cast<unsigned char>(sampleAt(x, info.next_scanline, unsigned(c)));
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    ByteVector bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// A GIF of `frames` frames (the later ones smaller and moved), interlaced or not, with a
// transparent colour when asked.
ByteVector gifStarter(unsigned width, unsigned height, int frames, bool interlaced,
                      bool transparent, bool localTable) {
    ByteVector bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &bytes,
        [](GifFileType* g, const GifByteType* data, int length) {
            auto* out = static_cast<ByteVector*>(g->UserData);
            out->insert(out->end(), data, data + length);
            return length;
        },
        &error);
    GifColorType colours[16];
    for (int i = 0; i < 16; ++i)
        colours[i] =
            GifColorType{GifByteType(i * 16), GifByteType(255 - i * 8), GifByteType(i * 3)};
    ColorMapObject* map = GifMakeMapObject(16, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, int(width), int(height), 4, 0, localTable ? nullptr : map);
    for (int frame = 0; frame < frames; ++frame) {
        GraphicsControlBlock control{};
        control.DelayTime = 10;
        control.TransparentColor = transparent ? 5 : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        const unsigned left = unsigned(frame) * 2;
        const unsigned wide = width - left;
        const unsigned high = height - unsigned(frame);
        EGifPutImageDesc(gif, int(left), frame, int(wide), int(high), interlaced,
                         localTable ? map : nullptr);
        const unsigned starts[] = {0, 4, 2, 1};
        const unsigned steps[] = {8, 8, 4, 2};
        std::vector<GifPixelType> line(wide);
        for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
            for (unsigned y = interlaced ? starts[pass] : 0; y < high;
                 y += interlaced ? steps[pass] : 1) {
                for (unsigned x = 0; x < wide; ++x)
                    line[x] = GifPixelType(sampleAt(x, y, unsigned(frame)) >> 4);
                EGifPutLine(gif, line.data(), int(wide));
            }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

// Each picture three times: with no option, fitted to 21 x 17 in 256 colours, and in the system
// colours undithered (the last two bytes choose, as picture_intake_fuzzer.cpp reads them).
void writePictureStarter(const fs::path& folder, const std::string& name,
                         const ByteVector& picture) {
    const unsigned char options[3][2] = {{0x00, 0x00}, {0x4D, 20}, {0x07, 0x40}};
    for (int i = 0; i < 3; ++i) {
        ByteVector starter = picture;
        starter.insert(starter.end(), options[i], options[i] + 2);
        writeFile(folder / (name + "-" + std::to_string(i)), starter);
    }
}

void writePictureStarters(const fs::path& folder, const fs::path& pictures) {
    const struct {
        const char* name;
        int colourType;
        int bitDepth;
        bool interlaced;
        bool transparency;
        bool ancillary;
    } pngs[] = {
        {"grey1", PNG_COLOR_TYPE_GRAY, 1, false, false, false},
        {"grey2-interlaced", PNG_COLOR_TYPE_GRAY, 2, true, false, false},
        {"grey4", PNG_COLOR_TYPE_GRAY, 4, false, false, true},
        {"grey8-key", PNG_COLOR_TYPE_GRAY, 8, false, true, false},
        {"grey16", PNG_COLOR_TYPE_GRAY, 16, false, false, false},
        {"rgb8", PNG_COLOR_TYPE_RGB, 8, false, false, true},
        {"rgb8-interlaced-key", PNG_COLOR_TYPE_RGB, 8, true, true, false},
        {"rgb16", PNG_COLOR_TYPE_RGB, 16, false, false, false},
        {"palette1", PNG_COLOR_TYPE_PALETTE, 1, false, false, false},
        {"palette2-alpha", PNG_COLOR_TYPE_PALETTE, 2, false, true, false},
        {"palette4-interlaced", PNG_COLOR_TYPE_PALETTE, 4, true, true, false},
        {"palette8", PNG_COLOR_TYPE_PALETTE, 8, false, false, true},
        {"grey-alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false, false},
        {"grey-alpha16-interlaced", PNG_COLOR_TYPE_GRAY_ALPHA, 16, true, false, false},
        {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, false},
        {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, true},
    };
    for (const auto& png : pngs)
        writePictureStarter(folder, std::string(png.name) + ".png",
                            pngStarter(23, 17, png.colourType, png.bitDepth, png.interlaced,
                                       png.transparency, png.ancillary));

    const JpegStarter jpegs[] = {
        {"420", JCS_RGB, JCS_YCbCr, 2, 2, false, false, 0},
        {"422-restarts", JCS_RGB, JCS_YCbCr, 2, 1, false, false, 1},
        {"440", JCS_RGB, JCS_YCbCr, 1, 2, false, false, 0},
        {"444-progressive", JCS_RGB, JCS_YCbCr, 1, 1, true, false, 0},
        {"411-arithmetic", JCS_RGB, JCS_YCbCr, 4, 1, false, true, 0},
        {"420-progressive-arithmetic", JCS_RGB, JCS_YCbCr, 2, 2, true, true, 0},
        {"rgb", JCS_RGB, JCS_RGB, 1, 1, false, false, 0},
        {"grey", JCS_GRAYSCALE, JCS_GRAYSCALE, 1, 1, false, false, 0},
        {"cmyk", JCS_CMYK, JCS_CMYK, 1, 1, false, false, 0},
        {"ycck-progressive", JCS_CMYK, JCS_YCCK, 2, 2, true, false, 0},
    };
    for (const JpegStarter& jpeg : jpegs)
        writePictureStarter(folder, std::string(jpeg.name) + ".jpg", jpegStarter(jpeg, 37, 21));

    writePictureStarter(folder, "still.gif", gifStarter(19, 13, 1, false, false, false));
    writePictureStarter(folder, "interlaced.gif", gifStarter(19, 13, 1, true, true, false));
    writePictureStarter(folder, "animated-local.gif", gifStarter(19, 13, 3, false, true, true));

    // The tests' JPEGs, and a few BMPs of each kind the conversion reads.
    if (!pictures.empty() && fs::is_directory(pictures))
        for (const fs::directory_entry& entry : fs::directory_iterator(pictures))
            if (entry.is_regular_file() && entry.path().extension() == ".jpg") {
                std::ifstream in(entry.path(), std::ios::binary);
                ByteVector bytes((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
                writePictureStarter(folder, "tests-" + entry.path().filename().string(), bytes);
            }
}

void writeStarters(const fs::path& corpus, const fs::path& bmpCorpus, const fs::path& pictures) {
    const fs::path payloadStarters = corpus / "payload";
    const fs::path settingsStarters = corpus / "settings";
    const fs::path bitmapStarters = corpus / "bitmap";
    const fs::path waveStarters = corpus / "wave";
    const fs::path exifStarters = corpus / "exif";
    const fs::path pictureStarters = corpus / "picture";
    const fs::path extensionStarters = corpus / "extension";
    for (const fs::path& folder : {payloadStarters, settingsStarters, bitmapStarters, waveStarters,
                                   exifStarters, pictureStarters, extensionStarters}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    writeWaveStarters(waveStarters);
    writeExifStarters(exifStarters);
    writePictureStarters(pictureStarters, pictures);

    // A stand-in for the player's own bytes in front of the block.
    const ByteVector player{'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF};
    int index = 0;
    for (const SplashDescription& splash : splashes()) {
        const ByteVector block = buildPayloadBlock(splash);
        const std::string name = "splash-" + std::to_string(index++);
        writeFile(settingsStarters / (name + ".block"), block);
        writeFile(payloadStarters / (name + ".exe"), appendPayload(player, block));
        writeFile(payloadStarters / (name + "-bare.bin"), appendPayload({}, block));
        writeFile(payloadStarters / (name + "-signed.exe"),
                  signedSplash(block, (index - 1) * 3 % 8));
        if (splash.extension.any())
            writeFile(extensionStarters / (name + ".ext"), extensionBytes(splash.extension));
    }

    const struct {
        const char* name;
        std::int32_t width;
        std::int32_t height;
        std::uint16_t bitCount;
        std::uint32_t coloursUsed;
    } bitmaps[] = {
        {"mono", 9, 3, 1, 0},        {"nibble", 7, 2, 4, 0},  {"palette", 4, 4, 8, 0},
        {"few-colours", 3, 3, 8, 5}, {"rgb555", 5, 3, 16, 0}, {"rgb", 3, 2, 24, 0},
        {"top-down", 2, -3, 24, 0},  {"rgbx", 2, 2, 32, 0},   {"rgb-with-table", 2, 1, 24, 2},
    };
    for (const auto& bitmap : bitmaps) {
        const ByteVector bmp =
            makeBitmap(bitmap.width, bitmap.height, bitmap.bitCount, bitmap.coloursUsed);
        writeFile(bitmapStarters / (std::string(bitmap.name) + ".bmp"), bmp);
        writePictureStarter(pictureStarters, std::string(bitmap.name) + ".bmp", bmp);
    }

    if (bmpCorpus.empty())
        return;
    int copied = 0;
    for (const char* group : {"g", "b", "q"}) {
        const fs::path folder = bmpCorpus / group;
        if (!fs::is_directory(folder))
            continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".bmp")
                continue;
            const std::string name = std::string(group) + "-" + entry.path().filename().string();
            fs::copy_file(entry.path(), bitmapStarters / name,
                          fs::copy_options::overwrite_existing);
            // The conversion's own readers get the files the player refuses.
            if (std::string(group) != "g" || name.find("rle") != std::string::npos ||
                name.find("bf") != std::string::npos || name.find("v4") != std::string::npos) {
                std::ifstream in(entry.path(), std::ios::binary);
                writePictureStarter(pictureStarters, name,
                                    ByteVector((std::istreambuf_iterator<char>(in)),
                                               std::istreambuf_iterator<char>()));
            }
            ++copied;
        }
    }
    if (copied == 0)
        std::cerr << "fuzz_starters: no BMP files under " << bmpCorpus.string() << "\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::cerr
            << "usage: fuzz_starters <corpus folder> [<BMP corpus folder> [<pictures folder>]]\n";
        return 2;
    }
    try {
        writeStarters(argv[1], argc >= 3 ? fs::path(argv[2]) : fs::path(),
                      argc == 4 ? fs::path(argv[3]) : fs::path());
    } catch (const std::string& message) {
        std::cerr << "fuzz_starters: " << message << "\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "fuzz_starters: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
