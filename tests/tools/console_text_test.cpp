// splashpack.exe with texts and file names outside the ANSI code page: a console shows them as
// typed, a redirected stream gets their UTF-8 bytes, and a picture in a folder named in any
// script builds. The test owns the console, so it can read back what the console received.
#include "file_path.h"
#include "test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

std::wstring wideOf(const std::string& text) {
    return pathOf(text).wstring();
}

// The program's Linux path as Wine's drive Z: names it.
std::wstring programPath() {
    std::wstring path = L"Z:" + wideOf(SPLASHPACK_PROGRAM);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

struct ToolRun {
    DWORD exitCode = 1;
    std::string redirected; // standard output's bytes when it went to a file
};

// Runs splashpack.exe with `arguments`, standard output to the file `into` or, when empty, to
// the console this process owns.
ToolRun runTool(const std::string& arguments, const std::string& into) {
    std::wstring line = L"\"" + programPath() + L"\" " + wideOf(arguments);
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE out = into.empty() ? CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                            OPEN_EXISTING, 0, nullptr)
                              : CreateFileW(pathOf(into).c_str(), GENERIC_WRITE, 0, &inherited,
                                            CREATE_ALWAYS, 0, nullptr);
    ToolRun run;
    if (out == INVALID_HANDLE_VALUE)
        return run;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION tool{};
    std::vector<wchar_t> command(line.begin(), line.end());
    command.push_back(L'\0');
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &tool)) {
        WaitForSingleObject(tool.hProcess, 60000);
        GetExitCodeProcess(tool.hProcess, &run.exitCode);
        CloseHandle(tool.hProcess);
        CloseHandle(tool.hThread);
    }
    CloseHandle(out);
    if (!into.empty()) {
        ByteVector bytes = readFile(textOf(pathOf(into)));
        run.redirected.assign(bytes.begin(), bytes.end());
    }
    return run;
}

// Every character of the console's screen buffer, row after row.
std::wstring consoleText() {
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    std::wstring text;
    if (console != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(console, &info)) {
        text.resize(static_cast<std::size_t>(info.dwSize.X) * info.dwSize.Y);
        DWORD read = 0;
        ReadConsoleOutputCharacterW(console, text.data(), static_cast<DWORD>(text.size()),
                                    COORD{0, 0}, &read);
        text.resize(read);
    }
    if (console != INVALID_HANDLE_VALUE)
        CloseHandle(console);
    return text;
}

std::size_t lineFeeds(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::size_t crLineFeeds(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2)
        ++count;
    return count;
}

} // namespace

