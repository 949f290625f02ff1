// Standard output and standard error: the streams the tool's texts go to, and standard output as
// a place for a file's bytes, refused when a person reads it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// The arguments after the program's name, as UTF-8 whatever the system's code pages.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Where results and messages go. On a Windows console the UTF-8 text is handed to the console
// as UTF-16, so it shows as written whatever the console's code page; redirected on Windows,
// the UTF-8 bytes go out with CR LF line ends; elsewhere unchanged.
std::ostream& resultStream();
std::ostream& messageStream();

// True when standard output is a terminal or a console.
bool standardOutputIsTerminal();

// Makes the runtime write standard output's bytes unchanged.
void writeStandardOutputAsBytes();

// True when the tool runs in a console of its own, which closes when it ends: on Windows, a
// double-click in Explorer. Never on other systems.
bool consoleIsOwn();

// Waits until a key is pressed in the console.
void waitForKey();
