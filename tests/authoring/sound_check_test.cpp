// The sound check: a RIFF/WAVE file with a whole format chunk passes, anything else is refused
// with the reason.
#include "sound_check.h"

#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

namespace {

void set32(ByteVector& bytes, std::size_t at, UINT value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::string refusalOf(const ByteVector& file) {
    try {
        checkSound(file, "s.wav");
    } catch (const InputError& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(SoundCheck, ReadsTheFormatOfAWave) {
    SoundFacts facts = checkSound(waveFile(2, 22050, 16, 101), "s.wav");
    EXPECT_EQ(1u, facts.formatTag);
    EXPECT_EQ(2u, facts.channels);
    EXPECT_EQ(22050u, facts.samplesPerSecond);
    EXPECT_EQ(16u, facts.bitsPerSample);
    EXPECT_TRUE(facts.hasData);
    EXPECT_EQ(101u, facts.dataBytes);
    EXPECT_EQ("PCM, 2 channels, 22050 Hz, 16 bit", describeSound(facts));
    EXPECT_EQ("PCM, 1 channel, 8000 Hz, 8 bit",
              describeSound(checkSound(waveFile(1, 8000, 8, 0), "")));
}

TEST(SoundCheck, ChunksBeforeTheFormatAndOddLengthsAreWalked) {
    ByteVector wave = waveFile(1, 11025, 8, 4);
    // A "LIST" chunk of odd length (with its pad byte) in front of the format chunk.
    ByteVector list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    wave.insert(wave.begin() + 12, list.begin(), list.end());
    set32(wave, 4, UINT(wave.size() - 8));
    SoundFacts facts = checkSound(wave, "s.wav");
    EXPECT_EQ(11025u, facts.samplesPerSecond);
    EXPECT_TRUE(facts.hasData);
}

TEST(SoundCheck, Refusals) {
    ByteVector good = waveFile(1, 8000, 8, 10);
    ByteVector notWave = good;
    notWave[8] = 'A';
    ByteVector longRiff = good;
    set32(longRiff, 4, UINT(good.size()));
    ByteVector longChunk = good;
    set32(longChunk, 40, 11 + 2); // the data chunk claims more than the RIFF data holds
    ByteVector shortFormat = good;
    set32(shortFormat, 16, 12);
    ByteVector noFormat = good;
    noFormat[12] = 'x';
    struct Case {
        ByteVector file;
        const char* message;
    };
    const Case cases[] = {
        {{}, "sound \"s.wav\" is not a WAV file (no RIFF/WAVE header)"},
        {ByteVector(good.begin(), good.begin() + 11),
         "sound \"s.wav\" is not a WAV file (no RIFF/WAVE header)"},
        {notWave, "sound \"s.wav\" is not a WAV file (no RIFF/WAVE header)"},
        {longRiff, "sound \"s.wav\" is cut short: its RIFF header counts 62 bytes and the file "
                   "has 54"},
        {longChunk, "sound \"s.wav\" is damaged: its \"data\" chunk runs past the end of the RIFF "
                    "data"},
        {shortFormat, "sound \"s.wav\" has a format chunk of 12 bytes, too short to describe the "
                      "sound"},
        {noFormat, "sound \"s.wav\" has no format chunk (\"fmt \"), so no system can play it"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, refusalOf(c.file)) << c.message;
    EXPECT_EQ("", refusalOf(good));
}

TEST(SoundCheck, WarningsAndLength) {
    ByteVector adpcm = waveFile(1, 8000, 8, 8000);
    adpcm[20] = 2; // the format tag
    ByteVector floating = waveFile(1, 8000, 32, 32000);
    floating[20] = 3;
    ByteVector noData = waveFile(1, 8000, 8, 10);
    noData[36] = 'x';
    // 24-bit PCM in the extensible form: cbSize 22, valid bits, channel mask, the PCM sub-format.
    ByteVector extensible = waveFile(2, 8000, 24, 48000);
    extensible[4] += 24;
    extensible[16] = 40;
    extensible[20] = 0xFE;
    extensible[21] = 0xFF;
    const ByteVector extension = {22, 0, 24, 0, 3, 0, 0, 0, 1, 0};
    extensible.insert(extensible.begin() + 36, extension.begin(), extension.end());
    extensible.insert(extensible.begin() + 46, 14, 0);
    struct Case {
        ByteVector file;
        UINT displayTime;
        const char* length;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {waveFile(1, 8000, 8, 8000), 1000, "1000 ms", {}},
        {waveFile(1, 8000, 8, 8001),
         1000,
         "1001 ms",
         {"sound \"s.wav\" lasts 1001 ms, longer than the display time of 1000 ms: the player "
          "stops it when the window closes"}},
        {waveFile(1, 22050, 16, 300),
         6,
         "7 ms",
         {"sound \"s.wav\" lasts 7 ms, longer than the display time of 6 ms: the player stops "
          "it when the window closes"}},
        {waveFile(1, 8000, 8, 0),
         1000,
         "0 ms",
         {"sound \"s.wav\" holds no samples, so nothing plays"}},
        {noData, 1000, "0 ms", {"sound \"s.wav\" has no data chunk, so nothing plays"}},
        {adpcm,
         1000,
         "1000 ms",
         {"sound \"s.wav\" is MS ADPCM, 1 channel, 8000 Hz, 8 bit, not PCM: it plays only where "
          "Windows has a codec for it, and silently not at all elsewhere"}},
        {floating,
         1000,
         "1000 ms",
         {"sound \"s.wav\" is IEEE float, 1 channel, 8000 Hz, 32 bit, not PCM: it plays only "
          "where Windows has a codec for it, and silently not at all elsewhere; --sound-bits 16 "
          "stores it as plain PCM"}},
        {extensible,
         1000,
         "1000 ms",
         {"sound \"s.wav\" is extensible, 24-bit PCM, 2 channels, 8000 Hz, not plain PCM: it "
          "plays only where Windows has a codec for it, and silently not at all elsewhere; "
          "--sound-bits 16 stores it as plain PCM"}},
    };
    for (const Case& c : cases) {
        SoundFacts facts = checkSound(c.file, "s.wav");
        EXPECT_EQ(c.length, describeSoundLength(facts)) << c.length;
        EXPECT_EQ(c.warnings, soundWarnings(facts, "s.wav", c.displayTime)) << c.length;
    }
}
