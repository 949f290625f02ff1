// Standard output and standard error in splashpack.exe: the arguments are read once as wide text,
// a console is written in UTF-16 so that it shows every character whatever its code page, and
// anything else gets the UTF-8 bytes in the runtime's text mode, whose CR LF line ends Notepad
// needs; a PNG on standard output goes out with text mode switched off.
#include "standard_output.h"

#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <streambuf>

namespace {

std::string utf8Of(const wchar_t* wide) {
    int size = static_cast<int>(wcslen(wide));
    if (size == 0)
        return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, size, text.data(), length, nullptr, nullptr);
    return text;
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    // The runtime's own test would also take NUL, a character device, for a console.
    return GetConsoleMode(handle, &mode) != 0;
}

// Length of the longest start of `text` that ends on a whole UTF-8 sequence: the rest waits for
// the bytes that complete it.
std::size_t wholeSequences(const std::string& text) {
    std::size_t end = text.size();
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        unsigned char byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte
        std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (needed > back)
            end = text.size() - back;
        break;
    }
    return end;
}

// Collects the UTF-8 text and hands each whole part to the console as UTF-16.
class ConsoleBuffer : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console(console) {}
    ~ConsoleBuffer() override { sync(); }

  protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            pending.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        std::size_t whole = wholeSequences(pending);
        if (whole == 0)
            return 0;
        int length =
            MultiByteToWideChar(CP_UTF8, 0, pending.data(), static_cast<int>(whole), nullptr, 0);
        bool written = length > 0;
        if (written) {
            std::wstring wide(static_cast<std::size_t>(length), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, pending.data(), static_cast<int>(whole), wide.data(),
                                length);
            for (std::size_t done = 0; written && done < wide.size();) {
                DWORD count = 0;
                DWORD part = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
                written =
                    WriteConsoleW(console, wide.data() + done, part, &count, nullptr) && count > 0;
                done += count;
            }
        }
        pending.erase(0, whole);
        return written ? 0 : -1;
    }

  private:
    HANDLE console;
    std::string pending;
};

// The console stream of `handle`, made on first use and kept to the end of the process, as
// std::cout is.
template <DWORD handle> std::ostream& consoleStream() {
    static ConsoleBuffer buffer(GetStdHandle(handle));
    static std::ostream stream(&buffer);
    // Each text reaches the console as it is written, as std::cerr's would.
    stream.setf(std::ios::unitbuf);
    return stream;
}

// Through the console when `handle` is one, else `text` in text mode, which ends each line
// with CR LF.
template <DWORD handle> std::ostream& streamFor(FILE* file, std::ostream& text) {
    if (isConsole(GetStdHandle(handle)))
        return consoleStream<handle>();
    fflush(file);
    _setmode(_fileno(file), _O_TEXT);
    return text;
}

} // namespace

std::vector<std::string> commandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    std::unique_ptr<LPWSTR, HLOCAL (*)(HLOCAL)> wide(
        CommandLineToArgvW(GetCommandLineW(), &count),
        [](HLOCAL memory) { return LocalFree(memory); });
    if (!wide)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf8Of(wide.get()[i]));
    return arguments;
}

std::ostream& resultStream() {
    static std::ostream& stream = streamFor<STD_OUTPUT_HANDLE>(stdout, std::cout);
    return stream;
}

std::ostream& messageStream() {
    static std::ostream& stream = streamFor<STD_ERROR_HANDLE>(stderr, std::cerr);
    return stream;
}

bool standardOutputIsTerminal() {
    return isConsole(GetStdHandle(STD_OUTPUT_HANDLE));
}

void writeStandardOutputAsBytes() {
    fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

bool consoleIsOwn() {
    // A console that Windows made for this program alone, as for a double-click in Explorer;
    // a command prompt's console holds the prompt too.
    DWORD processes[2] = {};
    return isConsole(GetStdHandle(STD_OUTPUT_HANDLE)) && GetConsoleProcessList(processes, 2) == 1;
}

void waitForKey() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    FlushConsoleInputBuffer(input);
    for (;;) {
        INPUT_RECORD record{};
        DWORD read = 0;
        if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0)
            return;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown)
            return;
    }
}
