// Pieces of the tool's messages that every command words the same way.
#pragma once

#include <string>
#include <vector>

// A name or value as the messages quote it.
inline std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

// A picture's or a screen's size as the messages give it: "640 x 480".
inline std::string sizeText(unsigned width, unsigned height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// A count of bytes as the messages give it: "1228800 bytes".
inline std::string byteCountText(unsigned long long bytes) {
    return std::to_string(bytes) + " bytes";
}

// Alternatives as the messages list them: "a, b or c".
inline std::string wordsWithOr(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    return text;
}
