// WAV decoding to fixed-point numbers, Kaiser-windowed sinc resampling, mixing down and dithered
// PCM output, all in integers: the same sound gives the same bytes on every compiler, library
// and processor.

#include "sound_conversion.h"

#include "integer_rounding.h"
#include "little_endian.h"
#include "little_endian_output.h"
#include "tool_error.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace {

constexpr unsigned formatPcm = 1;
constexpr unsigned formatFloat = 3;
constexpr unsigned formatExtensible = 0xFFFE;
constexpr int fullScaleBits = 27; // a sample of 1 << 27 is full scale
// Float samples beyond four times full scale are held there: the headroom keeps the sums of the
// resampler within 64 bits. What the resampler makes of them stays within twice that.
constexpr double floatLimit = 4;
constexpr std::int64_t sampleLimit = std::int64_t(1) << (fullScaleBits + 3);

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

// A float sample in fixed point: scaling by a power of two and rounding are exact, so every
// processor gives the same number.
std::int32_t fixedFromFloat(double value) {
    if (!std::isfinite(value))
        return 0;
    value = std::clamp(value, -floatLimit, floatLimit);
    return static_cast<std::int32_t>(std::llround(std::ldexp(value, fullScaleBits)));
}

std::int32_t readSample(const unsigned char* at, unsigned bits, bool floating) {
    if (floating) {
        if (bits == 32) {
            float value;
            const std::uint32_t raw = readLittleEndian32(at);
            std::memcpy(&value, &raw, 4);
            return fixedFromFloat(value);
        }
        const std::uint64_t raw = readLittleEndian32(at) | std::uint64_t(readLittleEndian32(at + 4))
                                                               << 32;
        double value;
        std::memcpy(&value, &raw, 8);
        return fixedFromFloat(value);
    }
    switch (bits) {
    case 8:
        return (std::int32_t(at[0]) - 128) * (1 << (fullScaleBits - 7));
    case 16:
        return std::int16_t(readLittleEndian16(at)) * (1 << (fullScaleBits - 15));
    case 24: {
        const std::int32_t value =
            std::int32_t(std::uint32_t(at[0]) << 8 | std::uint32_t(at[1]) << 16 |
                         std::uint32_t(at[2]) << 24) /
            256;
        return value * (1 << (fullScaleBits - 23));
    }
    default:
        return static_cast<std::int32_t>(
            roundedShift(std::int32_t(readLittleEndian32(at)), 31 - fullScaleBits));
    }
}

// floor(a * b / 2^shift) of two unsigned numbers whose product may take 128 bits, for a result
// that fits in 64.
std::uint64_t productShifted(std::uint64_t a, std::uint64_t b, unsigned shift) {
    const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    std::uint64_t low = aLow * bLow;
    std::uint64_t high = aHigh * bHigh;
    for (const std::uint64_t middle : {aHigh * bLow, aLow * bHigh}) {
        const std::uint64_t added = middle << 32;
        low += added;
        high += (middle >> 32) + (low < added ? 1 : 0);
    }
    return shift == 0 ? low : low >> shift | high << (64 - shift);
}

// Numbers of 30 fraction bits below: the filter's constants, from its 100 dB stop band, its 64
// zero crossings each side and Kaiser's formulas, and from pi.
constexpr int q = 30;
constexpr std::int64_t one = std::int64_t(1) << q;
// beta = 0.1102 (100 - 8.7) = 10.06126, times 2^30.
constexpr std::uint64_t kaiserBeta = 10803195664u;
// 2 x cut-off x half-width, in half cycles: 64 - 92 / (2.285 x 4 pi) = 60.7960055..., times 2^32.
constexpr std::uint64_t halfCycles = 261116855444u;
// The same over 64: the cut-off as a share of the lower rate's Nyquist frequency, times 2^30.
constexpr std::int64_t cutoffShare = 1019987717;
constexpr std::uint64_t twoPi32 = 26986075409u; // 2 pi x 2^32
constexpr std::uint64_t halfPi32 = 6746518852u; // pi / 2 x 2^32

// floor(numerator * 2^30 / denominator), at most 2^30, by long division (denominator < 2^62).
std::int64_t fraction(std::uint64_t numerator, std::uint64_t denominator) {
    if (numerator >= denominator)
        return one;
    std::uint64_t quotient = 0;
    for (int bit = 0; bit < q; ++bit) {
        numerator <<= 1;
        quotient <<= 1;
        if (numerator >= denominator) {
            numerator -= denominator;
            quotient |= 1;
        }
    }
    return static_cast<std::int64_t>(quotient);
}

