// The running system's release, read with GetVersionExA.
#include "os_version.h"

#include <windows.h>

OsVersion currentOsVersion() {
    // The extended record first; systems that know only the plain form refuse its size.
    OSVERSIONINFOEXA info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    LPOSVERSIONINFOA record = reinterpret_cast<LPOSVERSIONINFOA>(&info);
    if (!GetVersionExA(record)) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(record))
            return OsVersion{0, 0, 0};
    }
    return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record is 156 bytes");
static_assert(sizeof(OSVERSIONINFOA) == 148, "plain version record is 148 bytes");
