// The whole tool behind main(): the arguments in, the texts out, the exit code back.
#pragma once

#include "embedded_player.h"

#include <ostream>
#include <string>
#include <vector>

// Runs one command line (the arguments after the program's name). Results go to `out`; notes,
// warnings and errors to `err`. Returns 0 on success, 1 for bad input, 2 for usage errors.
int runSplashpack(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                  const PlayerImage& embedded);

// The line of --version about the player the tool carries: its size and the FNV-1a 64 hash of
// its bytes in 16 hex digits, or that there is none.
std::string playerVersionLine(const PlayerImage& embedded);
