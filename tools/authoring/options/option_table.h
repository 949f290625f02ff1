// Every option of splashpack, declared once. Each row holds all that is said of its option: the
// parser, --help, the manual page, the shell completions, the page's form and the README's
// table are made from these rows, so adding an option is adding its row and its effect.
#pragma once

#include "option_grammar.h"
#include "splash_report.h"

#include <string>
#include <vector>

// What an option's value is, for a control or a completion that offers it.
enum class ValueKind {
    flag,       // no value
    text,       // any text; `choices`, if any, are suggestions
    inputFile,  // a file the command reads
    outputFile, // a file the command writes
    folder,
    choice,  // one of `choices`
    choices, // any of `choices`, separated by commas
};

// The front-ends that offer an option. The command line takes every option; the page shows a
// control for those it offers, and turns them into the command line it runs.
enum OptionFrontEnd : unsigned { commandLineFrontEnd = 1u, pageFrontEnd = 2u };

struct OptionChoice {
    std::string value;
    std::string label; // as a form lists it
};

// The splash that --like names, as the options that it keeps take from it.
struct LikeSplash {
    std::string file;
    SplashReport report;
    BuildSettings settings; // as the player reads them back
};

struct OptionRow {
    using Reader = void (*)(CommandLine& line, const std::string& value);
    using LikeReader = void (*)(BuildOptions& options, const LikeSplash& like);

    CommandKind command = CommandKind::build;
    std::string name; // the long name, without "--"
    char shortName = 0;
    std::string alias;    // another long name for it (the US spelling); empty for none
    std::string argument; // the value's name in the help ("FILE"); empty for a flag
    ValueKind kind = ValueKind::flag;
    std::string category;    // the heading it stands under in the help, the manual and the page
    std::string summary;     // a few words: the page's label, the completions' description
    std::string help;        // --help's text; "{values}" stands for the choices' values
    std::string details;     // what the manual page says besides
    std::string defaultText; // what holds when it is not given, as the help shows it
    std::string example;     // a value to show, also in an empty field
    std::vector<OptionChoice> choices;
    unsigned frontEnds = commandLineFrontEnd;
    Reader read = nullptr;           // reads the value into the command line's settings
    LikeReader keptByLike = nullptr; // takes the --like splash's value when not given

    // The row as its table writes it, one fact at a time, from the table's literals.
    OptionRow& also(const char* longName) noexcept;
    OptionRow& takes(const char* argumentName, ValueKind valueKind) noexcept;
    OptionRow& says(const char* words, const char* text) noexcept;
    OptionRow& explains(const char* manual) noexcept;
    OptionRow& explains(const std::string& manual) noexcept;
    OptionRow& byDefault(const char* text) noexcept;
    OptionRow& byDefault(const std::string& text) noexcept;
    OptionRow& forExample(const char* value) noexcept;
    OptionRow& offers(std::vector<OptionChoice> values) noexcept;
    OptionRow& onPage() noexcept;
    OptionRow& reads(Reader reader) noexcept;
    OptionRow& keptFromLike(LikeReader reader) noexcept;

    bool takesValue() const { return kind != ValueKind::flag; }
    bool offeredOn(OptionFrontEnd frontEnd) const { return (frontEnds & frontEnd) != 0; }
    // "--name" (with " ARGUMENT"), as the help lists it.
    std::string written() const;
    // The help's text with its values filled in.
    std::string helpText() const;
};

// The rows of every command, in the order the help lists them.
const std::vector<OptionRow>& optionTable();

// The rows of one command.
std::vector<const OptionRow*> optionsOf(CommandKind command);

// The row of `command` named `name` (long, alias) or `shortName`; null when there is none.
const OptionRow* findOption(CommandKind command, const std::string& name, char shortName = 0);

// What the help and the manual say of a command.
struct CommandRow {
    CommandKind kind;
    const char* name;
    const char* summary;            // its line in the overview
    const char* operand;            // what follows its options ("FILE"); empty for none
    std::vector<std::string> usage; // the lines after "Usage: "
    const char* description;        // what it does
    const char* closing;            // said after its options; may be empty
};

// The commands, in the order the overview lists them; `help` last.
const std::vector<CommandRow>& commandTable();
