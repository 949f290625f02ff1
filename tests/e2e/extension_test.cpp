// The settings beyond the format, on player copies under Wine, one row each: the wait for the
// target's window, the shape a key colour cuts out, the fades, and later Windows, each copy
// named for the Windows version it reports (tests/e2e/rig.reg). The rows print what they
// measured.
#include "splash_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace driver;

namespace {

constexpr UINT orange = 0xFF8000;
constexpr UINT backdropColour = 0x00C000;

void note(const std::string& what, double milliseconds) {
    std::printf("[ measured ] %s: %.0f ms\n", what.c_str(), milliseconds);
}

ByteVector text(const std::string& value) {
    return ByteVector(value.begin(), value.end());
}

// A 24-bit picture of the key colour (magenta) with an orange rectangle inside it.
ByteVector framedPicture(int width, int height, const RECT& inner) {
    const int stride = (width * 3 + 3) / 4 * 4;
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
    put(18, static_cast<UINT>(width));
    put(22, static_cast<UINT>(height));
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inside =
                x >= inner.left && x < inner.right && y >= inner.top && y < inner.bottom;
            const UINT colour = inside ? orange : 0xFF00FF;
            unsigned char* pixel = &bmp[54 + static_cast<size_t>(height - 1 - y) * stride + x * 3];
            pixel[0] = static_cast<unsigned char>(colour);
            pixel[1] = static_cast<unsigned char>(colour >> 8);
            pixel[2] = static_cast<unsigned char>(colour >> 16);
        }
    return bmp;
}

SplashDescription launching(const std::string& target, UINT displayTime, UINT launchDelay) {
    SplashDescription splash = basicSplash();
    splash.targetFile = target;
    splash.displayTime = displayTime;
    splash.launchDelay = launchDelay;
    return splash;
}

// A probe copy at `name` that shows its window `delay` ms after it starts.
void writeLateTarget(SplashRun& run, const std::string& name, int delay) {
    run.writeProbe(name + ".exe");
    run.writeFile(name + ".window", text(std::to_string(delay)));
}

// Closes the late probe's window, which would otherwise stay 30 s.
void closeLateTarget() {
    for (int tries = 0; tries < 50; ++tries) {
        HWND window = FindWindowA("SplashProbeWindow", nullptr);
        if (window == nullptr)
            return;
        PostMessageA(window, WM_CLOSE, 0, 0);
        pumpFor(20);
    }
}

// Waits up to `milliseconds` for the late probe's window; its time after the start, or -1.
double waitForTargetWindow(const SplashRun& run, const std::string& program, DWORD milliseconds) {
    const DWORD deadline = GetTickCount() + milliseconds;
    double shown = -1;
    while ((shown = run.probeWindowShownAfter(program)) < 0 &&
           static_cast<LONG>(GetTickCount() - deadline) < 0)
        pumpFor(10);
    return shown;
}

// The layered opacity of another process's window, through the call Windows XP has.
bool layeredOpacity(HWND window, BYTE& opacity) {
    typedef BOOL(WINAPI * Call)(HWND, COLORREF*, BYTE*, DWORD*);
    static const Call call = reinterpret_cast<Call>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetLayeredWindowAttributes")));
    COLORREF key = 0;
    DWORD flags = 0;
    return call != nullptr && call(window, &key, &opacity, &flags) != FALSE;
}

bool isLayered(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & 0x00080000) != 0; // WS_EX_LAYERED
}

// A window of the test's own over the whole desktop, below the top-most splash: it shows one
// colour and counts the clicks that reach it.
class Backdrop {
  public:
    Backdrop() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = CreateSolidBrush(RGB(0x00, 0xC0, 0x00));
        windowClass.lpszClassName = "SplashTestBackdrop";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "SplashTestBackdrop", "backdrop", WS_POPUP, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        clicks = 0;
        pumpFor(300);
    }
    ~Backdrop() { DestroyWindow(window); }
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

    static int clicks;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_LBUTTONDOWN)
            ++clicks;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window = nullptr;
};
int Backdrop::clicks = 0;

// The requirements box's body, or "" when the splash window came up instead.
std::string requirementsOutcome(SplashRun& run) {
    const DWORD deadline = GetTickCount() + 15000;
    while (static_cast<LONG>(GetTickCount() - deadline) < 0) {
        if (run.waitForWindow("SPLASH_BMP", 0) != nullptr)
            return "";
        BoxFacts box;
        if (run.waitForMessageBox(box, 0)) {
            SplashRun::pressOk(box);
            return box.body;
        }
        pumpFor(10);
    }
    return "neither a window nor a box";
}

void waitsForTheLateWindow(SplashRun& run) {
    writeLateTarget(run, "late", 2000);
    SplashDescription splash = launching("late.exe", 10000, 1000);
    splash.extension.waitForTarget = true;
    run.writeSplash(splash);
    ASSERT_TRUE(run.start());
    ASSERT_NE(run.waitForWindow("SPLASH_BMP", 15000), nullptr);
    EXPECT_EQ(run.waitForExit(15000), 0u);
    const double endedAt = run.elapsed();
    const double shownAt = waitForTargetWindow(run, "late.exe", 2000);
    closeLateTarget();
    ASSERT_GE(shownAt, 0) << "the target showed its window";
    note("the splash ended after the target's window showed", endedAt - shownAt);
    EXPECT_GE(endedAt, shownAt - 20);
    EXPECT_LE(endedAt - shownAt, 150);
}

