// Files of the tool: inputs are read whole and never written; outputs are written to a
// temporary file beside their place and renamed into it, so a failed run leaves no half file.
#pragma once

#include "payload_writer.h"

#include <cstdint>
#include <string>

// Largest input file the tool reads; a splash must stay well below 2 GB.
constexpr std::uint64_t largestInputFile = 1024ull * 1024 * 1024;

// The whole of `path`. Raises InputError naming `what` ("picture", "sound") and the file when
// it does not exist, is a folder, is larger than `largest` bytes or cannot be read.
ByteVector readInputFile(const std::string& path, const std::string& what,
                         std::uint64_t largest = largestInputFile);

// Raises InputError when `path` exists and `replace` is false, or when it is a folder.
void checkOutputFree(const std::string& path, bool replace);

// True when both names lead to one existing file.
bool sameFile(const std::string& first, const std::string& second);

// Writes `bytes` to a temporary file in the folder of `path` and renames it to `path`. An
// existing file is replaced only when `replace` is true. Raises InputError when the file cannot
// be written; the temporary file is then removed.
void writeFileAtomically(const std::string& path, const ByteVector& bytes, bool replace);
