// The texts of the command line as the authoring core takes them.
#pragma once

#include <string>

// A text from the command line as UTF-8: the native tool's arguments are UTF-8 already, while
// splashpack.exe's arrive in the machine's ANSI code page.
std::string commandLineTextToUtf8(const std::string& text);
