// The texts made from the table of options: roff for the manual page, shell code for the
// completions, JSON for the page and Markdown for the README, each escaped for its reader.
#include "option_documents.h"

#include "option_help.h"
#include "option_table.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <stdexcept>

namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string upperCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The commands that take options, in the order of the overview.
std::vector<const CommandRow*> commandsWithOptions() {
    std::vector<const CommandRow*> commands;
    for (const CommandRow& command : commandTable())
        if (!optionsOf(command.kind).empty())
            commands.push_back(&command);
    return commands;
}

// Whether the row's reader takes `value`.
bool reads(const OptionRow& row, const std::string& value) {
    CommandLine line;
    line.kind = row.command;
    try {
        row.read(line, value);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// The values a completion offers: the choices, and the default where it is a value too ("all").
std::vector<std::string> choiceValues(const OptionRow& row) {
    std::vector<std::string> values;
    bool defaultListed = false;
    for (const OptionChoice& choice : row.choices) {
        values.push_back(choice.value);
        defaultListed = defaultListed || choice.value == row.defaultText;
    }
    if (!values.empty() && !defaultListed && !row.defaultText.empty() &&
        reads(row, row.defaultText))
        values.push_back(row.defaultText);
    return values;
}

std::string joined(const std::vector<std::string>& words, const std::string& between = " ") {
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : between) + word;
    return text;
}

// ---- the manual page ----

// Text for roff: backslashes escaped, an option's hyphens as minus signs (so that it can be
// copied from the page as typed), and no line that roff would take for a request.
std::string roffText(const std::string& text) {
    std::string out;
    bool inOption = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool wordStart =
            i == 0 || std::string(" ([\"/").find(text[i - 1]) != std::string::npos;
        if (wordStart)
            inOption = c == '-';
        else if (c == ' ')
            inOption = false;
        if (c == '\\')
            out += "\\e";
        else if (c == '-' && inOption)
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out = "\\&" + out;
    return out;
}

// The option's line of .TP: its names in bold, its argument in italics.
std::string roffHead(const OptionRow& row) {
    std::string names = roffText("--" + row.name);
    std::string head = row.shortName != 0 ? ".BR " + roffText(std::string("-") + row.shortName) +
                                                " \", \" " + names
                                          : (row.argument.empty() ? ".B " : ".BR ") + names;
    if (!row.argument.empty())
        head += " \" \\fI" + roffText(row.argument) + "\\fR\"";
    return head;
}

std::string roffOption(const OptionRow& row) {
    std::string text = capitalised(row.helpText());
    if (!row.example.empty())
        text += ", e.g. " + row.example;
    if (!row.defaultText.empty())
        text += " [" + row.defaultText + "]";
    text += ".";
    if (!row.alias.empty())
        text += " Also --" + row.alias + ".";
    if (!row.details.empty())
        text += " " + row.details;
    return ".TP\n" + roffHead(row) + "\n" + roffText(text) + "\n";
}

std::string manualOptions() {
    std::string sections;
    for (const CommandRow* command : commandsWithOptions()) {
        sections += ".SH OPTIONS OF " + upperCase(command->name) + "\n";
        const std::vector<const OptionRow*> rows = optionsOf(command->kind);
        bool headings = false;
        bool defaults = false;
        for (const OptionRow* row : rows) {
            headings = headings || row->category != rows.front()->category;
            defaults = defaults || !row->defaultText.empty();
        }
        if (defaults)
            sections += "Defaults stand in brackets.\n";
        std::string category;
        for (const OptionRow* row : rows) {
            if (headings && row->category != category) {
                category = row->category;
                sections += ".SS " + category + "\n";
            }
            sections += roffOption(*row);
        }
    }
    return sections;
}

// ---- the shell completions ----

// Text in single quotes for a shell whose single quotes take no escapes (bash, zsh).
std::string singleQuoted(const std::string& text) {
    return "'" + replaceAll(text, "'", "'\\''") + "'";
}

std::vector<std::string> namesOf(const OptionRow& row) {
    std::vector<std::string> names;
    if (row.shortName != 0)
        names.push_back(std::string("-") + row.shortName);
    names.push_back("--" + row.name);
    if (!row.alias.empty())
        names.push_back("--" + row.alias);
    return names;
}

std::vector<std::string> commandNames() {
    std::vector<std::string> names;
    for (const CommandRow& command : commandTable())
        names.push_back(command.name);
    return names;
}

std::vector<std::string> optionCommandNames() {
    std::vector<std::string> names;
    for (const CommandRow* command : commandsWithOptions())
        names.push_back(command->name);
    return names;
}

// One `case` of bash's completion of a value, after the option that takes it.
std::string bashValueCase(const OptionRow& row) {
    std::string reply;
    switch (row.kind) {
    case ValueKind::inputFile:
    case ValueKind::outputFile:
        reply = "mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")";
        break;
    case ValueKind::folder:
        reply = "mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")";
        break;
    default:
        if (!row.choices.empty())
            reply = "COMPREPLY=($(compgen -W " + singleQuoted(joined(choiceValues(row))) +
                    " -- \"$cur\"))";
        break;
    }
    return "        " + joined(namesOf(row), "|") + ")\n            " +
           (reply.empty() ? "" : reply + "\n            ") + "return ;;\n";
}

