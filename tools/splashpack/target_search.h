// The target beside the splash being written, looked for as Windows will look for it when the
// splash runs.
#pragma once

#include "splash_build.h"

#include <filesystem>
#include <string>

// The target beside the output, found as Windows finds it: each part of the name matched
// without regard to case. Empty when there is no such file.
std::filesystem::path findTargetBeside(const std::string& output, const std::string& target);

// Whether the target lies beside the output, and where it was looked for.
TargetSearch searchTarget(const std::string& output, const std::string& target);
