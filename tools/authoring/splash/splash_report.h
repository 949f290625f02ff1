// Reading a splash executable back as the player reads it, for `inspect` and `extract`.
#pragma once

#include "bitmap_format.h"
#include "code_page.h"
#include "data_content.h"
#include "os_version.h"
#include "payload_writer.h"
#include "player_image.h"
#include "screen_values.h"
#include "setting_values.h"
#include "sound_check.h"

#include <cstdint>
#include <string>
#include <vector>

// Whether a splash carries the player that the tool carries.
enum class PlayerMatch { notCompared, carried, other };

// What one splash executable holds, as the player's own reader and decoder give it.
struct SplashReport {
    std::string file;
    std::uint64_t fileBytes = 0;
    UINT payloadBytes = 0;

    // The player before the payload block, as it was before any signing (see playerBytesIn):
    // its size and hash are those `splashpack --version` gives of the player a tool carries.
    std::uint64_t playerBytes = 0;
    std::uint64_t playerHash = 0;
    PlayerMatch playerMatch = PlayerMatch::notCompared;

    // The certificate table that data directory 4 names; 0 bytes for none. Nothing here checks
    // the signature in it.
    UINT tableOffset = 0;
    UINT tableBytes = 0;
    bool payloadBeforeTable = false; // inside what a signature covers

    ByteVector picture; // empty without a picture
    BitmapVerdict pictureVerdict = BitmapVerdict::shorterThanFileHeader;
    bool pictureMeasured = false; // width, height and bits could be read from its headers
    UINT pictureWidth = 0;
    UINT pictureHeight = 0;
    UINT pictureBits = 0;

    ByteVector sound; // empty without a sound
    SoundFacts soundFacts;

    std::string targetFile; // in UTF-8, read in `codePage`
    UINT displayTime = 0;
    UINT launchDelay = 0;
    UINT settledDisplayTime = 0; // after the player's 50 ms rule
    VersionSet versions;
    ScreenResolution resolution;
    std::int32_t colourBits = 0;
    std::string requirementsMessage; // in UTF-8, read in `codePage`
    UINT imageOption = 0;

    // The target and the message as stored, the code page they were read in, the one the
    // splash records (0 for none) and whether the reader named one (--code-page).
    std::string storedTarget;
    std::string storedMessage;
    UINT codePage = defaultCodePage;
    UINT recordedCodePage = 0;
    bool codePageGiven = false;
    SplashExtension extension; // all off for a splash without one
};

// Reads the stored target and message again, in `codePage`, as the reader named it.
void readTextsIn(SplashReport& report, UINT codePage, const CodePageConverter& converter);

// True when the stored target or message holds bytes above 127, which read differently in
// each code page.
bool textsLeaveAscii(const SplashReport& report);

// For a splash that records no code page, whose texts hold bytes above 127 and whose reader
// named none: that they are read as 1252, and how to name theirs. Empty otherwise.
std::string codePageHint(const SplashReport& report);

// Decodes the payload `block` that the player's reader found in the splash `file` of
// `fileBytes` bytes. Raises InputError with the player's own message when the player's decoder
// refuses it. The target and the message come back in UTF-8, read by `converter` in `codePage`,
// the ANSI code page the reader names them stored in; 0 reads them in the code page the splash
// records, else in 1252.
SplashReport reportSplash(const DataContent& block, const std::string& file,
                          std::uint64_t fileBytes, const CodePageConverter& converter,
                          UINT codePage = 0);

// The same for the whole splash `file`, named `name`, found through its trailer as the player's
// reader finds it (before a certificate table too), with the reader's own messages and the
// damage in the tool's words; with the player it carries compared to `carried`, the player a
// front-end carries, when there is one.
SplashReport readSplashBytes(const ByteVector& file, const std::string& name,
                             const CodePageConverter& converter, UINT codePage = 0,
                             const PlayerImage& carried = PlayerImage());

// What is wrong with a file that the player refuses, in the tool's words, from its size and
// its last `trailerSize` bytes (not read when it is shorter): the player's own message names the
// symptom, this names the part of the file at fault.
// `earlierTrailerEnd` is where a trailer found before the end of the file ends (from
// earlierTrailerEnd), 0 for none.
// `head` holds the file's first `headBytes` bytes (the whole file serves best): they tell a bare
// player from a splash cut short, which leaves bytes after the player and no trailer at the end.
std::string splashDamage(std::uint64_t size, const unsigned char* trailer,
                         std::uint64_t earlierTrailerEnd = 0, const unsigned char* head = nullptr,
                         std::size_t headBytes = 0);

// The end of the last trailer in the `size` bytes at `bytes` that does not end them, for a file
// with bytes added after its splash; 0 when there is none.
std::uint64_t earlierTrailerEnd(const unsigned char* bytes, std::size_t size);

// The same for a payload block that the player's decoder refuses.
std::string payloadDamage(UINT payloadBytes);

// The message for a file the player refuses: its name, the damage in the tool's words, and the
// player's own message.
std::string notASplashMessage(const std::string& file, const std::string& damage,
                              const std::string& playerMessage);

// Readable lines, one setting a line.
std::string reportText(const SplashReport& report);

// One JSON object with the same facts, always valid UTF-8: the target and the message are
// stored as ANSI bytes and read in the report's code page; other texts that are no UTF-8 get
// U+FFFD.
std::string reportJson(const SplashReport& report);

// A failure of a --json run as its own JSON object: {"error": message, "exitCode": code}.
std::string errorJson(const std::string& message, int exitCode);
