// The thin layer through which the payload reader reaches files: open an existing file for
// shared reading, query its size, position relative to its end, read in single calls.
// One implementation per platform (file_access_win32.cpp, file_access_posix.cpp).
#pragma once

#include "text_error.h"

#include <string>

// Owner of one open file; the file is closed on every way out. The operations are virtual only
// so that a test can make a single call fail, which real files rarely do on demand.
class ReadOnlyFile {
  public:
    ReadOnlyFile() = default;
    virtual ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens an existing file for reading, sharing read access with others.
    virtual bool open(const std::string& fileName);
    // The file's size; false when the query itself fails.
    virtual bool querySize(UINT& size);
    // Positions `distance` bytes before the end of the file.
    virtual bool seekBeforeEnd(UINT distance);
    // Reads `count` bytes at the current position in one call; only success is reported.
    virtual bool read(void* buffer, UINT count);
    // Closes the file; later calls are harmless.
    virtual void close();

    explicit operator bool() const { return handle != invalidHandle; }

  private:
    // Large enough for a Win32 HANDLE and for a POSIX descriptor.
    static constexpr long long invalidHandle = -1;
    long long handle = invalidHandle;
};

// The calling thread's last error code (GetLastError on Windows, errno elsewhere).
UINT lastSystemError();

// The system's own message text for `code`, exactly as supplied; empty when it has none.
std::string systemMessageText(UINT code);