// zsh's description in _arguments' brackets, where ] and : end it.
std::string zshDescription(const std::string& text) {
    return replaceAll(replaceAll(text, "]", "\\]"), ":", "\\:");
}

std::string zshAction(const OptionRow& row) {
    const std::string message = ":" + replaceAll(row.argument, ":", "\\:") + ":";
    switch (row.kind) {
    case ValueKind::flag:
        return "";
    case ValueKind::inputFile:
    case ValueKind::outputFile:
        return message + "_files";
    case ValueKind::folder:
        return message + "_files -/";
    case ValueKind::choices:
        return message + "_sequence compadd - " + joined(choiceValues(row));
    default:
        return message + (row.choices.empty() ? " " : "(" + joined(choiceValues(row)) + ")");
    }
}

std::string zshOptionLines(const OptionRow& row) {
    const std::vector<std::string> names = namesOf(row);
    std::string optionLines;
    for (const std::string& name : names)
        optionLines += "      " +
                       singleQuoted("(" + joined(names) + ")" + name + "[" +
                                    zshDescription(row.summary) + "]" + zshAction(row)) +
                       " \\\n";
    return optionLines;
}

// Text in fish's single quotes, where \ and ' are escaped.
std::string fishQuoted(const std::string& text) {
    return "'" + replaceAll(replaceAll(text, "\\", "\\\\"), "'", "\\'") + "'";
}

std::string fishOption(const std::string& condition, const OptionRow& row) {
    std::string line = "complete -c splashpack -n " + fishQuoted(condition);
    if (row.shortName != 0)
        line += std::string(" -s ") + row.shortName;
    line += " -l " + row.name;
    switch (row.kind) {
    case ValueKind::flag:
        break;
    case ValueKind::inputFile:
    case ValueKind::outputFile:
        line += " -r -F";
        break;
    case ValueKind::folder:
        line += " -x -a '(__fish_complete_directories)'";
        break;
    default:
        line += " -x";
        if (!row.choices.empty())
            line += " -a " + fishQuoted(joined(choiceValues(row)));
        break;
    }
    line += " -d " + fishQuoted(row.summary) + "\n";
    if (!row.alias.empty()) {
        OptionRow alias = row;
        alias.name = row.alias;
        alias.alias.clear();
        alias.shortName = 0;
        line += fishOption(condition, alias);
    }
    return line;
}

// ---- the README ----

std::string markdownCell(const std::string& text) {
    return replaceAll(text, "|", "\\|");
}

