// The launcher's reports on a real window: the empty target name, a target that cannot be
// run, the once-only flag, and a failure inside the shutdown that must leave the window alone.
#include "target_launcher.h"

#include "launch_paths.h"
#include "splash_app.h"
#include "splash_settings.h"
#include "test_windows.h"
#include "timer_utils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each case starts as a fresh process would: nothing launched, no shutdown running.
class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        targetLaunched = false;
        shutdownStarted = false;
        splashSettings.targetFile.clear();
    }
    void TearDown() override {
        TimerUtils::KillTimer(bothTimers);
        targetLaunched = false;
        shutdownStarted = false;
        splashSettings.targetFile.clear();
    }

    // Both splash timers armed on `window`, as after the first paint.
    static void armBothTimers(HWND window) {
        TimerUtils::SetTimer(window, 60000, displayTimerId);
        TimerUtils::SetTimer(window, 60000, launchTimerId);
    }
};

const char* const missingTarget = "no such target of the launcher test.exe";

TEST_F(LauncherTest, EmptyTargetNameReportsAndLeavesTheWindow) {
    TestWindow window(true);
    armBothTimers(window.get());
    BoxWatcher watcher(window.get());
    launchTarget(window.get());
    const std::vector<SeenBox> boxes = watcher.finish();

    EXPECT_TRUE(targetLaunched);
    EXPECT_FALSE(TimerUtils::IsTimerActive(displayTimerId));
    EXPECT_FALSE(TimerUtils::IsTimerActive(launchTimerId));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Execute the target application error.");
    EXPECT_EQ(boxes[0].text, "The application to load is unknown.\n"
                             "Could not load the resource IDS_FILE_TO_SHELL.");
    EXPECT_EQ(boxes[0].owner, window.get());
    EXPECT_TRUE(boxes[0].watchedWindowVisible);
    EXPECT_TRUE(IsWindow(window.get()));
    EXPECT_TRUE(IsWindowVisible(window.get()));
}

TEST_F(LauncherTest, SecondCallDoesNothing) {
    // The first call found no name; the second, with a name that cannot be run, must not try.
    TestWindow window(true);
    {
        BoxWatcher watcher(window.get());
        launchTarget(window.get());
        ASSERT_EQ(watcher.finish().size(), 1u);
    }
    splashSettings.targetFile = missingTarget;
    armBothTimers(window.get());
    BoxWatcher watcher(window.get());
    launchTarget(window.get());
    pumpFor(200);
    EXPECT_TRUE(watcher.finish().empty());
    EXPECT_TRUE(IsWindowVisible(window.get()));
    EXPECT_TRUE(TimerUtils::IsTimerActive(displayTimerId));
    EXPECT_TRUE(TimerUtils::IsTimerActive(launchTimerId));
}

TEST_F(LauncherTest, TargetThatCannotBeRunIsReportedThenTheWindowGoes) {
    splashSettings.targetFile = missingTarget;
    TestWindow window(true);
    armBothTimers(window.get());
    BoxWatcher watcher(window.get());
    launchTarget(window.get());
    const std::vector<SeenBox> boxes = watcher.finish();

    EXPECT_TRUE(targetLaunched);
    EXPECT_FALSE(TimerUtils::IsTimerActive(displayTimerId));
    EXPECT_FALSE(TimerUtils::IsTimerActive(launchTimerId));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Cannot Run File");
    EXPECT_EQ(boxes[0].text, std::string("The following file cannot be run:\n\n") + missingTarget +
                                 "\n\nThis is for one of the following reasons:\n\n"
                                 "- The file cannot be located\n"
                                 "- The program required to open the file cannot be located");
    EXPECT_EQ(boxes[0].owner, window.get());
    // Hidden before the box, destroyed after it.
    EXPECT_FALSE(boxes[0].watchedWindowVisible);
    EXPECT_FALSE(IsWindow(window.get()));
}

TEST_F(LauncherTest, FailureDuringTheShutdownLeavesTheWindowToIt) {
    splashSettings.targetFile = "sub folder\\missing.txt";
    shutdownStarted = true;
    TestWindow window(true);
    BoxWatcher watcher(window.get());
    launchTarget(window.get());
    const std::vector<SeenBox> boxes = watcher.finish();

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Cannot Run File");
    EXPECT_EQ(boxes[0].text, cannotRunFileText("sub folder\\missing.txt"));
    EXPECT_TRUE(IsWindow(window.get()));
    EXPECT_FALSE(IsWindowVisible(window.get()));
}

TEST_F(LauncherTest, MissingTargetLeavesTheShellsErrorCode) {
    splashSettings.targetFile = missingTarget;
    SetLastError(0);
    const UINT_PTR result = openTargetFile();
    const DWORD error = GetLastError();
    EXPECT_LE(result, 32u);
    EXPECT_NE(error, 0u);
}

} // namespace
