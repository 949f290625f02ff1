// Walks the RIFF chunks of a WAV file: the format chunk must be there and whole.
#include "sound_check.h"

#include "little_endian.h"
#include "tool_error.h"

#include <cstdint>
#include <cstring>

namespace {

// The smallest format record: tag, channels, rate, byte rate, block alignment.
constexpr UINT smallestFormatChunk = 14;

} // namespace

SoundFacts examineSound(const unsigned char* bytes, std::size_t size) {
    SoundFacts facts;
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        facts.problem = "is not a WAV file (no RIFF/WAVE header)";
        return facts;
    }
    // The system reads as far as the RIFF size says, so all of it must be there.
    std::uint64_t riffEnd = std::uint64_t(readLittleEndian32(bytes + 4)) + 8;
    if (riffEnd > size) {
        facts.problem = "is cut short: its RIFF header counts " + std::to_string(riffEnd) +
                        " bytes and the file has " + std::to_string(size);
        return facts;
    }
    bool hasFormat = false;
    std::uint64_t at = 12;
    while (at + 8 <= riffEnd) {
        const unsigned char* chunk = bytes + at;
        std::uint64_t length = readLittleEndian32(chunk + 4);
        if (at + 8 + length > riffEnd) {
            facts.problem = "is damaged: its \"" +
                            std::string(reinterpret_cast<const char*>(chunk), 4) +
                            "\" chunk runs past the end of the RIFF data";
            return facts;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !hasFormat) {
            if (length < smallestFormatChunk) {
                facts.problem = "has a format chunk of " + std::to_string(length) +
                                " bytes, too short to describe the sound";
                return facts;
            }
            hasFormat = true;
            facts.formatTag = readLittleEndian16(chunk + 8);
            facts.channels = readLittleEndian16(chunk + 10);
            facts.samplesPerSecond = readLittleEndian32(chunk + 12);
            facts.bytesPerSecond = readLittleEndian32(chunk + 16);
            facts.bitsPerSample = length >= 16 ? readLittleEndian16(chunk + 22) : 0;
            // cbSize, valid bits and channel mask, then the sub-format GUID, whose first two
            // bytes are the plain format tag.
            if (facts.formatTag == 0xFFFE && length >= 40)
                facts.subFormat = readLittleEndian16(chunk + 8 + 24);
        } else if (std::memcmp(chunk, "data", 4) == 0 && !facts.hasData) {
            facts.hasData = true;
            facts.dataBytes = static_cast<UINT>(length);
        }
        // Chunks are padded to an even length.
        at += 8 + length + (length & 1);
    }
    if (!hasFormat)
        facts.problem = "has no format chunk (\"fmt \"), so no system can play it";
    return facts;
}

SoundFacts checkSound(const ByteVector& file, const std::string& name) {
    SoundFacts facts = examineSound(file.data(), file.size());
    if (!facts.problem.empty())
        throw InputError("sound \"" + name + "\" " + facts.problem);
    return facts;
}

namespace {

std::string formatName(UINT tag) {
    switch (tag) {
    case 1:
        return "PCM";
    case 2:
        return "MS ADPCM";
    case 3:
        return "IEEE float";
    case 6:
        return "A-law";
    case 7:
        return "mu-law";
    case 0x11:
        return "IMA ADPCM";
    case 0x55:
        return "MP3";
    default:
        return "format " + std::to_string(tag);
    }
}

} // namespace

std::string describeSound(const SoundFacts& facts) {
    std::string text;
    bool extensible = facts.formatTag == 0xFFFE;
    if (!extensible)
        text = formatName(facts.formatTag);
    else if (facts.subFormat == 0)
        text = "extensible";
    else
        text = "extensible, " +
               (facts.bitsPerSample != 0 ? std::to_string(facts.bitsPerSample) + "-bit " : "") +
               formatName(facts.subFormat);
    text +=
        ", " + std::to_string(facts.channels) + (facts.channels == 1 ? " channel" : " channels");
    text += ", " + std::to_string(facts.samplesPerSecond) + " Hz";
    if (facts.bitsPerSample != 0 && !(extensible && facts.subFormat != 0))
        text += ", " + std::to_string(facts.bitsPerSample) + " bit";
    return text;
}

std::uint64_t soundMilliseconds(const SoundFacts& facts) {
    if (facts.bytesPerSecond == 0)
        return 0;
    return (std::uint64_t(facts.dataBytes) * 1000 + facts.bytesPerSecond - 1) /
           facts.bytesPerSecond;
}

std::string describeSoundLength(const SoundFacts& facts) {
    if (facts.bytesPerSecond == 0)
        return "unknown length";
    return std::to_string(soundMilliseconds(facts)) + " ms";
}

std::vector<std::string> soundWarnings(const SoundFacts& facts, const std::string& name,
                                       UINT displayTime) {
    std::vector<std::string> warnings;
    const std::string sound = "sound \"" + name + "\"";
    if (!facts.hasData) {
        warnings.push_back(sound + " has no data chunk, so nothing plays");
        return warnings;
    }
    if (facts.dataBytes == 0)
        warnings.push_back(sound + " holds no samples, so nothing plays");
    // 0xFFFE is PCM too when its sub-format says so, but Windows 95 and NT 4 know only tag 1.
    if (facts.formatTag != 1)
        warnings.push_back(sound + " is " + describeSound(facts) +
                           (facts.formatTag == 0xFFFE ? ", not plain PCM" : ", not PCM") +
                           ": it plays only where Windows has a codec for it, and "
                           "silently not at all elsewhere" +
                           (facts.formatTag == 3 || facts.formatTag == 0xFFFE
                                ? "; --sound-bits 16 stores it as plain PCM"
                                : ""));
    std::uint64_t ms = soundMilliseconds(facts);
    if (ms > displayTime)
        warnings.push_back(sound + " lasts " + describeSoundLength(facts) +
                           ", longer than the display time of " + std::to_string(displayTime) +
                           " ms: the player stops it when the window closes");
    return warnings;
}
