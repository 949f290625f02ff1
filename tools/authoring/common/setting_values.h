// The values of a splash's settings as an author writes them (durations, Windows versions,
// resolutions, colour depths, sizes, colours, numbers) and the defaults they start from.
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
// Pixels of a source picture the decoder may take: four bytes each while it is read.
constexpr std::uint64_t defaultMaxDecodedPixels = 128ull * 1024 * 1024;
constexpr const char* allVersionCodes = "1 2 3 4 5 6";

// Largest side of a preview's screen.
constexpr UINT largestPreviewSide = 16384;

// "3s", "2.5s", "1500ms" or "0" as milliseconds; a bare number other than 0 has no unit and
// is refused, as are fractions of a millisecond and values above 4294967295 ms.
UINT parseDuration(const std::string& text);

// Longest launch delay: the player closes the splash no sooner than 50 ms after the launch delay,
// a sum it counts in 32 bits.
constexpr UINT largestLaunchDelay = 0xFFFFFFFFu - 50;

// parseDuration for --launch-delay, refusing a delay above largestLaunchDelay.
UINT parseLaunchDelay(const std::string& text);

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

// A 32-bit number in decimal, or in hexadecimal after 0x.
UINT parseNumber32(const std::string& text);

// How many colours a stored picture keeps: all it has, an optimal palette of 256 or 16, or the
// 20 static colours that a 256-colour screen shows.
enum class PictureColours { all, palette256, palette16, system };

// The values --colours, --sound-rate and --sound-bits take, in the order their messages name
// them.
const std::vector<std::string>& pictureColourValues();
const std::vector<std::string>& soundRateValues();
const std::vector<std::string>& soundBitValues();

// One of pictureColourValues: "256", "16" or "system".
PictureColours parsePictureColours(const std::string& text);

// What a shaped splash cuts out of its window: nothing, the pixels of a colour the author names,
// or the source's pixels below half opacity, for which the tool chooses a colour.
enum class PictureShape { none, keyColour, transparency };

// One of soundRateValues: "22050" or "11025" (samples a second).
UINT parseSoundRate(const std::string& text);

// One of soundBitValues: "8" or "16" (bits a sample).
unsigned parseSoundBits(const std::string& text);

// A duration as the help gives a default: "3s", "1500ms".
std::string durationText(UINT milliseconds);

// A size as the help gives a default, in the largest of k, M and G that divides it: "64M".
std::string byteSizeText(std::uint64_t bytes);

// The tool's name of a Windows release ("95", "98", "me", "nt4", "2000", "xp"), or
// "unknown" for a release that no version code stands for.
const char* toolVersionName(const OsVersion& version);

// The release of version code 1 to 6 as Windows names it: "95", "98", "Me", "NT 4", "2000", "XP".
const char* windowsVersionLabel(int code);
