// Hidden windows, a bounded message pump and the message-box watcher of the in-process tests.
#include "test_windows.h"

namespace {

const char* const testClassName = "SplashTestWindow";

void registerTestClass(WNDPROC windowProc) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = testClassName;
    registered = RegisterClassExA(&windowClass) != 0;
}

std::string windowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

} // namespace

TestWindow::TestWindow(bool visible) {
    registerTestClass(windowProc);
    window = CreateWindowExA(0, testClassName, "splash test", WS_POPUP, 0, 0, 40, 30, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (visible)
        ShowWindow(window, SW_SHOWNOACTIVATE);
}

TestWindow::~TestWindow() {
    if (IsWindow(window)) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

int TestWindow::timerCount(UINT_PTR timerId) const {
    const auto found = fired.find(timerId);
    return found == fired.end() ? 0 : found->second;
}

LRESULT CALLBACK TestWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TestWindow* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_TIMER && self != nullptr) {
        ++self->fired[wParam];
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done && done())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

void pumpFor(DWORD milliseconds) {
    pumpUntil(std::function<bool()>(), milliseconds);
}

BoxWatcher::BoxWatcher(HWND watchedWindow) : watched(watchedWindow) {
    thread = CreateThread(NULL, 0, watchThread, this, 0, NULL);
}

DWORD WINAPI BoxWatcher::watchThread(LPVOID self) {
    static_cast<BoxWatcher*>(self)->watch();
    return 0;
}

BoxWatcher::~BoxWatcher() {
    finish();
}

std::vector<SeenBox> BoxWatcher::finish() {
    stopping = true;
    if (thread != NULL) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = NULL;
    }
    return seen;
}

void BoxWatcher::watch() {
    while (!stopping) {
        HWND box = NULL;
        while ((box = FindWindowExA(NULL, box, "#32770", NULL)) != NULL) {
            DWORD process = 0;
            GetWindowThreadProcessId(box, &process);
            if (process != GetCurrentProcessId() || !IsWindowVisible(box))
                continue;
            SeenBox found;
            found.caption = windowText(box);
            found.text = windowText(GetDlgItem(box, 0xFFFF));
            found.owner = GetWindow(box, GW_OWNER);
            found.watchedWindowVisible = watched != NULL && IsWindowVisible(watched) != FALSE;
            seen.push_back(found);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            // Wait for it to go, so that it is never counted twice.
            for (int i = 0; i < 500 && IsWindow(box); ++i)
                Sleep(10);
            box = NULL;
        }
        Sleep(10);
    }
}
