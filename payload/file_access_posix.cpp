// POSIX file access for the payload reader, with the same open mode, end-relative positioning
// and single reads as the Win32 layer.
#include "file_access.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

ReadOnlyFile::~ReadOnlyFile() {
    close();
}

bool ReadOnlyFile::open(const std::string& fileName) {
    close();
    int descriptor = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        // Windows tells a missing folder on the way from a missing file.
        int savedError = errno;
        std::string::size_type slash = fileName.find_last_of('/');
        struct stat folder {};
        if (savedError == ENOENT && slash != std::string::npos &&
            stat(fileName.substr(0, slash + 1).c_str(), &folder) != 0)
            savedError = ENOTDIR;
        errno = savedError;
        return false;
    }
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

namespace {

// Codes with the customer bit set, which Windows never gives for its own errors, carry an error
// of this system that Windows has no known counterpart for.
constexpr UINT unknownWindowsCode = 0x20000000u;

} // namespace

// The code Windows gives for the same failure, so that a message reads as the player's would.
UINT lastSystemError() {
    switch (errno) {
    case 0:
        return 0;
    case ENOENT:
        return 2; // ERROR_FILE_NOT_FOUND
    case ENOTDIR:
        return 3; // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM:
    case EISDIR:  // opening a folder as a file
        return 5; // ERROR_ACCESS_DENIED
    case ENAMETOOLONG:
        return 206; // ERROR_FILENAME_EXCED_RANGE
    default:
        return unknownWindowsCode | static_cast<UINT>(errno);
    }
}

std::string systemMessageText(UINT code) {
    switch (code) {
    case 0:
        return "The operation completed successfully.";
    case 2:
        return "The system cannot find the file specified.";
    case 3:
        return "The system cannot find the path specified.";
    case 5:
        return "Access is denied.";
    case 206:
        return "The filename or extension is too long.";
    }
    if ((code & unknownWindowsCode) != 0)
        return "(which code Windows would give is not known here; this system says \"" +
               std::string(std::strerror(static_cast<int>(code & ~unknownWindowsCode))) + "\")";
    return "";
}
