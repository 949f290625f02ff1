// Lighter payloads: palette pictures the player accepts and that keep the picture's colours,
// sounds that keep their pitch and length through conversion, and the start-time figures.
#include "bitmap_format.h"
#include "palette_quantiser.h"
#include "sound_conversion.h"
#include "start_time_model.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

constexpr double pi = 3.14159265358979323846;

std::vector<unsigned char> rgbGradient(std::uint32_t width, std::uint32_t height) {
    std::vector<unsigned char> rgb;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            rgb.push_back(static_cast<unsigned char>(x * 255 / std::max(1u, width - 1)));
            rgb.push_back(static_cast<unsigned char>(y * 255 / std::max(1u, height - 1)));
            rgb.push_back(static_cast<unsigned char>((x + y) * 7));
        }
    return rgb;
}

// The colours a palette BMP shows, top row first, read through its own headers.
std::vector<unsigned char> pixelsOf(const std::vector<unsigned char>& bmp) {
    BitmapLayout layout;
    EXPECT_EQ(BitmapVerdict::accepted,
              checkBitmap(bmp.data(), static_cast<UINT>(bmp.size()), layout));
    std::vector<unsigned char> rgb;
    const std::size_t stride = (std::size_t(layout.width) * layout.bitCount + 31) / 32 * 4;
    for (UINT y = 0; y < layout.absoluteHeight; ++y) {
        const unsigned char* row =
            &bmp[layout.bitsOffset + (layout.absoluteHeight - 1 - y) * stride];
        for (std::int32_t x = 0; x < layout.width; ++x) {
            const unsigned index =
                layout.bitCount == 8 ? row[x] : (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
            EXPECT_LT(index * 4, layout.colourTableBytes);
            const unsigned char* entry = &bmp[layout.colourTableOffset + index * 4];
            rgb.insert(rgb.end(), {entry[2], entry[1], entry[0]});
        }
    }
    return rgb;
}

double psnr(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        squares += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    return squares == 0 ? 99 : 10 * std::log10(255.0 * 255 * a.size() / squares);
}

std::vector<unsigned char> toneWave(unsigned channels, std::uint32_t rate, unsigned bits,
                                    unsigned formatTag, double seconds, double frequency) {
    const std::uint32_t frames = static_cast<std::uint32_t>(rate * seconds);
    const std::uint32_t dataBytes = frames * channels * bits / 8;
    const bool extensible = formatTag == 0xFFFE;
    const std::uint32_t formatBytes = extensible ? 40 : 16;
    std::vector<unsigned char> wav;
    auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav.push_back(static_cast<unsigned char>(value >> (8 * i)));
    };
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    put(4 + 8 + formatBytes + 8 + dataBytes, 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(formatBytes, 4);
    put(formatTag, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2);
    put(bits, 2);
    if (extensible) {
        put(22, 2);
        put(bits, 2);
        put(0, 4);
        put(1, 2); // PCM sub-format
        wav.insert(wav.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
    }
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    put(dataBytes, 4);
    for (std::uint32_t n = 0; n < frames; ++n) {
        const double value = 0.5 * std::sin(2 * pi * frequency * n / rate);
        for (unsigned c = 0; c < channels; ++c) {
            if (formatTag == 3) {
                const float sample = static_cast<float>(value);
                std::uint32_t raw;
                std::memcpy(&raw, &sample, 4);
                put(raw, 4);
            } else if (bits == 24) {
                put(static_cast<std::uint32_t>(std::lround(value * 8388607)), 3);
            } else {
                put(static_cast<std::uint32_t>(std::lround(value * 32767)), 2);
            }
        }
    }
    return wav;
}

// Upward zero crossings of the first channel, over the whole sound.
unsigned risingCrossings(const DecodedSound& sound) {
    unsigned crossings = 0;
    for (std::size_t i = sound.channels; i < sound.samples.size(); i += sound.channels)
        if (sound.samples[i - sound.channels] < 0 && sound.samples[i] >= 0)
            ++crossings;
    return crossings;
}

} // namespace

TEST(PalettePicture, ThePlayerAcceptsItAndItKeepsThePicture) {
    struct Row {
        std::uint32_t width, height;
        unsigned colours;
        bool dither;
        unsigned bits;
        double leastPsnr;
    } rows[] = {
        {64, 48, 256, false, 8, 31}, // more colours than the palette holds
        {64, 48, 256, true, 8, 29},
        {5, 3, 256, false, 8, 99}, // fewer colours than the palette: kept exactly
        {7, 5, 16, true, 4, 22},   // odd widths pack half a byte and pad each row
        {33, 9, 16, false, 4, 21},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height) + " " +
                     std::to_string(row.colours));
        const std::vector<unsigned char> rgb = rgbGradient(row.width, row.height);
        const IndexedPicture picture =
            quantisePicture(rgb.data(), row.width, row.height, row.colours, row.dither);
        EXPECT_LE(picture.palette.size(), row.colours);
        const std::vector<unsigned char> bmp = encodePaletteBitmap(picture, row.bits);
        EXPECT_GE(psnr(rgb, pixelsOf(bmp)), row.leastPsnr);
    }
}