std::string readmeTable() {
    std::string table = "| command | option | value | default | what it does |\n"
                        "| --- | --- | --- | --- | --- |\n";
    for (const OptionRow& row : optionTable()) {
        std::vector<std::string> names;
        for (const std::string& name : namesOf(row))
            names.push_back("`" + name + "`");
        std::string text = row.helpText();
        if (!row.example.empty())
            text += ", e.g. `" + row.example + "`";
        table += "| " + std::string(commandName(row.command)) + " | " +
                 markdownCell(joined(names, ", ")) + " | " +
                 (row.argument.empty() ? "" : "`" + markdownCell(row.argument) + "`") + " | " +
                 markdownCell(row.defaultText) + " | " + markdownCell(text) + " |\n";
    }
    return table;
}

const char* kindName(ValueKind kind) {
    switch (kind) {
    case ValueKind::flag:
        return "flag";
    case ValueKind::text:
        return "text";
    case ValueKind::inputFile:
        return "inputFile";
    case ValueKind::outputFile:
        return "outputFile";
    case ValueKind::folder:
        return "folder";
    case ValueKind::choice:
        return "choice";
    case ValueKind::choices:
        return "choices";
    }
    return "text";
}

} // namespace

std::string manualWithOptions(const std::string& page) {
    const std::string slot = "@OPTIONS@\n";
    const std::size_t at = page.find(slot);
    if (at == std::string::npos || (at != 0 && page[at - 1] != '\n'))
        throw std::runtime_error("the manual page has no line @OPTIONS@");
    return page.substr(0, at) + manualOptions() + page.substr(at + slot.size());
}

std::string bashCompletion() {
    std::string script =
        "# bash completion for splashpack, made from its table of options; not to be edited.\n"
        "_splashpack() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} options\n"
        "    COMPREPLY=()\n"
        "    if [[ $COMP_CWORD -eq 1 ]]; then\n"
        "        COMPREPLY=($(compgen -W " +
        singleQuoted(joined(commandNames()) + " --help --version") +
        " -- \"$cur\"))\n"
        "        return\n"
        "    fi\n"
        "    case ${COMP_WORDS[1]} in\n"
        "    help)\n"
        "        [[ $COMP_CWORD -eq 2 ]] && COMPREPLY=($(compgen -W " +
        singleQuoted(joined(optionCommandNames())) +
        " -- \"$cur\"))\n"
        "        return ;;\n";
    for (const CommandRow* command : commandsWithOptions()) {
        std::vector<std::string> names = {"--help"};
        script += "    " + std::string(command->name) + ")\n        case $prev in\n";
        for (const OptionRow* row : optionsOf(command->kind)) {
            for (const std::string& name : namesOf(*row))
                names.push_back(name);
            if (row->takesValue())
                script += bashValueCase(*row);
        }
        script += "        esac\n        options=" + singleQuoted(joined(names)) + " ;;\n";
    }
    script += "    *)\n"
              "        return ;;\n"
              "    esac\n"
              "    if [[ $cur == -* ]]; then\n"
              "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
              "    else\n"
              "        case ${COMP_WORDS[1]} in\n";
    for (const CommandRow* command : commandsWithOptions())
        if (*command->operand != '\0')
            script += "        " + std::string(command->name) +
                      ") mapfile -t COMPREPLY < <(compgen -f -- \"$cur\") ;;\n";
    script += "        esac\n"
              "    fi\n"
              "}\n"
              "complete -o filenames -F _splashpack splashpack\n";
    return script;
}

