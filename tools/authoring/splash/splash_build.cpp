// The build of a splash: every input checked and every byte decided before a front-end writes
// anything.
#include "splash_build.h"

#include "certificate_table.h"
#include "code_page.h"
#include "little_endian.h"
#include "message_text.h"
#include "payload_reader.h"
#include "picture_colours.h"
#include "picture_fit.h"
#include "picture_intake.h"
#include "picture_key.h"
#include "player_bytes.h"
#include "screen_values.h"
#include "sound_check.h"
#include "start_time_model.h"
#include "target_name_check.h"
#include "tool_error.h"
#include "window_layout.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

std::string ms(UINT value) {
    return std::to_string(value) + " ms";
}

bool hasNonAscii(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The versions of the list as Windows calls them: "95, 98 and Me".
std::string versionListInWords(const std::string& versionList) {
    std::vector<std::string> words;
    for (char c : versionList)
        if (c >= '1' && c <= '6')
            words.push_back(windowsVersionLabel(c - '0'));
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            text += i + 1 == words.size() ? " and " : ", ";
        text += words[i];
    }
    return text;
}

bool soundConversionAsked(const SoundTarget& target) {
    return target.rate != 0 || target.bits != 0 || target.mono;
}

// The bits a pixel of the BMP whose first bytes are `head`; 0 when they are cut short.
unsigned bitmapBitCount(const ByteVector& head) {
    return head.size() >= 30 ? readLittleEndian16(&head[28]) : 0;
}

// Each option that would make a splash of `fileBytes` lighter and is not in use yet, with the
// size it would give on its own.
std::vector<LighterChoice> lighterChoices(const BuildSettings& options, std::uint64_t fileBytes,
                                          const PreparedPicture& picture, unsigned pictureBits,
                                          std::uint64_t pictureBytes, const SoundFacts* sound) {
    std::vector<LighterChoice> choices;
    if (options.colours == PictureColours::all && pictureBits > 8)
        choices.push_back({"--colours 256", fileBytes - pictureBytes +
                                                paletteBitmapSize(picture.width, picture.height,
                                                                  PictureColours::palette256)});
    const bool convertible =
        sound != nullptr && sound->bytesPerSecond != 0 &&
        (sound->formatTag == 1 || sound->formatTag == 3 || sound->formatTag == 0xFFFE);
    if (!convertible)
        return choices;
    const std::uint64_t data = sound->dataBytes;
    if (sound->samplesPerSecond > 22050)
        choices.push_back(
            {"--sound-rate 22050", fileBytes - data + data * 22050 / sound->samplesPerSecond});
    if (sound->channels > 1)
        choices.push_back({"--mono", fileBytes - data + data / sound->channels});
    if (sound->bitsPerSample > 8)
        choices.push_back({"--sound-bits 8", fileBytes - data + data * 8 / sound->bitsPerSample});
    return choices;
}

// On a screen of 256 colours or fewer the player selects no palette of its own, so Windows
// shows the picture in its static colours.
std::string paletteScreenWarning(const BuildSettings& options) {
    if (options.colourDepth.empty() || options.colours == PictureColours::system ||
        parseColourDepth(options.colourDepth.c_str()) > 8)
        return "";
    return "--min-colour-depth " + options.colourDepth.substr(0, options.colourDepth.find(' ')) +
           " lets the splash run on 256-colour screens, where the player selects no palette and "
           "Windows shows the picture in its 20 system colours; --colours system stores it in "
           "those colours, so that what you see is what those screens show";
}

// Whether `stored` (in the code page) is a name that a disc without long names holds as it
// is: up to 8 bytes, and up to 3 after one dot, none of the characters 8.3 names refuse.
bool isShortName(const std::string& stored) {
    std::size_t dot = stored.find('.');
    std::size_t base = dot == std::string::npos ? stored.size() : dot;
    std::size_t extension = dot == std::string::npos ? 0 : stored.size() - dot - 1;
    if (base == 0 || base > 8 || extension > 3 ||
        (dot != std::string::npos && stored.find('.', dot + 1) != std::string::npos))
        return false;
    return stored.find_first_of(" +,;=[]") == std::string::npos;
}

