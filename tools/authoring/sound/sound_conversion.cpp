// WAV decoding to numbers, Kaiser-windowed sinc resampling, mixing down and dithered PCM output.

#include "sound_conversion.h"

#include "little_endian.h"
#include "little_endian_output.h"
#include "tool_error.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// M_PI is no standard name, and mingw lacks it unless asked for it.
constexpr double pi = 3.14159265358979323846;
constexpr unsigned formatPcm = 1;
constexpr unsigned formatFloat = 3;
constexpr unsigned formatExtensible = 0xFFFE;

struct WavChunks {
    const unsigned char* format = nullptr;
    std::size_t formatBytes = 0;
    const unsigned char* data = nullptr;
    std::size_t dataBytes = 0;
};

WavChunks findChunks(const unsigned char* bytes, std::size_t size, const std::string& name) {
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        throw InputError("sound \"" + name + "\" is not a WAV file (no RIFF/WAVE header)");
    WavChunks chunks;
    for (std::size_t at = 12; at + 8 <= size;) {
        const std::size_t length = readLittleEndian32(bytes + at + 4);
        if (length > size - at - 8)
            break; // a last chunk cut short: what is there of the data still plays
        if (std::memcmp(bytes + at, "fmt ", 4) == 0 && !chunks.format) {
            chunks.format = bytes + at + 8;
            chunks.formatBytes = length;
        } else if (std::memcmp(bytes + at, "data", 4) == 0 && !chunks.data) {
            chunks.data = bytes + at + 8;
            chunks.dataBytes = length;
        }
        at += 8 + length + (length & 1);
    }
    if (!chunks.format || chunks.formatBytes < 16 || !chunks.data)
        throw InputError("sound \"" + name + "\" has no complete format and data chunks");
    return chunks;
}

// The format tag, with an extensible format's sub-format in its place.
unsigned effectiveFormat(const WavChunks& chunks) {
    const unsigned tag = readLittleEndian16(chunks.format);
    if (tag != formatExtensible)
        return tag;
    // cbSize, valid bits, channel mask, then the sub-format GUID whose first two bytes are the
    // plain format tag.
    if (chunks.formatBytes < 40)
        return formatExtensible;
    return readLittleEndian16(chunks.format + 24);
}

double readSample(const unsigned char* at, unsigned bits, bool floating) {
    if (floating) {
        if (bits == 32) {
            float value;
            const std::uint32_t raw = readLittleEndian32(at);
            std::memcpy(&value, &raw, 4);
            return std::isfinite(value) ? value : 0.0;
        }
        const std::uint64_t raw = readLittleEndian32(at) | std::uint64_t(readLittleEndian32(at + 4))
                                                               << 32;
        double value;
        std::memcpy(&value, &raw, 8);
        return std::isfinite(value) ? value : 0.0;
    }
    switch (bits) {
    case 8:
        return (int(at[0]) - 128) / 128.0;
    case 16:
        return std::int16_t(readLittleEndian16(at)) / 32768.0;
    case 24: {
        const std::int32_t value =
            std::int32_t(std::uint32_t(at[0]) << 8 | std::uint32_t(at[1]) << 16 |
                         std::uint32_t(at[2]) << 24) >>
            8;
        return value / 8388608.0;
    }
    default:
        return std::int32_t(readLittleEndian32(at)) / 2147483648.0;
    }
}

double besselI0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 64 && term > 1e-17 * sum; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

// Triangular dither of one step from a generator that always starts alike: the same sound gives
// the same bytes.
class Dither {
  public:
    double next() { return uniform() - uniform(); }

  private:
    double uniform() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return (state_ >> 11) * (1.0 / 9007199254740992.0);
    }
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

} // namespace

