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