// The picture as it goes into the splash: read, keyed, fitted, its colours reduced, within the
// limits.
PreparedPicture pictureForSplash(const BuildSettings& options, const InputSource& pictureFile) {
    PictureLimits limits;
    limits.maxWidth = options.maxWidth;
    limits.maxHeight = options.maxHeight;
    limits.maxBytes = options.maxPictureBytes;
    limits.background = options.background;
    limits.maxDecodedPixels = options.maxDecodedPixels;
    limits.fitFollows = options.fitWidth != 0;
    limits.reshapeFollows = limits.fitFollows || options.colours != PictureColours::all;
    limits.fitWidth = options.fitWidth;
    limits.fitHeight = options.fitHeight;
    limits.cutTransparent = options.shape == PictureShape::transparency;
    PreparedPicture picture = preparePicture(pictureFile, options.picture, limits);
    if (options.shape == PictureShape::keyColour) {
        picture.keyed = true;
        picture.keyColour =
            KeyColour{options.keyColour.red, options.keyColour.green, options.keyColour.blue};
    }
    if (options.fitWidth != 0)
        fitPicture(picture, pictureFile, options.picture,
                   WindowSize{options.fitWidth, options.fitHeight});
    reducePictureColours(picture, pictureFile, options.picture, options.colours, options.dither,
                         limits.fitFollows);
    // The limits are those of the picture that goes into the splash.
    if (limits.reshapeFollows)
        checkPictureLimits(picture, picture.unchanged ? pictureFile.size() : picture.bitmap.size(),
                           options.picture, limits);
    return picture;
}

// The settings that shape the prepared picture, as one text: a kept picture serves a build whose
// text is the same.
std::string pictureShaping(const BuildSettings& options) {
    const auto colour = [](Rgb rgb) {
        return std::to_string(rgb.red) + "," + std::to_string(rgb.green) + "," +
               std::to_string(rgb.blue);
    };
    return options.picture + "|" + std::to_string(options.maxWidth) + "x" +
           std::to_string(options.maxHeight) + "|" + std::to_string(options.maxPictureBytes) + "|" +
           std::to_string(options.maxDecodedPixels) + "|" + colour(options.background) + "|" +
           std::to_string(options.fitWidth) + "x" + std::to_string(options.fitHeight) + "|" +
           std::to_string(static_cast<int>(options.colours)) + "|" + (options.dither ? "d" : "n") +
           "|" + std::to_string(static_cast<int>(options.shape)) + "|" + colour(options.keyColour);
}

// The picture a front-end kept from an earlier build of the same shaping, else the picture
// prepared now (and kept).
PreparedPicture keptOrPrepared(const BuildSettings& options, const InputSource& pictureFile,
                               KeptPicture* kept) {
    if (kept == nullptr)
        return pictureForSplash(options, pictureFile);
    const std::string shaping = pictureShaping(options);
    if (kept->shaping != shaping) {
        kept->shaping.clear();
        kept->picture = pictureForSplash(options, pictureFile);
        kept->shaping = shaping;
    }
    return kept->picture;
}

// Warnings about the settings beyond the format.
void extensionWarnings(const BuildSettings& options, std::vector<Warning>& warnings) {
    const UINT settled = settleDisplayTime(options.displayTime, options.launchDelay);
    if (options.waitForTarget && settled < options.launchDelay)
        warnings.push_back({"wait-for-target",
                            "--wait-for-target has no effect: the window hides after " +
                                ms(settled) + ", before the launch at " + ms(options.launchDelay)});
    if (options.fadeIn == 0 && options.fadeOut == 0)
        return;
    const char* fade = options.fadeIn != 0 ? "fade-in" : "fade-out";
    if (options.versionList.find_first_of("1234") != std::string::npos)
        warnings.push_back({fade,
                            "fades show on Windows 2000 and later only: on Windows 95, 98, Me and "
                            "NT 4 the splash shows and closes at once"});
    if (std::uint64_t(options.fadeIn) + options.fadeOut > settled)
        warnings.push_back({fade, "the fade-in of " + ms(options.fadeIn) + " and the fade-out of " +
                                      ms(options.fadeOut) +
                                      " take longer than the display time of " + ms(settled) +
                                      ": they overlap, and the splash never shows fully"});
}

} // namespace