DecodedSound decodeWav(const unsigned char* bytes, std::size_t size, const std::string& name) {
    const WavChunks chunks = findChunks(bytes, size, name);
    DecodedSound sound;
    const unsigned format = effectiveFormat(chunks);
    sound.channels = readLittleEndian16(chunks.format + 2);
    sound.rate = readLittleEndian32(chunks.format + 4);
    sound.bits = readLittleEndian16(chunks.format + 14);
    sound.floating = format == formatFloat;
    sound.formatTag = readLittleEndian16(chunks.format);
    const bool pcm = format == formatPcm &&
                     (sound.bits == 8 || sound.bits == 16 || sound.bits == 24 || sound.bits == 32);
    const bool floating = sound.floating && (sound.bits == 32 || sound.bits == 64);
    if (!pcm && !floating)
        throw InputError("sound \"" + name +
                         "\" cannot be converted: only PCM of 8 to 32 bits and float of 32 or "
                         "64 bits can be, and it holds format " +
                         std::to_string(format) + " of " + std::to_string(sound.bits) + " bits");
    if (sound.channels == 0 || sound.rate == 0)
        throw InputError("sound \"" + name + "\" cannot be converted: its format names " +
                         std::to_string(sound.channels) + " channels at " +
                         std::to_string(sound.rate) + " Hz");
    const std::size_t frameBytes = std::size_t(sound.channels) * (sound.bits / 8);
    const std::size_t frames = chunks.dataBytes / frameBytes;
    sound.samples.resize(frames * sound.channels);
    const unsigned char* at = chunks.data;
    for (double& sample : sound.samples) {
        sample = readSample(at, sound.bits, sound.floating);
        at += sound.bits / 8;
    }
    return sound;
}

DecodedSound mixToMono(const DecodedSound& sound) {
    DecodedSound mono = sound;
    mono.channels = 1;
    const std::size_t frames = sound.samples.size() / sound.channels;
    mono.samples.assign(frames, 0.0);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        double sum = 0;
        for (unsigned c = 0; c < sound.channels; ++c)
            sum += sound.samples[frame * sound.channels + c];
        mono.samples[frame] = sum / sound.channels;
    }
    return mono;
}

DecodedSound resampleSound(const DecodedSound& sound, std::uint32_t rate) {
    if (rate == sound.rate || sound.samples.empty()) {
        DecodedSound same = sound;
        same.rate = rate;
        return same;
    }
    // Cut-off and width in cycles and samples of the input. 64 zero crossings each side and a
    // Kaiser window for 100 dB leave a transition band of about 3 percent of the lower rate,
    // placed just below its Nyquist frequency.
    constexpr double zeroCrossings = 64;
    constexpr double attenuation = 100;
    const double beta = 0.1102 * (attenuation - 8.7);
    const double ratio = double(rate) / sound.rate;
    const double nyquist = 0.5 * std::min(1.0, ratio);
    const double halfWidth = zeroCrossings / (2 * nyquist);
    const double transition = (attenuation - 8) / (2.285 * 2 * pi * 2 * halfWidth);
    const double cutoff = nyquist - transition / 2;
    // The kernel tabulated at a fine step and interpolated between, rather than evaluated for
    // every tap.
    constexpr int steps = 512;
    const int tableSize = static_cast<int>(std::ceil(halfWidth)) * steps + 2;
    std::vector<double> kernel(tableSize);
    const double windowNorm = besselI0(beta);
    for (int i = 0; i < tableSize; ++i) {
        const double x = double(i) / steps;
        const double sinc = x == 0 ? 1 : std::sin(2 * pi * cutoff * x) / (2 * pi * cutoff * x);
        const double edge = x / halfWidth;
        const double window =
            edge >= 1 ? 0 : besselI0(beta * std::sqrt(1 - edge * edge)) / windowNorm;
        kernel[i] = 2 * cutoff * sinc * window;
    }
    auto tap = [&](double distance) {
        const double at = std::fabs(distance) * steps;
        const int below = static_cast<int>(at);
        if (below + 1 >= tableSize)
            return 0.0;
        const double fraction = at - below;
        return kernel[below] + (kernel[below + 1] - kernel[below]) * fraction;
    };

    const unsigned channels = sound.channels;
    const std::size_t inFrames = sound.samples.size() / channels;
    const std::size_t outFrames =
        static_cast<std::size_t>((std::uint64_t(inFrames) * rate + sound.rate - 1) / sound.rate);
    DecodedSound out = sound;
    out.rate = rate;
    out.samples.assign(outFrames * channels, 0.0);
    const long reach = static_cast<long>(std::ceil(halfWidth));
    std::vector<double> weights;
    for (std::size_t n = 0; n < outFrames; ++n) {
        const double centre = double(n) * sound.rate / rate;
        const long first = std::max(0L, static_cast<long>(std::floor(centre)) - reach + 1);
        const long last = std::min(static_cast<long>(inFrames) - 1,
                                   static_cast<long>(std::floor(centre)) + reach);
        weights.clear();
        for (long k = first; k <= last; ++k)
            weights.push_back(tap(centre - double(k)));
        for (unsigned c = 0; c < channels; ++c) {
            double sum = 0;
            const double* in = &sound.samples[std::size_t(first) * channels + c];
            for (std::size_t w = 0; w < weights.size(); ++w, in += channels)
                sum += weights[w] * *in;
            out.samples[n * channels + c] = sum;
        }
    }
    return out;
}