TEST(SplashpackConsole, TextsInEveryScriptReachTheConsoleAndFilesAsTyped) {
    struct Script {
        const char* name;
        std::string message;
        std::string file;     // the folder of the picture and the name of the splash
        const char* codePage; // the message's, in the splash
    };
    const Script scripts[] = {
        {"Latin", "D\xc3\xa9sol\xc3\xa9, \xc3\xa7\x61 d\xc3\xa9marre", "d\xc3\xa9p\xc3\xb4t",
         "1252"},
        {"Greek", "\xce\x9a\xce\xb1\xce\xbb\xce\xb7\xce\xbc\xce\xad\xcf\x81\xce\xb1",
         "\xce\xb5\xce\xb9\xce\xba\xcf\x8c\xce\xbd\xce\xb1", "1253"},
        {"Japanese", "\xe3\x81\x93\xe3\x82\x93\xe3\x81\xab\xe3\x81\xa1\xe3\x81\xaf",
         "\xe7\x94\xbb\xe5\x83\x8f", "932"},
    };
    // A console of this process's own, which the tool's runs below share.
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        ScratchFolder scratch;
        // Joined here: the scratch folder's own join is narrow.
        const std::string folder =
            textOf(pathOf(scratch.path("x")).parent_path() / pathOf(script.file));
        std::filesystem::create_directories(pathOf(folder));
        const std::string picture = folder + "\\" + script.file + ".png";
        const std::string splash = folder + "\\" + script.file + ".exe";
        ByteVector png = encodePng(gradientPicture(32, 16, false), 3);
        std::FILE* file = openFile(picture, "wb");
        ASSERT_NE(nullptr, file);
        std::fwrite(png.data(), 1, png.size(), file);
        std::fclose(file);

        ToolRun build = runTool("build --picture \"" + picture + "\" --message \"" +
                                    script.message + "\" --code-page " + script.codePage +
                                    " --target setup\\run.exe --output \"" + splash + "\"",
                                scratch.path("build.txt"));
        EXPECT_EQ(0u, build.exitCode) << build.redirected;
        EXPECT_NE(std::string::npos, build.redirected.find(script.file + ".exe"))
            << build.redirected;
        // Redirected, every line ends in CR LF, as Notepad needs; paths name their folders
        // with backslashes.
        EXPECT_EQ(lineFeeds(build.redirected), crLineFeeds(build.redirected)) << build.redirected;
        EXPECT_LT(0u, crLineFeeds(build.redirected));
        EXPECT_EQ(std::string::npos, build.redirected.find('/')) << build.redirected;

        // The splash records its code page: inspect reads the texts in it unasked.
        const std::string inspect = "inspect \"" + splash + "\"";
        ToolRun inspected = runTool(inspect, scratch.path("inspect.txt"));
        EXPECT_EQ(0u, inspected.exitCode);
        EXPECT_NE(std::string::npos, inspected.redirected.find(script.message))
            << inspected.redirected;
        EXPECT_NE(std::string::npos, inspected.redirected.find(script.file + ".exe"));
        EXPECT_EQ(lineFeeds(inspected.redirected), crLineFeeds(inspected.redirected));
        // A PNG on standard output goes out byte for byte, its line feeds kept as they are.
        ToolRun previewed =
            runTool("preview \"" + splash + "\" --screen 64x48 -o -", scratch.path("preview.png"));
        EXPECT_EQ(0u, previewed.exitCode);
        EXPECT_EQ(0u, previewed.redirected.find("\x89PNG\r\n\x1a\n"));
        EXPECT_NE(std::string::npos, previewed.redirected.find("IEND\xae\x42\x60\x82"));

        EXPECT_EQ(0u, runTool(inspect, "").exitCode);
        const std::wstring shown = consoleText();
        EXPECT_NE(std::wstring::npos, shown.find(wideOf(script.message)));
        EXPECT_NE(std::wstring::npos, shown.find(wideOf(script.file + ".exe")));
    }
    FreeConsole();
}

// Windows' own help switches, and a double-click: started alone in a console of its own, the
// tool shows its usage until a key is pressed, instead of a window that flashes and closes.
TEST(SplashpackConsole, HelpAsWindowsAsksAndAConsoleOfItsOwnWaits) {
    ScratchFolder scratch;
    for (const char* help : {"/?", "-?"}) {
        ToolRun asked = runTool(help, scratch.path("help.txt"));
        EXPECT_EQ(0u, asked.exitCode) << help;
        EXPECT_EQ(0u, asked.redirected.find("Usage: splashpack COMMAND [OPTIONS]\r\n")) << help;
    }

    std::wstring line = L"\"" + programPath() + L"\"";
    std::vector<wchar_t> command(line.begin(), line.end());
    command.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION tool{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                               nullptr, nullptr, &startup, &tool));
    // Still there after five seconds: it waits for a key. (Attached sooner, this test would make
    // the console the tool's and the test's, which a double-click never does.)
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(tool.hProcess, 5000));
    FreeConsole();
    ASSERT_TRUE(AttachConsole(tool.dwProcessId));
    const std::wstring shown = consoleText();
    EXPECT_NE(std::wstring::npos, shown.find(L"Usage: splashpack COMMAND [OPTIONS]"));
    EXPECT_NE(std::wstring::npos, shown.find(L"Press any key to close this window."));
    HANDLE input =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    INPUT_RECORD key[2] = {};
    for (int i = 0; i < 2; ++i) {
        key[i].EventType = KEY_EVENT;
        key[i].Event.KeyEvent.bKeyDown = i == 0;
        key[i].Event.KeyEvent.wRepeatCount = 1;
        key[i].Event.KeyEvent.wVirtualKeyCode = VK_SPACE;
        key[i].Event.KeyEvent.uChar.UnicodeChar = L' ';
    }
    DWORD written = 0;
    EXPECT_TRUE(WriteConsoleInputW(input, key, 2, &written));
    CloseHandle(input);
    FreeConsole();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(tool.hProcess, 10000));
    DWORD exitCode = 1;
    GetExitCodeProcess(tool.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode);
    TerminateProcess(tool.hProcess, 1);
    CloseHandle(tool.hProcess);
    CloseHandle(tool.hThread);
}
