// The splash file of inspect, extract and preview: read by the player's reader, decided by the
// core, its parts written through the tool's atomic writes.
#include "splash_file.h"

#include "file_output.h"
#include "file_path.h"
#include "payload_reader.h"
#include "system_code_page.h"
#include "tool_error.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// What is wrong with a file that the player refuses, in the tool's words: what the file system
// says, else what its size and trailer say.
std::string damageInWords(const std::string& path) {
    std::error_code error;
    fs::file_status status = fs::status(pathOf(path), error);
    if (!fs::exists(status))
        return "it does not exist";
    if (fs::is_directory(status))
        return "it is a folder";
    std::uint64_t size = fs::file_size(pathOf(path), error);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openFile(path, "rb"), std::fclose);
    if (error || !file)
        return "it cannot be opened";
    unsigned char trailer[trailerSize] = {};
    if (size >= trailerSize) {
        if (std::fseek(file.get(), -static_cast<long>(trailerSize), SEEK_END) != 0 ||
            std::fread(trailer, 1, trailerSize, file.get()) != trailerSize)
            return "its last " + std::to_string(trailerSize) + " bytes cannot be read";
    }
    // Bytes added after a splash hide its trailer from the player, and a splash cut short has
    // none: the whole file tells which.
    std::uint64_t earlierEnd = 0;
    ByteVector whole;
    if (size >= trailerSize && size <= largestInputFile &&
        std::memcmp(trailer, trailerMarker, sizeof trailerMarker) != 0) {
        whole.resize(static_cast<std::size_t>(size));
        if (std::fseek(file.get(), 0, SEEK_SET) == 0 &&
            std::fread(whole.data(), 1, whole.size(), file.get()) == whole.size())
            earlierEnd = earlierTrailerEnd(whole.data(), whole.size());
        else
            whole.clear();
    }
    return splashDamage(size, trailer, earlierEnd, whole.data(), whole.size());
}

} // namespace

SplashReport readSplash(const std::string& path, UINT codePage, const PlayerImage& carried) {
    // The whole file, for the player and the certificate table before and after the payload;
    // the player's reader reads it from memory as it reads its own file.
    ByteVector file;
    try {
        file = readInputFile(path, "splash", 0xFFFFFFFFu);
    } catch (const InputError&) {
        // A file that cannot be read whole is refused with what the player's reader says of it.
        try {
            loadPayloadFromFile(path);
        } catch (const std::string& message) {
            throw InputError(notASplashMessage(path, damageInWords(path), message));
        }
        throw;
    }
    return readSplashBytes(file, path, systemCodePage(), codePage, carried);
}

std::vector<std::string> extractSplash(const SplashReport& report, const ExtractOptions& options) {
    struct Part {
        const char* what;
        const ByteVector& bytes;
        std::string name; // as given, or the splash's name with the part's extension
        std::string path; // inside the folder
    };
    const std::string stem = textOf(pathOf(report.file).stem());
    Part parts[] = {
        {"picture", report.picture, options.picture.empty() ? stem + ".bmp" : options.picture, ""},
        {"sound", report.sound, options.sound.empty() ? stem + ".wav" : options.sound, ""},
    };
    // A name is taken inside the folder, as tar -C does (a full path stays as it is); the
    // default folder "." adds nothing to it.
    const fs::path directory = pathOf(options.directory);
    bool intoDirectory = false;
    for (Part& part : parts) {
        const fs::path name = pathOf(part.name);
        fs::path inside = options.directory == "." ? name : directory / name;
        part.path = textOf(inside.make_preferred());
        intoDirectory = intoDirectory || (!part.bytes.empty() && name.is_relative());
    }
    std::error_code error;
    if (!report.picture.empty() && !report.sound.empty() &&
        fs::weakly_canonical(pathOf(parts[0].path), error) ==
            fs::weakly_canonical(pathOf(parts[1].path), error))
        throw InputError("the picture and the sound would both be written to \"" + parts[0].path +
                         "\"");
    for (const Part& part : parts) {
        if (part.bytes.empty())
            continue;
        if (sameFile(part.path, report.file))
            throw InputError("\"" + part.path + "\" is the splash itself; it is never written");
        checkOutputFree(part.path, options.force);
    }
    if (intoDirectory) {
        std::error_code error;
        fs::create_directories(directory, error);
        if (error)
            throw InputError("cannot create the folder \"" + options.directory +
                             "\": " + error.message());
    }
    std::vector<std::string> lines;
    for (const Part& part : parts) {
        if (part.bytes.empty()) {
            lines.push_back(std::string("the splash holds no ") + part.what);
            continue;
        }
        writeFileAtomically(part.path, part.bytes, options.force);
        lines.push_back("wrote the " + std::string(part.what) + " to \"" + part.path + "\" (" +
                        std::to_string(part.bytes.size()) + " bytes)");
    }
    return lines;
}
