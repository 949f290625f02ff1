// Finds a signed splash's certificate table from its PE headers, and the trailer before it.
#include "certificate_table.h"

#include "little_endian.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Where the PE format keeps what is needed here: the offset of the "PE\0\0" signature at 0x3C,
// the signature and COFF file header before the optional header, the section table after it.
constexpr std::uint64_t peOffsetField = 0x3C;
constexpr std::uint64_t fileHeaderSize = 24; // signature and COFF file header
constexpr std::uint64_t sectionHeaderSize = 40;
constexpr std::uint64_t sizeOfHeadersField = 60;
constexpr UINT securityDirectory = 4;

} // namespace

bool certificateTableOf(const unsigned char* headers, UINT count, UINT fileSize,
                        CertificateTable& table) {
    // Every extent is summed in 64 bits and checked against `count` before it is read.
    const auto inside = [count](std::uint64_t offset, std::uint64_t length) {
        return offset + length <= count;
    };
    if (!inside(0, peOffsetField + 4) || headers[0] != 'M' || headers[1] != 'Z')
        return false;
    const std::uint64_t pe = readLittleEndian32(headers + peOffsetField);
    if (!inside(pe, fileHeaderSize + 2) || std::memcmp(headers + pe, "PE\0\0", 4) != 0)
        return false;
    const std::uint64_t sectionCount = readLittleEndian16(headers + pe + 6);
    const std::uint64_t optionalSize = readLittleEndian16(headers + pe + 20);
    const std::uint64_t optional = pe + fileHeaderSize;
    std::uint64_t directoryCountField = 0;
    switch (readLittleEndian16(headers + optional)) {
    case 0x10B: // PE32
        directoryCountField = 92;
        break;
    case 0x20B: // PE32+
        directoryCountField = 108;
        break;
    default:
        return false;
    }
    const std::uint64_t directories = directoryCountField + 4;
    const std::uint64_t entryEnd = directories + 8 * (securityDirectory + 1);
    if (optionalSize < entryEnd || !inside(optional, entryEnd) ||
        readLittleEndian32(headers + optional + directoryCountField) <= securityDirectory)
        return false;

    const unsigned char* entry = headers + optional + directories + 8 * securityDirectory;
    const CertificateTable found{readLittleEndian32(entry), readLittleEndian32(entry + 4)};
    const std::uint64_t headersEnd =
        std::max<std::uint64_t>(readLittleEndian32(headers + optional + sizeOfHeadersField),
                                optional + optionalSize + sectionCount * sectionHeaderSize);
    if (found.size == 0 || found.offset < headersEnd ||
        std::uint64_t{found.offset} + found.size != fileSize)
        return false;
    table = found;
    return true;
}

bool paddingBeforeTable(const unsigned char* bytes, UINT count, UINT& padding) {
    // The marker cannot match itself shifted by 1 to 7 bytes, so at most one padding fits.
    for (UINT zeros = 0; zeros <= largestSigningPadding && trailerSize + zeros <= count; ++zeros) {
        const unsigned char* end = bytes + count - zeros;
        if (zeros > 0 && end[0] != 0)
            break; // a padding byte that is not zero, and every longer padding holds it too
        if (std::memcmp(end - trailerSize, trailerMarker, sizeof trailerMarker) == 0) {
            padding = zeros;
            return true;
        }
    }
    return false;
}
