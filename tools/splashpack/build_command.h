// `splashpack build`: the picture, the sound and the settings into a copy of the player, with
// the warnings an author needs where the player will behave unexpectedly.
#pragma once

#include "command_line.h"
#include "embedded_player.h"
#include "payload_writer.h"

#include <string>
#include <vector>

struct BuildOutcome {
    std::vector<std::string> notes;    // what was done to the inputs
    std::vector<std::string> warnings; // where the player will surprise the author
    std::vector<std::string> written;  // one line for each file written
};

// Warnings about the settings alone; `targetFound` tells whether the target lies beside the
// output.
std::vector<std::string> settingsWarnings(const BuildOptions& options, bool targetFound);

// The autorun.inf that opens `programName` from the disc's root, CR LF line ends.
std::string autorunText(const std::string& programName, const std::string& label);

// Raises InputError when `player`, the bytes of the file at `path`, is not a bare player: not a
// PE program for Windows' GUI on i386 (or AMD64, as the tests build it), or one that already
// carries a splash trailer as the player's own reader finds it.
void checkPlayerImage(const ByteVector& player, const std::string& path);

// Builds and writes the splash (and autorun.inf when asked). Raises UsageError when no player
// is known, InputError for unusable inputs and unwritable outputs; nothing is written then.
BuildOutcome runBuild(const BuildOptions& options, const PlayerImage& embedded);
