// The table of options as a whole: each row complete and its own values readable by its own
// reader, names that a command line can tell apart, and help that fits a Windows console.
#include "option_help.h"
#include "option_table.h"

#include "tool_error.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The UsageError message of reading `value` with the row's reader; "" when it reads.
std::string readError(const OptionRow& row, const std::string& value) {
    CommandLine line;
    line.kind = row.command;
    try {
        row.read(line, value);
    } catch (const UsageError& error) {
        return error.what();
    }
    return "";
}

std::string rowName(const OptionRow& row) {
    return std::string(commandName(row.command)) + " --" + row.name;
}

} // namespace

TEST(OptionTable, EveryRowIsCompleteAndReadsTheValuesItOffers) {
    for (const OptionRow& row : optionTable()) {
        EXPECT_NE(nullptr, row.read) << rowName(row);
        EXPECT_FALSE(row.summary.empty()) << rowName(row);
        EXPECT_FALSE(row.help.empty()) << rowName(row);
        EXPECT_FALSE(row.category.empty()) << rowName(row);
        EXPECT_EQ(row.takesValue(), !row.argument.empty()) << rowName(row);
        const bool listed = row.kind == ValueKind::choice || row.kind == ValueKind::choices;
        EXPECT_TRUE(!listed || !row.choices.empty()) << rowName(row);
        EXPECT_EQ(row.help.find("{values}") != std::string::npos, row.helpText() != row.help)
            << rowName(row);
        if (row.read == nullptr)
            continue;
        // What a form or a completion offers, the row itself must take.
        for (const OptionChoice& choice : row.choices)
            EXPECT_EQ("", readError(row, choice.value)) << rowName(row) << " " << choice.value;
        if (!row.example.empty()) {
            EXPECT_EQ("", readError(row, row.example)) << rowName(row);
        }
    }
}

TEST(OptionTable, EachCommandTellsItsOptionsApart) {
    for (const CommandRow& command : commandTable()) {
        std::set<std::string> names;
        std::set<char> shortNames;
        for (const OptionRow* row : optionsOf(command.kind)) {
            EXPECT_TRUE(names.insert(row->name).second) << rowName(*row);
            if (!row->alias.empty()) {
                EXPECT_TRUE(names.insert(row->alias).second) << rowName(*row);
            }
            EXPECT_EQ(row, findOption(command.kind, row->name));
            if (row->shortName != 0) {
                EXPECT_TRUE(shortNames.insert(row->shortName).second) << rowName(*row);
                EXPECT_EQ(row, findOption(command.kind, "", row->shortName));
            }
        }
        // -h is every command's help.
        EXPECT_EQ(0u, shortNames.count('h')) << command.name;
    }
    EXPECT_EQ(nullptr, findOption(CommandKind::inspect, "picture"));
    EXPECT_EQ(findOption(CommandKind::build, "colours"), findOption(CommandKind::build, "colors"));
}

TEST(OptionHelp, EveryLineFitsAWindowsConsoleAndEveryOptionIsListed) {
    for (const CommandRow& command : commandTable()) {
        const std::string text = helpText(command.kind);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::size_t columns = 0;
            for (std::size_t at = start; at < end; ++at)
                columns += (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
            EXPECT_LE(columns, helpWidth)
                << command.name << ": " << text.substr(start, end - start);
        }
        EXPECT_EQ(text.size(), start) << "the help ends in a line feed";
        // Each option in the column of options, its text after it or on the next line.
        for (const OptionRow* row : optionsOf(command.kind)) {
            const std::string written = row->written();
            EXPECT_TRUE(text.find(written + " ") != std::string::npos ||
                        text.find(written + "\n") != std::string::npos)
                << rowName(*row);
        }
    }
}

TEST(OptionHelp, TextIsWrappedAtSpaces) {
    struct Case {
        const char* text;
        std::size_t width;
        std::size_t indent;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"one two three", 80, 0, {"one two three"}},
        {"one two three", 7, 0, {"one two", "three"}},
        {"one  two", 80, 2, {"  one two"}},
        {"a verylongword b", 6, 0, {"a", "verylongword", "b"}},
        {"\xc3\xa9\xc3\xa9\xc3\xa9 abc", 7, 0, {"\xc3\xa9\xc3\xa9\xc3\xa9 abc"}},
        {"", 80, 4, {"    "}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lines, wrapText(c.text, c.width, c.indent)) << c.text;
}