std::uint64_t squareRoot(std::uint64_t value) {
    std::uint64_t root = 0;
    for (std::uint64_t bit = std::uint64_t(1) << 62; bit != 0; bit >>= 2) {
        if (value >= root + bit) {
            value -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
    }
    return root;
}

// sin and cos of an angle from 0 to pi / 2 (times 2^30) by their Taylor series, which at that
// angle are within 1e-13 after these terms.
std::int64_t sineOf(std::int64_t angle) {
    const std::int64_t squared = roundedShift(angle * angle, q);
    std::int64_t sum = one;
    for (std::int64_t k = 8; k >= 1; --k)
        sum = one - roundedShift(sum * squared, q) / (2 * k * (2 * k + 1));
    return roundedShift(sum * angle, q);
}

std::int64_t cosineOf(std::int64_t angle) {
    const std::int64_t squared = roundedShift(angle * angle, q);
    std::int64_t sum = one;
    for (std::int64_t k = 9; k >= 1; --k)
        sum = one - roundedShift(sum * squared, q) / ((2 * k - 1) * (2 * k));
    return sum;
}

// sin(2 pi turn / 2^50), times 2^30.
std::int64_t sineOfTurn(std::uint64_t turn) {
    const std::uint64_t quarter = std::uint64_t(1) << 48;
    const unsigned quadrant = static_cast<unsigned>(turn >> 48 & 3);
    const std::int64_t angle =
        static_cast<std::int64_t>(productShifted(turn % quarter, halfPi32, 50));
    const std::int64_t value = quadrant % 2 == 0 ? sineOf(angle) : cosineOf(angle);
    return quadrant < 2 ? value : -value;
}

// The modified Bessel function I0 of `x` (times 2^30), by its series, term by term until the
// terms fall below 2^-30: sum of ((x / 2)^k / k!)^2.
std::uint64_t besselI0(std::uint64_t x) {
    const std::uint64_t quarterSquare = productShifted(x, x, q + 2);
    std::uint64_t term = one, sum = one;
    for (std::uint64_t k = 1; term != 0; ++k) {
        term = productShifted(term, quarterSquare, q) / (k * k);
        sum += term;
    }
    return sum;
}

// The filter's kernel over its half-width, in steps of 2^-17 of it (2048 steps a zero crossing),
// times 2^30: sinc(pi A z) x I0(beta sqrt(1 - z^2)) / I0(beta), where A is the number of half
// cycles the half-width spans. It depends on no rate: a conversion scales it. Two zeros close
// the table, where the window ends.
constexpr int kernelStepBits = 17;

const std::vector<std::int32_t>& kernelTable() {
    static const std::vector<std::int32_t> table = [] {
        const std::size_t steps = std::size_t(1) << kernelStepBits;
        std::vector<std::int32_t> values(steps + 2, 0);
        const std::uint64_t windowNorm = besselI0(kaiserBeta);
        for (std::size_t j = 0; j < steps; ++j) {
            // The sinc's argument: A z / 2 turns, exactly, in 2^-50 of a turn.
            const std::uint64_t turn = halfCycles * j;
            std::int64_t sinc = one;
            if (j != 0) {
                const std::int64_t angle =
                    static_cast<std::int64_t>(productShifted(turn, twoPi32, 52));
                sinc = roundedDivision(sineOfTurn(turn % (std::uint64_t(1) << 50)) * one, angle);
            }
            // sqrt(1 - z^2) with z = j / 2^17, times 2^30.
            const std::uint64_t inside = (std::uint64_t(1) << 34) - std::uint64_t(j) * j;
            const std::uint64_t root = squareRoot(inside << 26);
            const std::int64_t window =
                fraction(besselI0(productShifted(kaiserBeta, root, q)), windowNorm);
            values[j] = static_cast<std::int32_t>(roundedShift(sinc * window, q));
        }
        return values;
    }();
    return table;
}

// The weights of the input samples from the `first`-th after an output sample's place on.
struct PhaseWeights {
    std::int64_t first = 0;
    std::vector<std::int64_t> weights;
};

// Triangular dither of one step from a generator that always starts alike: the same sound gives
// the same bytes. `bits` fraction bits of a step.
class Dither {
  public:
    std::int64_t next(int bits) {
        return std::int64_t(uniform(bits)) - std::int64_t(uniform(bits));
    }

  private:
    std::uint64_t uniform(int bits) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_ >> (64 - bits);
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
    for (std::int32_t& sample : sound.samples) {
        sample = readSample(at, sound.bits, sound.floating);
        at += sound.bits / 8;
    }
    return sound;
}

DecodedSound mixToMono(const DecodedSound& sound) {
    DecodedSound mono = sound;
    mono.channels = 1;
    const std::size_t frames = sound.samples.size() / sound.channels;
    mono.samples.assign(frames, 0);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        std::int64_t sum = 0;
        for (unsigned c = 0; c < sound.channels; ++c)
            sum += sound.samples[frame * sound.channels + c];
        mono.samples[frame] = static_cast<std::int32_t>(roundedDivision(sum, sound.channels));
    }
    return mono;
}

