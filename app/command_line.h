// Argument 0 of the process command line, split as the language runtime splits it: the player
// reads nothing else of its command line, and this is the path of its own file.
#pragma once

#include <string>

// The first argument of `commandLine`: after an opening double quote, the text up to the next
// double quote or the end; otherwise the text up to the first blank or tab.
std::string firstArgumentOf(const std::string& commandLine);

// Argument 0 of the process: the first argument of `commandLine`, or of `moduleFileName` when
// the command line is empty. The text is used as it is: not made absolute, no extension added.
std::string programPathArgument(const std::string& commandLine, const std::string& moduleFileName);

// What the start-up gives WinMain as its command line: the text after the program's name, whose
// quotes pair up until a blank, a tab or another control character outside them ends it, with
// the blanks before the next argument skipped. A null line gives an empty text.
const char* commandLineTail(const char* commandLine);
