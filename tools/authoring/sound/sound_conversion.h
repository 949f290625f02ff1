// A lighter sound: the author's WAV resampled, mixed down or reduced to 8 bits before it is
// stored, and any 24-bit, float or extensible WAV turned into the plain PCM that every Windows
// plays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SoundTarget {
    std::uint32_t rate = 0; // samples a second; 0 keeps the sound's own
    unsigned bits = 0;      // 8 or 16; 0 keeps 8 and 16, and makes anything else 16
    bool mono = false;      // channels mixed down to one
};

// Samples in fixed point, 2^27 for full scale (float samples are held within four times that),
// the channels of one frame next to each other. Integers, so that every step after decoding gives
// the same numbers on every processor.
struct DecodedSound {
    unsigned channels = 0;
    std::uint32_t rate = 0;
    unsigned bits = 0; // of the stored samples: 8, 16, 24, 32 or 64
    bool floating = false;
    unsigned formatTag = 0; // as stored: 0xFFFE for the extensible form
    std::vector<std::int32_t> samples;
};

// Reads PCM (8 to 32 bits), IEEE float (32 or 64 bits) and the extensible form of both.
// Raises InputError naming the sound when it holds anything else or is damaged.
DecodedSound decodeWav(const unsigned char* bytes, std::size_t size, const std::string& name);

// The same samples at `rate`, through a windowed-sinc filter that keeps everything below nine
// tenths of the lower of the two Nyquist frequencies and removes what lies above it (100 dB).
DecodedSound resampleSound(const DecodedSound& sound, std::uint32_t rate);

// The average of the channels.
DecodedSound mixToMono(const DecodedSound& sound);

// A plain PCM WAV (format 1) of 8 or 16 bits; samples are rounded with triangular dither from a
// generator that always starts alike, so that the same sound always gives the same bytes.
std::vector<unsigned char> encodePcmWav(const DecodedSound& sound, unsigned bits);

// True when `target` asks for something the sound in `bytes` is not: another rate, fewer
// channels, other bits, or plain PCM where it is float, 24-bit or extensible.
bool soundNeedsConversion(const DecodedSound& sound, const SoundTarget& target);

// The sound converted as `target` asks; the bytes unchanged when nothing needs to change.
std::vector<unsigned char> convertSound(const std::vector<unsigned char>& wav,
                                        const std::string& name, const SoundTarget& target);
