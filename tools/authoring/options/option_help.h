// splashpack's help texts, made from the table of options: the overview, and each command's
// usage and options, every line at most 80 columns wide (a Windows console's width).
#pragma once

#include "option_grammar.h"

#include <string>
#include <vector>

constexpr std::size_t helpWidth = 80;

// The help of `topic`: the overview for help and version, else that command's options.
std::string helpText(CommandKind topic);

// `text` broken at spaces into lines of at most `width` columns, each starting with `indent`
// spaces; a word longer than a line stands on a line of its own.
std::vector<std::string> wrapText(const std::string& text, std::size_t width,
                                  std::size_t indent = 0);

// The option's own line of text as the help gives it: its help, the other name it answers to,
// an example and its default ("smallest screen, e.g. 800x600 [none]").
struct OptionRow;
std::string optionHelpLine(const OptionRow& row);
