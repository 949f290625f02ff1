// The sound check: the player hands the bytes to the system's sound player as a WAV file image,
// so they must be a RIFF/WAVE file with a format chunk.
#pragma once

#include "payload_writer.h"

#include <cstdint>
#include <string>
#include <vector>

struct SoundFacts {
    std::string problem; // empty for a usable WAV
    UINT formatTag = 0;
    UINT channels = 0;
    UINT samplesPerSecond = 0;
    UINT bytesPerSecond = 0; // the format's own byte rate, which the system plays at
    UINT bitsPerSample = 0;
    UINT subFormat = 0; // of the extensible form (0xFFFE): the plain tag it stands for; 0 unknown
    bool hasData = false;
    UINT dataBytes = 0;
};

// Reads the chunks of `size` bytes at `bytes`; never raises.
SoundFacts examineSound(const unsigned char* bytes, std::size_t size);

// examineSound of the file's bytes; raises InputError naming the file when it is not a WAV the
// player can hand on.
SoundFacts checkSound(const ByteVector& file, const std::string& name);

// "PCM, 1 channel, 22050 Hz, 16 bit".
std::string describeSound(const SoundFacts& facts);

// How long the data plays in milliseconds, rounded up; 0 when the format gives no byte rate.
std::uint64_t soundMilliseconds(const SoundFacts& facts);

// "1500 ms" of the data, or "unknown length" without a byte rate.
std::string describeSoundLength(const SoundFacts& facts);

// Where a usable WAV will surprise the author: nothing to play, a format that needs a codec,
// or a sound that lasts past `displayTime`, when the player stops it.
std::vector<std::string> soundWarnings(const SoundFacts& facts, const std::string& name,
                                       UINT displayTime);
