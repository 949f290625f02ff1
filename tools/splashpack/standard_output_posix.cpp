// Standard output on POSIX systems, where every stream already carries bytes unchanged.
#include "standard_output.h"

#include <unistd.h>

bool standardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

void writeStandardOutputAsBytes() {}
