// A stand-in target for the end-to-end tests: each run appends one line to probe.log beside
// itself, with the time it started (100 ns units of the system clock) and its command line.
// When a file named as the program with the extension ".window" lies beside it, holding a number
// of milliseconds, the run then waits that long, shows a window of its own, writes the time it
// did to probe.shown, and stays until the window is closed (at most 30 s): a target whose window
// comes up late.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

unsigned long long systemStamp() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool appendLine(const std::string& path, unsigned long long stamp, const std::string& rest) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char number[32];
    int length = std::snprintf(number, sizeof number, "%llu ", stamp);
    std::string text = std::string(number, length) + rest + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return true;
}

LRESULT CALLBACK probeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Shows a window after `delay` ms and runs until it is closed or 30 s have passed.
void showWindowLater(DWORD delay, const std::string& shownLog) {
    Sleep(delay);
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = probeWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "SplashProbeWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "SplashProbeWindow", "probe", WS_OVERLAPPEDWINDOW, 10, 10, 200,
                                  150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    // The time is taken as the window shows; a splash watching for it may end before the line
    // is written.
    const unsigned long long shown = systemStamp();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    appendLine(shownLog, shown, "shown");
    SetTimer(window, 1, 30000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER)
            DestroyWindow(window);
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const unsigned long long stamp = systemStamp();
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program = path;
    const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    if (!appendLine(folder + "probe.log", stamp, GetCommandLineA()))
        return 1;
    const std::string windowFile = program.substr(0, program.find_last_of('.')) + ".window";
    std::ifstream delay(windowFile);
    unsigned long milliseconds = 0;
    if (delay >> milliseconds)
        showWindowLater(static_cast<DWORD>(milliseconds), folder + "probe.shown");
    return 0;
}
