// `splashpack preview`: the splash read from its file, the screen drawn by the authoring core
// with the font the tool carries and, for the scripts it lacks, the system's, and the PNG
// written.
#pragma once

#include "option_grammar.h"
#include "splash_preview.h"

#include <ostream>
#include <string>
#include <vector>

struct PreviewOutcome {
    std::vector<std::string> lines;    // the timeline and the file written
    std::vector<std::string> warnings; // what the preview cannot show as the player would
};

// Reads the splash, writes the PNG (to `standardOutput` for the output "-") and returns what to
// print. Raises InputError for a file that is no splash, an output that exists (without
// --force) or a standard output that is a terminal.
PreviewOutcome runPreview(const PreviewOptions& options, std::ostream& standardOutput);