std::string zshCompletion() {
    std::string script =
        "#compdef splashpack\n"
        "# zsh completion for splashpack, made from its table of options; not to be edited.\n"
        "_splashpack() {\n"
        "  local -a commands\n"
        "  commands=(\n";
    for (const CommandRow& command : commandTable())
        script += "    " +
                  singleQuoted(std::string(command.name) + ":" +
                               replaceAll(command.summary, ":", "\\:")) +
                  "\n";
    script += "  )\n"
              "  if (( CURRENT == 2 )); then\n"
              "    _describe -t commands 'splashpack command' commands\n"
              "    compadd -- --help --version\n"
              "    return\n"
              "  fi\n"
              "  local command=$words[2]\n"
              "  shift words\n"
              "  (( CURRENT-- ))\n"
              "  case $command in\n"
              "    help)\n"
              "      _arguments '1:command:(" +
              joined(optionCommandNames()) + ")' ;;\n";
    for (const CommandRow* command : commandsWithOptions()) {
        script += "    " + std::string(command->name) + ")\n      _arguments -s -S \\\n";
        script +=
            "      '(- *)'{-h,--help}'[the options of " + std::string(command->name) + "]' \\\n";
        for (const OptionRow* row : optionsOf(command->kind))
            script += zshOptionLines(*row);
        if (*command->operand != '\0')
            script +=
                "      " + singleQuoted(std::string("1:") + command->operand + ":_files") + " ;;\n";
        else
            script += "      ;;\n";
    }
    script += "  esac\n"
              "}\n"
              "_splashpack \"$@\"\n";
    return script;
}

std::string fishCompletion() {
    std::string script =
        "# fish completion for splashpack, made from its table of options; not to be edited.\n"
        "complete -c splashpack -f\n";
    for (const CommandRow& command : commandTable())
        script += "complete -c splashpack -n __fish_use_subcommand -a " +
                  std::string(command.name) + " -d " + fishQuoted(command.summary) + "\n";
    script += "complete -c splashpack -n __fish_use_subcommand -l help -d 'the commands'\n"
              "complete -c splashpack -n __fish_use_subcommand -l version "
              "-d 'the tool and the player it carries'\n"
              "complete -c splashpack -n '__fish_seen_subcommand_from help' -a " +
              fishQuoted(joined(optionCommandNames())) + "\n";
    for (const CommandRow* command : commandsWithOptions()) {
        const std::string condition = std::string("__fish_seen_subcommand_from ") + command->name;
        script += "complete -c splashpack -n " + fishQuoted(condition) +
                  " -s h -l help -d 'the options of " + command->name + "'\n";
        for (const OptionRow* row : optionsOf(command->kind))
            script += fishOption(condition, *row);
        if (*command->operand != '\0')
            script += "complete -c splashpack -n " + fishQuoted(condition) + " -F\n";
    }
    return script;
}

std::string pageFormJson() {
    nlohmann::json commands = nlohmann::json::object();
    for (const CommandRow* command : commandsWithOptions()) {
        nlohmann::json rows = nlohmann::json::array();
        for (const OptionRow* row : optionsOf(command->kind)) {
            if (!row->offeredOn(pageFrontEnd))
                continue;
            nlohmann::json choices = nlohmann::json::array();
            for (const OptionChoice& choice : row->choices)
                choices.push_back({{"value", choice.value}, {"label", choice.label}});
            rows.push_back({{"name", row->name},
                            {"argument", row->argument},
                            {"kind", kindName(row->kind)},
                            {"category", row->category},
                            {"label", row->summary},
                            {"help", optionHelpLine(*row)},
                            {"default", row->defaultText},
                            {"example", row->example},
                            {"choices", choices}});
        }
        if (!rows.empty())
            commands[command->name] = rows;
    }
    return nlohmann::json{{"commands", commands}}.dump() + "\n";
}

std::string readmeWithOptionTable(const std::string& readme) {
    const std::string begin = std::string(readmeTableBegin) + "\n";
    const std::string end = std::string("\n") + readmeTableEnd;
    const std::size_t from = readme.find(begin);
    const std::size_t to = from == std::string::npos ? from : readme.find(end, from);
    if (to == std::string::npos)
        throw std::runtime_error(std::string("the README has no lines ") + readmeTableBegin +
                                 " and " + readmeTableEnd);
    return readme.substr(0, from + begin.size()) + "\n" + readmeTable() + readme.substr(to);
}
