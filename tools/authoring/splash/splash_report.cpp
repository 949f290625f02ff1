// inspect, extract and preview: a splash read back through the player's decoder.
#include "splash_report.h"

#include "bitmap_codec.h"
#include "certificate_table.h"
#include "file_access.h"
#include "little_endian.h"
#include "payload_reader.h"
#include "picture_intake.h"
#include "picture_key.h"
#include "player_bytes.h"
#include "requirements_decision.h"
#include "splash_settings.h"
#include "start_time_model.h"
#include "tool_error.h"
#include "window_layout.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>

namespace {

// Keys in the order they are set, as a reader of the report expects them.
using Json = nlohmann::ordered_json;

// Texts that are not the splash's own (file names, the system's messages) may hold bytes that
// are no UTF-8; they are replaced rather than raised as an exception.
std::string jsonText(const Json& json) {
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

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

std::string versionNames(const VersionSet& versions) {
    std::string text;
    for (const OsVersion& version : versions) {
        if (!text.empty())
            text += ", ";
        text += toolVersionName(version);
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

// A splash file's bytes as the player's reader sees a file: its size (the low 32 bits, as
// Windows' size query gives it), positions from its end, and reads.
class BytesAsFile : public ReadOnlyFile {
  public:
    explicit BytesAsFile(const ByteVector& bytes) : bytes(bytes) {}
    bool open(const std::string&) override { return true; }
    bool querySize(UINT& size) override {
        size = static_cast<UINT>(bytes.size());
        return true;
    }
    bool seekBeforeEnd(UINT distance) override {
        if (distance > bytes.size())
            return false;
        at = bytes.size() - distance;
        return true;
    }
    bool read(void* buffer, UINT count) override {
        if (count > bytes.size() - at)
            return false;
        if (count > 0)
            std::memcpy(buffer, bytes.data() + at, count);
        at += count;
        return true;
    }
    void close() override {}

  private:
    const ByteVector& bytes;
    std::size_t at = 0;
};

// The player before the payload block and the certificate table, from the whole file whose
// payload block the player's reader found.
void describePlayerAndTable(SplashReport& report, const ByteVector& file,
                            const PlayerImage& carried) {
    UINT trailerEnd = 0;
    if (file.size() > 0xFFFFFFFFu ||
        !trailerEndOf(file.data(), static_cast<UINT>(file.size()), trailerEnd) ||
        trailerEnd < std::uint64_t(trailerSize) + report.payloadBytes)
        return; // not so after the reader found the block
    const PlayerBytes player =
        playerBytesIn(file.data(), trailerEnd - trailerSize - report.payloadBytes);
    report.playerBytes = player.end;
    report.playerHash = playerHash(file.data(), player);
    if (carried.size != 0)
        report.playerMatch =
            carried.size == player.end && fnv1a64(carried.data, carried.size) == report.playerHash
                ? PlayerMatch::carried
                : PlayerMatch::other;
    const std::size_t entry = securityEntryAt(file.data(), file.size());
    if (entry != 0) {
        report.tableOffset = readLittleEndian32(&file[entry]);
        report.tableBytes = readLittleEndian32(&file[entry + 4]);
        report.payloadBeforeTable = trailerEnd <= report.tableOffset;
    }
}

std::string waitLine(const SplashReport& r) {
    if (!r.extension.waitForTarget)
        return "no";
    return "yes: after the launch the splash closes once the target shows a window or ends, at "
           "the latest at " +
           std::to_string(r.settledDisplayTime) + " ms";
}

std::string shapeLine(const SplashReport& r) {
    if (!r.extension.shaped)
        return "none";
    return "the pixels of " + keyColourText(r.extension.keyColour) + " are cut out of the window" +
           (keyColourCutsOut(r.picture, r.extension.keyColour) ? "" : "; the picture has none");
}

std::string fadesLine(const SplashReport& r) {
    if (r.extension.fadeIn == 0 && r.extension.fadeOut == 0)
        return "none";
    return "in " + std::to_string(r.extension.fadeIn) + " ms, out " +
           std::to_string(r.extension.fadeOut) + " ms, on Windows 2000 and later";
}

std::string laterWindowsLine(const SplashReport& r) {
    return r.extension.laterWindows ? "yes: every Windows later than XP passes the version test"
                                    : "no: the version test is exact";
}

std::string playerLine(const SplashReport& report) {
    std::string line =
        std::to_string(report.playerBytes) + " bytes, FNV-1a 64 " + hashText(report.playerHash);
    if (report.playerMatch == PlayerMatch::carried)
        line += "; the player this splashpack carries";
    else if (report.playerMatch == PlayerMatch::other)
        line += "; not the player this splashpack carries";
    return line;
}

// The bytes after the certificate table; negative when it runs past the end of the file.
std::int64_t bytesAfterTable(const SplashReport& report) {
    return std::int64_t(report.fileBytes) - report.tableOffset - report.tableBytes;
}

std::string tableLine(const SplashReport& report) {
    if (report.tableBytes == 0)
        return "none";
    std::string line = std::to_string(report.tableBytes) + " bytes at offset " +
                       std::to_string(report.tableOffset) + " (not verified); ";
    const std::int64_t after = bytesAfterTable(report);
    if (after < 0)
        return line + "it runs past the end of the file";
    if (after > 0)
        line += std::to_string(after) +
                " bytes follow it, appended after signing, so no Windows accepts its "
                "signature; ";
    return line + (report.payloadBeforeTable
                       ? "the payload lies before it, inside what a signature covers"
                       : "the payload lies after it, outside what a signature covers");
}

// Where a payload block seems to start after the player's sections that end at `imageEnd`:
// past up to 7 zero bytes of padding, a picture size followed by a BMP's "BM", or else a picture
// size of 0. 0 when the bytes there are no such start or lie beyond `headBytes`.
std::uint64_t payloadStartAfter(std::uint64_t imageEnd, const unsigned char* head,
                                std::size_t headBytes) {
    for (bool bitmap : {true, false})
        for (std::uint64_t at = imageEnd; at <= imageEnd + largestSigningPadding; ++at) {
            if (at + 6 > headBytes)
                break;
            if (bitmap ? head[at + 4] == 'B' && head[at + 5] == 'M'
                       : readLittleEndian32(head + at) == 0)
                return at;
            if (head[at] != 0)
                break;
        }
    return 0;
}

// A file that ends in no trailer, told from its headers: a bare player (signed or not), a
// splash cut short, or something else.
std::string missingTrailerDamage(std::uint64_t size, const unsigned char* head,
                                 std::size_t headBytes) {
    const std::uint64_t imageEnd = head != nullptr ? imageEndOf(head, headBytes) : 0;
    if (imageEnd == 0)
        return "it ends in no splash trailer, and it is no Windows program";
    if (imageEnd > size)
        return "it is cut short inside the player: its headers give sections up to byte " +
               std::to_string(imageEnd) + ", but the file ends at byte " + std::to_string(size);
    // A signature's table after the player, and the zero padding before it, are no payload.
    std::uint64_t end = size;
    const std::size_t entry = securityEntryAt(head, headBytes);
    if (entry != 0) {
        const std::uint64_t table = readLittleEndian32(head + entry);
        if (table >= imageEnd && table + readLittleEndian32(head + entry + 4) == size)
            end = table;
    }
    if (end - imageEnd <= largestSigningPadding)
        return "it ends in no splash trailer: it is a bare player, with nothing after it";
    const std::uint64_t payload = payloadStartAfter(imageEnd, head, headBytes);
    if (payload != 0)
        return "it is a splash cut short: its payload starts at byte " + std::to_string(payload) +
               " after the player, but the file breaks off at byte " + std::to_string(size) +
               ", without the trailer that ends every splash";
    return "it ends in no splash trailer, though " + std::to_string(size - imageEnd) +
           " bytes follow the player's last section: a splash cut short, or a program with "
           "other data after it";
}

// The text after the message that the player's decoder steps over, found where its steps lead;
// empty when the block ends before its NUL.
std::string skippedTextOf(const DataContent& block, const SplashSettings& settings) {
    const std::uint64_t at = 4 + std::uint64_t(settings.picture.size) + 4 + settings.sound.size +
                             settings.targetFile.size() + 1 + 8 + 300 +
                             settings.requirementsMessage.size() + 1;
    if (at >= block.size)
        return "";
    const char* start = reinterpret_cast<const char*>(block.data + at);
    const void* nul = std::memchr(start, 0, block.size - static_cast<std::size_t>(at));
    return nul == nullptr ? "" : std::string(start, static_cast<const char*>(nul));
}

bool leavesAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > 127)
            return true;
    return false;
}

// The code page the texts were read in, and where it comes from.
std::string codePageLine(const SplashReport& report) {
    const std::string read = std::to_string(report.codePage);
    const std::string recorded = std::to_string(report.recordedCodePage);
    if (report.codePageGiven)
        return read + " (--code-page; the splash records " +
               (report.recordedCodePage == 0 ? std::string("none") : recorded) + ")";
    if (report.recordedCodePage != 0)
        return read + ", as the splash records";
    const std::string hint = codePageHint(report);
    return read + " (" + (hint.empty() ? "the splash records none" : hint) + ")";
}

} // namespace

std::uint64_t earlierTrailerEnd(const unsigned char* bytes, std::size_t size) {
    if (size <= trailerSize)
        return 0;
    // The player itself holds the marker's text, so a place counts only where the reader takes
    // the bytes up to it as a splash.
    for (std::size_t at = size - trailerSize; at-- > 0;) {
        if (std::memcmp(bytes + at, trailerMarker, sizeof trailerMarker) != 0)
            continue;
        ByteVector prefix(bytes, bytes + at + trailerSize);
        BytesAsFile reader(prefix);
        try {
            DataContent block = loadPayloadFromFile("", reader);
            return at + trailerSize;
        } catch (const std::string&) {
        }
    }
    return 0;
}

std::string splashDamage(std::uint64_t size, const unsigned char* trailer,
                         std::uint64_t earlierTrailerEnd, const unsigned char* head,
                         std::size_t headBytes) {
    if (size < trailerSize)
        return "it is " + std::to_string(size) + " bytes, shorter than the " +
               std::to_string(trailerSize) + "-byte trailer that ends every splash";
    if (std::memcmp(trailer, trailerMarker, sizeof trailerMarker) != 0 && earlierTrailerEnd != 0)
        return "its splash trailer ends at byte " + std::to_string(earlierTrailerEnd) + " and " +
               std::to_string(size - earlierTrailerEnd) +
               " bytes follow it; the player looks for the trailer only at the very end";
    if (std::memcmp(trailer, trailerMarker, sizeof trailerMarker) != 0)
        return missingTrailerDamage(size, head, headBytes);
    std::uint64_t payload = readLittleEndian32(trailer + sizeof trailerMarker);
    if (payload + trailerSize > size)
        return "its trailer gives a payload of " + std::to_string(payload) +
               " bytes, which points past the start of the file (" + std::to_string(size) +
               " bytes)";
    if (payload + trailerSize > largestDataWithTrailer)
        return "its trailer gives a payload of " + std::to_string(payload) +
               " bytes, more than the player can reach";
    return payloadDamage(static_cast<UINT>(payload));
}

std::string payloadDamage(UINT payloadBytes) {
    return "its payload block of " + std::to_string(payloadBytes) + " bytes is damaged";
}

std::string notASplashMessage(const std::string& file, const std::string& damage,
                              const std::string& playerMessage) {
    return "\"" + file + "\" is not a splash the player can read: " + damage +
           ".\nThe player shows:\n" + playerMessage;
}

SplashReport reportSplash(const DataContent& block, const std::string& file,
                          std::uint64_t fileBytes, const CodePageConverter& converter,
                          UINT codePage) {
    SplashReport report;
    report.file = file;
    report.fileBytes = fileBytes;
    SplashSettings settings;
    try {
        settings.decode(block);
    } catch (const std::string& message) {
        settings.release();
        throw InputError(notASplashMessage(file, payloadDamage(block.size), message));
    }
    report.payloadBytes = settings.payload.size;
    report.picture = bytesOf(settings.picture);
    report.sound = bytesOf(settings.sound);
    report.storedTarget = settings.targetFile;
    report.storedMessage = settings.requirementsMessage;
    report.recordedCodePage = recordedCodePage(skippedTextOf(block, settings));
    report.displayTime = settings.displayTime;
    report.launchDelay = settings.launchDelay;
    report.settledDisplayTime = settleDisplayTime(settings.displayTime, settings.launchDelay);
    report.versions = settings.requiredVersions;
    report.resolution = settings.requiredResolution;
    report.colourBits = settings.requiredColourBits;
    report.imageOption = settings.imageOption;
    report.extension = settings.extension;
    settings.release();
    readTextsIn(report,
                codePage != 0                  ? codePage
                : report.recordedCodePage != 0 ? report.recordedCodePage
                                               : defaultCodePage,
                converter);
    report.codePageGiven = codePage != 0;

    measurePicture(report);
    if (!report.sound.empty())
        report.soundFacts = examineSound(report.sound.data(), report.sound.size());
    return report;
}

void readTextsIn(SplashReport& report, UINT codePage, const CodePageConverter& converter) {
    report.codePage = codePage;
    report.codePageGiven = true;
    report.targetFile = codePageToUtf8(report.storedTarget, codePage, converter);
    report.requirementsMessage = codePageToUtf8(report.storedMessage, codePage, converter);
}

bool textsLeaveAscii(const SplashReport& report) {
    return leavesAscii(report.storedTarget) || leavesAscii(report.storedMessage);
}

std::string codePageHint(const SplashReport& report) {
    if (report.codePageGiven || report.recordedCodePage != 0 || !textsLeaveAscii(report))
        return "";
    return "the splash records no code page, and its texts hold bytes above 127: they are read "
           "as " +
           std::to_string(report.codePage) +
           "; if they read wrong, name the code page they were stored in with --code-page";
}

SplashReport readSplashBytes(const ByteVector& file, const std::string& name,
                             const CodePageConverter& converter, UINT codePage,
                             const PlayerImage& carried) {
    DataContent block;
    try {
        BytesAsFile reader(file);
        block = loadPayloadFromFile(name, reader);
    } catch (const std::string& message) {
        const unsigned char* trailer =
            file.size() >= trailerSize ? file.data() + file.size() - trailerSize : nullptr;
        throw InputError(notASplashMessage(name,
                                           splashDamage(file.size(), trailer,
                                                        earlierTrailerEnd(file.data(), file.size()),
                                                        file.data(), file.size()),
                                           message));
    }
    SplashReport report = reportSplash(block, name, file.size(), converter, codePage);
    describePlayerAndTable(report, file, carried);
    return report;
}

std::string reportText(const SplashReport& r) {
    std::string text;
    addLine(text, "File",
            r.file + " (" + std::to_string(r.fileBytes) + " bytes; payload " +
                std::to_string(r.payloadBytes) + " bytes)");
    addLine(text, "Player", playerLine(r));
    addLine(text, "Certificate table", tableLine(r));
    addLine(text, "Start-up", describeStartTimes(r.fileBytes));
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
            r.versions.empty() ? "none; the player runs on no Windows" : versionNames(r.versions));
    addLine(text, "Minimum resolution",
            r.resolution.width == 0 && r.resolution.height == 0 ? "none"
                                                                : formatResolution(r.resolution));
    addLine(text, "Minimum colour", r.colourBits == 0 ? "none" : formatColourDepth(r.colourBits));
    addLine(text, "Message",
            messageIsBlank(r.requirementsMessage)
                ? std::string("none; the player says \"") + defaultRequirementsMessage + "\""
                : "\"" + escapedLine(r.requirementsMessage) + "\"");
    addLine(text, "Image option", std::to_string(r.imageOption));
    addLine(text, "Code page", codePageLine(r));
    addLine(text, "Wait for target", waitLine(r));
    addLine(text, "Shape", shapeLine(r));
    addLine(text, "Fades", fadesLine(r));
    addLine(text, "Later Windows", laterWindowsLine(r));
    return text;
}

