// The benchmark's driver: runs player copies and the two floor programs on the virtual desktop
// the rig gives it, times them from CreateProcessA to their picture on the screen, takes their
// memory, CPU time and timer figures, and prints one JSON object a line for bench/run to gather.
//   bench_driver ROUNDS [FIRST [FITTED]]  rounds FIRST (0 by default) to FIRST + ROUNDS - 1; the
//                                number of a round sets the order of the programs in it. FITTED
//                                is a splash of the large picture that splashpack shrank to
//                                this desktop (--fit), timed beside the player of the same
//                                picture unfitted
#include "picture_shape.h"
#include "splash_driver.h"
#include "splash_effects_win32.h"
#include "window_layout.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

using namespace driver;

namespace {

// The floor paints this colour (0x00RRGGBB, as captureScreen gives pixels).
constexpr UINT floorColour = 0x336699;
// Long enough never to end a run on its own: the driver closes every window it measured.
constexpr UINT neverMs = 600000;
// Idle display measured after the first paint, and the timer run's launch delay and display.
constexpr DWORD idleMs = 5000;
constexpr UINT timerLaunchDelay = 1000, timerDisplayTime = 2000;

struct Picture {
    int width, height;
};
const Picture pictures[] = {{400, 300}, {1920, 1080}, {3840, 2160}};
const Picture& largePicture = pictures[2];

class OwnedHandle {
  public:
    explicit OwnedHandle(HANDLE handle) : handle(handle) {}
    ~OwnedHandle() {
        if (handle != nullptr)
            CloseHandle(handle);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    explicit operator bool() const { return handle != nullptr; }
    HANDLE get() const { return handle; }

  private:
    HANDLE handle;
};

struct Sample {
    POINT at;
    UINT colour;
};

std::string sizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Where the player puts the picture on this desktop, by the player's own layout code.
RECT windowFor(const Picture& picture) {
    WindowSize screen;
    screen.width = static_cast<UINT>(GetSystemMetrics(SM_CXSCREEN));
    screen.height = static_cast<UINT>(GetSystemMetrics(SM_CYSCREEN));
    const WindowPlacement place = layoutSplashWindow(true, static_cast<UINT>(picture.width),
                                                     static_cast<UINT>(picture.height), screen);
    return RECT{static_cast<LONG>(place.x), static_cast<LONG>(place.y),
                static_cast<LONG>(place.x + place.width),
                static_cast<LONG>(place.y + place.height)};
}

// The centres of the four quadrants of the window, where patternBitmap's colours stay flat
// however the player scales the picture.
std::vector<Sample> samplesOf(const RECT& rect, bool floor) {
    const LONG w = rect.right - rect.left, h = rect.bottom - rect.top;
    const LONG left = rect.left + w / 4, right = rect.left + 3 * w / 4;
    const LONG top = rect.top + h / 4, lower = rect.top + 3 * h / 4;
    if (floor)
        return {{{left, top}, floorColour},
                {{right, top}, floorColour},
                {{left, lower}, floorColour},
                {{right, lower}, floorColour}};
    return {{{left, top}, 0x102000},
            {{right, top}, 0xE0C000},
            {{left, lower}, 0xE020C0},
            {{right, lower}, 0x10C0C0}};
}

bool closeTo(UINT a, UINT b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int difference =
            static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (difference > 8 || difference < -8)
            return false;
    }
    return true;
}

UINT pixelAt(const POINT& at) {
    const std::vector<UINT> pixel = captureScreen(RECT{at.x, at.y, at.x + 1, at.y + 1});
    return pixel.empty() ? 0xFF000000u : pixel[0];
}

bool anyShowing(const std::vector<Sample>& samples) {
    for (const Sample& s : samples)
        if (closeTo(pixelAt(s.at), s.colour))
            return true;
    return false;
}

// Stops at the first sample not yet showing, so that a poll before the paint costs one capture
// and takes little from the program being timed.
bool allShowing(const std::vector<Sample>& samples) {
    for (const Sample& s : samples)
        if (!closeTo(pixelAt(s.at), s.colour))
            return false;
    return true;
}

// A window of the previous run may still be on the screen for a moment.
void waitUntilGone(const std::vector<Sample>& samples) {
    for (int tries = 0; tries < 300 && anyShowing(samples); ++tries)
        Sleep(10);
}

// Milliseconds from CreateProcessA to the moment all samples show their colours.
double waitUntilShown(SplashRun& run, const std::vector<Sample>& samples, const char* what) {
    for (;;) {
        if (allShowing(samples))
            return run.elapsed();
        if (run.elapsed() > 30000 || !run.running()) {
            std::string seen;
            for (const Sample& s : samples) {
                char text[64];
                std::snprintf(text, sizeof text, " (%ld,%ld) %06x for %06x", s.at.x, s.at.y,
                              pixelAt(s.at), s.colour);
                seen += text;
            }
            throw std::runtime_error(std::string(what) + ": the picture never showed:" + seen);
        }
        Sleep(1);
    }
}

SIZE_T peakWorkingSet(DWORD processId) {
    OwnedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!process || !GetProcessMemoryInfo(process.get(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

double fileTimeMs(const FILETIME& time) {
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime) /
           1e4;
}

// CPU time of every thread of the process, as the threads' own times: Wine takes them from the
// system's accounting of each thread (in clock ticks of 10 ms).
double cpuMs(DWORD processId) {
    OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE)
        return -1;
    double total = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        OwnedHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        FILETIME created, ended, kernel, user;
        if (thread && GetThreadTimes(thread.get(), &created, &ended, &kernel, &user))
            total += fileTimeMs(kernel) + fileTimeMs(user);
    }
    return total;
}

void emit(const std::string& json) {
    std::printf("%s\n", json.c_str());
    std::fflush(stdout);
}

std::string field(const char* name, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "\"%s\":%.3f", name, value);
    return text;
}

