// Reading a splash executable back as the player reads it, for `inspect` and `extract`.
#pragma once

#include "bitmap_format.h"
#include "code_page.h"
#include "command_line.h"
#include "os_version.h"
#include "payload_writer.h"
#include "screen_values.h"
#include "sound_check.h"

#include <cstdint>
#include <string>
#include <vector>

// What one splash executable holds, as the player's own reader and decoder give it.
struct SplashReport {
    std::string file;
    std::uint64_t fileBytes = 0;
    UINT payloadBytes = 0;

    ByteVector picture; // empty without a picture
    BitmapVerdict pictureVerdict = BitmapVerdict::shorterThanFileHeader;
    bool pictureMeasured = false; // width, height and bits could be read from its headers
    UINT pictureWidth = 0;
    UINT pictureHeight = 0;
    UINT pictureBits = 0;

    ByteVector sound; // empty without a sound
    SoundFacts soundFacts;

    std::string targetFile;
    UINT displayTime = 0;
    UINT launchDelay = 0;
    UINT settledDisplayTime = 0; // after the player's 50 ms rule
    VersionSet versions;
    ScreenResolution resolution;
    std::int32_t colourBits = 0;
    std::string requirementsMessage;
    UINT imageOption = 0;
};

// Loads and decodes `path` through the player's reader and settings decoder. Raises InputError
// with the player's own message when it cannot. The target and the message come back in UTF-8,
// read in `codePage`, the ANSI code page they were stored in.
SplashReport readSplash(const std::string& path, UINT codePage = defaultCodePage);

// Readable lines, one setting a line.
std::string reportText(const SplashReport& report);

// One JSON object with the same facts, always valid UTF-8: the target and the message are
// stored as ANSI bytes and read as Windows-1252; other texts that are no UTF-8 get U+FFFD.
std::string reportJson(const SplashReport& report);

// A failure of a --json run as its own JSON object: {"error": message, "exitCode": code}.
std::string errorJson(const std::string& message, int exitCode);

// Writes the picture and sound out as `extract` is told; returns a line for each file written
// and for each part the splash lacks. Raises InputError before writing anything when an
// output exists (without `force`) or would overwrite the splash itself.
std::vector<std::string> extractSplash(const SplashReport& report, const ExtractOptions& options);
