// The page's code-page tables give the answers of the native tool's iconv: the same stored bytes
// or the same refusal for every character, the same reading of every byte and pair.
#include "system_code_page.h"
#include "table_code_page.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const unsigned codePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                              1252, 1253, 1254, 1255, 1256, 1257, 1258};

// What the build stores for the text, or its error.
std::string stored(const std::string& utf8, unsigned codePage, const CodePageConverter& converter) {
    try {
        return utf8ToCodePage(utf8, codePage, "the message", converter);
    } catch (const InputError& error) {
        return std::string("error: ") + error.what();
    }
}

// Counts the differences, naming the first few.
struct Differences {
    int count = 0;
    std::string first;
    void add(unsigned codePage, const std::string& what) {
        if (++count <= 5)
            first += "code page " + std::to_string(codePage) + ": " + what + "\n";
    }
};

std::string hexOf(const std::string& bytes) {
    std::string hex;
    for (unsigned char byte : bytes) {
        char text[4];
        std::snprintf(text, sizeof text, "%02x ", byte);
        hex += text;
    }
    return hex;
}

} // namespace

TEST(TableCodePage, EveryCharacterByteAndPairAsIconvHasThem) {
    const TableCodePage tables;
    const CodePageConverter& system = systemCodePage();
    Differences differences;
    for (unsigned codePage : codePages) {
        for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const std::string character = utf8Of(c);
            // Where neither converter writes the character at all, the build refuses it alike
            // through both; comparing its refusals there, one exception each, would take most
            // of the time under the sanitizers.
            std::string bytes;
            if (!system.toCodePage(character, codePage, bytes) &&
                !tables.toCodePage(character, codePage, bytes))
                continue;
            if (stored(character, codePage, tables) != stored(character, codePage, system))
                differences.add(codePage, "stores " + character + " otherwise");
        }
        const bool doubleByte = codePage >= 932 && codePage <= 950;
        for (unsigned first = 0; first < 0x100; ++first)
            for (unsigned second = 0; second <= (doubleByte && first >= 0x80 ? 0x100u : 0u);
                 ++second) {
                // second 0 reads the byte alone, any other the pair with byte second - 1.
                std::string bytes(1, static_cast<char>(first));
                if (second > 0)
                    bytes += static_cast<char>(second - 1);
                if (codePageToUtf8(bytes, codePage, tables) !=
                    codePageToUtf8(bytes, codePage, system))
                    differences.add(codePage, "reads " + hexOf(bytes) + "otherwise");
            }
    }
    EXPECT_EQ(differences.count, 0) << differences.first;
}

// Texts: ASCII between the characters, accents the system joins to the letter before them (or
// not), and bytes that mean nothing.
TEST(TableCodePage, TextsAsIconvHasThem) {
    const TableCodePage tables;
    const CodePageConverter& system = systemCodePage();
    const struct {
        unsigned codePage;
        std::string utf8;  // stored, then read back
        std::string bytes; // read
    } cases[] = {
        {1252, "Caf\xc3\xa9 \xe2\x82\xac 5, \xc2\x81!",
         "a\x81"
         "b\x80\x8d"},
        {1250, "\xc5\xbd\x6c\x75\xc5\xa5ou\xc4\x8dk\xc3\xbd k\xc5\xaf\xc5\x88", "\xe8\x9a\x41"},
        {1255, "\xd7\xa9\xd6\xbc\xd7\x81 \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d",
         "\xf9\xcc\xd1 \xe0\xc8\xc4 \xf9\xd1\xcc\xe9"},
        {1258, "Vie\xcc\xa3t Nam O\xcc\x81\xcc\x83", "O\xec\xde \xd3\xde a\xf2\xec A"},
        {932, "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xef\xbd\xb1 A", "\x93\xfa\xb1\x5c\x81"},
        {936, "\xe4\xb8\xad\xe6\x96\x87 1", "\x80\xd6\xd0\x81\x30\x81\x30"},
        {949, "\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4", "\xc7\xd1\x41\x81"},
        {950, "\xe4\xb8\xad\xe6\x96\x87 \xe2\x82\xac", "\xa4\xa4\x80\xa4"},
    };
    for (const auto& c : cases) {
        const std::string bytes = stored(c.utf8, c.codePage, system);
        EXPECT_EQ(stored(c.utf8, c.codePage, tables), bytes) << c.codePage;
        EXPECT_EQ(codePageToUtf8(bytes, c.codePage, tables),
                  codePageToUtf8(bytes, c.codePage, system))
            << c.codePage;
        EXPECT_EQ(codePageToUtf8(c.bytes, c.codePage, tables),
                  codePageToUtf8(c.bytes, c.codePage, system))
            << c.codePage;
    }
}
