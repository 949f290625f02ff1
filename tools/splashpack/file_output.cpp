// Reading inputs, whole or as copies into an output; writing outputs through a temporary file
// and a rename.
#include "file_output.h"

#include "file_copy.h"
#include "file_path.h"
#include "interrupt_cleanup.h"
#include "message_text.h"
#include "tool_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

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

// Appends `part` to `to`: false when `to` cannot be written.
bool writePart(const OutputPart& part, std::FILE* to) {
    if (const InputSource* input = part.input()) {
        if (const auto* file = dynamic_cast<const InputFile*>(input))
            return file->copyTo(to);
        ByteVector bytes = input->readAll();
        return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), to) == bytes.size();
    }
    std::size_t size = static_cast<std::size_t>(part.length());
    return size == 0 || std::fwrite(part.bytes(), 1, size, to) == size;
}

} // namespace

InputFile::InputFile(const std::string& path, const std::string& what, std::uint64_t largest)
    : named(what + " " + inQuotes(path)), largest(largest), file(nullptr, std::fclose) {
    std::error_code error;
    fs::file_status status = fs::status(pathOf(path), error);
    if (!fs::exists(status))
        throw InputError(named + " does not exist");
    if (fs::is_directory(status))
        throw InputError(named + " is a folder, not a file");
    std::uint64_t size = fs::file_size(pathOf(path), error);
    if (!error && size > largest)
        throw InputError(named + " is larger than " + std::to_string(largest) + " bytes");
    file.reset(openFile(path, "rb"));
    if (!file)
        throw InputError(named + " cannot be opened: " + errnoText());
    if (error || !fs::is_regular_file(status)) {
        // Read as it comes, once: there is no size to measure and no start to go back to.
        bytes = readAll();
        held = true;
    }
    measured = held ? bytes.size() : size;
}

ByteVector InputFile::head(std::size_t count) const {
    if (held)
        return ByteVector(bytes.begin(), bytes.begin() + std::min(count, bytes.size()));
    ByteVector first(static_cast<std::size_t>(std::min<std::uint64_t>(count, measured)));
    if (std::fseek(file.get(), 0, SEEK_SET) != 0)
        throw InputError(named + " cannot be read: " + errnoText());
    first.resize(std::fread(first.data(), 1, first.size(), file.get()));
    if (std::ferror(file.get()))
        throw InputError(named + " cannot be read: " + errnoText());
    return first;
}

ByteVector InputFile::readAll() const {
    if (held)
        return bytes;
    if (measured > 0 && std::fseek(file.get(), 0, SEEK_SET) != 0)
        throw InputError(named + " cannot be read: " + errnoText());
    ByteVector all;
    // Read in one call into its final place when the size is known, so that a large picture is
    // neither copied from a chunk nor moved while the buffer grows; whatever follows (a file that
    // grew meanwhile) is read in chunks.
    if (measured > 0) {
        all.resize(static_cast<std::size_t>(measured));
        all.resize(std::fread(all.data(), 1, all.size(), file.get()));
    }
    unsigned char chunk[65536];
    while (!std::feof(file.get()) && !std::ferror(file.get())) {
        std::size_t count = std::fread(chunk, 1, sizeof chunk, file.get());
        all.insert(all.end(), chunk, chunk + count);
        if (all.size() > largest)
            throw InputError(named + " is larger than " + std::to_string(largest) + " bytes");
    }
    if (std::ferror(file.get()))
        throw InputError(named + " cannot be read: " + errnoText());
    return all;
}

bool InputFile::copyTo(std::FILE* to) const {
    if (held)
        return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), to) == bytes.size();
    if (std::fflush(to) != 0)
        return false;
    std::uint64_t copied = copyInSystem(file.get(), to, measured);
    if (copied < measured && std::fseek(file.get(), static_cast<long>(copied), SEEK_SET) != 0)
        throw InputError(named + " cannot be read: " + errnoText());
    unsigned char chunk[65536];
    while (copied < measured) {
        std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(sizeof chunk, measured - copied));
        std::size_t count = std::fread(chunk, 1, want, file.get());
        if (count == 0) {
            if (std::ferror(file.get()))
                throw InputError(named + " cannot be read: " + errnoText());
            throw InputError(named + " became shorter while splashpack read it");
        }
        if (std::fwrite(chunk, 1, count, to) != count)
            return false;
        copied += count;
    }
    return true;
}

ByteVector readInputFile(const std::string& path, const std::string& what, std::uint64_t largest) {
    return InputFile(path, what, largest).readAll();
}

void checkOutputFree(const std::string& path, bool replace) {
    std::error_code error;
    fs::file_status status = fs::status(pathOf(path), error);
    if (fs::is_directory(status))
        throw InputError(inQuotes(path) + " is a folder; name the file to write");
    if (fs::exists(status) && !replace)
        throw InputError(inQuotes(path) + " exists; --force replaces it");
}

std::string makeFolderFor(const std::string& path) {
    const fs::path folder = pathOf(path).parent_path();
    std::error_code error;
    if (folder.empty() || fs::is_directory(folder, error))
        return "";
    fs::create_directories(folder, error);
    const std::string named = textOf(fs::path(folder).make_preferred());
    if (error)
        throw InputError("cannot make the folder " + inQuotes(named) + ": " + error.message());
    return named;
}

bool sameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    bool same = fs::equivalent(pathOf(first), pathOf(second), error);
    return !error && same;
}

void writeFileAtomically(const std::string& path, const ByteVector& bytes, bool replace) {
    writeJoinedFileAtomically(path, {OutputPart(bytes)}, replace);
}

void writeJoinedFileAtomically(const std::string& path, const std::vector<OutputPart>& parts,
                               bool replace) {
    checkOutputFree(path, replace);
    fs::path target = pathOf(path);
    fs::path temporary = temporaryNameFor(target);
    std::string failure = "cannot write " + inQuotes(path) + ": ";
    auto removeTemporary = [&temporary] {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    };
    // Armed before the file exists, so that no moment of the write leaves it behind.
    InterruptCleanup cleanup(textOf(temporary));
    {
        OpenFile file(openFile(textOf(temporary), "wb"));
        if (file.get() == nullptr)
            throw InputError(failure + errnoText());
        bool written = true;
        try {
            for (const OutputPart& part : parts)
                if (interruptRequested() || !(written = writePart(part, file.get())))
                    break;
        } catch (const InputError&) {
            file.close();
            removeTemporary();
            throw;
        }
        written = std::fflush(file.get()) == 0 && written;
        std::string reason = written ? "" : errnoText();
        bool closed = file.close();
        if (interruptRequested()) {
            removeTemporary();
            endInterrupted();
        }
        if (!written || !closed) {
            removeTemporary();
            throw InputError(failure + (reason.empty() ? errnoText() : reason));
        }
    }
    std::error_code error;
    // Checked again just before the rename, which would replace a file made in between.
    if (!replace && fs::exists(target, error)) {
        removeTemporary();
        throw InputError(inQuotes(path) + " exists; --force replaces it");
    }
    fs::rename(temporary, target, error);
    if (error) {
        removeTemporary();
        throw InputError(failure + error.message());
    }
}
