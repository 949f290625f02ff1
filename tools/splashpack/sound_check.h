// The sound check: the player hands the bytes to the system's sound player as a WAV file image,
// so they must be a RIFF/WAVE file with a format chunk.
#pragma once

#include "payload_writer.h"

#include <string>

struct SoundFacts {
    std::string problem; // empty for a usable WAV
    UINT formatTag = 0;
    UINT channels = 0;
    UINT samplesPerSecond = 0;
    UINT bitsPerSample = 0;
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
