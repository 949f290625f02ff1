// `splashpack preview`: the splash read from its file, the screen drawn by the authoring core
// with the system's font, and the PNG written.
#pragma once

#include "command_line.h"
#include "splash_preview.h"

#include <string>
#include <vector>

// The font the requirements box is drawn with (Debian's fonts-dejavu-core).
constexpr const char* previewFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The font in `file`, read for the preview. Raises InputError when it cannot be read.
PreviewFont readPreviewFont(const std::string& file);

// Reads the splash, writes the PNG and returns the lines to print. Raises InputError for a
// file that is no splash, an output that exists (without --force) or a font that is missing.
std::vector<std::string> runPreview(const PreviewOptions& options);