TEST(PalettePicture, SystemColoursAreTheOnlyOnesUsed) {
    const std::vector<unsigned char> rgb = rgbGradient(40, 30);
    for (bool dither : {false, true}) {
        const IndexedPicture picture =
            mapToPalette(rgb.data(), 40, 30, systemStaticColours(), dither);
        const std::vector<unsigned char> shown = pixelsOf(encodePaletteBitmap(picture, 8));
        for (std::size_t i = 0; i < shown.size(); i += 3) {
            const PaletteColour colour{shown[i], shown[i + 1], shown[i + 2]};
            ASSERT_NE(std::find(systemStaticColours().begin(), systemStaticColours().end(), colour),
                      systemStaticColours().end());
        }
    }
}

TEST(SoundConversion, AToneKeepsItsPitchAndLength) {
    struct Row {
        unsigned channels, bits, formatTag;
        std::uint32_t inRate;
        SoundTarget target;
        std::uint32_t rate;
        unsigned outBits, outChannels;
    } rows[] = {
        {2, 16, 1, 44100, {22050, 0, true}, 22050, 16, 1},
        {2, 16, 1, 44100, {11025, 8, false}, 11025, 8, 2},
        {2, 24, 1, 48000, {11025, 0, false}, 11025, 16, 2},  // rates of no whole ratio
        {1, 16, 1, 8000, {11025, 0, false}, 11025, 16, 1},   // a rate that grows
        {1, 24, 1, 44100, {0, 16, false}, 44100, 16, 1},     // 24-bit into what 95 and NT 4 play
        {1, 32, 3, 44100, {0, 0, false}, 44100, 16, 1},      // float into plain PCM
        {2, 16, 0xFFFE, 44100, {0, 0, false}, 44100, 16, 2}, // extensible into format 1
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.bits) + " bit, format " + std::to_string(row.formatTag) +
                     ", " + std::to_string(row.inRate) + " Hz");
        const std::vector<unsigned char> in =
            toneWave(row.channels, row.inRate, row.bits, row.formatTag, 1.0, 440);
        const std::vector<unsigned char> out = convertSound(in, "t.wav", row.target);
        const DecodedSound sound = decodeWav(out.data(), out.size(), "out");
        EXPECT_EQ(1u, sound.formatTag);
        EXPECT_EQ(row.rate, sound.rate);
        EXPECT_EQ(row.outBits, sound.bits);
        EXPECT_EQ(row.outChannels, sound.channels);
        EXPECT_EQ(row.rate, sound.samples.size() / sound.channels); // one second
        EXPECT_NEAR(440, risingCrossings(sound), 1);
    }
}

