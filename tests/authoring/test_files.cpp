// Scratch folders, generated pictures and sounds, and strict readers for the splashpack tests.
#include "test_files.h"

#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <utility>

namespace fs = std::filesystem;

namespace {

UINT read16(const ByteVector& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8;
}
UINT read32(const ByteVector& bytes, std::size_t at) {
    return read16(bytes, at) | read16(bytes, at + 2) << 16;
}

void put16(ByteVector& bytes, UINT value) {
    bytes.push_back(static_cast<unsigned char>(value));
    bytes.push_back(static_cast<unsigned char>(value >> 8));
}

void put32(ByteVector& bytes, UINT value) {
    put16(bytes, value & 0xFFFF);
    put16(bytes, value >> 16);
}

void appendToVector(void* context, void* data, int size) {
    auto* bytes = static_cast<ByteVector*>(context);
    auto* start = static_cast<unsigned char*>(data);
    bytes->insert(bytes->end(), start, start + size);
}

std::vector<unsigned char> channelsOf(const RgbaPicture& picture, int channels) {
    std::vector<unsigned char> pixels;
    for (std::size_t at = 0; at < picture.rgba.size(); at += 4)
        pixels.insert(pixels.end(), picture.rgba.begin() + at,
                      picture.rgba.begin() + at + channels);
    return pixels;
}

// LZW codes of a fixed 9-bit width: a clear code often enough that the table never grows
// past what 9 bits address, which every GIF decoder must follow.
ByteVector lzwCodes(const std::vector<unsigned char>& indices) {
    const UINT clear = 256;
    ByteVector packed;
    UINT buffer = 0;
    UINT bits = 0;
    auto emit = [&](UINT code) {
        buffer |= code << bits;
        bits += 9;
        while (bits >= 8) {
            packed.push_back(static_cast<unsigned char>(buffer));
            buffer >>= 8;
            bits -= 8;
        }
    };
    UINT sinceClear = 0;
    emit(clear);
    for (unsigned char index : indices) {
        if (sinceClear == 250) {
            emit(clear);
            sinceClear = 0;
        }
        emit(index);
        ++sinceClear;
    }
    emit(clear + 1);
    if (bits > 0)
        packed.push_back(static_cast<unsigned char>(buffer));
    return packed;
}

} // namespace

ScratchFolder::ScratchFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::random_device random;
    std::string name = "splashpack-";
    name += test ? std::string(test->test_suite_name()) + "-" + test->name() : "test";
    std::replace(name.begin(), name.end(), '/', '-');
    root = fs::temp_directory_path() / (name + "-" + std::to_string(random()));
    fs::create_directories(root);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::string ScratchFolder::path(const std::string& name) const {
    return (root / name).string();
}

std::vector<std::string> ScratchFolder::names() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(root))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::string& path, const ByteVector& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_TRUE(file.good()) << path;
}

ByteVector readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << path;
    return ByteVector(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

ByteVector corpusFile(const std::string& name) {
    return readFile(SPLASH_BMP_DIR "/" + name);
}

ByteVector pictureFile(const std::string& name) {
    return readFile(SPLASH_PICTURES_DIR "/" + name);
}

RgbaPicture gradientPicture(UINT width, UINT height, bool alpha) {
    RgbaPicture picture;
    picture.width = width;
    picture.height = height;
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            picture.rgba.push_back(static_cast<unsigned char>(x * 255 / std::max(1u, width - 1)));
            picture.rgba.push_back(static_cast<unsigned char>(y * 255 / std::max(1u, height - 1)));
            picture.rgba.push_back(static_cast<unsigned char>((x * 7 + y * 13) % 256));
            picture.rgba.push_back(alpha ? static_cast<unsigned char>((x + y) * 17 % 256) : 255);
        }
    return picture;
}

RgbaPicture smoothPicture(UINT width, UINT height) {
    RgbaPicture picture;
    picture.width = width;
    picture.height = height;
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            picture.rgba.push_back(static_cast<unsigned char>(30 + x * 190 / width));
            picture.rgba.push_back(static_cast<unsigned char>(220 - y * 180 / height));
            picture.rgba.push_back(
                static_cast<unsigned char>(60 + (x + y) * 120 / (width + height)));
            picture.rgba.push_back(255);
        }
    return picture;
}

