// Standard output as a place for a file's bytes: refused when a person reads it, and switched
// to bytes as they are where the runtime would translate line ends.
#pragma once

// True when standard output is a terminal or a console.
bool standardOutputIsTerminal();

// Makes the runtime write standard output's bytes unchanged.
void writeStandardOutputAsBytes();
