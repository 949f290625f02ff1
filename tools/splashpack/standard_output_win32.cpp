// Standard output in splashpack.exe: a console is known by its console mode, and the runtime's
// text mode, which would turn each LF of a PNG into CR LF, is switched off.
#include "standard_output.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

bool standardOutputIsTerminal() {
    DWORD mode = 0;
    // The runtime's own test would also take NUL, a character device, for a terminal.
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void writeStandardOutputAsBytes() {
    fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}
