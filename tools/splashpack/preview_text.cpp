// Windows-1252: Latin-1 but for 0x80 to 0x9F, where it places punctuation and a few letters.
#include "preview_text.h"

namespace {

const char32_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::u32string charactersOfStoredText(const std::string& text) {
    std::u32string characters;
    characters.reserve(text.size());
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        characters.push_back(byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80]
                                                         : static_cast<char32_t>(byte));
    }
    return characters;
}

std::string storedTextAsUtf8(const std::string& text) {
    std::string utf8;
    for (char32_t c : charactersOfStoredText(text)) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}
