// Building a splash: the picture, the sound and the settings into a copy of the player, with
// the warnings an author needs where the player will behave unexpectedly.
#pragma once

#include "build_warning.h"
#include "code_page.h"
#include "input_source.h"
#include "payload_writer.h"
#include "picture_intake.h"
#include "player_image.h"
#include "setting_values.h"
#include "sound_conversion.h"
#include "splash_report.h"

#include <cstdint>
#include <string>
#include <vector>

struct BuildSettings {
    std::string picture; // the inputs' and the output's names, as messages give them
    std::string sound;   // empty: no sound
    std::string output;
    std::string target; // as the front-end received it: messages quote it so
    UINT displayTime = defaultDisplayTime;
    UINT launchDelay = defaultLaunchDelay;
    std::string versionList = allVersionCodes; // as the payload carries it
    std::string resolution;                    // "800 x 600"; empty for no minimum
    std::string colourDepth;                   // "16 bit"; empty for no minimum
    std::string message;                       // empty: the player's own text
    UINT codePage = defaultCodePage;           // of the stored target and message
    UINT imageOption = 0;
    Rgb background{255, 255, 255};
    UINT maxWidth = 32767;
    UINT maxHeight = 32767;
    UINT fitWidth = 0; // with fitHeight: the screen to shrink a larger picture for; 0 for none
    UINT fitHeight = 0;
    std::uint64_t maxPictureBytes = defaultMaxPictureBytes;
    std::uint64_t maxDecodedPixels = defaultMaxDecodedPixels;
    PictureColours colours = PictureColours::all;
    bool dither = true;      // when `colours` reduces them
    SoundTarget soundTarget; // all zero: the sound goes in as it is
    bool autorun = false;
    std::string autorunLabel;
    std::string autorunIcon; // the author's .ico, copied beside the output; empty for none
    // Beyond the format, in the payload's extension: a splash with none of them is written as
    // it was before the extension existed.
    bool waitForTarget = false; // close once the target shows a window or ends
    PictureShape shape = PictureShape::none;
    Rgb keyColour{255, 0, 255}; // with PictureShape::keyColour
    UINT fadeIn = 0;            // milliseconds; 0 for none
    UINT fadeOut = 0;
    bool laterWindows = false; // Windows later than XP passes the version test
};

// Where the front-end looked for the target beside the output, as Windows would find it.
struct TargetSearch {
    bool found = false;
    std::string lookedFor; // the place it names, for the warning when it is not there
};

// The picture an earlier build prepared, kept by a front-end that builds the same picture again
// with other settings (the page, at each change of its form), so that a change of the target or
// the message does not read and convert the picture again. The front-end clears it whenever the
// picture's bytes change.
struct KeptPicture {
    std::string shaping; // the settings that shaped it; empty: nothing kept
    PreparedPicture picture;
};

// What a build takes besides its settings.
struct BuildInputs {
    PlayerImage player;
    std::string playerFile; // as messages name it; empty for the player the front-end carries
    const InputSource* picture = nullptr;
    const InputSource* sound = nullptr;           // null without a sound
    const CodePageConverter* converter = nullptr; // the front-end's; must be set
    std::string targetUtf8;                       // the target and the message in UTF-8
    std::string messageUtf8;
    TargetSearch target;
    KeptPicture* keptPicture = nullptr; // null: the picture is prepared afresh
};

// A built splash: the parts of its file in order, and what the author should know.
struct SplashBuild {
    std::vector<std::string> notes; // what was done to the inputs
    std::vector<Warning> warnings;  // where the player will surprise the author
    // The player, zero padding that makes the file a multiple of 8 bytes long (as signing
    // wants it), the payload around the picture, the trailer.
    std::vector<OutputPart> parts;
    std::uint64_t size = 0; // of all parts
    std::string startTimes; // how long the picture takes to show from a CD-ROM

    SplashBuild() = default;
    SplashBuild(SplashBuild&&) = default;
    SplashBuild& operator=(SplashBuild&&) = default;
    SplashBuild(const SplashBuild&) = delete;
    SplashBuild& operator=(const SplashBuild&) = delete;

  private:
    friend SplashBuild buildSplash(const BuildSettings&, const BuildInputs&);
    // The bytes made here that `parts` point into; moving keeps their places.
    ByteVector playerHeaders; // of a signed player, its signature left out
    ByteVector padding;
    ByteVector head;
    ByteVector picture;
    ByteVector tail;
};

// Warnings about the settings alone.
std::vector<Warning> settingsWarnings(const BuildSettings& settings, const TargetSearch& target);

// Raises InputError when autorun.inf cannot open the program named `programName` (the
// output's file name).
void checkAutorunName(const std::string& programName);

// The autorun.inf that opens `programName` from the disc's root and shows `iconName` (empty: the
// program's own icon), CR LF line ends.
std::string autorunText(const std::string& programName, const std::string& iconName,
                        const std::string& label);

// An autorun.inf as the disc carries it, and what the author should know about it.
struct AutorunFile {
    ByteVector bytes;
    std::vector<Warning> warnings;
};

// autorunText of the UTF-8 names and label in `codePage`, the one Windows reads autorun.inf in.
// Raises InputError for a character the code page cannot hold; warns of a name that is not 8.3.
AutorunFile autorunFile(const std::string& programUtf8, const std::string& iconUtf8,
                        const std::string& labelUtf8, UINT codePage,
                        const CodePageConverter& converter);

// Raises InputError when `icon`, the bytes of the file at `path`, is no Windows icon file.
void checkAutorunIcon(const ByteVector& icon, const std::string& path);

// The file name at the end of `path`, after its last slash or backslash.
std::string fileNameOf(const std::string& path);

// A warning when the file name of `path` does not end in `extension` (".exe"), though what is
// written there is `what` ("a Windows program"); empty when it does.
std::string extensionWarning(const std::string& path, const std::string& extension,
                             const std::string& what);

// Raises InputError when `player`, the bytes of the file at `path`, is not a bare player: not a
// PE program for Windows' GUI on i386 (or AMD64, as the tests build it), or one that already
// carries a splash trailer as the player's own reader finds it, signed or not.
void checkPlayerImage(const ByteVector& player, const std::string& path);

// The settings a splash was built with, as the player reads them back: a build that starts
// from them makes the same splash. The texts stay in UTF-8; names and limits keep their defaults.
BuildSettings settingsOfSplash(const SplashReport& report);

// Decides the splash. Raises InputError for unusable inputs and settings; the inputs are read
// in the order the checks need them. A signed player is copied as it was before it was signed,
// with a warning: the payload appended after it would break its signature.
SplashBuild buildSplash(const BuildSettings& settings, const BuildInputs& inputs);
