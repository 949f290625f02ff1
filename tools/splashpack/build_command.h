// `splashpack build`: the inputs read from files, the splash decided by the authoring core, and
// the splash (and autorun.inf when asked) written beside each other.
#pragma once

#include "embedded_player.h"
#include "option_grammar.h"
#include "splash_build.h"

#include <string>
#include <vector>

struct BuildOutcome {
    std::vector<std::string> notes;   // what was done to the inputs
    std::vector<Warning> warnings;    // where the player will surprise the author
    std::vector<std::string> written; // one line for each file written
    std::string startTimes;           // how long the picture takes to show from a CD-ROM
};

// Builds and writes the splash (and autorun.inf when asked). Raises UsageError when no player
// is known, InputError for unusable inputs and unwritable outputs; nothing is written then.
BuildOutcome runBuild(const BuildOptions& options, const PlayerImage& embedded);
