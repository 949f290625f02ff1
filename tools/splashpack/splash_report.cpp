// inspect and extract: the splash read back through the player's reader and decoder.
#include "splash_report.h"

#include "bitmap_codec.h"
#include "file_output.h"
#include "picture_intake.h"
#include "requirements_decision.h"
#include "splash_settings.h"
#include "tool_error.h"
#include "window_layout.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

ByteVector bytesOf(const DataContent& content) {
    if (content.data == nullptr || content.size == 0)
        return ByteVector();
    return ByteVector(content.data, content.data + content.size);
}

void measurePicture(SplashReport& report) {
    if (report.picture.empty())
        return;
    BitmapLayout layout;
    report.pictureVerdict =
        checkBitmap(report.picture.data(), static_cast<UINT>(report.picture.size()), layout);
    if (report.pictureVerdict == BitmapVerdict::accepted) {
        report.pictureMeasured = true;
        report.pictureWidth = static_cast<UINT>(layout.width);
        report.pictureHeight = layout.absoluteHeight;
        report.pictureBits = layout.bitCount;
        return;
    }
    try {
        BmpHeader header = readBmpHeader(report.picture);
        report.pictureMeasured = true;
        report.pictureWidth = static_cast<UINT>(header.width);
        report.pictureHeight =
            static_cast<UINT>(header.height < 0 ? -std::int64_t(header.height) : header.height);
        report.pictureBits = header.bitCount;
    } catch (const InputError&) {
        // Too damaged to measure; the verdict says why.
    }
}

// The text with control characters written as escapes, for one-line output; backslashes
// stay as they are, since Windows paths are full of them.
std::string escapedLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else if (c == '\t')
            line += "\\t";
        else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            line += escape;
        } else
            line += c;
    }
    return line;
}

bool validUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80         ? 1
                             : (lead >> 5) == 6  ? 2
                             : (lead >> 4) == 14 ? 3
                             : (lead >> 3) == 30 ? 4
                                                 : 0;
        if (length == 0 || (length == 2 && lead < 0xC2) || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2)
                return false;
        i += length;
    }
    return true;
}

std::string jsonString(const std::string& text) {
    bool utf8 = validUtf8(text);
    std::string json = "\"";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || (byte >= 0x80 && !utf8)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string versionNames(const VersionSet& versions, const char* separator, bool quote) {
    std::string text;
    for (const OsVersion& version : versions) {
        if (!text.empty())
            text += separator;
        text += quote ? jsonString(toolVersionName(version)) : toolVersionName(version);
    }
    return text;
}

bool messageIsBlank(const std::string& message) {
    return trimWhitespace(message).empty();
}

void addLine(std::string& text, const char* label, const std::string& value) {
    std::string line = label;
    line.resize(20, ' ');
    text += line + value + "\n";
}

std::string pictureLine(const SplashReport& report) {
    const std::string emptyWindow = "shows an empty 120 x 90 window";
    if (report.picture.empty())
        return "none; the player " + emptyWindow;
    std::string line = std::to_string(report.picture.size()) + " bytes";
    if (report.pictureMeasured)
        line += ", " + std::to_string(report.pictureWidth) + " x " +
                std::to_string(report.pictureHeight) + ", " + std::to_string(report.pictureBits) +
                " bit";
    if (report.pictureVerdict == BitmapVerdict::accepted)
        return line + "; the player shows it";
    return line + "; the player refuses it (" + bitmapVerdictText(report.pictureVerdict) +
           ") and " + emptyWindow;
}

std::string soundLine(const SplashReport& report) {
    if (report.sound.empty())
        return "none";
    std::string line = std::to_string(report.sound.size()) + " bytes, ";
    if (!report.soundFacts.problem.empty())
        return line + "but it " + report.soundFacts.problem;
    return line + describeSound(report.soundFacts) +
           (report.soundFacts.hasData ? ", " + describeSoundLength(report.soundFacts)
                                      : "; no data chunk, so nothing plays");
}

std::string jsonNumber(std::uint64_t value) {
    return std::to_string(value);
}

} // namespace

SplashReport readSplash(const std::string& path, UINT codePage) {
    SplashReport report;
    report.file = path;
    std::error_code error;
    report.fileBytes = fs::file_size(path, error);
    SplashSettings settings;
    try {
        settings.load(path);
    } catch (const std::string& message) {
        settings.release();
        throw InputError("\"" + path + "\" is not a splash the player can read:\n" + message);
    }
    report.payloadBytes = settings.payload.size;
    report.picture = bytesOf(settings.picture);
    report.sound = bytesOf(settings.sound);
    report.targetFile = codePageToUtf8(settings.targetFile, codePage);
    report.displayTime = settings.displayTime;
    report.launchDelay = settings.launchDelay;
    report.settledDisplayTime = settleDisplayTime(settings.displayTime, settings.launchDelay);
    report.versions = settings.requiredVersions;
    report.resolution = settings.requiredResolution;
    report.colourBits = settings.requiredColourBits;
    report.requirementsMessage = codePageToUtf8(settings.requirementsMessage, codePage);
    report.imageOption = settings.imageOption;
    settings.release();

    measurePicture(report);
    if (!report.sound.empty())
        report.soundFacts = examineSound(report.sound.data(), report.sound.size());
    return report;
}

