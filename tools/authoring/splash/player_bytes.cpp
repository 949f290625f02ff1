// A player's bytes told apart from what signing and this tool add around them.
#include "player_bytes.h"

#include "certificate_table.h"
#include "little_endian.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Where the PE format keeps what is needed here, from the start of the optional header.
constexpr std::size_t checksumField = 64;
constexpr std::size_t sizeOfHeadersField = 60;
constexpr std::size_t sectionHeaderSize = 40;

// The start of the optional header in the first `count` bytes, with its size and magic in
// range; 0 when there is none.
std::size_t optionalHeaderAt(const unsigned char* file, std::size_t count) {
    if (count < 0x40 || file[0] != 'M' || file[1] != 'Z')
        return 0;
    const std::size_t pe = readLittleEndian32(file + 0x3C);
    if (pe > count || count - pe < 24 + 2 || std::memcmp(file + pe, "PE\0\0", 4) != 0)
        return 0;
    const std::uint32_t magic = readLittleEndian16(file + pe + 24);
    return magic == 0x10B || magic == 0x20B ? pe + 24 : 0;
}

// Where the headers and the sections' raw data end; 0 when a field lies outside `end`.
std::size_t sectionsEnd(const unsigned char* file, std::size_t end) {
    const std::uint64_t last = imageEndOf(file, end);
    return last <= end ? static_cast<std::size_t>(last) : 0;
}

// `end`, or where the sections end when only up to 7 zero bytes follow them there.
std::size_t withoutZeroPadding(const unsigned char* file, std::size_t end) {
    const std::size_t sections = sectionsEnd(file, end);
    if (sections == 0 || end - sections > largestSigningPadding ||
        std::any_of(file + sections, file + end, [](unsigned char b) { return b != 0; }))
        return end;
    return sections;
}

// The PE checksum: the 16-bit little-endian words summed with their carries folded back in,
// plus the length. The checksum field itself must read 0 in `headers`.
std::uint32_t peChecksum(const ByteVector& headers, const unsigned char* file, std::size_t end) {
    std::uint64_t sum = 0;
    auto add = [&sum](const unsigned char* bytes, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            sum += i % 2 == 0 ? bytes[i - from] : std::uint64_t(bytes[i - from]) << 8;
    };
    add(headers.data(), 0, headers.size());
    add(file + headers.size(), headers.size(), end);
    while (sum >> 16 != 0)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + end);
}

void writeLittleEndian32(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

std::uint64_t imageEndOf(const unsigned char* file, std::size_t count) {
    const std::size_t optional = optionalHeaderAt(file, count);
    if (optional == 0 || count - optional < sizeOfHeadersField + 4)
        return 0;
    const std::size_t sectionCount = readLittleEndian16(file + optional - 24 + 6);
    const std::size_t table = optional + readLittleEndian16(file + optional - 24 + 20);
    if (table > count || (count - table) / sectionHeaderSize < sectionCount)
        return 0;
    std::uint64_t last = readLittleEndian32(file + optional + sizeOfHeadersField);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const unsigned char* section = file + table + i * sectionHeaderSize;
        const std::uint32_t rawSize = readLittleEndian32(section + 16);
        if (rawSize != 0)
            last = std::max(last, std::uint64_t(readLittleEndian32(section + 20)) + rawSize);
    }
    return last;
}

std::uint64_t fnv1a64(const unsigned char* data, std::size_t size, std::uint64_t hash) {
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string hashText(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::size_t securityEntryAt(const unsigned char* file, std::size_t count) {
    count = std::min<std::size_t>(count, peHeaderWindow);
    const std::size_t optional = optionalHeaderAt(file, count);
    if (optional == 0)
        return 0;
    // PE32 and PE32+ differ only in where the directories and their count lie.
    const std::size_t countField = readLittleEndian16(file + optional) == 0x10B ? 92 : 108;
    const std::size_t entry = countField + 4 + 8 * 4;
    const std::size_t optionalSize = readLittleEndian16(file + optional - 24 + 20);
    if (optionalSize < entry + 8 || count - optional < entry + 8 ||
        readLittleEndian32(file + optional + countField) < 5)
        return 0;
    return optional + entry;
}

PlayerBytes playerBytesIn(const unsigned char* file, std::size_t end) {
    PlayerBytes bytes;
    bytes.end = end;
    const std::size_t entry = securityEntryAt(file, end);
    const std::uint32_t tableSize = entry != 0 ? readLittleEndian32(file + entry + 4) : 0;
    if (tableSize != 0) {
        const std::uint32_t offset = readLittleEndian32(file + entry);
        if (offset >= entry + 8 && offset <= end && end - offset == tableSize)
            bytes.end = offset;
    }
    bytes.end = withoutZeroPadding(file, bytes.end);
    if (tableSize == 0 || bytes.end < entry + 8)
        return bytes;
    bytes.wasSigned = true;
    bytes.headers.assign(file, file + entry + 8);
    std::fill(bytes.headers.end() - 8, bytes.headers.end(), 0);
    // Signing sets the checksum of the signed file; the player's own is that of its bytes.
    unsigned char* checksum = &bytes.headers[readLittleEndian32(file + 0x3C) + 24 + checksumField];
    if (readLittleEndian32(checksum) != 0) {
        writeLittleEndian32(checksum, 0);
        writeLittleEndian32(checksum, peChecksum(bytes.headers, file, bytes.end));
    }
    return bytes;
}

std::uint64_t playerHash(const unsigned char* file, const PlayerBytes& bytes) {
    const std::size_t changed = bytes.headers.size();
    return fnv1a64(file + changed, bytes.end - changed, fnv1a64(bytes.headers.data(), changed));
}
