// The code-page converter of front-ends without a system one (the page): tables written at build
// time from glibc's iconv by code_page_tables, so that the page stores and shows the same bytes
// as splashpack.
#pragma once

#include "code_page.h"

#include <map>
#include <memory>
#include <string>

class TableCodePage : public CodePageConverter {
  public:
    TableCodePage();
    ~TableCodePage() override;

    // A character the system writes as exact bytes (as utf8ToCodePage takes them) gets the
    // same bytes; any other is refused, where the system may give a near look-alike. A text is
    // written one character at a time.
    bool toCodePage(const std::string& utf8, unsigned codePage, std::string& bytes) const override;
    // The system's reading of any bytes: each byte or pair, and in 1255 and 1258 an accent
    // joined to the letter before it into one character where the system joins them.
    bool fromCodePage(const std::string& bytes, unsigned codePage,
                      std::string& utf8) const override;

    // Every character the single-byte code pages but 874 can show, ascending: the page's font
    // carries these.
    std::u32string singleByteCharacters() const;

  private:
    struct Table;
    // The code page's table, inflated on first use; nullptr for a code page it has none of.
    // One caller at a time: the page has one thread.
    const Table* tableFor(unsigned codePage) const;
    mutable std::map<unsigned, std::unique_ptr<Table>> tables_;
};

// The deflated tables code_page_tables writes into code_page_data.cpp.
struct DeflatedCodePage {
    unsigned codePage;
    const unsigned char* bytes;
    unsigned size;
    unsigned inflatedSize;
};
extern const DeflatedCodePage deflatedCodePages[];
extern const unsigned deflatedCodePageCount;
