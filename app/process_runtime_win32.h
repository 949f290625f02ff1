// What the player's start-up shares with the small C runtime it carries.
#pragma once

// Runs the functions registered with atexit, the last registered first; each runs once.
void runExitFunctions();
