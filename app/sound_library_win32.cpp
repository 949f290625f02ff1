#include "sound_library_win32.h"

#include "system_library_win32.h"

namespace {

typedef BOOL(WINAPI* PlaySoundCall)(LPCSTR, HMODULE, DWORD);

// Resolved once; the library stays loaded until the process ends, as an import would.
PlaySoundCall playSoundCall() {
    static bool resolved = false;
    static PlaySoundCall call = nullptr;
    if (!resolved) {
        resolved = true;
        HMODULE library = loadSystemLibrary("winmm.dll");
        if (library != NULL)
            call = callAt<PlaySoundCall>(GetProcAddress(library, "PlaySoundA"));
    }
    return call;
}

} // namespace

BOOL playSound(LPCSTR sound, DWORD flags) {
    const PlaySoundCall call = playSoundCall();
    return call != nullptr ? call(sound, NULL, flags) : FALSE;
}
