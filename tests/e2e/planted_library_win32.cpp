// A library that poses as winmm.dll beside a downloaded program. When any process loads it, it
// adds a line to planted.log in its own folder, so a test can tell that it was picked up.
#include <windows.h>

#include <cstring>

namespace {

void recordLoad(HINSTANCE self) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    char* slash = std::strrchr(path, '\\');
    if (slash == nullptr || static_cast<size_t>(slash + 1 - path) + 12 > MAX_PATH)
        return;
    std::strcpy(slash + 1, "planted.log");
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(log, "loaded\r\n", 8, &written, NULL);
    CloseHandle(log);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        recordLoad(self);
    return TRUE;
}

// The one call the player wants from the real library; the stand-in plays nothing.
extern "C" __declspec(dllexport) BOOL WINAPI PlaySoundA(LPCSTR, HMODULE, DWORD) {
    return FALSE;
}
