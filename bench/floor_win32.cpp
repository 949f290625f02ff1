// The benchmark's floor: the least a Win32 program does to put a window on the screen or to read
// a file, so that the player's figures are ratios against work no splash player can avoid.
//   floor paint WIDTH HEIGHT [HOLD_MS]  a centred popup of that size painted one colour; it ends
//                                       HOLD_MS after its first paint (0 or none: at once), or
//                                       on WM_CLOSE
//   floor read FILE                     one CreateFileA and one ReadFile of the whole file; the
//                                       exit code is the read's duration in microseconds (at
//                                       least 1), 0 when the file could not be read
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// The colour the driver looks for on the screen: not in the player's test pattern.
constexpr COLORREF floorColour = RGB(0x33, 0x66, 0x99);
constexpr UINT_PTR holdTimerId = 1;

UINT holdMilliseconds = 0;
bool painted = false;

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    explicit operator bool() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle; }

  private:
    HANDLE handle;
};

class HeapBlock {
  public:
    explicit HeapBlock(SIZE_T size) : bytes(HeapAlloc(GetProcessHeap(), 0, size)) {}
    ~HeapBlock() {
        if (bytes != nullptr)
            HeapFree(GetProcessHeap(), 0, bytes);
    }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    void* get() const { return bytes; }

  private:
    void* bytes;
};

void onPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HBRUSH brush = CreateSolidBrush(floorColour);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
    if (painted)
        return;
    painted = true;
    if (holdMilliseconds == 0)
        DestroyWindow(window);
    else
        SetTimer(window, holdTimerId, holdMilliseconds, nullptr);
}

LRESULT CALLBACK floorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        onPaint(window);
        return 0;
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int paintMode(HINSTANCE instance, int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = floorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "BENCH_FLOOR";
    if (RegisterClassA(&windowClass) == 0)
        return 1;
    // The splash window's styles, so that the system does the same work for both.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window =
        CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "BENCH_FLOOR", "floor", WS_POPUP, x, y,
                        width, height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

// The reading the player cannot do with less: a buffer of the file's size and one read into it.
DWORD readMode(const char* path) {
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 0;
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size == 0)
        return 0;
    HeapBlock buffer(size);
    DWORD got = 0;
    if (buffer.get() == nullptr || !ReadFile(file.get(), buffer.get(), size, &got, nullptr) ||
        got != size)
        return 0;
    QueryPerformanceCounter(&after);
    const double micro = 1e6 * static_cast<double>(after.QuadPart - before.QuadPart) /
                         static_cast<double>(frequency.QuadPart);
    return micro < 1 ? 1 : static_cast<DWORD>(micro);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc >= 4 && std::strcmp(__argv[1], "paint") == 0) {
        const int width = std::atoi(__argv[2]), height = std::atoi(__argv[3]);
        holdMilliseconds =
            __argc >= 5 ? static_cast<UINT>(std::strtoul(__argv[4], nullptr, 10)) : 0;
        if (width <= 0 || height <= 0)
            return 2;
        return paintMode(instance, width, height);
    }
    if (__argc == 3 && std::strcmp(__argv[1], "read") == 0)
        return static_cast<int>(readMode(__argv[2]));
    return 2;
}