DecodedSound resampleSound(const DecodedSound& sound, std::uint32_t rate) {
    if (rate == sound.rate || sound.samples.empty()) {
        DecodedSound same = sound;
        same.rate = rate;
        return same;
    }
    // The filter reaches 64 zero crossings of the lower rate each side, its half-width; at that
    // width a 100 dB stop band takes a transition band a tenth of the lower Nyquist frequency
    // wide, which ends at that frequency. An input sample d input samples from an output sample
    // lies z = d / half-width into the kernel: with d = D / rate for an integer D, and a half-width
    // of 64 x larger rate / rate input samples, z = D / (64 x larger rate).
    const std::vector<std::int32_t>& kernel = kernelTable();
    const std::int64_t in = sound.rate, out = rate;
    const std::int64_t larger = std::max(in, out);
    const std::int64_t reach = 64 * larger; // in units of D
    // The kernel's height: 2 x cut-off, in cycles of an input sample.
    const std::int64_t gain = roundedDivision(cutoffShare * out, larger);
    // The weights of the input samples around an output sample depend only on where it falls
    // between two of them, its phase: D = |phase - k out| for the k-th sample from the one at or
    // before it.
    auto weightsAt = [&](std::int64_t phase, PhaseWeights& taps) {
        taps.first = floorDivision(phase - reach, out) + 1;
        const std::int64_t last = floorDivision(phase + reach - 1, out);
        taps.weights.clear();
        for (std::int64_t k = taps.first; k <= last; ++k) {
            const std::int64_t distance = phase > k * out ? phase - k * out : k * out - phase;
            const std::int64_t position = distance << (kernelStepBits - 6);
            const std::size_t step = static_cast<std::size_t>(position / larger);
            const std::int64_t between = position % larger;
            const std::int64_t value =
                kernel[step] + roundedDivision((kernel[step + 1] - kernel[step]) * between, larger);
            taps.weights.push_back(roundedShift(value * gain, q));
        }
    };
    // Usual rates repeat a few hundred phases at most; others are weighed sample by sample.
    const std::int64_t phases = out / std::gcd(in, out);
    std::vector<PhaseWeights> remembered(phases <= 4096 ? std::size_t(phases) : 0);
    PhaseWeights scratch;

    const unsigned channels = sound.channels;
    const std::int64_t inFrames = static_cast<std::int64_t>(sound.samples.size() / channels);
    const std::int64_t outFrames = (inFrames * out + in - 1) / in;
    DecodedSound resampled = sound;
    resampled.rate = rate;
    resampled.samples.assign(std::size_t(outFrames) * channels, 0);
    for (std::int64_t n = 0; n < outFrames; ++n) {
        const std::int64_t base = n * in / out, phase = n * in % out;
        PhaseWeights* taps = &scratch;
        if (!remembered.empty())
            taps = &remembered[std::size_t(phase * phases / out)];
        if (taps == &scratch || taps->weights.empty())
            weightsAt(phase, *taps);
        // Beyond either end the sound is silent.
        const std::int64_t first = std::max<std::int64_t>(0, base + taps->first);
        const std::int64_t last = std::min<std::int64_t>(
            inFrames - 1, base + taps->first + std::int64_t(taps->weights.size()) - 1);
        for (unsigned c = 0; c < channels; ++c) {
            std::int64_t sum = 0;
            for (std::int64_t k = first; k <= last; ++k)
                sum += taps->weights[std::size_t(k - base - taps->first)] *
                       sound.samples[std::size_t(k) * channels + c];
            resampled.samples[std::size_t(n) * channels + c] = static_cast<std::int32_t>(
                std::clamp<std::int64_t>(roundedShift(sum, q), -sampleLimit, sampleLimit));
        }
    }
    return resampled;
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
    // The fraction bits below one step of the output.
    const int below = fullScaleBits + 1 - static_cast<int>(bits);
    const std::int64_t highest = (std::int64_t(1) << (bits - 1)) - 1, lowest = -highest - 1;
    for (std::int32_t sample : sound.samples) {
        const std::int64_t value = std::clamp(
            roundedShift(std::int64_t(sample) + dither.next(below), below), lowest, highest);
        if (bits == 8)
            wav.push_back(static_cast<unsigned char>(value + 128));
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
