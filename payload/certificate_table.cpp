// Finds a signed splash's certificate table from its PE headers, and the trailer before it.
#include "certificate_table.h"

#include "little_endian.h"

#include <algorithm>
#include <cstring>

namespace {

// Where the PE format keeps what is needed here: the offset of the "PE\0\0" signature at 0x3C,
// the signature and COFF file header before the optional header, the section table after it.
constexpr UINT peOffsetField = 0x3C;
constexpr UINT fileHeaderSize = 24; // signature and COFF file header
constexpr UINT sectionHeaderSize = 40;
constexpr UINT sizeOfHeadersField = 60;
constexpr UINT securityDirectory = 4;

} // namespace

bool certificateTableOf(const unsigned char* headers, UINT count, UINT fileSize,
                        CertificateTable& table) {
    // Only the first page is looked at: no sum of the offsets below can wrap in 32 bits, and each
    // extent is checked against `count` before it is read.
    count = std::min(count, peHeaderWindow);
    if (count < peOffsetField + 4 || headers[0] != 'M' || headers[1] != 'Z')
        return false;
    const UINT pe = readLittleEndian32(headers + peOffsetField);
    if (pe > count || count - pe < fileHeaderSize + 2 ||
        std::memcmp(headers + pe, "PE\0\0", 4) != 0)
        return false;
    const UINT sectionCount = readLittleEndian16(headers + pe + 6);
    const UINT optionalSize = readLittleEndian16(headers + pe + 20);
    const UINT optional = pe + fileHeaderSize;
    // PE32 and PE32+ differ only in where the data directories and their count lie.
    const UINT magic = readLittleEndian16(headers + optional);
    if (magic != 0x10B && magic != 0x20B)
        return false;
    const UINT directoryCountField = magic == 0x10B ? 92 : 108;
    const UINT directories = directoryCountField + 4;
    const UINT entryEnd = directories + 8 * (securityDirectory + 1);
    if (optionalSize < entryEnd || count - optional < entryEnd ||
        readLittleEndian32(headers + optional + directoryCountField) <= securityDirectory)
        return false;

    const unsigned char* entry = headers + optional + directories + 8 * securityDirectory;
    const CertificateTable found{readLittleEndian32(entry), readLittleEndian32(entry + 4)};
    const UINT headersEnd =
        std::max<UINT>(readLittleEndian32(headers + optional + sizeOfHeadersField),
                       optional + optionalSize + sectionCount * sectionHeaderSize);
    if (found.size == 0 || found.size > fileSize || found.offset != fileSize - found.size ||
        found.offset < headersEnd)
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
