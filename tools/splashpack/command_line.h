// The command line of splashpack: its commands and options, and the syntax of their values
// (durations, Windows versions, resolutions, colour depths, sizes, colours).
#pragma once

#include "code_page.h"
#include "os_version.h"
#include "text_error.h"

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
};

// The first lines of --help; the defaults below are documented there.
constexpr UINT defaultDisplayTime = 3000;
constexpr UINT defaultLaunchDelay = 1000;
constexpr std::uint64_t defaultMaxPictureBytes = 64ull * 1024 * 1024;
constexpr const char* allVersionCodes = "1 2 3 4 5 6";

struct BuildOptions {
    std::string picture;
    std::string sound;
    std::string output;
    std::string target;
    std::string player; // empty: the player built into the tool
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
    bool autorun = false;
    std::string autorunLabel;
    bool force = false;
    bool quiet = false;
};

struct InspectOptions {
    std::string file;
    bool json = false;
    bool quiet = false; // only the exit code and errors tell whether the player reads it
    UINT codePage = defaultCodePage; // of the stored texts
};

struct ExtractOptions {
    std::string file;
    std::string directory = ".";
    std::string picture; // empty: the splash's name with .bmp, in `directory`
    std::string sound;   // empty: the splash's name with .wav, in `directory`
    bool force = false;
    bool quiet = false;
};

struct PreviewOptions {
    std::string file;
    std::string output;
    UINT screenWidth = 0;
    UINT screenHeight = 0;
    std::int32_t colourBits = 32;
    OsVersion windows = osVersionForCode(6);
    UINT codePage = defaultCodePage; // of the stored texts
    bool force = false;
};

// Largest side of a preview's screen.
constexpr UINT largestPreviewSide = 16384;

enum class CommandKind { help, version, build, inspect, extract, preview };

struct CommandLine {
    CommandKind kind = CommandKind::help;
    CommandKind helpTopic = CommandKind::help; // the command whose help was asked for
    BuildOptions build;
    InspectOptions inspect;
    ExtractOptions extract;
    PreviewOptions preview;
};

// Reads the arguments after the program's name; raises UsageError for anything it cannot use.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The help texts: the overview, or one command's options.
std::string helpText(CommandKind topic);

// "3s", "2.5s", "1500ms" or "0" as milliseconds; a bare number other than 0 has no unit and
// is refused, as are fractions of a millisecond and values above 4294967295 ms.
UINT parseDuration(const std::string& text);

// "95,98,me,nt4,2000,xp" (also "nt"), or "all", in any case, as the payload's code list
// ("1 2 3 4 5 6"): ascending, each code once.
std::string parseVersionNames(const std::string& text);

// "800x600" as the payload's text "800 x 600".
std::string parseMinimumResolution(const std::string& text);

// "16" (or "16bit") as the payload's text "16 bit".
std::string parseMinimumColourDepth(const std::string& text);

// "1000", "500k", "64M" (powers of 1024) as bytes.
std::uint64_t parseByteSize(const std::string& text);

// "#rrggbb" or "rrggbb".
Rgb parseColour(const std::string& text);

// "WxH" into its two numbers, each 1 to 65535.
void parseDimensions(const std::string& text, UINT& width, UINT& height);

// The tool's name of a Windows release ("95", "98", "me", "nt4", "2000", "xp"), or
// "unknown" for a release that no version code stands for.
const char* toolVersionName(const OsVersion& version);