namespace {

UINT crc32Of(const unsigned char* bytes, std::size_t size) {
    UINT crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

void putBig32(ByteVector& bytes, UINT value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<unsigned char>(value >> shift));
}

void appendChunk(ByteVector& png, const char* type, const ByteVector& data) {
    putBig32(png, UINT(data.size()));
    std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBig32(png, crc32Of(&png[start], png.size() - start));
}

// A zlib stream of stored blocks.
ByteVector storedZlib(const ByteVector& raw) {
    ByteVector stream = {0x78, 0x01};
    std::size_t at = 0;
    do {
        std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        stream.push_back(at + length == raw.size() ? 1 : 0);
        put16(stream, UINT(length));
        put16(stream, UINT(~length & 0xFFFF));
        stream.insert(stream.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    UINT a = 1;
    UINT b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBig32(stream, b << 16 | a);
    return stream;
}

} // namespace

ByteVector writePng(const PngSamples& layout,
                    const std::function<std::vector<unsigned>(UINT x, UINT y)>& sample) {
    // Adam7's passes (start x, start y, step x, step y), or one pass of every pixel.
    const UINT passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                               {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    const UINT whole[1][4] = {{0, 0, 1, 1}};
    ByteVector raw;
    for (int pass = 0; pass < (layout.interlaced ? 7 : 1); ++pass) {
        const UINT* p = layout.interlaced ? passes[pass] : whole[0];
        for (UINT y = p[1]; y < layout.height; y += p[3]) {
            if (p[0] >= layout.width)
                break;
            raw.push_back(0); // no filter
            UINT buffer = 0;
            UINT filled = 0;
            for (UINT x = p[0]; x < layout.width; x += p[2])
                for (unsigned value : sample(x, y)) {
                    if (layout.bitDepth == 16) {
                        raw.push_back(static_cast<unsigned char>(value >> 8));
                        raw.push_back(static_cast<unsigned char>(value));
                        continue;
                    }
                    buffer = buffer << layout.bitDepth | value;
                    filled += UINT(layout.bitDepth);
                    if (filled == 8) {
                        raw.push_back(static_cast<unsigned char>(buffer));
                        buffer = filled = 0;
                    }
                }
            if (filled > 0)
                raw.push_back(static_cast<unsigned char>(buffer << (8 - filled)));
        }
    }
    ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ByteVector header;
    putBig32(header, layout.width);
    putBig32(header, layout.height);
    header.insert(header.end(), {static_cast<unsigned char>(layout.bitDepth),
                                 static_cast<unsigned char>(layout.colourType), 0, 0,
                                 static_cast<unsigned char>(layout.interlaced ? 1 : 0)});
    appendChunk(png, "IHDR", header);
    if (!layout.palette.empty()) {
        ByteVector entries;
        for (Rgb colour : layout.palette)
            entries.insert(entries.end(), {colour.red, colour.green, colour.blue});
        appendChunk(png, "PLTE", entries);
    }
    if (!layout.transparency.empty())
        appendChunk(png, "tRNS", layout.transparency);
    appendChunk(png, "IDAT", storedZlib(raw));
    appendChunk(png, "IEND", {});
    return png;
}

void fixPngChunkCrc(ByteVector& png, std::size_t at) {
    const UINT length =
        UINT(png[at]) << 24 | UINT(png[at + 1]) << 16 | UINT(png[at + 2]) << 8 | png[at + 3];
    const UINT crc = crc32Of(&png[at + 4], length + 4);
    for (int i = 0; i < 4; ++i)
        png[at + 8 + length + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
}

ByteVector encodePng(const RgbaPicture& picture, int channels) {
    ByteVector png;
    std::vector<unsigned char> pixels = channelsOf(picture, channels);
    int width = static_cast<int>(picture.width);
    EXPECT_NE(0, stbi_write_png_to_func(appendToVector, &png, width, int(picture.height), channels,
                                        pixels.data(), width * channels));
    return png;
}

ByteVector encodeJpeg(const RgbaPicture& picture, int quality) {
    ByteVector jpeg;
    std::vector<unsigned char> pixels = channelsOf(picture, 3);
    EXPECT_NE(0, stbi_write_jpg_to_func(appendToVector, &jpeg, int(picture.width),
                                        int(picture.height), 3, pixels.data(), quality));
    return jpeg;
}

ByteVector encodeGif(UINT width, UINT height, const std::vector<Rgb>& palette,
                     const std::vector<std::vector<unsigned char>>& frames, int transparent,
                     bool interlaced) {
    ByteVector gif = {'G', 'I', 'F', '8', '9', 'a'};
    put16(gif, width);
    put16(gif, height);
    gif.push_back(0xF7); // a global table of 256 colours
    gif.push_back(0);
    gif.push_back(0);
    for (std::size_t i = 0; i < 256; ++i) {
        Rgb colour = i < palette.size() ? palette[i] : Rgb{};
        gif.insert(gif.end(), {colour.red, colour.green, colour.blue});
    }
    for (const std::vector<unsigned char>& frame : frames) {
        gif.insert(gif.end(), {0x21, 0xF9, 4});
        gif.push_back(transparent >= 0 ? 1 : 0);
        put16(gif, 10);
        gif.push_back(static_cast<unsigned char>(transparent >= 0 ? transparent : 0));
        gif.push_back(0);
        gif.push_back(0x2C);
        put16(gif, 0);
        put16(gif, 0);
        put16(gif, width);
        put16(gif, height);
        gif.push_back(interlaced ? 0x40 : 0);
        gif.push_back(8);
        std::vector<unsigned char> stored;
        const UINT starts[] = {0, 4, 2, 1};
        const UINT steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
            for (UINT y = interlaced ? starts[pass] : 0; y < height;
                 y += interlaced ? steps[pass] : 1)
                stored.insert(stored.end(), frame.begin() + y * width,
                              frame.begin() + (y + 1) * width);
        ByteVector codes = lzwCodes(stored);
        for (std::size_t at = 0; at < codes.size(); at += 255) {
            std::size_t length = std::min<std::size_t>(255, codes.size() - at);
            gif.push_back(static_cast<unsigned char>(length));
            gif.insert(gif.end(), codes.begin() + at, codes.begin() + at + length);
        }
        gif.push_back(0);
    }
    gif.push_back(0x3B);
    return gif;
}

RgbaPicture decodeReference(const ByteVector& bytes) {
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels =
        stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 4);
    RgbaPicture picture;
    if (pixels == nullptr) {
        ADD_FAILURE() << "the reference decoder cannot read the picture: " << stbi_failure_reason();
        return picture;
    }
    picture.width = UINT(width);
    picture.height = UINT(height);
    picture.rgba.assign(pixels, pixels + std::size_t(width) * height * 4);
    stbi_image_free(pixels);
    return picture;
}

RgbaPicture readBitmap24(const ByteVector& bmp) {
    RgbaPicture picture;
    if (bmp.size() < 54) {
        ADD_FAILURE() << "a BMP of " << bmp.size() << " bytes";
        return picture;
    }
    EXPECT_EQ('B', bmp[0]);
    EXPECT_EQ('M', bmp[1]);
    EXPECT_EQ(bmp.size(), read32(bmp, 2)) << "file size";
    EXPECT_EQ(54u, read32(bmp, 10)) << "pixel offset";
    EXPECT_EQ(40u, read32(bmp, 14)) << "info header size";
    picture.width = read32(bmp, 18);
    picture.height = read32(bmp, 22);
    EXPECT_LT(picture.height, 0x80000000u) << "bottom-up";
    EXPECT_EQ(1u, read16(bmp, 26)) << "planes";
    EXPECT_EQ(24u, read16(bmp, 28)) << "bits a pixel";
    EXPECT_EQ(0u, read32(bmp, 30)) << "compression";
    std::size_t stride = (picture.width * 3 + 3) / 4 * 4;
    EXPECT_EQ(stride * picture.height, read32(bmp, 34)) << "image size";
    EXPECT_EQ(0u, read32(bmp, 46)) << "colours used";
    if (bmp.size() != 54 + stride * picture.height) {
        ADD_FAILURE() << "pixel bytes";
        return RgbaPicture();
    }
    for (UINT y = 0; y < picture.height; ++y) {
        std::size_t row = 54 + stride * (picture.height - 1 - y);
        for (UINT x = 0; x < picture.width; ++x) {
            const unsigned char* pixel = &bmp[row + x * 3];
            picture.rgba.insert(picture.rgba.end(), {pixel[2], pixel[1], pixel[0], 255});
        }
        for (std::size_t pad = row + picture.width * 3; pad < row + stride; ++pad)
            EXPECT_EQ(0, bmp[pad]) << "row padding";
    }
    return picture;
}

int largestDifference(const RgbaPicture& first, const RgbaPicture& second) {
    if (first.width != second.width || first.height != second.height ||
        first.rgba.size() != second.rgba.size())
        return 256;
    int largest = 0;
    for (std::size_t at = 0; at < first.rgba.size(); ++at)
        if (at % 4 != 3)
            largest = std::max(largest, std::abs(int(first.rgba[at]) - int(second.rgba[at])));
    return largest;
}

double meanDifference(const RgbaPicture& first, const RgbaPicture& second) {
    if (first.width != second.width || first.height != second.height ||
        first.rgba.size() != second.rgba.size() || first.rgba.empty())
        return 256;
    double total = 0;
    for (std::size_t at = 0; at < first.rgba.size(); ++at)
        if (at % 4 != 3)
            total += std::abs(int(first.rgba[at]) - int(second.rgba[at]));
    return total / (first.rgba.size() / 4 * 3);
}

ByteVector waveFile(UINT channels, UINT rate, UINT bits, UINT dataBytes) {
    ByteVector wave = {'R', 'I', 'F', 'F'};
    put32(wave, 4 + 24 + 8 + dataBytes + (dataBytes & 1));
    wave.insert(wave.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(wave, 16);
    put16(wave, 1);
    put16(wave, channels);
    put32(wave, rate);
    put32(wave, rate * channels * bits / 8);
    put16(wave, channels * bits / 8);
    put16(wave, bits);
    wave.insert(wave.end(), {'d', 'a', 't', 'a'});
    put32(wave, dataBytes);
    for (UINT i = 0; i < dataBytes; ++i)
        wave.push_back(static_cast<unsigned char>(i * 37));
    if (dataBytes & 1)
        wave.push_back(0);
    return wave;
}

namespace {

// The PE checksum as a linker writes it, summed here word by word on its own, so that the
// tool's computation is checked against another.
UINT peChecksumOf(const ByteVector& file, std::size_t field) {
    UINT sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        UINT word = file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
        if (i >= field && i < field + 4)
            word = 0;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<UINT>(file.size());
}

void set32(ByteVector& bytes, std::size_t at, UINT value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

ByteVector fakePlayer(UINT size) {
    ByteVector player;
    for (UINT i = 0; i < size; ++i)
        player.push_back(static_cast<unsigned char>(i * 131 + 7));
    // The headers the tool checks: MZ, the PE header at 0x80 for i386, a 224-byte PE32 optional
    // header with the Windows GUI subsystem, its headers' size 0x400, 16 data directories, the
    // security one empty, and one section from 0x400 to the end, and the checksum.
    const std::pair<UINT, UINT> headers[] = {
        {0x00, 'M'},  {0x01, 'Z'}, {0x3C, 0x80}, {0x3D, 0},    {0x3E, 0},    {0x3F, 0}, {0x80, 'P'},
        {0x81, 'E'},  {0x82, 0},   {0x83, 0},    {0x84, 0x4C}, {0x85, 0x01}, {0x86, 1}, {0x87, 0},
        {0x94, 0xE0}, {0x95, 0},   {0x98, 0x0B}, {0x99, 0x01}, {0xDC, 2},    {0xDD, 0}};
    for (const auto& header : headers)
        player[header.first] = static_cast<unsigned char>(header.second);
    set32(player, 0x98 + 60, 0x400); // SizeOfHeaders
    set32(player, 0x98 + 92, 16);    // NumberOfRvaAndSizes
    set32(player, 0x98 + 128, 0);    // the security directory
    set32(player, 0x98 + 132, 0);
    set32(player, 0x178 + 16, size - 0x400); // the section's raw size and place
    set32(player, 0x178 + 20, 0x400);
    set32(player, 0x98 + 64, peChecksumOf(player, 0x98 + 64));
    return player;
}

ByteVector signedCopy(ByteVector file, UINT tableBytes) {
    const std::size_t optional = read32(file, 0x3C) + 24;
    const std::size_t entry = optional + (read16(file, optional) == 0x10B ? 128 : 144);
    file.resize((file.size() + 7) / 8 * 8, 0);
    const UINT offset = static_cast<UINT>(file.size());
    for (UINT i = 0; i < tableBytes; ++i)
        file.push_back(static_cast<unsigned char>(i * 7 + 1));
    set32(file, entry, offset);
    set32(file, entry + 4, tableBytes);
    // Signing writes the checksum of the signed file.
    set32(file, optional + 64, read32(file, optional + 64) ^ 0x5A5A);
    return file;
}
