// The trailer of a whole splash held in memory, for readers that have the file at once; kept out
// of certificate_table.cpp so that the player, which reads through its file, does not carry it.
#include "certificate_table.h"

#include <algorithm>
#include <cstring>

bool trailerEndOf(const unsigned char* file, UINT size, UINT& trailerEnd) {
    if (size < trailerSize)
        return false;
    if (std::memcmp(file + size - trailerSize, trailerMarker, sizeof trailerMarker) == 0) {
        trailerEnd = size;
        return true;
    }
    CertificateTable table;
    UINT padding = 0;
    if (!certificateTableOf(file, std::min(size, peHeaderWindow), size, table))
        return false;
    const UINT count = std::min(table.offset, bytesBeforeTable);
    if (!paddingBeforeTable(file + table.offset - count, count, padding))
        return false;
    trailerEnd = table.offset - padding;
    return true;
}
