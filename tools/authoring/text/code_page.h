// The player hands its texts to the ANSI functions of Windows, which read them in the machine's
// code page: the tool stores the target and the message in a Windows ANSI code page, not UTF-8.
#pragma once

#include <string>
#include <vector>

constexpr unsigned defaultCodePage = 1252;

// The conversion of texts to and from the Windows code pages, which each front-end supplies:
// glibc's iconv or Windows' own tables (systemCodePage), or tables of its own.
class CodePageConverter {
  public:
    CodePageConverter() = default;
    virtual ~CodePageConverter() = default;
    CodePageConverter(const CodePageConverter&) = delete;
    CodePageConverter& operator=(const CodePageConverter&) = delete;

    // One character or a whole text: false where the code page has no exact bytes for it.
    virtual bool toCodePage(const std::string& utf8, unsigned codePage,
                            std::string& bytes) const = 0;
    // False where a byte means nothing in the code page.
    virtual bool fromCodePage(const std::string& bytes, unsigned codePage,
                              std::string& utf8) const = 0;
};

// A Windows ANSI code page that a splash's texts may be stored in, and the script it holds.
struct AnsiCodePage {
    unsigned number;
    const char* script; // "Western European"
};

// Every code page parseCodePage takes, in the order a form lists them.
const std::vector<AnsiCodePage>& ansiCodePages();

// One of ansiCodePages: "1252", "874", "932", "936", "949", "950" or "1250" to "1258"; raises
// UsageError otherwise.
unsigned parseCodePage(const std::string& text);

// The payload's text that the player skips tells readers of a splash what only they need: a
// list of fields "name=value" separated by spaces, of which "cp=932" names the code page of the
// target and the message. Readers pass over fields they do not know.
std::string codePageRecord(unsigned codePage);
// The code page such a text records; 0 when it records none that the tool knows (a splash of
// an older tool, whose text is empty, or of another tool, whose text may be anything).
unsigned recordedCodePage(const std::string& skippedText);

// The UTF-8 text in the code page. Raises InputError naming `what` and the first character the
// code page cannot hold ("U+4E2D"), or saying that the text is not UTF-8.
std::string utf8ToCodePage(const std::string& utf8, unsigned codePage, const std::string& what,
                           const CodePageConverter& converter);

// The stored bytes as UTF-8 for display; a byte that means nothing in the code page is written
// as \xNN.
std::string codePageToUtf8(const std::string& bytes, unsigned codePage,
                           const CodePageConverter& converter);

// The characters of a UTF-8 text, for drawing; a malformed sequence is one U+FFFD per byte.
std::u32string utf8Characters(const std::string& utf8);

// The reverse: characters (up to U+10FFFF, no surrogates) as UTF-8.
std::string utf8Of(char32_t character);
std::string utf8Of(const std::u32string& characters);