std::vector<unsigned char> encodePcmWav(const DecodedSound& sound, unsigned bits) {
    const std::uint32_t bytesPerSample = bits / 8;
    const std::uint32_t dataBytes =
        static_cast<std::uint32_t>(sound.samples.size() * bytesPerSample);
    std::vector<unsigned char> wav;
    wav.reserve(44 + dataBytes + 1);
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    appendLittleEndian32(wav, 36 + dataBytes + (dataBytes & 1));
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    appendLittleEndian32(wav, 16);
    appendLittleEndian16(wav, formatPcm);
    appendLittleEndian16(wav, sound.channels);
    appendLittleEndian32(wav, sound.rate);
    appendLittleEndian32(wav, sound.rate * sound.channels * bytesPerSample);
    appendLittleEndian16(wav, sound.channels * bytesPerSample);
    appendLittleEndian16(wav, bits);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    appendLittleEndian32(wav, dataBytes);
    Dither dither;
    const double scale = bits == 8 ? 128.0 : 32768.0;
    const double lowest = -scale, highest = scale - 1;
    for (double sample : sound.samples) {
        const double value =
            std::clamp(std::floor(sample * scale + dither.next() + 0.5), lowest, highest);
        if (bits == 8)
            wav.push_back(static_cast<unsigned char>(int(value) + 128));
        else
            appendLittleEndian16(wav, static_cast<std::uint16_t>(std::int16_t(value)));
    }
    if (dataBytes & 1)
        wav.push_back(0); // chunks keep an even length
    return wav;
}

namespace {

unsigned targetBits(const DecodedSound& sound, const SoundTarget& target) {
    if (target.bits != 0)
        return target.bits;
    return !sound.floating && (sound.bits == 8 || sound.bits == 16) ? sound.bits : 16;
}

} // namespace

bool soundNeedsConversion(const DecodedSound& sound, const SoundTarget& target) {
    return (target.rate != 0 && target.rate != sound.rate) || (target.mono && sound.channels > 1) ||
           targetBits(sound, target) != sound.bits || sound.formatTag != formatPcm;
}

std::vector<unsigned char> convertSound(const std::vector<unsigned char>& wav,
                                        const std::string& name, const SoundTarget& target) {
    DecodedSound sound = decodeWav(wav.data(), wav.size(), name);
    if (!soundNeedsConversion(sound, target))
        return wav;
    const unsigned bits = targetBits(sound, target);
    if (target.mono && sound.channels > 1)
        sound = mixToMono(sound);
    if (target.rate != 0 && target.rate != sound.rate)
        sound = resampleSound(sound, target.rate);
    return encodePcmWav(sound, bits);
}
