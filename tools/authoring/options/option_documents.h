// What the build writes from the table of options, besides the help: the manual page's OPTIONS
// sections, the shell completions, the page's form and the README's table. Each is text from
// the table alone; write_option_files.cpp puts it in its files.
#pragma once

#include <string>

// The manual page `page` (roff) with its line "@OPTIONS@" replaced by a section of options for
// each command. Raises std::runtime_error when the page has no such line.
std::string manualWithOptions(const std::string& page);

// Completions of splashpack's commands, options and values for bash, zsh and fish.
std::string bashCompletion();
std::string zshCompletion();
std::string fishCompletion();

// The options the page offers, command by command, as a JSON text its script builds its form
// from.
std::string pageFormJson();

// The README `readme` with its table of options, between the lines `readmeTableBegin` and
// `readmeTableEnd`, made anew. Raises std::runtime_error when it lacks those lines.
constexpr const char* readmeTableBegin = "<!-- options: begin (made from the table of options) -->";
constexpr const char* readmeTableEnd = "<!-- options: end -->";
std::string readmeWithOptionTable(const std::string& readme);