void withoutTheWaitStaysItsTime(SplashRun& run) {
    writeLateTarget(run, "late", 2000);
    run.writeSplash(launching("late.exe", 10000, 1000));
    ASSERT_TRUE(run.start());
    ASSERT_NE(run.waitForWindow("SPLASH_BMP", 15000), nullptr);
    const double windowAt = run.elapsed();
    const double shownAt = waitForTargetWindow(run, "late.exe", 8000);
    ASSERT_GE(shownAt, 0);
    pumpFor(1500);
    EXPECT_TRUE(run.running()) << "the target's window does not end the splash";
    closeLateTarget();
    EXPECT_EQ(run.waitForExit(15000), 0u);
    const double endedAt = run.elapsed();
    note("the splash without the wait ended after its window appeared", endedAt - windowAt);
    EXPECT_GE(endedAt, windowAt + 10000 - 150);
}

void aTargetThatEndsEndsTheWait(SplashRun& run) {
    run.writeProbe();
    SplashDescription splash = launching("probe.exe", 10000, 500);
    splash.extension.waitForTarget = true;
    run.writeSplash(splash);
    ASSERT_TRUE(run.start());
    ASSERT_NE(run.waitForWindow("SPLASH_BMP", 15000), nullptr);
    EXPECT_EQ(run.waitForExit(15000), 0u);
    const double endedAt = run.elapsed();
    const std::vector<ProbeRun> runs = run.probeRuns();
    ASSERT_EQ(runs.size(), 1u);
    note("the splash ended after the target started and ended", endedAt - runs[0].startedAfter);
    EXPECT_LE(endedAt - runs[0].startedAfter, 400);
}

void aMissingTargetIsReportedAsBefore(SplashRun& run) {
    SplashDescription splash = launching("absent.exe", 10000, 400);
    splash.extension.waitForTarget = true;
    run.writeSplash(splash);
    ASSERT_TRUE(run.start());
    BoxFacts box;
    ASSERT_TRUE(run.waitForMessageBox(box, 15000));
    EXPECT_EQ(box.caption, "Cannot Run File");
    EXPECT_EQ(box.body, "The following file cannot be run:\n\nabsent.exe\n\nThis is for one of the "
                        "following reasons:\n\n- The file cannot be located\n- The program "
                        "required to open the file cannot be located");
    SplashRun::pressOk(box);
    EXPECT_EQ(run.waitForExit(10000), 0u);
}

void theFadeOutStartsWhenTheTargetShows(SplashRun& run) {
    writeLateTarget(run, "late", 1500);
    SplashDescription splash = launching("late.exe", 10000, 500);
    splash.extension.waitForTarget = true;
    splash.extension.fadeOut = 600;
    run.writeSplash(splash);
    ASSERT_TRUE(run.start());
    HWND window = run.waitForWindow("SPLASH_BMP", 15000);
    ASSERT_NE(window, nullptr);
    const double shownAt = waitForTargetWindow(run, "late.exe", 8000);
    ASSERT_GE(shownAt, 0);
    BYTE half = 255;
    pumpFor(350);
    const bool read = layeredOpacity(window, half);
    EXPECT_EQ(run.waitForExit(5000), 0u);
    const double endedAt = run.elapsed();
    closeLateTarget();
    note("the splash fading out for 600 ms ended after the target's window showed",
         endedAt - shownAt);
    EXPECT_TRUE(read);
    EXPECT_LT(half, 255) << "fading out";
    EXPECT_GE(endedAt - shownAt, 600 - 50);
    EXPECT_LE(endedAt - shownAt, 600 + 250);
}

void theKeyColourShowsWhatLiesBelow(SplashRun& run) {
    Backdrop backdrop;
    const RECT inner = {50, 25, 150, 75};
    run.writeProbe();
    SplashDescription splash = launching("probe.exe", 60000, 30000);
    splash.picture = framedPicture(200, 100, inner);
    splash.extension.shaped = true;
    splash.extension.keyColour = KeyColour{255, 0, 255};
    run.writeSplash(splash);
    ASSERT_TRUE(run.start());
    const ShownSplash shown = captureShownSplash(run);
    ASSERT_NE(shown.window, nullptr);
    ASSERT_EQ(shown.rect.right - shown.rect.left, 200);
    ASSERT_EQ(shown.rect.bottom - shown.rect.top, 100);
    int wrong = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool inside =
                x >= inner.left && x < inner.right && y >= inner.top && y < inner.bottom;
            if (shown.pixels[static_cast<size_t>(y) * 200 + x] !=
                (inside ? orange : backdropColour))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0) << "pixels neither the picture's inside nor the desktop's outside";

    clickAt(shown.rect.left + 10, shown.rect.top + 10);
    pumpFor(400);
    EXPECT_EQ(Backdrop::clicks, 1) << "the click on a cut-out pixel reached the window below";
    EXPECT_TRUE(run.running());
    clickAt(shown.rect.left + 100, shown.rect.top + 50);
    EXPECT_EQ(run.waitForExit(10000), 0u) << "a click on the picture closes the splash";
}

