// A splash signed after it was built: signing pads the file to a multiple of 8 bytes and appends
// a certificate table, which data directory 4 of the PE headers names by file offset, so the
// trailer then lies just before that table instead of at the end of the file.
#pragma once

#include "payload_reader.h"

// How many of a file's first bytes are searched for its PE headers: one page, which holds the
// headers every linker writes. Headers further in are not looked for.
constexpr UINT peHeaderWindow = 4096;
// Signing pads with zeros up to a multiple of 8 bytes before the table.
constexpr UINT largestSigningPadding = 7;
// The bytes read just before a table: a trailer and the largest padding.
constexpr UINT bytesBeforeTable = trailerSize + largestSigningPadding;

// A certificate table by file offset and size.
struct CertificateTable {
    UINT offset = 0;
    UINT size = 0;
};

// The certificate table named by data directory 4 of `headers`, the first `count` bytes of a
// file of `fileSize` bytes (only the first `peHeaderWindow` are looked at), in PE32 or PE32+
// headers with at least 5 data directories: only a table that starts after the headers and ends
// exactly at the end of the file. Anything else, including a header field out of range, gives
// false.
bool certificateTableOf(const unsigned char* headers, UINT count, UINT fileSize,
                        CertificateTable& table);

// The padding between a trailer and the table, when the last bytes of `bytes` (the `count` bytes
// that end where the table starts; only the last `bytesBeforeTable` are looked at) are a trailer
// marker and its size followed by 0 to 7 zero bytes; false when they are not.
bool paddingBeforeTable(const unsigned char* bytes, UINT count, UINT& padding);

// Where the trailer of a whole file held in memory ends: the end of the file when its last
// `trailerSize` bytes are a trailer, else the end of one found before a certificate table as
// above; false when the file holds neither. The payload reader finds the same place through its
// reads. Defined apart (trailer_end.cpp) so that the player does not carry it.
bool trailerEndOf(const unsigned char* file, UINT size, UINT& trailerEnd);
