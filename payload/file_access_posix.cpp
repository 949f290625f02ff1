// POSIX file access for the payload reader, with the same open mode, end-relative positioning
// and single reads as the Win32 layer.
#include "file_access.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadOnlyFile::~ReadOnlyFile() {
    close();
}

bool ReadOnlyFile::open(const std::string& fileName) {
    close();
    int descriptor = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat info {};
    // Only regular files hold a payload; a folder fails as it does on Windows.
    if (fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
        int savedError = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(descriptor);
        errno = savedError;
        return false;
    }
    handle = descriptor;
    return true;
}

bool ReadOnlyFile::querySize(UINT& size) {
    struct stat info {};
    if (fstat(static_cast<int>(handle), &info) != 0)
        return false;
    // Like the Win32 query without its high part: the low 32 bits of the size.
    size = static_cast<UINT>(static_cast<unsigned long long>(info.st_size));
    return true;
}

bool ReadOnlyFile::seekBeforeEnd(UINT distance) {
    return lseek(static_cast<int>(handle), -static_cast<off_t>(distance), SEEK_END) != -1;
}

bool ReadOnlyFile::read(void* buffer, UINT count) {
    return ::read(static_cast<int>(handle), buffer, count) >= 0;
}

void ReadOnlyFile::close() {
    if (handle == invalidHandle)
        return;
    int savedError = errno;
    ::close(static_cast<int>(handle));
    errno = savedError;
    handle = invalidHandle;
}

UINT lastSystemError() {
    return static_cast<UINT>(errno);
}

std::string systemMessageText(UINT code) {
    return std::strerror(static_cast<int>(code));
}
