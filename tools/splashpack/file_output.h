// Files of the tool: inputs are read whole and never written; outputs are written to a
// temporary file beside their place and renamed into it, so a failed run leaves no half file.
#pragma once

#include "input_source.h"
#include "payload_writer.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Largest input file the tool reads; a splash must stay well below 2 GB.
constexpr std::uint64_t largestInputFile = 1024ull * 1024 * 1024;

// The whole of `path`. Raises InputError naming `what` ("picture", "sound") and the file when
// it does not exist, is a folder, is larger than `largest` bytes or cannot be read.
ByteVector readInputFile(const std::string& path, const std::string& what,
                         std::uint64_t largest = largestInputFile);

// An input file held open from its checks to its copy into an output, so that a large picture
// is neither read into memory nor opened twice. A file whose size cannot be known beforehand
// (a pipe) is read whole when it is opened.
class InputFile : public InputSource {
  public:
    // Raises InputError as readInputFile does, except for a file that cannot be read.
    InputFile(const std::string& path, const std::string& what,
              std::uint64_t largest = largestInputFile);

    // Its size when it was opened: what readAll reads and what an output copies.
    std::uint64_t size() const override { return measured; }
    // Its first `count` bytes, or all of them when it is shorter.
    ByteVector head(std::size_t count) const override;
    // The whole file. Raises InputError when it cannot be read or has grown past the limit.
    ByteVector readAll() const override;
    // Appends its `size()` bytes to `to`, inside the system where it can. Raises InputError when
    // the file cannot be read or has become shorter; false when `to` cannot be written.
    bool copyTo(std::FILE* to) const;

  private:
    std::string named; // "picture \"logo.bmp\"", for messages
    std::uint64_t largest;
    std::uint64_t measured = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file;
    bool held = false; // the bytes were read when it was opened, into `bytes`
    ByteVector bytes;
};

// Raises InputError when `path` exists and `replace` is false, or when it is a folder.
void checkOutputFree(const std::string& path, bool replace);

// Makes the folder that `path` is to be written in, with the folders above it, when it does not
// exist yet. Returns the folder's name when it made it, else an empty text; raises InputError
// when it cannot be made.
std::string makeFolderFor(const std::string& path);

// True when both names lead to one existing file.
bool sameFile(const std::string& first, const std::string& second);

// Writes `bytes` to a temporary file in the folder of `path` and renames it to `path`. An
// existing file is replaced only when `replace` is true. Raises InputError when the file cannot
// be written; the temporary file is then removed.
void writeFileAtomically(const std::string& path, const ByteVector& bytes, bool replace);

// writeFileAtomically for a file made of `parts`, one after the other; an input that is an
// InputFile is copied inside the system where it can be.
void writeJoinedFileAtomically(const std::string& path, const std::vector<OutputPart>& parts,
                               bool replace);
