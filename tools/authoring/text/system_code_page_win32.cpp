// The code-page converter of Windows front-ends: Windows' own tables, through UTF-16.
#include "system_code_page.h"

#include <windows.h>

#include <vector>

namespace {

bool toWide(const std::string& text, UINT codePage, DWORD flags, std::wstring& wide) {
    wide.clear();
    if (text.empty())
        return true;
    int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
    if (length <= 0)
        return false;
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length));
    if (MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                            buffer.data(), length) != length)
        return false;
    wide.assign(buffer.begin(), buffer.end());
    return true;
}

// WC_NO_BEST_FIT_CHARS with the used-default flag: a character without exact bytes fails
// rather than turning into a look-alike or a question mark. UTF-8 takes neither.
bool fromWide(const std::wstring& wide, UINT codePage, std::string& text) {
    text.clear();
    if (wide.empty())
        return true;
    bool utf8 = codePage == CP_UTF8;
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    LPBOOL usedDefaultFlag = utf8 ? nullptr : &usedDefault;
    int length = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, usedDefaultFlag);
    if (length <= 0 || usedDefault)
        return false;
    std::vector<char> buffer(static_cast<std::size_t>(length));
    if (WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                            buffer.data(), length, nullptr, usedDefaultFlag) != length ||
        usedDefault)
        return false;
    text.assign(buffer.begin(), buffer.end());
    return true;
}

bool platformToCodePage(const std::string& utf8, unsigned codePage, std::string& bytes) {
    std::wstring wide;
    return toWide(utf8, CP_UTF8, MB_ERR_INVALID_CHARS, wide) && fromWide(wide, codePage, bytes);
}

bool platformFromCodePage(const std::string& bytes, unsigned codePage, std::string& utf8) {
    std::wstring wide;
    return toWide(bytes, codePage, MB_ERR_INVALID_CHARS, wide) && fromWide(wide, CP_UTF8, utf8);
}

class SystemCodePage : public CodePageConverter {
  public:
    bool toCodePage(const std::string& utf8, unsigned codePage, std::string& bytes) const override {
        return platformToCodePage(utf8, codePage, bytes);
    }
    bool fromCodePage(const std::string& bytes, unsigned codePage,
                      std::string& utf8) const override {
        return platformFromCodePage(bytes, codePage, utf8);
    }
};

} // namespace

const CodePageConverter& systemCodePage() {
    static const SystemCodePage converter;
    return converter;
}
