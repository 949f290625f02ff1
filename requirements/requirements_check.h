// The start-up's check of the machine against the payload's requirements.
#pragma once

// Compares the running system's version, screen resolution and colour depth with the settings'
// requirements. True when all three are met; otherwise shows one "System Requirements Not Met"
// box and returns false.
bool checkSystemRequirements();
