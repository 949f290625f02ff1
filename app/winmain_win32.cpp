// Entry point of the player: the one picture object, then the start-up and the message loop.
#include "splash_app.h"

#include "bitmap_image.h"
#include "system_library_win32.h"

#include <new>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand) {
    // Before anything else can load a library.
    restrictLibrarySearch();
    // Without memory for the picture object there is nothing to show.
    splashImage = new (std::nothrow) BitmapImage;
    if (splashImage == nullptr)
        return 0;
    try {
        return runApplication(instance, previousInstance, commandLine, showCommand);
    } catch (...) {
        // Every failure the start-up does not report itself still ends the process in order.
        return 0;
    }
}