std::vector<Warning> settingsWarnings(const BuildSettings& options, const TargetSearch& target) {
    std::vector<Warning> warnings;
    std::string named = versionListInWords(options.versionList);
    bool one = named.find(',') == std::string::npos && named.find(" and ") == std::string::npos;
    if (!options.laterWindows)
        warnings.push_back({"versions", "only Windows " + named + (one ? " meets" : " meet") +
                                            " --versions: every later Windows (Vista and newer, "
                                            "also XP x64 and Server 2003) refuses the splash with "
                                            "the requirements message"});

    UINT settled = settleDisplayTime(options.displayTime, options.launchDelay);
    if (settled != options.displayTime)
        warnings.push_back({"display-time", "the display time of " + ms(options.displayTime) +
                                                " ends less than 50 ms after the launch delay "
                                                "of " +
                                                ms(options.launchDelay) +
                                                "; the player raises it to " + ms(settled)});
    else if (options.displayTime < options.launchDelay)
        warnings.push_back(
            {"display-time", "the display time of " + ms(options.displayTime) +
                                 " is shorter than the launch delay of " + ms(options.launchDelay) +
                                 ": the window hides after " + ms(options.displayTime) +
                                 " and the target opens only after " + ms(options.launchDelay)});

    if (options.target.empty())
        warnings.push_back({"target", "no --target: when the launch delay ends the player "
                                      "reports \"The application to load is unknown.\""});
    else if (!target.found)
        warnings.push_back({"target", "the target " + inQuotes(options.target) + " is not beside " +
                                          inQuotes(options.output) + " (looked for " +
                                          inQuotes(target.lookedFor) +
                                          "); the player reports \"Cannot Run File\" unless it "
                                          "is there when the splash runs"});
    if (options.imageOption != 0)
        warnings.push_back({"image-option", "--image-option " +
                                                std::to_string(options.imageOption) +
                                                " is stored but has no effect: every picture "
                                                "splashpack stores is a BMP, and BMP pictures "
                                                "ignore it"});
    if (!options.output.empty()) {
        std::string named = extensionWarning(options.output, ".exe", "a Windows program");
        if (!named.empty())
            warnings.push_back({"output", named});
    }
    if (hasNonAscii(fileNameOf(options.output)))
        warnings.push_back(
            {"output", "the output's name " + inQuotes(fileNameOf(options.output)) +
                           " holds characters outside ASCII: the player opens its own file by its "
                           "ANSI name, which cannot hold them on a Windows of another language, "
                           "and the splash then does not start (\"Could not open for load the "
                           "file\"); name it in ASCII, and the folders it runs from on the disc "
                           "too"});
    if (hasNonAscii(options.target) || hasNonAscii(options.message))
        warnings.push_back({"code-page", "the target or the message holds characters outside "
                                         "ASCII, stored in code page " +
                                             std::to_string(options.codePage) +
                                             "; the player shows them as written only on a "
                                             "Windows whose ANSI code page is " +
                                             std::to_string(options.codePage)});
    extensionWarnings(options, warnings);
    return warnings;
}

std::string autorunText(const std::string& programName, const std::string& iconName,
                        const std::string& label) {
    std::string text = "[autorun]\r\nopen=" + programName +
                       "\r\nicon=" + (iconName.empty() ? programName : iconName) + "\r\n";
    if (!label.empty())
        text += "label=" + label + "\r\n";
    return text;
}

