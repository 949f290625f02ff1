// The test driver's Win32 side: processes, windows, boxes, input and screen capture.
#include "splash_driver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace driver {

namespace {

using WindowSearch = std::pair<DWORD, std::vector<HWND>>;

BOOL CALLBACK collectWindowOf(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found->first)
        found->second.push_back(window);
    return TRUE;
}

std::vector<HWND> topLevelWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(collectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::string classOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string textOf(HWND window) {
    char text[4096] = {};
    if (window != nullptr)
        GetWindowTextA(window, text, sizeof text);
    return text;
}

ByteVector readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return ByteVector((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeWholeFile(const std::string& path, const ByteVector& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string freshFolder() {
    static int counter = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string base = temp;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    for (;;) {
        std::string candidate = base + "splash-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(++counter);
        if (CreateDirectoryA(candidate.c_str(), nullptr))
            return candidate;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + candidate);
    }
}

void putLittleEndian(ByteVector& bytes, size_t at, UINT value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

double millisecondsSince(const LARGE_INTEGER& then) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - then.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

} // namespace

std::string windowsPath(const std::string& path) {
    std::string result = path;
    for (char& c : result)
        if (c == '/')
            c = '\\';
    if (!path.empty() && path[0] == '/')
        result = "Z:" + result;
    return result;
}

const ByteVector& playerImage() {
    static const ByteVector image = readWholeFile(windowsPath(SPLASH_PLAYER_PATH));
    return image;
}

ByteVector patternBitmap(int width, int height) {
    const UINT rowBytes = (static_cast<UINT>(width) * 3 + 3) & ~3u;
    const UINT pixelBytes = rowBytes * static_cast<UINT>(height);
    ByteVector bmp(54 + pixelBytes, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    putLittleEndian(bmp, 2, static_cast<UINT>(bmp.size()), 4);
    putLittleEndian(bmp, 10, 54, 4);
    putLittleEndian(bmp, 14, 40, 4);
    putLittleEndian(bmp, 18, static_cast<UINT>(width), 4);
    putLittleEndian(bmp, 22, static_cast<UINT>(height), 4);
    putLittleEndian(bmp, 26, 1, 2);
    putLittleEndian(bmp, 28, 24, 2);
    putLittleEndian(bmp, 34, pixelBytes, 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Bottom-up rows; four coloured quadrants tell orientation and scaling apart.
            int top = height - 1 - y;
            bool right = x >= width / 2, lower = top >= height / 2;
            unsigned char* pixel = &bmp[54 + static_cast<size_t>(y) * rowBytes + x * 3];
            pixel[0] = lower ? 0xC0 : 0x00;            // blue
            pixel[1] = right ? 0xC0 : 0x20;            // green
            pixel[2] = (right != lower) ? 0xE0 : 0x10; // red
        }
    return bmp;
}

const ByteVector& probeImage() {
    static const ByteVector image = readWholeFile(windowsPath(SPLASH_PROBE_PATH));
    return image;
}

SplashDescription basicSplash() {
    SplashDescription splash;
    splash.picture = patternBitmap(64, 48);
    splash.displayTime = 60000;
    splash.launchDelay = 500;
    splash.versionList = "1 2 3 4 5 6";
    splash.resolution = "0 x 0";
    splash.colourDepth = "0 bit";
    splash.requirementsMessage = "";
    splash.skippedText = "";
    return splash;
}

SplashRun::SplashRun(const std::string& programName)
    : folderPath(freshFolder()), program(programName) {}

SplashRun::~SplashRun() {
    if (process.hProcess != nullptr) {
        if (running()) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folderPath, ignored);
}

void SplashRun::writeSplash(const SplashDescription& splash) {
    writeProgram(appendSplash(playerImage(), splash));
}

void SplashRun::writeProgram(const ByteVector& bytes) {
    writeWholeFile(programPath(), bytes);
}

void SplashRun::writeProbe(const std::string& relativeName) {
    writeFile(relativeName, probeImage());
}

std::vector<ProbeRun> SplashRun::probeRuns(const std::string& relativeName) const {
    std::string log = folderPath + "\\" + relativeName;
    log = log.substr(0, log.find_last_of('\\') + 1) + "probe.log";
    std::vector<ProbeRun> runs;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t space = line.find(' ');
        if (space == std::string::npos)
            continue;
        unsigned long long stamp = std::stoull(line.substr(0, space));
        ProbeRun run;
        run.startedAfter =
            (static_cast<double>(stamp) - static_cast<double>(startedAtSystemTime)) / 1e4;
        run.commandLine = line.substr(space + 1);
        runs.push_back(run);
    }
    return runs;
}

double SplashRun::probeWindowShownAfter(const std::string& relativeName) const {
    std::string log = folderPath + "\\" + relativeName;
    log = log.substr(0, log.find_last_of('\\') + 1) + "probe.shown";
    std::ifstream in(log);
    unsigned long long stamp = 0;
    if (!(in >> stamp))
        return -1;
    return (static_cast<double>(stamp) - static_cast<double>(startedAtSystemTime)) / 1e4;
}

std::vector<ProbeRun> SplashRun::waitForProbeRuns(size_t count, DWORD milliseconds,
                                                  const std::string& relativeName) const {
    DWORD deadline = GetTickCount() + milliseconds;
    for (;;) {
        std::vector<ProbeRun> runs = probeRuns(relativeName);
        if (runs.size() >= count || static_cast<LONG>(GetTickCount() - deadline) >= 0)
            return runs;
        pumpFor(10);
    }
}

void SplashRun::writeFile(const std::string& relativeName, const ByteVector& bytes) {
    std::string path = folderPath + "\\" + relativeName;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeWholeFile(path, bytes);
}

bool SplashRun::start(const std::string& commandLine, const std::string& directory,
                      const std::vector<std::string>& environment) {
    std::string line = commandLine.empty() ? "\"" + programPath() + "\"" : commandLine;
    std::string workingFolder = directory.empty() ? folderPath : directory;
    std::vector<std::pair<std::string, std::string>> saved;
    for (const std::string& entry : environment) {
        std::string name = entry.substr(0, entry.find('='));
        char old[4096] = {};
        DWORD had = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
        saved.emplace_back(name, had ? std::string(old) : std::string("\x01"));
        SetEnvironmentVariableA(name.c_str(), entry.substr(name.size() + 1).c_str());
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (showCommand >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    QueryPerformanceCounter(&startedAt);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    startedAtSystemTime =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // The copy is always the program started; the command line only sets what it sees as
    // argument 0.
    const std::string application = programPath();
    BOOL created = CreateProcessA(application.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                                  0, nullptr, workingFolder.c_str(), &startup, &process);
    for (const auto& [name, value] : saved)
        SetEnvironmentVariableA(name.c_str(), value == "\x01" ? nullptr : value.c_str());
    return created != FALSE;
}

bool SplashRun::running() const {
    return process.hProcess != nullptr && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD SplashRun::waitForExit(DWORD milliseconds) {
    if (process.hProcess == nullptr)
        return STILL_ACTIVE;
    DWORD deadline = GetTickCount() + milliseconds;
    while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
        pumpFor(0);
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0)
            return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

double SplashRun::elapsed() const {
    return millisecondsSince(startedAt);
}

HWND SplashRun::waitForWindow(const char* className, DWORD milliseconds, bool mustBeVisible) {
    DWORD deadline = GetTickCount() + milliseconds;
    for (;;) {
        for (HWND window : topLevelWindowsOf(processId()))
            if (classOf(window) == className && (!mustBeVisible || IsWindowVisible(window)))
                return window;
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0 || !running())
            return nullptr;
        pumpFor(5);
    }
}

bool SplashRun::waitForMessageBox(BoxFacts& box, DWORD milliseconds) {
    HWND window = waitForWindow("#32770", milliseconds);
    if (window == nullptr)
        return false;
    // The box may still be filling in its texts.
    for (int tries = 0; tries < 100 && textOf(GetDlgItem(window, 0xFFFF)).empty(); ++tries)
        pumpFor(5);
    box.window = window;
    box.caption = textOf(window);
    box.body = textOf(GetDlgItem(window, 0xFFFF));
    return true;
}

bool SplashRun::hasMessageBox() const {
    for (HWND window : topLevelWindowsOf(processId()))
        if (classOf(window) == "#32770")
            return true;
    return false;
}

void SplashRun::pressOk(const BoxFacts& box) {
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

WindowFacts factsOf(HWND window) {
    WindowFacts facts;
    facts.window = window;
    if (window == nullptr)
        return facts;
    facts.className = classOf(window);
    facts.title = textOf(window);
    GetWindowRect(window, &facts.rect);
    facts.style = GetWindowLongPtrA(window, GWL_STYLE);
    facts.exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    facts.visible = IsWindowVisible(window) != FALSE;
    return facts;
}

ShownSplash captureShownSplash(SplashRun& run) {
    ShownSplash shown;
    shown.window = run.waitForWindow("SPLASH_BMP", 15000);
    if (shown.window == nullptr)
        return shown;
    // Time for the first paint to reach the screen.
    pumpFor(300);
    shown.rect = factsOf(shown.window).rect;
    shown.pixels = captureScreen(shown.rect);
    return shown;
}

std::vector<UINT> captureScreen(const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<UINT> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const UINT* source = static_cast<const UINT*>(bits);
    pixels.assign(source, source + static_cast<size_t>(width) * height);
    for (UINT& pixel : pixels)
        pixel &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void sendKey(WORD virtualKey, bool withAlt) {
    std::vector<INPUT> inputs;
    auto key = [&](WORD code, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (withAlt)
        key(VK_MENU, false);
    key(virtualKey, false);
    key(virtualKey, true);
    if (withAlt)
        key(VK_MENU, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void clickAt(int x, int y, bool rightButton) {
    SetCursorPos(x, y);
    INPUT inputs[2] = {};
    for (INPUT& input : inputs)
        input.type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void pumpFor(DWORD milliseconds) {
    DWORD deadline = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (milliseconds != 0)
            Sleep(1);
    } while (static_cast<LONG>(GetTickCount() - deadline) < 0);
}

ByteVector toneWav(double seconds) {
    const UINT samples = static_cast<UINT>(22050 * seconds);
    ByteVector wav(44 + samples * 2, 0);
    auto put = [&](size_t at, UINT value, int width) {
        for (int i = 0; i < width; ++i)
            wav[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    std::copy_n("RIFF", 4, wav.begin());
    put(4, static_cast<UINT>(wav.size() - 8), 4);
    std::copy_n("WAVEfmt ", 8, wav.begin() + 8);
    put(16, 16, 4);
    put(20, 1, 2);
    put(22, 1, 2);
    put(24, 22050, 4);
    put(28, 44100, 4);
    put(32, 2, 2);
    put(34, 16, 2);
    std::copy_n("data", 4, wav.begin() + 36);
    put(40, samples * 2, 4);
    for (UINT i = 0; i < samples; ++i)
        put(44 + i * 2,
            static_cast<UINT>(static_cast<int>(8000 * std::sin(i * 2 * 3.14159265 * 440 / 22050)) &
                              0xFFFF),
            2);
    return wav;
}

std::string soundCaptureFile() {
    const char* path = std::getenv("SPLASH_SOUND_CAPTURE");
    return path != nullptr ? path : "";
}

ByteVector fileBytes(const std::string& path) {
    return readWholeFile(path);
}

} // namespace driver
