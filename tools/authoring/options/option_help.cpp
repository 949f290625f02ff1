// The help texts, laid out from the table of options: a column of options and a column of their
// texts, wrapped to the width of a Windows console.
#include "option_help.h"

#include "option_table.h"

#include <algorithm>

namespace {

// Options written longer than this stand on a line of their own, their text below; the texts
// begin two columns after the widest of the others.
constexpr std::size_t widestOptionColumn = 28;

// The count of characters (not bytes) of UTF-8 text: what a console shows.
std::size_t columnsOf(const std::string& text) {
    std::size_t columns = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++columns;
    return columns;
}

// "  -p, --picture FILE" or "      --fit WxH".
std::string optionColumn(const OptionRow& row) {
    return std::string(row.shortName != 0 ? std::string("  -") + row.shortName + ", "
                                          : std::string(6, ' ')) +
           row.written();
}

// The lines of a column of text with `head` in the margin of the first (a space at least
// between them), or on a line of its own above them when it does not fit there.
std::vector<std::string> headed(const std::string& head, std::vector<std::string> lines) {
    const std::size_t margin = std::min(lines[0].find_first_not_of(' '), lines[0].size());
    if (columnsOf(head) + 1 <= margin)
        lines[0] = head + lines[0].substr(head.size()); // the margin is spaces, one byte each
    else
        lines.insert(lines.begin(), head);
    return lines;
}

void addLines(std::string& text, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        text += line + "\n";
}

std::string overviewHelp() {
    std::string text = "Usage: splashpack COMMAND [OPTIONS]\n\n";
    addLines(text, wrapText("Writes, inspects and unpacks splash executables: a copy of the "
                            "player that shows a picture, plays a sound and opens a file beside "
                            "it.",
                            helpWidth));
    text += "\nCommands:\n";
    for (const CommandRow& command : commandTable())
        addLines(text, headed(std::string("  ") + command.name,
                              wrapText(command.summary, helpWidth, 12)));
    text += "\n";
    addLines(text, wrapText("Run 'splashpack COMMAND --help' for the options of a command; "
                            "'splashpack --version' names the tool and the player it carries "
                            "(its size and FNV-1a 64 hash). Exit codes: 0 success, 1 bad input "
                            "(a picture, sound or file that cannot be used), 2 usage.",
                            helpWidth));
    return text;
}

std::string commandHelp(const CommandRow& command) {
    std::string text;
    for (std::size_t i = 0; i < command.usage.size(); ++i)
        text += (i == 0 ? "Usage: " : "       ") + command.usage[i] + "\n";
    text += "\n";
    addLines(text, wrapText(command.description, helpWidth));
    const std::vector<const OptionRow*> rows = optionsOf(command.kind);
    std::size_t column = 0;
    bool headings = false;
    for (const OptionRow* row : rows) {
        const std::size_t width = columnsOf(optionColumn(*row));
        if (width <= widestOptionColumn && width > column)
            column = width;
        headings = headings || row->category != rows.front()->category;
    }
    column += 2;
    std::string category;
    for (const OptionRow* row : rows) {
        if (headings && row->category != category) {
            category = row->category;
            text += "\n" + category + ":\n";
        }
        addLines(text,
                 headed(optionColumn(*row), wrapText(optionHelpLine(*row), helpWidth, column)));
    }
    if (*command.closing != '\0') {
        text += "\n";
        addLines(text, wrapText(command.closing, helpWidth));
    }
    return text;
}

} // namespace

std::vector<std::string> wrapText(const std::string& text, std::size_t width, std::size_t indent) {
    std::vector<std::string> lines;
    const std::string margin(indent, ' ');
    std::string line;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(at, end - at);
        at = end;
        if (!line.empty() && indent + columnsOf(line) + 1 + columnsOf(word) > width) {
            lines.push_back(margin + line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(margin + line);
    return lines;
}

std::string optionHelpLine(const OptionRow& row) {
    std::string line = row.helpText();
    if (!row.alias.empty())
        line += " (also --" + row.alias + ")";
    if (!row.example.empty())
        line += ", e.g. " + row.example;
    if (!row.defaultText.empty())
        line += " [" + row.defaultText + "]";
    return line;
}

std::string helpText(CommandKind topic) {
    for (const CommandRow& command : commandTable())
        if (command.kind == topic && topic != CommandKind::help)
            return commandHelp(command);
    return overviewHelp();
}
