// The code pages of the stored texts: one table of samples with Windows' bytes, which the native
// converter and the Windows one must both give, and the characters each must refuse.
#include "code_page.h"

#include "system_code_page.h"

#include "tool_error.h"

#include <gtest/gtest.h>

namespace {

template <typename Error, typename Action> std::string errorOf(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(CodePage, SamplesGiveWindowsBytes) {
    struct Case {
        unsigned codePage;
        const char* utf8;
        const char* bytes;
    };
    const Case cases[] = {
        {1252, "D\xc3\xa9sol\xc3\xa9 \xe2\x82\xac", "D\xe9sol\xe9 \x80"},
        {1252, "\xc2\x81\xc2\x9d", "\x81\x9d"}, // undefined there: passed through
        {1250, "\xc5\x81\xc3\xb3\x64\xc5\xba", "\xa3\xf3\x64\x9f"},
        {1251, "\xd0\x9f\xd1\x80\xd0\xb8 \xe2\x82\xac", "\xcf\xf0\xe8 \x88"},
        {1253, "\xce\xa9\xce\xbc\xce\xad", "\xd9\xec\xdd"},
        {1254, "A\xc4\x9f\xc4\xb1\xc5\x9f", "A\xf0\xfd\xfe"},
        {1255, "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d", "\xf9\xec\xe5\xed"},
        {1256, "\xd8\xb3\xd9\x84\xd8\xa7\xd9\x85", "\xd3\xe1\xc7\xe3"},
        {1257, "\xc5\x81\xc5\xab\xc5\xbe", "\xd9\xfb\xfe"},
        {1258, "\xc4\x91\xc3\xaa", "\xf0\xea"},
        {874, "\xe0\xb9\x84\xe0\xb8\x97\xe0\xb8\xa2 \xe2\x82\xac", "\xe4\xb7\xc2 \x80"},
        {932, "\xe6\x97\xa5\xe6\x9c\xac\xe3\x82\xa2\\", "\x93\xfa\x96\x7b\x83\x41\\"},
        {936, "\xe4\xb8\xad\xe6\x96\x87\xe2\x82\xac", "\xd6\xd0\xce\xc4\x80"},
        {949, "\xed\x95\x9c\xea\xb5\xad", "\xc7\xd1\xb1\xb9"},
        {950, "\xe4\xb8\xad\xe6\x96\x87\xe2\x82\xac", "\xa4\xa4\xa4\xe5\xa3\xe1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.bytes, utf8ToCodePage(c.utf8, c.codePage, "the message", systemCodePage()))
            << c.codePage;
        EXPECT_EQ(c.utf8, codePageToUtf8(c.bytes, c.codePage, systemCodePage())) << c.codePage;
    }
}

TEST(CodePage, CharactersWithoutExactBytesAreRefused) {
    struct Case {
        unsigned codePage;
        const char* utf8;
        const char* message;
    };
    const Case cases[] = {
        {1252, "\xe4\xb8\xad",
         "the target holds U+4E2D (\xe4\xb8\xad), which code page 1252 cannot hold; choose "
         "another --code-page or leave it out"},
        // A near look-alike is no exact byte: Windows' best fit would store "A".
        {1252, "x\xc4\x80",
         "the target holds U+0100 (\xc4\x80), which code page 1252 cannot hold; choose another "
         "--code-page or leave it out"},
        // The wave dash reads back as the fullwidth tilde in 932.
        {932, "\xe3\x80\x9c",
         "the target holds U+301C (\xe3\x80\x9c), which code page 932 cannot hold; choose "
         "another --code-page or leave it out"},
        // A letter that 1258 holds only as a base letter and a combining accent.
        {1258, "\xe1\xbb\x87",
         "the target holds U+1EC7 (\xe1\xbb\x87), which code page 1258 cannot hold; choose "
         "another --code-page or leave it out"},
        {949, "\xf0\x9f\x98\x80",
         "the target holds U+1F600 (\xf0\x9f\x98\x80), which code page 949 cannot hold; choose "
         "another --code-page or leave it out"},
        {1252, "caf\xe9", "the target is not UTF-8 text"},
        {1252, "\xc0\xaf", "the target is not UTF-8 text"},
        {1252, "\xed\xa0\x80", "the target is not UTF-8 text"},
        {1252, "\xe2\x82", "the target is not UTF-8 text"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, errorOf<InputError>([&] {
                      utf8ToCodePage(c.utf8, c.codePage, "the target", systemCodePage());
                  }))
            << c.utf8;
}

TEST(CodePage, BytesWithoutMeaningAreShownAsEscapes) {
    // A lead byte of 932 without the byte that completes it.
    EXPECT_EQ("a\\x93", codePageToUtf8("a\x93", 932, systemCodePage()));
    EXPECT_EQ("plain", codePageToUtf8("plain", 932, systemCodePage()));
}

TEST(CodePage, Names) {
    for (const char* text : {"874", "932", "936", "949", "950", "1250", "1252", "1258"})
        EXPECT_EQ(std::stoul(text), parseCodePage(text));
    for (const char* text : {"", "1249", "1259", "437", "65001", "cp1252", "01252", "12520"})
        EXPECT_EQ("\"" + std::string(text) +
                      "\" is not a Windows ANSI code page: use 874, 932, 936, 949, 950 or 1250 "
                      "to 1258",
                  errorOf<UsageError>([&] { parseCodePage(text); }))
            << text;
}
