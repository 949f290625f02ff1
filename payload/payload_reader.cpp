// Reads the payload block through the trailer at the end of a file: exactly two reads, the
// trailer and then the whole block straight into its final buffer. A signed splash, whose last
// bytes are a certificate table, takes two more to find its trailer before the table.
#include "payload_reader.h"

#include "certificate_table.h"
#include "decimal_text.h"
#include "file_access.h"
#include "little_endian.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

std::string fileInBraces(const std::string& fileName) {
    return "{" + fileName + "}";
}

[[noreturn]] void raiseAfterClose(ReadOnlyFile& file, const std::string& message) {
    file.close();
    raiseText(message);
}

// Looks for the trailer before the certificate table that data directory 4 names: one read of the
// headers, one of the bytes before the table, nothing of the table's own size. On success the
// trailer is copied into `trailer` and `trailerEnd` is the offset at which it ends.
bool findTrailerBeforeCertificateTable(ReadOnlyFile& file, UINT fileSize,
                                       unsigned char (&trailer)[trailerSize], UINT& trailerEnd) {
    // The start of the file is reached by end-relative positioning, a signed 32-bit distance.
    if (fileSize > largestDataWithTrailer)
        return false;
    unsigned char headers[peHeaderWindow] = {};
    const UINT headerBytes = std::min(fileSize, peHeaderWindow);
    if (!file.seekBeforeEnd(fileSize) || !file.read(headers, headerBytes))
        return false;
    CertificateTable table;
    if (!certificateTableOf(headers, headerBytes, fileSize, table))
        return false;
    unsigned char before[bytesBeforeTable] = {};
    const UINT count = std::min(table.offset, bytesBeforeTable);
    UINT padding = 0;
    if (!file.seekBeforeEnd(table.size + count) || !file.read(before, count) ||
        !paddingBeforeTable(before, count, padding))
        return false;
    std::memcpy(trailer, before + count - padding - trailerSize, trailerSize);
    trailerEnd = table.offset - padding;
    return true;
}

} // namespace

std::string uintToText(UINT value) {
    return unsignedDecimalText(value);
}

std::string systemErrorText(UINT code) {
    return "GetLastError() = " + uintToText(code) + "\n" + systemMessageText(code);
}

DataContent loadPayloadFromFile(const std::string& fileName) {
    ReadOnlyFile file;
    return loadPayloadFromFile(fileName, file);
}

DataContent loadPayloadFromFile(const std::string& fileName, ReadOnlyFile& file) {
    if (!file.open(fileName))
        raiseText("Could not open for load the file " + fileInBraces(fileName) +
                  ".\nSystem Error is : " + systemErrorText(lastSystemError()) + ".");

    UINT fileSize = 0;
    // A size query that fails outright is reported like a size of 0.
    if (!file.querySize(fileSize) || fileSize == 0) {
        file.close();
        raiseText("Could not get the size of file " + fileInBraces(fileName) +
                  ".\nSystem Error is : " + systemErrorText(lastSystemError()) + ".");
    }
    if (fileSize < trailerSize)
        raiseAfterClose(file,
                        "The file size is less thean the size of trailer section. File name is " +
                            fileInBraces(fileName) + ". File size is " + uintToText(fileSize) +
                            ". Size of trailer is " + uintToText(trailerSize) + ".");

    unsigned char trailer[trailerSize] = {};
    if (!file.seekBeforeEnd(trailerSize) || !file.read(trailer, trailerSize))
        raiseAfterClose(file, "Could not read the trailer section. File name is " +
                                  fileInBraces(fileName) + ".");
    // From here on the file is taken to end where its trailer ends.
    UINT trailerEnd = fileSize;
    if (std::memcmp(trailer, trailerMarker, sizeof trailerMarker) != 0 &&
        !findTrailerBeforeCertificateTable(file, fileSize, trailer, trailerEnd))
        raiseAfterClose(file, "The trailer section is invalid. File name is " +
                                  fileInBraces(fileName) + ".");

    const UINT payloadSize = readLittleEndian32(trailer + sizeof trailerMarker);
    // Summed in 64 bits: a declared size near 4 GiB must not wrap and pass the check.
    const std::uint64_t dataWithTrailer = std::uint64_t{payloadSize} + trailerSize;
    if (trailerEnd < dataWithTrailer)
        raiseAfterClose(file,
                        "The file size is less thean the size data with trailer. File name is " +
                            fileInBraces(fileName) + ". File size is " + uintToText(trailerEnd) +
                            ". Size of data with trailer is " +
                            unsignedDecimalText(dataWithTrailer) + ".");
    if (dataWithTrailer > largestDataWithTrailer)
        raiseAfterClose(file, "The size data with trailer is too large. File name is " +
                                  fileInBraces(fileName) + ". Size of data with trailer is " +
                                  unsignedDecimalText(dataWithTrailer) +
                                  ". The largest size supported is " +
                                  uintToText(largestDataWithTrailer) + ".");

    // A signed file is within reach as a whole, so the distance past its table is too.
    const std::uint64_t distance = fileSize - trailerEnd + dataWithTrailer;
    if (!file.seekBeforeEnd(static_cast<UINT>(distance)))
        raiseAfterClose(file, "Could not read the file " + fileInBraces(fileName) + ".");

    DataContent block;
    try {
        block = DataContent(payloadSize);
    } catch (...) {
        file.close();
        throw;
    }
    if (!file.read(block(0), payloadSize)) {
        block.dispose();
        raiseAfterClose(file, "Could not read the file " + fileInBraces(fileName) + ".");
    }
    file.close();
    return block;
}