std::string field(const char* name, long long value) {
    return std::string("\"") + name + "\":" + std::to_string(value);
}

std::string field(const char* name, int value) {
    return field(name, static_cast<long long>(value));
}

std::string field(const char* name, const std::string& value) {
    return std::string("\"") + name + "\":\"" + value + "\"";
}

void closeWindowOf(SplashRun& run, const char* className) {
    HWND window = run.waitForWindow(className, 5000);
    if (window == nullptr)
        throw std::runtime_error(std::string("no window of class ") + className);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (run.waitForExit(20000) == STILL_ACTIVE)
        throw std::runtime_error(std::string(className) + ": did not end when closed");
}

SplashDescription splashOf(const Picture& picture, UINT displayTime, UINT launchDelay) {
    SplashDescription splash = basicSplash();
    splash.picture = patternBitmap(picture.width, picture.height);
    splash.displayTime = displayTime;
    splash.launchDelay = launchDelay;
    splash.targetFile = "probe.exe";
    return splash;
}

// One player copy with the picture: time to its picture on the screen, its peak working set
// just before it closes, and for the large picture its CPU time over an idle display and the
// floor's plain read of the same file.
void measurePlayer(int round, const Picture& picture) {
    const RECT rect = windowFor(picture);
    const std::vector<Sample> samples = samplesOf(rect, false);
    SplashRun run;
    run.writeProbe();
    const SplashDescription splash = splashOf(picture, neverMs, neverMs);
    const ByteVector copy = appendSplash(playerImage(), splash);
    run.writeProgram(copy);
    waitUntilGone(samples);
    if (!run.start())
        throw std::runtime_error("cannot start the player copy");
    const double shownMs = waitUntilShown(run, samples, "player");
    std::string line = "{" + field("round", round) + "," + field("kind", "paint") + "," +
                       field("program", "player") + "," +
                       field("picture", sizeText(picture.width, picture.height)) + "," +
                       field("window", sizeText(rect.right - rect.left, rect.bottom - rect.top)) +
                       "," + field("ms", shownMs);
    // The start-up's own CPU time shows that the method sees the child's time at all.
    line += "," + field("cpu_ms", cpuMs(run.processId()));
    if (&picture == &largePicture) {
        const double cpuBefore = cpuMs(run.processId()), wallBefore = run.elapsed();
        Sleep(idleMs);
        const double cpuAfter = cpuMs(run.processId()), wallAfter = run.elapsed();
        emit("{" + field("round", round) + "," + field("kind", "idle") + "," +
             field("picture", sizeText(picture.width, picture.height)) + "," +
             field("cpu_ms", cpuAfter - cpuBefore) + "," +
             field("wall_ms", wallAfter - wallBefore) + "}");
    } else {
        Sleep(200);
    }
    line +=
        "," + field("peak_ws", static_cast<long long>(peakWorkingSet(run.processId()))) + "," +
        field("copy_bytes", static_cast<long long>(copy.size())) + "," +
        field("payload_bytes", static_cast<long long>(copy.size() - playerImage().size() - 20)) +
        "}";
    closeWindowOf(run, "SPLASH_BMP");
    // The close launches the probe; it is gone before the next run starts.
    run.waitForProbeRuns(1, 10000);
    Sleep(100);
    emit(line);

    if (&picture == &largePicture) {
        SplashRun reader("floor.exe");
        reader.writeProgram(fileBytes(windowsPath(SPLASH_FLOOR_PATH)));
        if (!reader.start(quoted(reader.programPath()) + " read " + quoted(run.programPath())))
            throw std::runtime_error("cannot start the floor");
        const DWORD micro = reader.waitForExit(60000);
        if (micro == 0 || micro == STILL_ACTIVE)
            throw std::runtime_error("the floor could not read the player copy");
        emit("{" + field("round", round) + "," + field("kind", "read") + "," +
             field("bytes", static_cast<long long>(copy.size())) + "," +
             field("ms", micro / 1000.0) + "," + field("process_ms", reader.elapsed()) + "}");
    }
}

