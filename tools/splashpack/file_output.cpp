// Reading inputs whole; writing outputs through a temporary file and a rename.
#include "file_output.h"

#include "tool_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

std::string errnoText() {
    return std::strerror(errno);
}

// Closes on every way out; a write that failed is then removed with the temporary file.
class OpenFile {
  public:
    explicit OpenFile(std::FILE* file) : file(file) {}
    ~OpenFile() {
        if (file != nullptr)
            std::fclose(file);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    std::FILE* get() const { return file; }
    bool close() {
        std::FILE* closing = file;
        file = nullptr;
        return std::fclose(closing) == 0;
    }

  private:
    std::FILE* file;
};

// A name beside `path` that no file has yet.
fs::path temporaryNameFor(const fs::path& path) {
    std::error_code error;
    for (unsigned attempt = 0;; ++attempt) {
        fs::path candidate = path;
        candidate += ".splashpack-" + std::to_string(attempt) + ".tmp";
        if (!fs::exists(candidate, error))
            return candidate;
    }
}

} // namespace

ByteVector readInputFile(const std::string& path, const std::string& what, std::uint64_t largest) {
    std::string named = what + " " + inQuotes(path);
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (!fs::exists(status))
        throw InputError(named + " does not exist");
    if (fs::is_directory(status))
        throw InputError(named + " is a folder, not a file");
    std::uint64_t size = fs::file_size(path, error);
    if (!error && size > largest)
        throw InputError(named + " is larger than " + std::to_string(largest) + " bytes");

    OpenFile file(std::fopen(path.c_str(), "rb"));
    if (file.get() == nullptr)
        throw InputError(named + " cannot be opened: " + errnoText());
    ByteVector bytes;
    // Read in one call into its final place when the size is known, so that a large picture is
    // neither copied from a chunk nor moved while the buffer grows; whatever follows (a file that
    // grew meanwhile) is read in chunks.
    if (!error && size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    }
    unsigned char chunk[65536];
    while (!std::feof(file.get()) && !std::ferror(file.get())) {
        std::size_t count = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.insert(bytes.end(), chunk, chunk + count);
        if (bytes.size() > largest)
            throw InputError(named + " is larger than " + std::to_string(largest) + " bytes");
    }
    if (std::ferror(file.get()))
        throw InputError(named + " cannot be read: " + errnoText());
    return bytes;
}

void checkOutputFree(const std::string& path, bool replace) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status))
        throw InputError(inQuotes(path) + " is a folder; name the file to write");
    if (fs::exists(status) && !replace)
        throw InputError(inQuotes(path) + " exists; --force replaces it");
}

bool sameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    bool same = fs::equivalent(first, second, error);
    return !error && same;
}

void writeFileAtomically(const std::string& path, const ByteVector& bytes, bool replace) {
    checkOutputFree(path, replace);
    fs::path target(path);
    fs::path temporary = temporaryNameFor(target);
    std::string failure = "cannot write " + inQuotes(path) + ": ";
    {
        OpenFile file(std::fopen(temporary.string().c_str(), "wb"));
        if (file.get() == nullptr)
            throw InputError(failure + errnoText());
        bool written =
            bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
        written = std::fflush(file.get()) == 0 && written;
        std::string reason = written ? "" : errnoText();
        bool closed = file.close();
        if (!written || !closed) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw InputError(failure + (reason.empty() ? errnoText() : reason));
        }
    }
    std::error_code error;
    // Checked again just before the rename, which would replace a file made in between.
    if (!replace && fs::exists(target, error)) {
        fs::remove(temporary, error);
        throw InputError(inQuotes(path) + " exists; --force replaces it");
    }
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw InputError(failure + error.message());
    }
}
