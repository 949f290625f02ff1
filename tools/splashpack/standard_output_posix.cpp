// Standard output on POSIX systems, where every stream already carries bytes unchanged and the
// arguments arrive in UTF-8.
#include "standard_output.h"

#include <iostream>

#include <unistd.h>

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::ostream& resultStream() {
    return std::cout;
}

std::ostream& messageStream() {
    return std::cerr;
}

bool standardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

void writeStandardOutputAsBytes() {}

bool consoleIsOwn() {
    return false;
}

void waitForKey() {}
