// Argument 0 as the runtime's command-line split gives it.
#include "command_line.h"

std::string firstArgumentOf(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::string::size_type closing = commandLine.find('"', 1);
        const std::string::size_type end =
            closing == std::string::npos ? commandLine.size() : closing;
        return commandLine.substr(1, end - 1);
    }
    const std::string::size_type blank = commandLine.find_first_of(" \t");
    return blank == std::string::npos ? commandLine : commandLine.substr(0, blank);
}

std::string programPathArgument(const std::string& commandLine, const std::string& moduleFileName) {
    // A process started without any command line still knows its file; the runtime splits
    // that name the same way.
    return firstArgumentOf(commandLine.empty() ? moduleFileName : commandLine);
}

const char* commandLineTail(const char* commandLine) {
    if (commandLine == nullptr)
        return "";
    const char* tail = commandLine;
    bool quoted = false;
    for (; *tail != '\0' && (quoted || static_cast<unsigned char>(*tail) > ' '); ++tail) {
        if (*tail == '"')
            quoted = !quoted;
    }
    while (*tail != '\0' && static_cast<unsigned char>(*tail) <= ' ')
        ++tail;
    return tail;
}