// The splash of the large picture fitted to this desktop when it was built: the same window as
// the unfitted player's, drawn without a stretch.
void measureFitted(int round, const std::string& splashFile) {
    const RECT rect = windowFor(largePicture);
    const std::vector<Sample> samples = samplesOf(rect, false);
    SplashRun run;
    run.writeProbe();
    run.writeProgram(fileBytes(splashFile));
    waitUntilGone(samples);
    if (!run.start())
        throw std::runtime_error("cannot start the fitted player copy");
    const double shownMs = waitUntilShown(run, samples, "fitted player");
    Sleep(200);
    closeWindowOf(run, "SPLASH_BMP");
    run.waitForProbeRuns(1, 10000);
    Sleep(100);
    emit("{" + field("round", round) + "," + field("kind", "paint") + "," +
         field("program", "player_fitted") + "," +
         field("picture", sizeText(largePicture.width, largePicture.height)) + "," +
         field("window", sizeText(rect.right - rect.left, rect.bottom - rect.top)) + "," +
         field("ms", shownMs) + "}");
}

// The floor's window of the same size as the player's for the picture.
void measureFloor(int round, const Picture& picture) {
    const RECT rect = windowFor(picture);
    const std::vector<Sample> samples = samplesOf(rect, true);
    SplashRun run("floor.exe");
    run.writeProgram(fileBytes(windowsPath(SPLASH_FLOOR_PATH)));
    waitUntilGone(samples);
    const std::string line = quoted(run.programPath()) + " paint " +
                             std::to_string(rect.right - rect.left) + " " +
                             std::to_string(rect.bottom - rect.top) + " " + std::to_string(neverMs);
    if (!run.start(line))
        throw std::runtime_error("cannot start the floor");
    const double shownMs = waitUntilShown(run, samples, "floor");
    Sleep(&picture == &largePicture ? idleMs : 200);
    const SIZE_T peak = peakWorkingSet(run.processId());
    closeWindowOf(run, "BENCH_FLOOR");
    emit("{" + field("round", round) + "," + field("kind", "paint") + "," +
         field("program", "floor") + "," +
         field("picture", sizeText(picture.width, picture.height)) + "," +
         field("window", sizeText(rect.right - rect.left, rect.bottom - rect.top)) + "," +
         field("ms", shownMs) + "," + field("peak_ws", static_cast<long long>(peak)) + "}");
}

