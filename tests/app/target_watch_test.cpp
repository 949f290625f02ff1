// The two ways the player finds the process the shell started, on a real child of this process,
// and the window test that ends the wait.
#include "splash_effects_win32.h"

#include "test_windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// This test program started again, suspended, so that it never runs; ended with the object.
class SuspendedChild {
  public:
    SuspendedChild() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(NULL, path, MAX_PATH);
        std::string commandLine = "\"" + std::string(path) + "\" --gtest_list_tests";
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof(startup));
        startup.cb = sizeof(startup);
        started = CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, CREATE_SUSPENDED, NULL,
                                 NULL, &startup, &process) != FALSE;
    }
    ~SuspendedChild() {
        if (!started)
            return;
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    SuspendedChild(const SuspendedChild&) = delete;
    SuspendedChild& operator=(const SuspendedChild&) = delete;

    bool started = false;
    PROCESS_INFORMATION process{};
};

} // namespace

TEST(TargetWatch, TheChildIsFoundByItsHandleAndByToolHelp) {
    SuspendedChild child;
    ASSERT_TRUE(child.started);
    // XP SP1 and later (and Wine, whatever it reports) have GetProcessId.
    EXPECT_EQ(processIdOf(child.process.hProcess), child.process.dwProcessId);
    // 95, 98, Me, 2000 and XP before SP1 find it as the child in a ToolHelp snapshot.
    EXPECT_EQ(childOfThisProcess(), child.process.dwProcessId);
}

TEST(TargetWatch, WithoutAChildToolHelpFindsNone) {
    EXPECT_EQ(childOfThisProcess(), 0u);
}

TEST(TargetWatch, OnlyAVisibleWindowWithAnAreaCounts) {
    const DWORD self = GetCurrentProcessId();
    EXPECT_FALSE(showsVisibleWindow(self)) << "no window of this process is visible yet";
    TestWindow hidden(false);
    EXPECT_FALSE(showsVisibleWindow(self));
    {
        TestWindow shown(true);
        SetWindowPos(shown.get(), NULL, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_FALSE(showsVisibleWindow(self)) << "a visible window without an area";
        SetWindowPos(shown.get(), NULL, 0, 0, 40, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(showsVisibleWindow(self));
    }
    EXPECT_FALSE(showsVisibleWindow(self));
}
