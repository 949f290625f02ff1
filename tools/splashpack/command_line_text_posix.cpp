// The command line's texts on Linux: the arguments arrive in UTF-8 already.
#include "command_line_text.h"

std::string commandLineTextToUtf8(const std::string& text) {
    return text;
}