AutorunFile autorunFile(const std::string& programUtf8, const std::string& iconUtf8,
                        const std::string& labelUtf8, UINT codePage,
                        const CodePageConverter& converter) {
    AutorunFile file;
    std::string program = utf8ToCodePage(programUtf8, codePage,
                                         "the output's name " + inQuotes(programUtf8), converter);
    std::string icon =
        utf8ToCodePage(iconUtf8, codePage, "the icon's name " + inQuotes(iconUtf8), converter);
    std::string label = utf8ToCodePage(labelUtf8, codePage, "--autorun-label", converter);
    std::string text = autorunText(program, icon, label);
    file.bytes.assign(text.begin(), text.end());
    for (const auto& name : {std::make_pair(program, programUtf8), std::make_pair(icon, iconUtf8)})
        if (!name.first.empty() && !isShortName(name.first))
            file.warnings.push_back(
                {"autorun",
                 "autorun.inf names " + inQuotes(name.second) +
                     ", which is no 8.3 name: a disc written without long names holds it under a "
                     "shortened name, and autorun.inf then names a file that is not there"});
    return file;
}

void checkAutorunIcon(const ByteVector& icon, const std::string& path) {
    // ICONDIR: reserved 0, type 1 (an icon, not a cursor), at least one image.
    if (icon.size() < 6 || readLittleEndian16(&icon[0]) != 0 || readLittleEndian16(&icon[2]) != 1 ||
        readLittleEndian16(&icon[4]) == 0)
        throw InputError("icon " + inQuotes(path) + " is not a Windows icon (.ico) file");
}

std::string fileNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extensionWarning(const std::string& path, const std::string& extension,
                             const std::string& what) {
    std::string name = fileNameOf(path);
    if (name.size() > extension.size() &&
        namesMatchOnWindows(name.substr(name.size() - extension.size()), extension))
        return "";
    return inQuotes(path) + " does not end in " + extension + ", though it is " + what;
}

void checkPlayerImage(const ByteVector& player, const std::string& path) {
    const std::string named = "player " + inQuotes(path);
    // The PE headers, each field checked within the file before it is read.
    auto field16 = [&player](std::size_t at) {
        return at + 2 <= player.size() ? readLittleEndian16(&player[at]) : 0u;
    };
    if (player.size() < 64 || player[0] != 'M' || player[1] != 'Z')
        throw InputError(named + " is not a Windows program: it does not start with \"MZ\"");
    const std::size_t pe = readLittleEndian32(&player[0x3C]);
    if (pe > player.size() || player.size() - pe < 24 || std::memcmp(&player[pe], "PE\0\0", 4) != 0)
        throw InputError(named + " is not a Windows program: it has no PE header");
    const unsigned machine = field16(pe + 4);
    if (machine != 0x14C && machine != 0x8664)
        throw InputError(named + " is not a program for x86 Windows (machine " +
                         std::to_string(machine) + ")");
    // The subsystem lies at the same place in 32-bit and 64-bit optional headers.
    const std::size_t optionalHeader = pe + 24;
    if (field16(pe + 20) < 70 || optionalHeader + 70 > player.size())
        throw InputError(named + " is not a Windows program: its optional header is cut short");
    if (field16(optionalHeader + 68) != 2)
        throw InputError(named + " is not a Windows GUI program (subsystem " +
                         std::to_string(field16(optionalHeader + 68)) + "); the player is one");
    // The player's reader takes no file without this marker at its end, so the marker alone
    // finds every splash, damaged ones too; a signed splash has it before its certificate table.
    if (player.size() >= trailerSize &&
        std::memcmp(&player[player.size() - trailerSize], trailerMarker, sizeof trailerMarker) == 0)
        throw InputError(named + " already carries a splash (it ends in a trailer); give the "
                                 "bare player");
    UINT trailerEnd = 0;
    if (player.size() <= 0xFFFFFFFFu &&
        trailerEndOf(player.data(), static_cast<UINT>(player.size()), trailerEnd))
        throw InputError(named + " already carries a splash (a trailer before its certificate "
                                 "table: it is a signed splash); give the bare player");
}

void checkAutorunName(const std::string& programName) {
    if (programName.find(' ') != std::string::npos)
        throw InputError("autorun.inf cannot open " + inQuotes(programName) +
                         ": its open= line is a command line, so the name must hold no spaces");
}