// Opacities read while the splash fades in, and whether the window was ever layered.
struct FadeSamples {
    std::vector<int> opacities;
    bool everLayered = false;
};

FadeSamples sampleFadeIn(SplashRun& run) {
    run.writeProbe();
    SplashDescription splash = launching("probe.exe", 4000, 3000);
    splash.extension.fadeIn = 1000;
    splash.extension.fadeOut = 500;
    run.writeSplash(splash);
    FadeSamples samples;
    EXPECT_TRUE(run.start());
    HWND window = run.waitForWindow("SPLASH_BMP", 15000);
    if (window == nullptr) {
        ADD_FAILURE() << "no splash window";
        return samples;
    }
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 1400) {
        samples.everLayered = samples.everLayered || isLayered(window);
        BYTE opacity = 0;
        if (layeredOpacity(window, opacity))
            samples.opacities.push_back(opacity);
        pumpFor(40);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
    return samples;
}

void fadesInOnXp(SplashRun& run) {
    const FadeSamples samples = sampleFadeIn(run);
    EXPECT_TRUE(samples.everLayered);
    ASSERT_GE(samples.opacities.size(), 10u);
    EXPECT_LT(samples.opacities.front(), 128);
    EXPECT_EQ(samples.opacities.back(), 255);
    int rises = 0;
    for (size_t i = 1; i < samples.opacities.size(); ++i) {
        EXPECT_GE(samples.opacities[i], samples.opacities[i - 1]) << "at sample " << i;
        rises += samples.opacities[i] > samples.opacities[i - 1];
    }
    EXPECT_GE(rises, 5) << "in steps";
    std::string seen;
    for (int opacity : samples.opacities)
        seen += std::to_string(opacity) + " ";
    std::printf("[ measured ] opacities every 40 ms over the 1000 ms fade-in: %s\n", seen.c_str());
}

void neverLayeredOn98(SplashRun& run) {
    const FadeSamples samples = sampleFadeIn(run);
    EXPECT_FALSE(samples.everLayered);
    EXPECT_TRUE(samples.opacities.empty()) << "no opacity to read from a window not layered";
}

SplashDescription onEveryCodedVersion() {
    SplashDescription splash = launching("probe.exe", 60000, 300);
    splash.versionList = "1 2 3 4 5 6";
    return splash;
}

void laterWindowsRefusedWithoutTheOptIn(SplashRun& run) {
    run.writeProbe();
    run.writeSplash(onEveryCodedVersion());
    ASSERT_TRUE(run.start());
    EXPECT_EQ(requirementsOutcome(run),
              "Sorry, your system does not meet all of the necessary system requirements.");
    EXPECT_EQ(run.waitForExit(10000), 0u);
    EXPECT_TRUE(run.probeRuns().empty());
}

void laterWindowsShowsWithTheOptIn(SplashRun& run) {
    run.writeProbe();
    SplashDescription splash = onEveryCodedVersion();
    splash.extension.laterWindows = true;
    run.writeSplash(splash);
    ASSERT_TRUE(run.start());
    EXPECT_EQ(requirementsOutcome(run), "");
    EXPECT_EQ(run.waitForProbeRuns(1, 10000).size(), 1u) << "the target opens";
    HWND window = run.waitForWindow("SPLASH_BMP", 1000);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
}

} // namespace

TEST(Extension, EachSettingOnTheWindowsItConcerns) {
    struct Row {
        const char* what;
        const char* program; // the Windows version it reports, through rig.reg
        std::function<void(SplashRun&)> check;
    };
    const Row rows[] = {
        {"wait: the target shows its window 2 s after it starts", "splash.exe",
         waitsForTheLateWindow},
        {"no wait: the splash stays its 10 s", "splash.exe", withoutTheWaitStaysItsTime},
        {"wait: a target that ends at once", "splash.exe", aTargetThatEndsEndsTheWait},
        {"wait: a missing target", "splash.exe", aMissingTargetIsReportedAsBefore},
        {"wait with a fade-out, on XP", "splash_winxp.exe", theFadeOutStartsWhenTheTargetShows},
        {"shape on the 24-bit screen", "splash.exe", theKeyColourShowsWhatLiesBelow},
        {"fades on XP", "splash_winxp.exe", fadesInOnXp},
        {"fades on 98", "splash_win98.exe", neverLayeredOn98},
        {"Windows 10 without the opt-in", "splash_win10.exe", laterWindowsRefusedWithoutTheOptIn},
        {"Windows 10 with the opt-in", "splash_win10.exe", laterWindowsShowsWithTheOptIn},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::printf("[ row      ] %s\n", row.what);
        SplashRun run(row.program);
        row.check(run);
        if (run.running()) {
            ADD_FAILURE() << "the copy still runs";
            TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, run.processId()), 1);
        }
    }
}
