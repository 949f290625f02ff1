// The code-page converter of splashpack.exe: Windows' own tables, through UTF-16.
#include "code_page.h"
#include "command_line_text.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>

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

} // namespace

bool platformToCodePage(const std::string& utf8, unsigned codePage, std::string& bytes) {
    std::wstring wide;
    return toWide(utf8, CP_UTF8, MB_ERR_INVALID_CHARS, wide) && fromWide(wide, codePage, bytes);
}

bool platformFromCodePage(const std::string& bytes, unsigned codePage, std::string& utf8) {
    std::wstring wide;
    return toWide(bytes, codePage, MB_ERR_INVALID_CHARS, wide) && fromWide(wide, CP_UTF8, utf8);
}

// The runtime hands main() the arguments in the ANSI code page, where characters outside it are
// already lost; the wide command line still holds them. The text is found there as the wide
// piece (a whole argument, or the end of one such as --message=TEXT) that the runtime's
// conversion turns into the same bytes.
std::string commandLineTextToUtf8(const std::string& text) {
    std::wstring wide;
    std::string utf8;
    if (text.empty())
        return text;
    int count = 0;
    std::unique_ptr<LPWSTR, HLOCAL (*)(HLOCAL)> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count),
        [](HLOCAL memory) { return LocalFree(memory); });
    if (arguments) {
        for (int i = 0; i < count; ++i) {
            std::wstring argument = arguments.get()[i];
            for (std::size_t start = 0; start < argument.size(); ++start) {
                std::wstring piece = argument.substr(start);
                int length =
                    WideCharToMultiByte(CP_ACP, 0, piece.data(), static_cast<int>(piece.size()),
                                        nullptr, 0, nullptr, nullptr);
                if (length != static_cast<int>(text.size()))
                    continue;
                std::string bytes(text.size(), '\0');
                WideCharToMultiByte(CP_ACP, 0, piece.data(), static_cast<int>(piece.size()),
                                    bytes.data(), length, nullptr, nullptr);
                if (bytes == text && fromWide(piece, CP_UTF8, utf8))
                    return utf8;
            }
        }
    }
    if (toWide(text, CP_ACP, 0, wide) && fromWide(wide, CP_UTF8, utf8))
        return utf8;
    return text;
}
