// Drives player copies from a test under Wine: writes a copy with a given payload into a fresh
// folder, starts it, finds its windows and message boxes, sends input, captures the screen and
// waits for the exit code.
#pragma once

#include "payload_writer.h"

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// A Windows path for a file of the build tree (Unix paths become paths on drive Z:).
std::string windowsPath(const std::string& path);

// The bytes of the player executable that the build made.
const ByteVector& playerImage();

// The bytes of the probe program that stands in for a target.
const ByteVector& probeImage();

// One run of the probe: when it started, in milliseconds after the start of a SplashRun, and
// the command line it saw.
struct ProbeRun {
    double startedAfter = 0;
    std::string commandLine;
};

// The default splash of the tests: a valid small picture, no sound, no target, long display.
SplashDescription basicSplash();

// A 24-bit bottom-up BMP of the given size filled by a simple pattern of its own.
ByteVector patternBitmap(int width, int height);

// A 16-bit mono 22050 Hz WAV of a 440 Hz tone lasting `seconds`.
ByteVector toneWav(double seconds);

// The file (a Unix path) to which the rig's sound device writes what the players play.
std::string soundCaptureFile();

// The bytes of a file; raises std::runtime_error when it cannot be read.
ByteVector fileBytes(const std::string& path);

struct BoxFacts {
    HWND window = nullptr;
    std::string caption;
    std::string body;
};

struct WindowFacts {
    HWND window = nullptr;
    std::string className;
    std::string title;
    RECT rect{};
    LONG_PTR style = 0;
    LONG_PTR exStyle = 0;
    bool visible = false;
};

// One folder of its own with one player copy in it, and the process started from it.
class SplashRun {
  public:
    explicit SplashRun(const std::string& programName = "splash.exe");
    ~SplashRun();
    SplashRun(const SplashRun&) = delete;
    SplashRun& operator=(const SplashRun&) = delete;

    const std::string& folder() const { return folderPath; }
    std::string programPath() const { return folderPath + "\\" + program; }

    // Writes the player copy: the player followed by `splash` as its payload.
    void writeSplash(const SplashDescription& splash);
    // Writes the player copy followed by raw bytes (for malformed files), or any file.
    void writeProgram(const ByteVector& bytes);
    void writeFile(const std::string& relativeName, const ByteVector& bytes);

    // Starts the copy, with `commandLine` as its command line (empty: the copy's quoted full
    // path). `directory` empty: the
    // copy's folder. Extra environment entries ("NAME=value") are added to this process's own.
    bool start(const std::string& commandLine = "", const std::string& directory = "",
               const std::vector<std::string>& environment = {});
    // Later starts pass `command` as the show command (STARTF_USESHOWWINDOW), as launchers and
    // minimised shortcuts do.
    void setShowCommand(WORD command) { showCommand = command; }

    // Puts the probe at `relativeName` in the folder.
    void writeProbe(const std::string& relativeName = "probe.exe");
    // The runs that the probe at `relativeName` recorded so far.
    std::vector<ProbeRun> probeRuns(const std::string& relativeName = "probe.exe") const;
    // When the probe at `relativeName`, made to show a window late, showed it, in milliseconds
    // after the start; negative while it has not.
    double probeWindowShownAfter(const std::string& relativeName = "probe.exe") const;
    // Waits until the probe recorded `count` runs, at most `milliseconds`.
    std::vector<ProbeRun> waitForProbeRuns(size_t count, DWORD milliseconds,
                                           const std::string& relativeName = "probe.exe") const;

    DWORD processId() const { return process.dwProcessId; }
    bool running() const;
    // Exit code after waiting at most `milliseconds`; STILL_ACTIVE when it did not end.
    DWORD waitForExit(DWORD milliseconds);
    // Milliseconds since start.
    double elapsed() const;

    // First top-level window of the process with this class, waiting at most `milliseconds`.
    HWND waitForWindow(const char* className, DWORD milliseconds, bool mustBeVisible = true);
    // A message box of the process, waiting at most `milliseconds`.
    bool waitForMessageBox(BoxFacts& box, DWORD milliseconds);
    // Whether the process shows any message box now.
    bool hasMessageBox() const;
    // Presses OK on a box, as a click on the button would.
    static void pressOk(const BoxFacts& box);

  private:
    std::string folderPath;
    std::string program;
    int showCommand = -1; // none given
    PROCESS_INFORMATION process{};
    LARGE_INTEGER startedAt{};
    unsigned long long startedAtSystemTime = 0;
};

WindowFacts factsOf(HWND window);

// Screen pixels of a rectangle as 0x00RRGGBB values, row by row from the top.
std::vector<UINT> captureScreen(const RECT& rect);

// A started splash's window once painted: its rectangle and the screen's pixels inside it;
// `window` is null when none appeared within 15 s.
struct ShownSplash {
    HWND window = nullptr;
    RECT rect{};
    std::vector<UINT> pixels;
};
ShownSplash captureShownSplash(SplashRun& run);

// Real input through the system's input queue.
void sendKey(WORD virtualKey, bool withAlt = false);
void clickAt(int x, int y, bool rightButton = false);

// Runs this thread's messages for a while (keeps the test's own windows responsive).
void pumpFor(DWORD milliseconds);

} // namespace driver