std::string reportText(const SplashReport& r) {
    std::string text;
    addLine(text, "File",
            r.file + " (" + std::to_string(r.fileBytes) + " bytes; payload " +
                std::to_string(r.payloadBytes) + " bytes)");
    addLine(text, "Picture", pictureLine(r));
    addLine(text, "Sound", soundLine(r));
    addLine(text, "Target",
            r.targetFile.empty() ? "none; the player reports that the application to load is "
                                   "unknown"
                                 : escapedLine(r.targetFile));
    std::string display = std::to_string(r.displayTime) + " ms";
    if (r.settledDisplayTime != r.displayTime)
        display += " (the player makes it " + std::to_string(r.settledDisplayTime) + " ms)";
    else if (r.displayTime < r.launchDelay)
        display += " (the window hides before the launch)";
    addLine(text, "Display time", display);
    addLine(text, "Launch delay", std::to_string(r.launchDelay) + " ms");
    addLine(text, "Versions",
            r.versions.empty() ? "none; the player runs on no Windows"
                               : versionNames(r.versions, ", ", false));
    addLine(text, "Minimum resolution",
            r.resolution.width == 0 && r.resolution.height == 0 ? "none"
                                                                : formatResolution(r.resolution));
    addLine(text, "Minimum colour", r.colourBits == 0 ? "none" : formatColourDepth(r.colourBits));
    addLine(text, "Message",
            messageIsBlank(r.requirementsMessage)
                ? std::string("none; the player says \"") + defaultRequirementsMessage + "\""
                : "\"" + escapedLine(r.requirementsMessage) + "\"");
    addLine(text, "Image option", std::to_string(r.imageOption));
    return text;
}

std::string reportJson(const SplashReport& r) {
    std::string json = "{\n";
    auto field = [&json](const char* name, const std::string& value, bool last = false) {
        json += std::string("  \"") + name + "\": " + value + (last ? "\n" : ",\n");
    };
    field("file", jsonString(r.file));
    field("fileBytes", jsonNumber(r.fileBytes));
    field("payloadBytes", jsonNumber(r.payloadBytes));
    if (r.picture.empty()) {
        field("picture", "null");
    } else {
        std::string measured = r.pictureMeasured ? "" : "null";
        field("picture",
              "{\"bytes\": " + jsonNumber(r.picture.size()) +
                  ", \"width\": " + (r.pictureMeasured ? jsonNumber(r.pictureWidth) : measured) +
                  ", \"height\": " + (r.pictureMeasured ? jsonNumber(r.pictureHeight) : measured) +
                  ", \"bitsPerPixel\": " +
                  (r.pictureMeasured ? jsonNumber(r.pictureBits) : measured) +
                  ", \"playerAccepts\": " +
                  (r.pictureVerdict == BitmapVerdict::accepted ? "true" : "false") +
                  ", \"playerVerdict\": " + jsonString(bitmapVerdictText(r.pictureVerdict)) + "}");
    }
    if (r.sound.empty()) {
        field("sound", "null");
    } else {
        const SoundFacts& s = r.soundFacts;
        bool usable = s.problem.empty();
        field("sound",
              "{\"bytes\": " + jsonNumber(r.sound.size()) +
                  ", \"wave\": " + (usable ? "true" : "false") +
                  ", \"problem\": " + (usable ? "null" : jsonString(s.problem)) +
                  ", \"formatTag\": " + jsonNumber(s.formatTag) +
                  ", \"channels\": " + jsonNumber(s.channels) +
                  ", \"samplesPerSecond\": " + jsonNumber(s.samplesPerSecond) +
                  ", \"bitsPerSample\": " + jsonNumber(s.bitsPerSample) +
                  ", \"dataBytes\": " + jsonNumber(s.dataBytes) + ", \"durationMs\": " +
                  (usable && s.hasData && s.bytesPerSecond != 0 ? jsonNumber(soundMilliseconds(s))
                                                                : "null") +
                  "}");
    }
    field("target", jsonString(r.targetFile));
    field("displayTimeMs", jsonNumber(r.displayTime));
    field("launchDelayMs", jsonNumber(r.launchDelay));
    field("effectiveDisplayTimeMs", jsonNumber(r.settledDisplayTime));
    field("versions", "[" + versionNames(r.versions, ", ", true) + "]");
    field("minimumResolution", r.resolution.width == 0 && r.resolution.height == 0
                                   ? "null"
                                   : "{\"width\": " + jsonNumber(r.resolution.width) +
                                         ", \"height\": " + jsonNumber(r.resolution.height) + "}");
    field("minimumColourBits", r.colourBits == 0 ? "null" : std::to_string(r.colourBits));
    field("requirementsMessage", jsonString(r.requirementsMessage));
    field("usesDefaultMessage", messageIsBlank(r.requirementsMessage) ? "true" : "false");
    field("imageOption", jsonNumber(r.imageOption), true);
    return json + "}\n";
}

std::vector<std::string> extractSplash(const SplashReport& report, const ExtractOptions& options) {
    struct Part {
        const char* what;
        const ByteVector& bytes;
        std::string path;
    };
    std::string stem = fs::path(report.file).stem().string();
    fs::path directory(options.directory);
    Part parts[] = {
        {"picture", report.picture,
         options.picture.empty() ? (directory / (stem + ".bmp")).string() : options.picture},
        {"sound", report.sound,
         options.sound.empty() ? (directory / (stem + ".wav")).string() : options.sound},
    };
    if (!report.picture.empty() && !report.sound.empty() && parts[0].path == parts[1].path)
        throw InputError("the picture and the sound would both be written to \"" + parts[0].path +
                         "\"");
    for (const Part& part : parts) {
        if (part.bytes.empty())
            continue;
        if (sameFile(part.path, report.file))
            throw InputError("\"" + part.path + "\" is the splash itself; it is never written");
        checkOutputFree(part.path, options.force);
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
