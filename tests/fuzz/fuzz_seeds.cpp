// Writes the inputs the fuzz targets start from: whole splash files (some signed), bare payload
// blocks and extensions made by the payload writer, small BMPs of each accepted bit count, and
// copies of the BMP test corpus when its folder is given.
//   fuzz_seeds <corpus folder> [<BMP corpus folder>]
#include "payload_writer.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
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
void writeWaveSeeds(const fs::path& folder) {
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
void writeExifSeeds(const fs::path& folder) {
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

void writeSeeds(const fs::path& corpus, const fs::path& bmpCorpus) {
    const fs::path payloadSeeds = corpus / "payload";
    const fs::path settingsSeeds = corpus / "settings";
    const fs::path bitmapSeeds = corpus / "bitmap";
    const fs::path waveSeeds = corpus / "wave";
    const fs::path exifSeeds = corpus / "exif";
    const fs::path extensionSeeds = corpus / "extension";
    for (const fs::path& folder :
         {payloadSeeds, settingsSeeds, bitmapSeeds, waveSeeds, exifSeeds, extensionSeeds}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    writeWaveSeeds(waveSeeds);
    writeExifSeeds(exifSeeds);

    // A stand-in for the player's own bytes in front of the block.
    const ByteVector player{'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF};
    int index = 0;
    for (const SplashDescription& splash : splashes()) {
        const ByteVector block = buildPayloadBlock(splash);
        const std::string name = "splash-" + std::to_string(index++);
        writeFile(settingsSeeds / (name + ".block"), block);
        writeFile(payloadSeeds / (name + ".exe"), appendPayload(player, block));
        writeFile(payloadSeeds / (name + "-bare.bin"), appendPayload({}, block));
        writeFile(payloadSeeds / (name + "-signed.exe"), signedSplash(block, (index - 1) * 3 % 8));
        if (splash.extension.any())
            writeFile(extensionSeeds / (name + ".ext"), extensionBytes(splash.extension));
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
    for (const auto& bitmap : bitmaps)
        writeFile(bitmapSeeds / (std::string(bitmap.name) + ".bmp"),
                  makeBitmap(bitmap.width, bitmap.height, bitmap.bitCount, bitmap.coloursUsed));

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
            fs::copy_file(entry.path(),
                          bitmapSeeds /
                              (std::string(group) + "-" + entry.path().filename().string()),
                          fs::copy_options::overwrite_existing);
            ++copied;
        }
    }
    if (copied == 0)
        std::cerr << "fuzz_seeds: no BMP files under " << bmpCorpus.string() << "\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: fuzz_seeds <corpus folder> [<BMP corpus folder>]\n";
        return 2;
    }
    try {
        writeSeeds(argv[1], argc == 3 ? fs::path(argv[2]) : fs::path());
    } catch (const std::string& message) {
        std::cerr << "fuzz_seeds: " << message << "\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "fuzz_seeds: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
