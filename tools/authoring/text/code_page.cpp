// Texts in a Windows ANSI code page: the UTF-8 the author types, checked one character at a time
// so that a refusal can name the character.
#include "code_page.h"

#include "message_text.h"
#include "tool_error.h"

#include <cstdio>

namespace {

bool isSingleByte(unsigned codePage) {
    return codePage == 874 || (codePage >= 1250 && codePage <= 1258);
}

// The length of the UTF-8 sequence at `at`, 0 when it is malformed, overlong, a surrogate or
// beyond U+10FFFF; `codePoint` receives its value.
std::size_t utf8Sequence(const std::string& text, std::size_t at, char32_t& codePoint) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80   ? 1
                         : lead < 0xC2 ? 0
                         : lead < 0xE0 ? 2
                         : lead < 0xF0 ? 3
                         : lead < 0xF5 ? 4
                                       : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[at + k]);
        if ((next >> 6) != 2)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    static const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    codePoint = value;
    return length;
}

std::string codePointName(char32_t codePoint) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
    return name;
}

} // namespace

const std::vector<AnsiCodePage>& ansiCodePages() {
    static const std::vector<AnsiCodePage> pages = {
        {1250, "Central European"},
        {1251, "Cyrillic"},
        {1252, "Western European"},
        {1253, "Greek"},
        {1254, "Turkish"},
        {1255, "Hebrew"},
        {1256, "Arabic"},
        {1257, "Baltic"},
        {1258, "Vietnamese"},
        {874, "Thai"},
        {932, "Japanese"},
        {936, "Simplified Chinese"},
        {949, "Korean"},
        {950, "Traditional Chinese"},
    };
    return pages;
}

unsigned parseCodePage(const std::string& text) {
    unsigned value = 0;
    bool digits = !text.empty() && text.size() <= 4;
    for (char c : text) {
        if (c < '0' || c > '9')
            digits = false;
        else
            value = value * 10 + static_cast<unsigned>(c - '0');
    }
    bool known = false;
    for (const AnsiCodePage& page : ansiCodePages())
        known = known || page.number == value;
    if (!digits || !known)
        throw UsageError(inQuotes(text) +
                         " is not a Windows ANSI code page: use 874, 932, 936, 949, 950 or "
                         "1250 to 1258");
    return value;
}

std::string codePageRecord(unsigned codePage) {
    return "cp=" + std::to_string(codePage);
}

unsigned recordedCodePage(const std::string& skippedText) {
    for (std::size_t start = 0; start < skippedText.size();) {
        std::size_t end = skippedText.find(' ', start);
        if (end == std::string::npos)
            end = skippedText.size();
        const std::string field = skippedText.substr(start, end - start);
        if (field.compare(0, 3, "cp=") == 0) {
            try {
                return parseCodePage(field.substr(3));
            } catch (const UsageError&) {
                return 0;
            }
        }
        start = end + 1;
    }
    return 0;
}

std::string utf8ToCodePage(const std::string& utf8, unsigned codePage, const std::string& what,
                           const CodePageConverter& converter) {
    std::string stored;
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t codePoint = 0;
        std::size_t length = utf8Sequence(utf8, at, codePoint);
        if (length == 0)
            throw InputError(what + " is not UTF-8 text");
        std::string character = utf8.substr(at, length);
        at += length;
        if (codePoint < 0x80) {
            stored += character;
            continue;
        }
        // Exact bytes only: one byte in a single-byte code page (a converter that splits a
        // letter into a base and an accent gives two), and bytes that read back as the same
        // character (no near look-alike).
        std::string bytes;
        std::string back;
        bool exact = converter.toCodePage(character, codePage, bytes) && !bytes.empty() &&
                     bytes.size() <= (isSingleByte(codePage) ? 1u : 2u) &&
                     converter.fromCodePage(bytes, codePage, back) && back == character;
        if (!exact)
            throw InputError(what + " holds " + codePointName(codePoint) + " (" + character +
                             "), which code page " + std::to_string(codePage) +
                             " cannot hold; choose another --code-page or leave it out");
        stored += bytes;
    }
    return stored;
}

std::u32string utf8Characters(const std::string& utf8) {
    std::u32string characters;
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t codePoint = 0;
        std::size_t length = utf8Sequence(utf8, at, codePoint);
        characters.push_back(length ? codePoint : U'\uFFFD');
        at += length ? length : 1;
    }
    return characters;
}

std::string utf8Of(char32_t c) {
    std::string text;
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | c >> 6);
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | c >> 12);
        text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | c >> 18);
        text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

std::string utf8Of(const std::u32string& characters) {
    std::string text;
    for (char32_t c : characters)
        text += utf8Of(c);
    return text;
}

std::string codePageToUtf8(const std::string& bytes, unsigned codePage,
                           const CodePageConverter& converter) {
    std::string text;
    if (converter.fromCodePage(bytes, codePage, text))
        return text;
    // Bytes the code page leaves undefined: readable ASCII, the rest as escapes.
    text.clear();
    for (char c : bytes) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text += escape;
        }
    }
    return text;
}
