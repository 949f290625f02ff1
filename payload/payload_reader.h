// Finds the payload block at the end of a file through its 20-byte trailer and reads it into
// one owned buffer.
#pragma once

#include "data_content.h"

#include <string>

// Size of the trailer record: the 16-byte marker and the 32-bit payload size.
constexpr UINT trailerSize = 20;
// "Trailer Section" and its NUL: all 16 bytes take part in the comparison.
constexpr char trailerMarker[16] = "Trailer Section";

// Reads the payload block of `fileName`; every failure is raised as a text exception.
DataContent loadPayloadFromFile(const std::string& fileName);

// "GetLastError() = " + code + "\n" + the system's own text for the code.
std::string systemErrorText(UINT code);

// The value as unsigned decimal text ("%u").
std::string uintToText(UINT value);

class ReadOnlyFile;

// The same read through a given file object, which the reader opens and closes itself.
DataContent loadPayloadFromFile(const std::string& fileName, ReadOnlyFile& file);

// The end-relative positioning takes a signed 32-bit distance: a block and trailer larger than
// this cannot be reached and are refused.
constexpr UINT largestDataWithTrailer = 0x7FFFFFFF;