BuildSettings settingsOfSplash(const SplashReport& report) {
    BuildSettings settings;
    settings.target = report.targetFile;
    settings.displayTime = report.displayTime;
    settings.launchDelay = report.launchDelay;
    settings.versionList.clear();
    for (const OsVersion& version : report.versions)
        settings.versionList +=
            (settings.versionList.empty() ? "" : " ") + std::to_string(versionCodeOf(version));
    if (report.resolution.width != 0 || report.resolution.height != 0)
        settings.resolution = formatResolution(report.resolution);
    if (report.colourBits != 0)
        settings.colourDepth = formatColourDepth(report.colourBits);
    settings.message = report.requirementsMessage;
    settings.imageOption = report.imageOption;
    settings.codePage = report.codePage;
    const SplashExtension& extension = report.extension;
    settings.waitForTarget = extension.waitForTarget;
    if (extension.shaped) {
        // The stored picture already carries the key where it is cut out.
        settings.shape = PictureShape::keyColour;
        settings.keyColour =
            Rgb{extension.keyColour.red, extension.keyColour.green, extension.keyColour.blue};
    }
    settings.fadeIn = extension.fadeIn;
    settings.fadeOut = extension.fadeOut;
    settings.laterWindows = extension.laterWindows;
    return settings;
}

