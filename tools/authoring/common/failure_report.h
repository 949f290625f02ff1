// A failure as every front-end reports it: its message, its exit code and, for a usage error,
// the help it points to. The command line prints it, the page shows it.
#pragma once

#include <string>

struct FailureReport {
    std::string message;
    int exitCode = 0;
    std::string hint;   // "Try 'splashpack build --help'." for a usage error; empty otherwise
    std::string option; // the long name of the option it concerns; empty for none
};

// The failure being handled: call it only inside a catch block. `command` names the command
// whose help a usage error points to ("build"); empty for the overview's.
FailureReport reportOfFailure(const std::string& command);
