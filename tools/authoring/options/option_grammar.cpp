// The grammar of splashpack's command line: a command, then its options (long, short, combined
// short flags, values attached or following) and operands; each option is read by its row.
#include "option_grammar.h"

#include "message_text.h"
#include "option_table.h"
#include "tool_error.h"

namespace {

// An option as it was written: its name, and the value attached to it ("--fit=800x600", "-d3s").
struct WrittenOption {
    std::string written; // "--fit", "-d": as a message quotes it
    const OptionRow* row = nullptr;
    std::string value;
    bool valueAttached = false;
};

WrittenOption longOption(CommandKind command, const std::string& argument) {
    WrittenOption option;
    std::string name = argument.substr(2);
    const std::size_t equals = name.find('=');
    if (equals != std::string::npos) {
        option.value = name.substr(equals + 1);
        name = name.substr(0, equals);
        option.valueAttached = true;
    }
    option.written = "--" + name;
    option.row = findOption(command, name);
    return option;
}

// Reads the options and operands that follow the command's name.
void parseCommandArguments(CommandLine& line, const std::vector<std::string>& given,
                           std::vector<std::string>& operands) {
    // Short flags written together ("-fq") are taken apart into this copy as they are met.
    std::vector<std::string> arguments = given;
    std::set<std::string> seen;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "/?") {
            line.helpTopic = line.kind;
            line.kind = CommandKind::help;
            return;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h" || argument == "-?") {
            line.helpTopic = line.kind;
            line.kind = CommandKind::help;
            return;
        }
        WrittenOption option;
        if (argument[1] == '-') {
            option = longOption(line.kind, argument);
        } else {
            option.written = argument.substr(0, 2);
            option.row = findOption(line.kind, "", argument[1]);
            if (argument.size() > 2) {
                option.value = argument.substr(2);
                option.valueAttached = true;
            }
            if (option.row != nullptr && !option.row->takesValue() && option.valueAttached) {
                arguments.insert(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                 "-" + option.value);
                option.valueAttached = false;
            }
        }
        const OptionRow* row = option.row;
        if (row == nullptr)
            throw UsageError("unknown option " + option.written + " for " + commandName(line.kind));
        const std::string canonical = "--" + row->name;
        if (row->takesValue() && !option.valueAttached) {
            if (i + 1 >= arguments.size())
                throw UsageError(canonical + " needs a value", row->name);
            option.value = arguments[++i];
        } else if (!row->takesValue() && option.valueAttached) {
            throw UsageError(canonical + " takes no value", row->name);
        }
        if (!seen.insert(row->name).second)
            throw UsageError(canonical + " is given more than once", row->name);
        try {
            row->read(line, option.value);
        } catch (const UsageError& error) {
            throw UsageError(canonical + ": " + error.what(), row->name);
        }
    }
    line.build.given = seen;
}

// What a build needs besides its options' own values.
void checkBuild(const BuildOptions& build, const std::vector<std::string>& operands) {
    if (!operands.empty())
        throw UsageError("build takes no operands; " + inQuotes(operands[0]) + " is not an option");
    if (build.picture.empty() && build.like.empty())
        throw UsageError("build needs --picture FILE", "picture");
    if (build.output.empty())
        throw UsageError("build needs --output FILE", "output");
    const std::string& target = build.target;
    if (!target.empty() &&
        (target[0] == '\\' || target[0] == '/' || (target.size() > 1 && target[1] == ':')))
        throw UsageError("--target: " + inQuotes(target) +
                             " is not relative; the player joins the target to its own folder",
                         "target");
    if (!build.autorunLabel.empty() && !build.autorun)
        throw UsageError("--autorun-label needs --autorun", "autorun-label");
    if (!build.autorunIcon.empty() && !build.autorun)
        throw UsageError("--autorun-icon needs --autorun", "autorun-icon");
}

// The one FILE that inspect, extract and preview read, and what preview needs besides.
void checkSplashCommand(CommandLine& line, const std::vector<std::string>& operands) {
    if (operands.size() != 1)
        throw UsageError(
            std::string(commandName(line.kind)) +
            (operands.empty() ? " needs the FILE to read" : " reads one FILE; more were given"));
    if (line.kind == CommandKind::inspect)
        line.inspect.file = operands[0];
    else if (line.kind == CommandKind::extract)
        line.extract.file = operands[0];
    else
        line.preview.file = operands[0];
    if (line.kind != CommandKind::preview)
        return;
    if (line.preview.screenWidth == 0)
        throw UsageError("preview needs --screen WxH", "screen");
    if (line.preview.output.empty())
        throw UsageError("preview needs --output FILE", "output");
    // A 15-bit screen is always 5-5-5.
    if (line.preview.layoutGiven && line.preview.colourBits != 16)
        throw UsageError("--sixteen-bit-layout needs --depth 16", "sixteen-bit-layout");
}

// The command named `name` that takes options; help when there is none.
CommandKind commandNamed(const std::string& name) {
    for (const CommandRow& command : commandTable())
        if (command.kind != CommandKind::help && name == command.name)
            return command.kind;
    return CommandKind::help;
}

} // namespace

const char* commandName(CommandKind kind) {
    for (const CommandRow& command : commandTable())
        if (command.kind == kind && kind != CommandKind::help)
            return command.name;
    return "";
}

PreviewScreen previewScreenOf(const PreviewOptions& options) {
    PreviewScreen screen;
    screen.width = options.screenWidth;
    screen.height = options.screenHeight;
    screen.colourBits = options.colourBits;
    screen.sixteenBitLayout = options.sixteenBitLayout;
    screen.version = options.windows;
    return screen;
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty())
        throw UsageError("no command given");
    const std::string& command = arguments[0];
    // "/?" and "-?" as Windows programs take them.
    if (command == "--help" || command == "-h" || command == "help" || command == "/?" ||
        command == "-?") {
        line.kind = CommandKind::help;
        if (command == "help" && arguments.size() > 1) {
            line.helpTopic = commandNamed(arguments[1]);
            if (line.helpTopic == CommandKind::help)
                throw UsageError("no help for " + inQuotes(arguments[1]));
        }
        return line;
    }
    if (command == "--version") {
        line.kind = CommandKind::version;
        return line;
    }
    line.kind = commandNamed(command);
    if (line.kind == CommandKind::help)
        throw UsageError("unknown command " + inQuotes(command));

    std::vector<std::string> operands;
    parseCommandArguments(line, arguments, operands);
    if (line.kind == CommandKind::help)
        return line;
    if (line.kind == CommandKind::build)
        checkBuild(line.build, operands);
    else
        checkSplashCommand(line, operands);
    return line;
}