TEST(SoundConversion, TheFilterKeepsThePassBandAndStopsWhatWouldFoldBack) {
    // A tone at half full scale through the resampler alone, measured in the middle, where the
    // filter sees the tone on both sides: its level against the tone's.
    struct Row {
        std::uint32_t from, to;
        double frequency;
        bool passes;
    } rows[] = {
        {44100, 22050, 1000, true},   {44100, 22050, 9500, true},
        {44100, 22050, 12000, false}, // above 11025 Hz: it would fold back to 10050 Hz
        {48000, 11025, 1000, true},   {48000, 11025, 7000, false},
        {8000, 11025, 3500, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.from) + " to " + std::to_string(row.to) + " Hz, " +
                     std::to_string(int(row.frequency)) + " Hz");
        DecodedSound sound;
        sound.channels = 1;
        sound.rate = row.from;
        sound.bits = 16;
        for (std::uint32_t n = 0; n < row.from / 2; ++n)
            sound.samples.push_back(static_cast<std::int32_t>(std::lround(
                std::ldexp(0.5 * std::sin(2 * pi * row.frequency * n / row.from), 27))));
        const DecodedSound out = resampleSound(sound, row.to);
        // Half a second, the last sample's time within the input's.
        ASSERT_EQ((std::size_t(row.from / 2) * row.to + row.from - 1) / row.from,
                  out.samples.size());
        double power = 0;
        const std::size_t margin = row.to / 10;
        for (std::size_t n = margin; n < out.samples.size() - margin; ++n)
            power += std::pow(std::ldexp(double(out.samples[n]), -27), 2);
        const double level = 10 * std::log10(power / (out.samples.size() - 2 * margin) / 0.125);
        if (row.passes)
            EXPECT_NEAR(0, level, 0.01);
        else
            EXPECT_LT(level, -95);
    }
}

TEST(SoundConversion, FloatSamplesAreHeldWithinFourTimesFullScale) {
    std::vector<unsigned char> wav = toneWave(1, 44100, 32, 3, 0.01, 440);
    const float values[] = {0.5f, -1.0f, 3.0f, 1e30f, -INFINITY, NAN};
    const std::int32_t expected[] = {1 << 26, -(1 << 27), 3 << 27, 4 << 27, 0, 0};
    for (std::size_t i = 0; i < 6; ++i)
        std::memcpy(&wav[44 + 4 * i], &values[i], 4);
    const DecodedSound sound = decodeWav(wav.data(), wav.size(), "f.wav");
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(expected[i], sound.samples[i]) << i;
    // Stored in 16 bits, they are clipped at full scale.
    const DecodedSound stored = [&] {
        const std::vector<unsigned char> out = encodePcmWav(sound, 16);
        return decodeWav(out.data(), out.size(), "out");
    }();
    EXPECT_EQ(32767 << 12, stored.samples[2]);
    EXPECT_EQ(32767 << 12, stored.samples[3]);
}

TEST(SoundConversion, PlainPcmThatNeedsNothingGoesInUnchanged) {
    const std::vector<unsigned char> in = toneWave(1, 22050, 16, 1, 0.1, 440);
    EXPECT_EQ(in, convertSound(in, "t.wav", {22050, 16, true}));
}

TEST(SoundConversion, WhatCannotBeDecodedIsRefusedWithItsFormat) {
    std::vector<unsigned char> adpcm = toneWave(1, 22050, 16, 1, 0.1, 440);
    adpcm[20] = 2;
    try {
        convertSound(adpcm, "t.wav", {11025, 0, false});
        FAIL();
    } catch (const InputError& error) {
        EXPECT_NE(std::string(error.what()).find("format 2 of 16 bits"), std::string::npos);
    }
}

TEST(StartTimeModel, KnownSizes) {
    // 1 228 800 bytes read in one second at 8x, after its access time.
    EXPECT_EQ(1120u, eightSpeedMilliseconds(1228800));
    EXPECT_EQ("from a CD-ROM the picture shows after 4.25 s at 2x, 1.12 s at 8x, 0.89 s at 24x; "
              "a 56k modem downloads it in 3 min 4 s",
              describeStartTimes(1228800));
    EXPECT_EQ("from a CD-ROM the picture shows after 0.25 s at 2x, 0.12 s at 8x, 0.09 s at 24x; "
              "a 56k modem downloads it in 0.00 s",
              describeStartTimes(0));
}