std::string reportJson(const SplashReport& r) {
    Json json;
    json["file"] = r.file;
    json["fileBytes"] = r.fileBytes;
    json["payloadBytes"] = r.payloadBytes;
    // Keyed by medium: how long until the picture shows, the modem's the whole download.
    static const char* const mediumKeys[] = {"cd2x", "cd8x", "cd24x", "modem56k"};
    Json start;
    for (std::size_t i = 0; i < readingMedia().size(); ++i)
        start[mediumKeys[i]] = startMilliseconds(readingMedia()[i], r.fileBytes);
    json["startMs"] = start;
    json["player"] = {{"bytes", r.playerBytes},
                      {"fnv1a64", hashText(r.playerHash)},
                      {"carriedByThisTool", r.playerMatch == PlayerMatch::notCompared
                                                ? Json(nullptr)
                                                : Json(r.playerMatch == PlayerMatch::carried)}};
    if (r.tableBytes == 0) {
        json["certificateTable"] = nullptr;
    } else {
        const std::int64_t after = bytesAfterTable(r);
        json["certificateTable"] = {{"offset", r.tableOffset},
                                    {"bytes", r.tableBytes},
                                    {"verification", "not verified"},
                                    {"payloadInside", r.payloadBeforeTable},
                                    {"bytesAfter", after < 0 ? Json(nullptr) : Json(after)}};
    }
    if (r.picture.empty()) {
        json["picture"] = nullptr;
    } else {
        Json picture;
        picture["bytes"] = r.picture.size();
        picture["width"] = r.pictureMeasured ? Json(r.pictureWidth) : Json(nullptr);
        picture["height"] = r.pictureMeasured ? Json(r.pictureHeight) : Json(nullptr);
        picture["bitsPerPixel"] = r.pictureMeasured ? Json(r.pictureBits) : Json(nullptr);
        picture["playerAccepts"] = r.pictureVerdict == BitmapVerdict::accepted;
        picture["playerVerdict"] = bitmapVerdictText(r.pictureVerdict);
        json["picture"] = picture;
    }
    if (r.sound.empty()) {
        json["sound"] = nullptr;
    } else {
        const SoundFacts& s = r.soundFacts;
        Json sound;
        sound["bytes"] = r.sound.size();
        sound["wave"] = s.problem.empty();
        sound["problem"] = s.problem.empty() ? Json(nullptr) : Json(s.problem);
        sound["formatTag"] = s.formatTag;
        sound["channels"] = s.channels;
        sound["samplesPerSecond"] = s.samplesPerSecond;
        sound["bitsPerSample"] = s.bitsPerSample;
        sound["dataBytes"] = s.dataBytes;
        sound["durationMs"] = s.problem.empty() && s.hasData && s.bytesPerSecond != 0
                                  ? Json(soundMilliseconds(s))
                                  : Json(nullptr);
        json["sound"] = sound;
    }
    json["target"] = r.targetFile;
    json["displayTimeMs"] = r.displayTime;
    json["launchDelayMs"] = r.launchDelay;
    json["effectiveDisplayTimeMs"] = r.settledDisplayTime;
    json["versions"] = Json::array();
    for (const OsVersion& version : r.versions)
        json["versions"].push_back(toolVersionName(version));
    if (r.resolution.width == 0 && r.resolution.height == 0)
        json["minimumResolution"] = nullptr;
    else
        json["minimumResolution"] = {{"width", r.resolution.width},
                                     {"height", r.resolution.height}};
    json["minimumColourBits"] = r.colourBits == 0 ? Json(nullptr) : Json(r.colourBits);
    json["requirementsMessage"] = r.requirementsMessage;
    json["usesDefaultMessage"] = messageIsBlank(r.requirementsMessage);
    json["imageOption"] = r.imageOption;
    json["codePage"] = r.codePage;
    json["recordedCodePage"] = r.recordedCodePage == 0 ? Json(nullptr) : Json(r.recordedCodePage);
    json["waitForTarget"] = r.extension.waitForTarget;
    json["keyColour"] =
        r.extension.shaped ? Json(keyColourText(r.extension.keyColour)) : Json(nullptr);
    json["fadeInMs"] = r.extension.fadeIn;
    json["fadeOutMs"] = r.extension.fadeOut;
    json["laterWindows"] = r.extension.laterWindows;
    return jsonText(json);
}

std::string errorJson(const std::string& message, int exitCode) {
    Json json;
    json["error"] = message;
    json["exitCode"] = exitCode;
    return jsonText(json);
}
