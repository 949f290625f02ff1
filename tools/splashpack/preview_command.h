// `splashpack preview`: the splash read from its file, the screen drawn by the authoring core
// with the system's fonts, and the PNG written.
#pragma once

#include "option_grammar.h"
#include "splash_preview.h"

#include <ostream>
#include <string>
#include <vector>

// The font the requirements box is drawn with (Debian's fonts-dejavu-core).
constexpr const char* previewFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The font in `file`, read for the preview. Raises InputError when it cannot be read.
PreviewFont readPreviewFont(const std::string& file);

// Fonts with the letters of `codePage` that DejaVu Sans lacks, best first, and the Debian
// package that brings the first; none for code pages whose letters it has.
struct ScriptFonts {
    std::vector<const char*> files;
    const char* package = nullptr;
};
ScriptFonts scriptFontsFor(UINT codePage);

struct PreviewOutcome {
    std::vector<std::string> lines;    // the timeline and the file written
    std::vector<std::string> warnings; // what the preview cannot show as the player would
};

// Reads the splash, writes the PNG (to `standardOutput` for the output "-") and returns what to
// print. Raises InputError for a file that is no splash, an output that exists (without
// --force), a standard output that is a terminal, or a font that is missing.
PreviewOutcome runPreview(const PreviewOptions& options, std::ostream& standardOutput);
