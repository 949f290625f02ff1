// The system's PlaySoundA, reached through winmm loaded from the system directory on first use
// (winmm is not one of the system's known DLLs, so it is not imported).
#pragma once

#include <windows.h>

// PlaySoundA(sound, NULL, flags); FALSE when the library or the call is not there.
BOOL playSound(LPCSTR sound, DWORD flags);