SplashBuild buildSplash(const BuildSettings& options, const BuildInputs& inputs) {
    // The option each stage is busy with, which an InputError of that stage concerns.
    const char* stage = "";
    try {
        SplashBuild outcome;
        const InputSource& pictureFile = *inputs.picture;
        stage = "picture";
        PreparedPicture picture = keptOrPrepared(options, pictureFile, inputs.keptPicture);
        outcome.notes = picture.notes;
        addWarnings(outcome.warnings, "picture", picture.warnings);
        if (options.shape == PictureShape::transparency && !picture.keyed)
            outcome.warnings.push_back(
                {"cut-transparent", "picture " + inQuotes(options.picture) +
                                        " has no pixel below half opacity: nothing is cut out, "
                                        "and the splash shows as a rectangle"});
        if (options.fitWidth == 0) {
            std::string stretched =
                stretchWarning(WindowSize{picture.width, picture.height}, options.resolution);
            // --fit is what keeps the player from stretching it.
            if (!stretched.empty())
                outcome.warnings.push_back({"fit", stretched});
        }

        SplashDescription splash;
        splash.picture = std::move(picture.bitmap);
        SoundFacts soundFacts;
        stage = "sound";
        if (inputs.sound != nullptr) {
            splash.sound = inputs.sound->readAll();
            SoundFacts facts = checkSound(splash.sound, options.sound);
            if (soundConversionAsked(options.soundTarget)) {
                ByteVector converted =
                    convertSound(splash.sound, options.sound, options.soundTarget);
                if (converted != splash.sound) {
                    const std::uint64_t before = splash.sound.size();
                    const std::string from = describeSound(facts);
                    splash.sound = std::move(converted);
                    facts = checkSound(splash.sound, options.sound);
                    outcome.notes.push_back(
                        "sound " + inQuotes(options.sound) + " converted from " + from + " to " +
                        describeSound(facts) + ": " + byteCountText(splash.sound.size()) +
                        " instead of " + byteCountText(before));
                }
            }
            soundFacts = facts;
            addWarnings(outcome.warnings, "sound",
                        soundWarnings(facts, options.sound,
                                      settleDisplayTime(options.displayTime, options.launchDelay)));
        }
        // The player hands these bytes to the ANSI functions of Windows as they are.
        stage = "target";
        splash.targetFile =
            utf8ToCodePage(inputs.targetUtf8, options.codePage, "the target", *inputs.converter);
        std::vector<std::string> nameWarnings =
            checkTargetName(options.target, splash.targetFile.size());
        splash.displayTime = options.displayTime;
        splash.launchDelay = options.launchDelay;
        splash.versionList = options.versionList;
        splash.resolution = options.resolution;
        splash.colourDepth = options.colourDepth;
        stage = "message";
        splash.requirementsMessage =
            utf8ToCodePage(inputs.messageUtf8, options.codePage, "the message", *inputs.converter);
        splash.imageOption = options.imageOption;
        splash.skippedText = codePageRecord(options.codePage);
        splash.extension.waitForTarget = options.waitForTarget;
        splash.extension.shaped = picture.keyed;
        splash.extension.keyColour = picture.keyColour;
        splash.extension.fadeIn = options.fadeIn;
        splash.extension.fadeOut = options.fadeOut;
        splash.extension.laterWindows = options.laterWindows;
        if (options.shape == PictureShape::keyColour &&
            !keyColourCutsOut(picture.unchanged ? pictureFile.readAll() : splash.picture,
                              picture.keyColour))
            outcome.warnings.push_back(
                {"cut-colour", "no pixel of the picture has the key colour " +
                                   keyColourText(picture.keyColour) +
                                   " (--cut-colour): nothing is cut out, and the splash shows "
                                   "as a rectangle"});
        stage = "";

        // A picture that goes in unchanged is copied from its input into the output by the
        // front-end, never held here whole.
        std::uint64_t pictureSize = picture.unchanged ? pictureFile.size() : splash.picture.size();
        // A signed player goes in as it was before it was signed: the payload appended to it would
        // break that signature anyway, and the finished splash is what gets signed.
        std::size_t playerSize = inputs.player.size;
        PlayerBytes player = playerBytesIn(inputs.player.data, inputs.player.size);
        if (player.wasSigned) {
            outcome.playerHeaders = std::move(player.headers);
            playerSize = player.end;
            outcome.warnings.push_back(
                {"player", (inputs.playerFile.empty() ? std::string("the player")
                                                      : "player " + inQuotes(inputs.playerFile)) +
                               " is signed: its certificate table is left out of the splash, since "
                               "the payload appended after it would break that signature; sign the "
                               "finished splash instead"});
        }
        SplashParts parts;
        try {
            parts = splashAroundPicture(playerSize, splash, pictureSize);
        } catch (const std::string& message) {
            throw InputError("the splash cannot be built: " + message);
        }
        const unsigned pictureBits =
            bitmapBitCount(picture.unchanged ? pictureFile.head(30) : splash.picture);
        // A signing tool pads the file to a multiple of 8 bytes before the certificate table it
        // appends; padded here, in the gap that the player never reads, the trailer ends exactly
        // where that table begins.
        const std::uint64_t unpadded =
            playerSize + parts.head.size() + pictureSize + parts.tail.size();
        outcome.padding.assign(static_cast<std::size_t>((8 - unpadded % 8) % 8), 0);
        outcome.size = unpadded + outcome.padding.size();
        if (outcome.size > 0xFFFFFFFFu)
            throw InputError("the splash cannot be built: with the padding that makes its size a "
                             "multiple of 8 bytes, it is larger than 4294967295 bytes");
        outcome.head = std::move(parts.head);
        outcome.picture = std::move(splash.picture);
        outcome.tail = std::move(parts.tail);
        const std::size_t changed = outcome.playerHeaders.size();
        outcome.parts = {OutputPart(outcome.playerHeaders),
                         OutputPart(inputs.player.data + changed, playerSize - changed),
                         OutputPart(outcome.padding),
                         OutputPart(outcome.head),
                         picture.unchanged ? OutputPart(pictureFile) : OutputPart(outcome.picture),
                         OutputPart(outcome.tail)};

        outcome.startTimes = describeStartTimes(outcome.size);
        std::vector<Warning> warnings = settingsWarnings(options, inputs.target);
        addWarnings(warnings, "target", nameWarnings);
        // --colours system is what shows the author those screens' colours.
        const std::string palette = paletteScreenWarning(options);
        if (!palette.empty())
            warnings.push_back({"colours", palette});
        const std::string slow = slowStartWarning(
            outcome.size, lighterChoices(options, outcome.size, picture, pictureBits, pictureSize,
                                         inputs.sound != nullptr ? &soundFacts : nullptr));
        // Several options would make it lighter; it concerns none of them alone.
        if (!slow.empty())
            warnings.push_back({"", slow});
        outcome.warnings.insert(outcome.warnings.begin(), warnings.begin(), warnings.end());
        return outcome;
    } catch (const InputError&) {
        raiseAgainConcerning(stage);
    }
}
