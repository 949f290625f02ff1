// `inspect` and `extract` from files: a splash executable read through the player's own reader,
// and its picture and sound written out.
#pragma once

#include "option_grammar.h"
#include "splash_report.h"

#include <string>
#include <vector>

// Loads `path` through the player's reader and decodes it. Raises InputError with the player's
// own message when it cannot. The target and the message come back in UTF-8, read in
// `codePage`, the ANSI code page they were stored in (0: the one the splash records, else
// 1252); the player it carries is compared with `carried`, the tool's own.
SplashReport readSplash(const std::string& path, UINT codePage = 0,
                        const PlayerImage& carried = PlayerImage());

// Writes the picture and sound out as `extract` is told, each inside its folder; returns a
// line for each file written and for each part the splash lacks. Raises InputError before
// writing anything when an output exists (without `force`) or would overwrite the splash itself.
std::vector<std::string> extractSplash(const SplashReport& report, const ExtractOptions& options);
