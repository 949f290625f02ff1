// The checks on the target name that Windows, not the player, would otherwise make when the
// splash runs.
#include "target_name_check.h"

#include "message_text.h"
#include "tool_error.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The parts between backslashes and slashes: the player's join keeps both as separators, so a
// target may lie in a subfolder of the player's folder.
std::vector<std::string> nameParts(const std::string& target) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : target) {
        if (c == '\\' || c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices, with any extension and in any case.
bool isDeviceName(const std::string& part) {
    std::string stem = lowerAscii(part.substr(0, part.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

std::string refusedCharacter(const std::string& part) {
    for (char c : part) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", byte);
            return std::string("the control character ") + code;
        }
        if (std::string("<>:\"|?*").find(c) != std::string::npos)
            return std::string("\"") + c + "\"";
    }
    return "";
}

} // namespace

std::vector<std::string> checkTargetName(const std::string& target, std::size_t storedLength) {
    std::vector<std::string> warnings;
    if (target.empty())
        return warnings;
    std::size_t longestName = longestJoinedPath - 1 - shortestFolder;
    if (storedLength > longestName)
        throw InputError("the target " + inQuotes(target) + " is " + std::to_string(storedLength) +
                         " bytes long; the player joins its folder, a backslash and the name "
                         "into at most " +
                         std::to_string(longestJoinedPath) +
                         " bytes, so the name can have at most " + std::to_string(longestName));
    std::size_t room = longestJoinedPath - 1 - storedLength;
    if (room < comfortableFolderRoom)
        warnings.push_back("the target " + inQuotes(target) + " leaves " + std::to_string(room) +
                           " characters for the folder the splash runs from; the player cannot "
                           "open it from a longer folder");
    for (const std::string& part : nameParts(target)) {
        std::string refused = refusedCharacter(part);
        if (!refused.empty())
            warnings.push_back("the target " + inQuotes(target) + " holds " + refused +
                               ", which Windows refuses in file names");
        else if (isDeviceName(part))
            warnings.push_back("the target " + inQuotes(target) + " names the device " +
                               inQuotes(part) + ", not a file, on Windows");
    }
    return warnings;
}

std::vector<std::string> targetNameParts(const std::string& target) {
    return nameParts(target);
}

bool namesMatchOnWindows(const std::string& first, const std::string& second) {
    return lowerAscii(first) == lowerAscii(second);
}
