// The benchmark's picture floor: the least a program does to show a splash file's picture as the
// player shows it. It reads the whole file in one call, finds the BMP at the offset it is given,
// and paints it into a centred popup of the player's window size with the player's GDI calls:
// SetDIBitsToDevice when the sizes match, HALFTONE StretchDIBits otherwise. It imports shell32
// as the player does, and with `sound` loads winmm from the system directory as the player does
// for a splash that holds a sound, so that loading them costs the same on both sides.
//   picture_floor FILE OFFSET WIDTH HEIGHT HOLD_MS [sound]
//       ends HOLD_MS after its first paint (0: at once), or on WM_CLOSE; exit code 0, or 1 when
//       the file or its picture cannot be used, 2 for a wrong command line
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT_PTR holdTimerId = 1;
constexpr DWORD fileHeaderBytes = 14, infoHeaderBytes = 40;

// Referenced so that the image imports shell32, as the player's does.
__attribute__((used)) const void* const shellImport = reinterpret_cast<const void*>(&ShellExecuteA);

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
    unsigned char* get() const { return static_cast<unsigned char*>(bytes); }

  private:
    void* bytes;
};

// The picture as the player keeps it: headers and pixels pointing into the file's bytes.
struct Picture {
    const BITMAPINFO* info = nullptr;
    const void* bits = nullptr;
    int width = 0, height = 0;
};
Picture picture;

DWORD readNumber(const unsigned char* at) {
    return static_cast<DWORD>(at[0]) | static_cast<DWORD>(at[1]) << 8 |
           static_cast<DWORD>(at[2]) << 16 | static_cast<DWORD>(at[3]) << 24;
}

// The BMP at `offset`: its file and info headers whole inside the file, its pixels' offset too.
// The pixel array's length is the player's check to make, not the floor's: the benchmark gives
// it whole pictures.
bool locatePicture(const unsigned char* file, DWORD size, DWORD offset) {
    if (offset > size || size - offset < fileHeaderBytes + infoHeaderBytes)
        return false;
    const unsigned char* bmp = file + offset;
    const DWORD bitsOffset = readNumber(bmp + 10);
    if (bmp[0] != 'B' || bmp[1] != 'M' || bitsOffset >= size - offset)
        return false;
    picture.info = reinterpret_cast<const BITMAPINFO*>(bmp + fileHeaderBytes);
    picture.bits = bmp + bitsOffset;
    picture.width = picture.info->bmiHeader.biWidth;
    picture.height = std::abs(picture.info->bmiHeader.biHeight);
    return picture.width > 0 && picture.height > 0;
}

HMODULE loadSoundLibrary() {
    char directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return NULL;
    std::string path(directory, length);
    if (path[path.size() - 1] != '\\')
        path += '\\';
    path += "winmm.dll";
    return LoadLibraryExA(path.c_str(), NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void draw(HDC dc, const RECT& target) {
    const int targetWidth = target.right - target.left;
    const int targetHeight = target.bottom - target.top;
    if (targetWidth == picture.width && targetHeight == picture.height) {
        SetDIBitsToDevice(dc, target.left, target.top, picture.width, picture.height, 0, 0, 0,
                          picture.height, picture.bits, picture.info, DIB_RGB_COLORS);
        return;
    }
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, target.left, target.top, targetWidth, targetHeight, 0, 0, picture.width,
                  picture.height, picture.bits, picture.info, DIB_RGB_COLORS, SRCCOPY);
}

void onPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    draw(dc, client);
    EndPaint(window, &paint);
    if (painted)
        return;
    painted = true;
    if (holdMilliseconds == 0)
        DestroyWindow(window);
    else
        SetTimer(window, holdTimerId, holdMilliseconds, nullptr);
}

LRESULT CALLBACK pictureFloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

int showPicture(HINSTANCE instance, int width, int height) {
    // The player's window class and styles, so that the system does the same work for both.
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = pictureFloorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "BENCH_PICTURE_FLOOR";
    if (RegisterClassExA(&windowClass) == 0)
        return 1;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window =
        CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "BENCH_PICTURE_FLOOR", "picture floor",
                        WS_POPUP, x, y, width, height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

int run(HINSTANCE instance, const char* path, DWORD offset, int width, int height, bool sound) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 1;
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size == 0)
        return 1;
    // Kept until the process ends: the picture is drawn from these bytes on every paint.
    HeapBlock buffer(size);
    DWORD got = 0;
    if (buffer.get() == nullptr || !ReadFile(file.get(), buffer.get(), size, &got, nullptr) ||
        got != size || !locatePicture(buffer.get(), size, offset))
        return 1;
    if (sound && loadSoundLibrary() == NULL)
        return 1;
    return showPicture(instance, width, height);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc != 6 && !(__argc == 7 && std::strcmp(__argv[6], "sound") == 0))
        return 2;
    const DWORD offset = std::strtoul(__argv[2], nullptr, 10);
    const int width = std::atoi(__argv[3]), height = std::atoi(__argv[4]);
    holdMilliseconds = static_cast<UINT>(std::strtoul(__argv[5], nullptr, 10));
    if (width <= 0 || height <= 0)
        return 2;
    return run(instance, __argv[1], offset, width, height, __argc == 7);
}
