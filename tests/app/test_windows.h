// Helpers of the player's in-process tests: a hidden window that counts its timer messages, a
// message pump with a deadline, and a watcher that reads and closes the process's message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A top-level popup of the tests' own class, never shown unless asked; WM_TIMER messages are
// counted by identifier. Destroyed with the object unless the code under test destroyed it.
class TestWindow {
  public:
    explicit TestWindow(bool visible = false);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND get() const { return window; }
    int timerCount(UINT_PTR timerId) const;
    // Every identifier seen, with its count.
    const std::map<UINT_PTR, int>& timers() const { return fired; }
    void clearTimers() { fired.clear(); }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window = NULL;
    std::map<UINT_PTR, int> fired;
};

// Dispatches the thread's messages until `done` holds or `milliseconds` have passed; returns
// whether `done` held.
bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds);
// Dispatches the thread's messages for `milliseconds`.
void pumpFor(DWORD milliseconds);

// One message box as the watcher found it.
struct SeenBox {
    std::string caption;
    std::string text;
    HWND owner = NULL;
    bool watchedWindowVisible = false; // the watched window's visibility while the box was up
};

// While it lives, a second thread finds each message box of this process, records it and
// closes it as a click on OK would, so that code under test showing boxes runs to its end.
class BoxWatcher {
  public:
    explicit BoxWatcher(HWND watchedWindow = NULL);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    // Stops the thread and returns every box seen, in order.
    std::vector<SeenBox> finish();

  private:
    static DWORD WINAPI watchThread(LPVOID self);
    void watch();

    HWND watched;
    std::atomic<bool> stopping{false};
    std::vector<SeenBox> seen;
    HANDLE thread = NULL;
};
