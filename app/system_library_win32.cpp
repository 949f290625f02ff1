#include "system_library_win32.h"

#include <string>

namespace {

// Flag of the newer search calls; older headers do not know it.
constexpr DWORD searchSystemDirectoryOnly = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

typedef BOOL(WINAPI* SetDefaultDllDirectoriesCall)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryCall)(LPCSTR);

} // namespace

FARPROC kernelAddress(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel != NULL ? GetProcAddress(kernel, name) : nullptr;
}

void restrictLibrarySearch() {
    // Windows 8, and Vista or 7 with the loader update.
    const auto setDefaultDirectories =
        kernelCall<SetDefaultDllDirectoriesCall>("SetDefaultDllDirectories");
    if (setDefaultDirectories != nullptr && setDefaultDirectories(searchSystemDirectoryOnly))
        return;
    // XP SP1 and later: an empty text takes the current directory out of the search.
    const auto setDirectory = kernelCall<SetDllDirectoryCall>("SetDllDirectoryA");
    if (setDirectory != nullptr)
        setDirectory("");
}

HMODULE loadSystemLibrary(const char* fileName) {
    char directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return NULL;
    std::string path(directory, length);
    if (path[path.size() - 1] != '\\')
        path += '\\';
    path += fileName;
    // The altered search looks for the library's own dependencies beside it, in the system
    // directory, rather than beside the player.
    return LoadLibraryExA(path.c_str(), NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}