// Where the picture's BMP starts inside a player copy: the block holds it whole.
size_t pictureOffset(const ByteVector& copy, const ByteVector& picture) {
    const auto at = std::search(copy.begin() + static_cast<std::ptrdiff_t>(playerImage().size()),
                                copy.end(), picture.begin(), picture.end());
    if (at == copy.end())
        throw std::runtime_error("the picture is not in the player copy");
    return static_cast<size_t>(at - copy.begin());
}

// The picture floor with the same splash file as the player's, in a window of the player's
// size: it shows the player's picture, so the player's colours are sampled.
void measurePictureFloor(int round, const Picture& picture) {
    const RECT rect = windowFor(picture);
    const std::vector<Sample> samples = samplesOf(rect, false);
    const SplashDescription splash = splashOf(picture, neverMs, neverMs);
    const ByteVector copy = appendSplash(playerImage(), splash);
    SplashRun run("picture_floor.exe");
    run.writeProgram(fileBytes(windowsPath(SPLASH_PICTURE_FLOOR_PATH)));
    run.writeFile("splash.exe", copy);
    waitUntilGone(samples);
    std::string line = quoted(run.programPath()) + " " + quoted(run.folder() + "\\splash.exe") +
                       " " + std::to_string(pictureOffset(copy, splash.picture)) + " " +
                       std::to_string(rect.right - rect.left) + " " +
                       std::to_string(rect.bottom - rect.top) + " " + std::to_string(neverMs);
    // winmm is loaded by the player only for a splash that holds a sound.
    if (!splash.sound.empty())
        line += " sound";
    if (!run.start(line))
        throw std::runtime_error("cannot start the picture floor");
    const double shownMs = waitUntilShown(run, samples, "picture floor");
    Sleep(&picture == &largePicture ? idleMs : 200);
    const SIZE_T peak = peakWorkingSet(run.processId());
    closeWindowOf(run, "BENCH_PICTURE_FLOOR");
    emit("{" + field("round", round) + "," + field("kind", "paint") + "," +
         field("program", "picture_floor") + "," +
         field("picture", sizeText(picture.width, picture.height)) + "," +
         field("window", sizeText(rect.right - rect.left, rect.bottom - rect.top)) + "," +
         field("ms", shownMs) + "," + field("peak_ws", static_cast<long long>(peak)) + "}");
}

// The launch (the probe's start) and the close (the process's end) against the launch delay and
// the display time, both counted from the first paint.
void measureTimers(int round) {
    const Picture& picture = pictures[0];
    const std::vector<Sample> samples = samplesOf(windowFor(picture), false);
    SplashRun run;
    run.writeProbe();
    run.writeSplash(splashOf(picture, timerDisplayTime, timerLaunchDelay));
    waitUntilGone(samples);
    if (!run.start())
        throw std::runtime_error("cannot start the player copy");
    const double shownMs = waitUntilShown(run, samples, "player");
    if (run.waitForExit(30000) == STILL_ACTIVE)
        throw std::runtime_error("the timed player copy did not end");
    const double endedMs = run.elapsed();
    const std::vector<ProbeRun> launches = run.waitForProbeRuns(1, 5000);
    if (launches.size() != 1)
        throw std::runtime_error("the timed player copy did not launch its target once");
    emit("{" + field("round", round) + "," + field("kind", "timers") + "," +
         field("launch_delay", static_cast<long long>(timerLaunchDelay)) + "," +
         field("display_time", static_cast<long long>(timerDisplayTime)) + "," +
         field("launch_ms", launches[0].startedAfter - shownMs) + "," +
         field("close_ms", endedMs - shownMs) + "}");
}

