// A program that loads winmm.dll by its bare name, as a program importing it would: the control
// that shows a library planted beside a program is picked up when nothing prevents it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return LoadLibraryA("winmm.dll") != NULL ? 0 : 1;
}
