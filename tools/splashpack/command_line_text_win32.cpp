// The command line's texts in splashpack.exe: the runtime's ANSI arguments found again in the wide
// command line, which still holds every character typed.
#include "command_line_text.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <vector>

namespace {

// `wide` in `codePage` (no flags: UTF-8 and the ANSI code page take none that matter here).
bool fromWide(const std::wstring& wide, UINT codePage, std::string& text) {
    text.clear();
    if (wide.empty())
        return true;
    int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    std::vector<char> buffer(static_cast<std::size_t>(length));
    if (WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), buffer.data(),
                            length, nullptr, nullptr) != length)
        return false;
    text.assign(buffer.begin(), buffer.end());
    return true;
}

bool ansiToWide(const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty())
        return true;
    int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return false;
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length));
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), buffer.data(),
                            length) != length)
        return false;
    wide.assign(buffer.begin(), buffer.end());
    return true;
}

} // namespace

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
    if (ansiToWide(text, wide) && fromWide(wide, CP_UTF8, utf8))
        return utf8;
    return text;
}
