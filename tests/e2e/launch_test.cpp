// The target launch of player copies: the probe beside the player or in a subfolder, a missing
// target, an empty target name, a file type without association and one associated with a
// program named WINWORD.EXE.
#include "splash_driver.h"

#include <gtest/gtest.h>

using namespace driver;

namespace {

SplashDescription launching(const std::string& target, UINT displayTime = 60000,
                            UINT launchDelay = 400) {
    SplashDescription splash = basicSplash();
    splash.targetFile = target;
    splash.displayTime = displayTime;
    splash.launchDelay = launchDelay;
    return splash;
}

void closeAndExpectExit(SplashRun& run, HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.waitForExit(10000), 0u);
}

// Maps a file extension to a program in the shell's classes, and removes the mapping again.
class Association {
  public:
    Association(const std::string& extension, const std::string& program) : extension(extension) {
        const std::string type = "SplashTest" + extension.substr(1);
        setValue(extension, type);
        setValue(type + "\\shell\\open\\command", "\"" + program + "\" \"%1\"");
    }
    ~Association() {
        const std::string type = "SplashTest" + extension.substr(1);
        for (const std::string& key : {type + "\\shell\\open\\command", type + "\\shell\\open",
                                       type + "\\shell", type, extension})
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    }

  private:
    static void setValue(const std::string& key, const std::string& value) {
        HKEY handle = nullptr;
        RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr);
        RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
    }
    std::string extension;
};

} // namespace

TEST(Launch, TheProbeBesideThePlayerRunsOnceAtTheDelay) {
    for (const char* target : {"probe.exe", "sub\\probe.exe"}) {
        SCOPED_TRACE(target);
        SplashRun run;
        run.writeProbe(target);
        run.writeSplash(launching(target));
        ASSERT_TRUE(run.start());
        HWND window = run.waitForWindow("SPLASH_BMP", 15000);
        ASSERT_NE(window, nullptr);
        double shownAt = run.elapsed();
        auto runs = run.waitForProbeRuns(1, 10000, target);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_GE(runs[0].startedAfter, shownAt + 400 - 60);
        pumpFor(800);
        EXPECT_FALSE(run.hasMessageBox());
        closeAndExpectExit(run, window);
        EXPECT_EQ(run.probeRuns(target).size(), 1u) << "launched once per process";
    }
}

TEST(Launch, AMissingTargetHidesTheWindowThenReports) {
    SplashRun run;
    run.writeSplash(launching("absent.exe"));
    ASSERT_TRUE(run.start());
    HWND window = run.waitForWindow("SPLASH_BMP", 15000);
    ASSERT_NE(window, nullptr);
    BoxFacts box;
    ASSERT_TRUE(run.waitForMessageBox(box, 10000));
    EXPECT_FALSE(IsWindowVisible(window)) << "hidden before the report";
    EXPECT_EQ(box.caption, "Cannot Run File");
    EXPECT_EQ(box.body, "The following file cannot be run:\n\nabsent.exe\n\nThis is for one of the "
                        "following reasons:\n\n- The file cannot be located\n- The program "
                        "required to open the file cannot be located");
    SplashRun::pressOk(box);
    EXPECT_EQ(run.waitForExit(10000), 0u);
}

// The box closes without a paint where the system keeps the window's contents, and a hidden
// window is never painted: either way the splash must run its full display time after the answer.
TEST(Launch, AnEmptyTargetNameIsReportedThenTheSplashRunsItsFullTime) {
    constexpr UINT displayTime = 2500;
    struct Case {
        const char* what;
        int showCommand; // -1: none given
        bool visible;
    };
    for (const Case& c : {Case{"shown", -1, true}, Case{"hidden", SW_HIDE, false}}) {
        SCOPED_TRACE(c.what);
        SplashRun run;
        run.writeSplash(launching("", displayTime, 300));
        if (c.showCommand >= 0)
            run.setShowCommand(static_cast<WORD>(c.showCommand));
        ASSERT_TRUE(run.start());
        HWND window = run.waitForWindow("SPLASH_BMP", 15000, false);
        ASSERT_NE(window, nullptr);
        BoxFacts box;
        ASSERT_TRUE(run.waitForMessageBox(box, 10000));
        EXPECT_EQ(box.caption, "Execute the target application error.");
        EXPECT_EQ(
            box.body,
            "The application to load is unknown.\nCould not load the resource IDS_FILE_TO_SHELL.");
        EXPECT_EQ(IsWindowVisible(window) != FALSE, c.visible);
        const double answeredAt = run.elapsed();
        SplashRun::pressOk(box);
        pumpFor(1500);
        EXPECT_TRUE(run.running()) << "the launcher neither hides nor destroys the window";
        EXPECT_EQ(IsWindowVisible(window) != FALSE, c.visible);
        EXPECT_FALSE(run.hasMessageBox()) << "a second launch timer does nothing";
        // A second launch would show the box again and keep the process waiting on it.
        EXPECT_EQ(run.waitForExit(10000), 0u) << "the display timer, armed again, ends it";
        const double endedAt = run.elapsed();
        EXPECT_GE(endedAt, answeredAt + displayTime - 60);
        EXPECT_LE(endedAt, answeredAt + displayTime + 1500);
    }
}

TEST(Launch, AFileTypeWithoutAssociationGoesToOpenWithSilently) {
    SplashRun run;
    run.writeFile("notes.splashnoassoc", ByteVector{'x'});
    run.writeSplash(launching("notes.splashnoassoc", 2500, 400));
    ASSERT_TRUE(run.start());
    HWND window = run.waitForWindow("SPLASH_BMP", 15000);
    ASSERT_NE(window, nullptr);
    pumpFor(1200);
    EXPECT_FALSE(run.hasMessageBox()) << "a started Open With counts as success";
    EXPECT_TRUE(IsWindowVisible(window)) << "the splash carries on to its display time";
    EXPECT_EQ(run.waitForExit(15000), 0u);
}

TEST(Launch, ADocumentOfTheWordProcessorGoesThroughTheExtendedCall) {
    SplashRun run;
    run.writeProbe("office\\WINWORD.EXE");
    run.writeFile("letter.splashdoc", ByteVector{'x'});
    Association association(".splashdoc", run.folder() + "\\office\\WINWORD.EXE");
    run.writeSplash(launching("letter.splashdoc"));
    ASSERT_TRUE(run.start());
    HWND window = run.waitForWindow("SPLASH_BMP", 15000);
    ASSERT_NE(window, nullptr);
    auto runs = run.waitForProbeRuns(1, 10000, "office\\WINWORD.EXE");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NE(runs[0].commandLine.find("letter.splashdoc"), std::string::npos)
        << runs[0].commandLine;
    closeAndExpectExit(run, window);
}
