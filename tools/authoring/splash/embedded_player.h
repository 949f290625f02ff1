// The player executable that splashpack copies into every splash it builds, when one was built
// into the tool.
#pragma once

#include "player_image.h"

// The player built into this tool; empty when the tool was built without one.
PlayerImage embeddedPlayer();
