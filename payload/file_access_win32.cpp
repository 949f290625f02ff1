// Win32 file access for the payload reader.
#include "file_access.h"

#include <windows.h>

namespace {

HANDLE asHandle(long long value) {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value));
}

} // namespace

ReadOnlyFile::~ReadOnlyFile() {
    close();
}

bool ReadOnlyFile::open(const std::string& fileName) {
    close();
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    handle = static_cast<long long>(reinterpret_cast<INT_PTR>(file));
    return true;
}

bool ReadOnlyFile::querySize(UINT& size) {
    SetLastError(NO_ERROR);
    DWORD fileSize = GetFileSize(asHandle(handle), nullptr);
    // INVALID_FILE_SIZE is also a legal low part, so only the error code tells a failure.
    if (fileSize == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return false;
    size = fileSize;
    return true;
}

bool ReadOnlyFile::seekBeforeEnd(UINT distance) {
    // The distance is a signed 32-bit value here; the reader refuses larger ones beforehand.
    LONG move = -static_cast<LONG>(distance);
    SetLastError(NO_ERROR);
    DWORD position = SetFilePointer(asHandle(handle), move, nullptr, FILE_END);
    return !(position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool ReadOnlyFile::read(void* buffer, UINT count) {
    DWORD bytesRead = 0;
    return ReadFile(asHandle(handle), buffer, count, &bytesRead, nullptr) != FALSE;
}

void ReadOnlyFile::close() {
    if (handle == invalidHandle)
        return;
    // Keep the error code of the failure that led here: a message may still need it.
    DWORD savedError = GetLastError();
    CloseHandle(asHandle(handle));
    SetLastError(savedError);
    handle = invalidHandle;
}

UINT lastSystemError() {
    return GetLastError();
}

std::string systemMessageText(UINT code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message;
    if (length != 0 && text != nullptr)
        message.assign(text, length);
    if (text != nullptr)
        LocalFree(text);
    return message;
}