// A 1024 x 768 logo on a key-coloured ground: an ellipse with rows of letter-sized holes, the
// shape an author cuts out of a picture.
ByteVector logoBitmap() {
    const int width = 1024, height = 768, stride = width * 3;
    ByteVector bmp(54 + static_cast<size_t>(stride) * height, 0);
    auto put = [&](size_t at, UINT value) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, static_cast<UINT>(bmp.size()));
    put(10, 54);
    put(14, 40);
    put(18, width);
    put(22, height);
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const long long dx = x - 512, dy = y - 384;
            const bool inEllipse =
                dx * dx * 370 * 370 + dy * dy * 500 * 500 <= 500LL * 500 * 370 * 370;
            const bool hole = y >= 300 && y < 468 && x >= 150 && x < 874 && (x / 12) % 3 == 0 &&
                              (y / 14) % 2 == 0;
            const bool opaque = inEllipse && !hole;
            unsigned char* pixel = &bmp[54 + static_cast<size_t>(height - 1 - y) * stride + x * 3];
            pixel[0] = opaque ? static_cast<unsigned char>(x) : 0xFF;
            pixel[1] = opaque ? static_cast<unsigned char>(y) : 0x00;
            pixel[2] = opaque ? 0x40 : 0xFF;
        }
    return bmp;
}

// What the player does at start-up for a shaped 1024 x 768 picture: the rectangles from the
// picture's rows, and the region made of them; the median of five builds.
void measureShape(int round) {
    ByteVector bmp = logoBitmap();
    DataContent picture(bmp.data(), static_cast<UINT>(bmp.size()), false);
    const KeyColour key{0xFF, 0x00, 0xFF};
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        HRGN region = pictureShapeRegion(picture, key, 1024, 768);
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
        if (region == NULL)
            throw std::runtime_error("the shape's region was not made");
        DeleteObject(region);
    }
    std::sort(times.begin(), times.end());
    BitmapLayout layout;
    checkBitmap(bmp.data(), static_cast<UINT>(bmp.size()), layout);
    const size_t rectangles = pictureShape(bmp.data(), layout, key, 1024, 768).size();
    emit("{" + field("round", round) + "," + field("kind", "shape") + "," +
         field("ms", times[times.size() / 2]) + "," +
         field("rectangles", static_cast<long long>(rectangles)) + "}");
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc >= 2 ? std::atoi(argv[1]) : 1;
    const int first = argc >= 3 ? std::atoi(argv[2]) : 0;
    const std::string fitted = argc >= 4 ? argv[3] : "";
    if (rounds <= 0 || first < 0 || argc > 4) {
        std::fprintf(stderr, "usage: bench_driver ROUNDS [FIRST [FITTED]]\n");
        return 2;
    }
    try {
        emit("{" + field("kind", "setup") + "," +
             field("screen",
                   sizeText(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))) +
             "," + field("player_bytes", static_cast<long long>(playerImage().size())) + "}");
        for (int round = first; round < first + rounds; ++round) {
            for (const Picture& picture : pictures) {
                // The order turns round every other round so that neither the player nor the
                // picture floor always runs on a warmer system.
                // The fitted splash runs on either side of the unfitted one, in turn.
                const bool fittedToo = &picture == &largePicture && !fitted.empty();
                if (round % 2 == 0) {
                    if (fittedToo)
                        measureFitted(round, fitted);
                    measurePlayer(round, picture);
                    measureFloor(round, picture);
                    measurePictureFloor(round, picture);
                } else {
                    measurePictureFloor(round, picture);
                    measureFloor(round, picture);
                    measurePlayer(round, picture);
                    if (fittedToo)
                        measureFitted(round, fitted);
                }
            }
            measureTimers(round);
            measureShape(round);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_driver: %s\n", error.what());
        return 1;
    } catch (const std::string& text) {
        std::fprintf(stderr, "bench_driver: %s\n", text.c_str());
        return 1;
    }
    return 0;
}
