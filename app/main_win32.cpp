// Start-up of the player: title and class name, the window class, the settings of the
// program's own file, the requirements, the picture, the sound and the window; then the
// message loop.
#include "splash_app.h"

#include "command_line.h"
#include "requirements_check.h"
#include "resource.h"
#include "screen_values.h"
#include "sound_library_win32.h"
#include "splash_effects_win32.h"
#include "splash_image.h"
#include "splash_settings.h"
#include "timer_utils.h"
#include "window_layout.h"

#include <mmsystem.h>

#include <string>

HINSTANCE appInstance = NULL;
SplashImage* splashImage = nullptr;
char windowTitle[windowTextCapacity];
char windowClassName[windowTextCapacity];

#ifndef _WIN64
static_assert(sizeof(WNDCLASSEXA) == 48, "the 32-bit window class record is 48 bytes");
#endif

namespace {

// The splash window once it exists, for the failure path of the start-up.
HWND splashWindow = NULL;

// Argument 0 of the process: the path of the program's own file.
std::string ownProgramPath() {
    char moduleName[MAX_PATH] = {};
    const char* commandLine = GetCommandLineA();
    if (commandLine == nullptr || commandLine[0] == '\0') {
        const DWORD length = GetModuleFileNameA(NULL, moduleName, MAX_PATH);
        return programPathArgument(std::string(), std::string(moduleName, length));
    }
    return programPathArgument(commandLine, std::string());
}

void startSound() {
    // Played once from the payload's own bytes while the start-up goes on.
    if (settingsHoldSound())
        playSound(reinterpret_cast<LPCSTR>(splashSettings.sound.data),
                  SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
}

// Steps after the settings load: requirements, picture, display time, sound, window.
bool showSplash(HINSTANCE instance, int showCommand) {
    if (!checkSystemRequirements())
        return false;
    splashImage->load(splashSettings.picture);
    const bool pictureValid = splashImage->isValid();
    const UINT pictureWidth = pictureValid ? static_cast<UINT>(splashImage->width()) : 0;
    const UINT pictureHeight = pictureValid ? static_cast<UINT>(splashImage->height()) : 0;
    splashSettings.displayTime =
        settleDisplayTime(splashSettings.displayTime, splashSettings.launchDelay);
    startSound();

    const ScreenResolution screenResolution = currentScreenResolution();
    WindowSize screen;
    screen.width = screenResolution.width;
    screen.height = screenResolution.height;
    const WindowPlacement place =
        layoutSplashWindow(pictureValid, pictureWidth, pictureHeight, screen);

    prepareSplashEffects();
    splashWindow = CreateWindowExA(splashExtendedStyle(), windowClassName, windowTitle, WS_POPUP,
                                   static_cast<int>(place.x), static_cast<int>(place.y),
                                   static_cast<int>(place.width), static_cast<int>(place.height),
                                   NULL, NULL, instance, NULL);
    if (splashWindow == NULL) {
        // The sound plays from the payload, which the caller is about to release.
        stopSplashSound();
        return false;
    }
    splashImage->attachToWindow(splashWindow, place.width, place.height,
                                splashSettings.imageOption);
    applySplashEffects(splashWindow, place.width, place.height);
    ShowWindow(splashWindow, showCommand);
    // The first paint arms both timers: display time and launch delay count from here.
    UpdateWindow(splashWindow);
    // A window started hidden or minimised, as the caller's show command may ask, gets no paint;
    // its timers are armed here, so that it still launches the target and ends on time.
    armSplashTimers(splashWindow);
    return true;
}

} // namespace

ATOM registerSplashClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = splashWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = NULL;
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    // No brush: the background is never erased, only the picture is painted.
    windowClass.hbrBackground = NULL;
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = windowClassName;
    windowClass.hIconSm = NULL;
    return RegisterClassExA(&windowClass);
}

bool startSplash(HINSTANCE instance, int showCommand) {
    appInstance = instance;
    const std::string ownPath = ownProgramPath();
    try {
        splashSettings.load(ownPath);
    } catch (const std::string& text) {
        MessageBoxA(NULL, text.c_str(), loadErrorCaption, MB_ICONWARNING);
        return false;
    }
    // Past the load, a failure ends the start-up as a load failure does; the sound, timers and
    // window are taken out of play first so that nothing runs on from the released settings.
    try {
        return showSplash(instance, showCommand);
    } catch (const std::string& text) {
        abandonSplash(splashWindow);
        MessageBoxA(NULL, text.c_str(), loadErrorCaption, MB_ICONWARNING);
    } catch (...) {
        abandonSplash(splashWindow);
    }
    return false;
}

int runApplication(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    LoadStringA(instance, IDS_WINDOW_TITLE, windowTitle, windowTextCapacity);
    LoadStringA(instance, IDS_WINDOW_CLASS, windowClassName, windowTextCapacity);
    registerSplashClass(instance);
    if (!startSplash(instance, showCommand)) {
        splashSettings.release();
        return 0;
    }
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_SPLASH_ACCELERATORS));
    MSG message;
    ZeroMemory(&message, sizeof(message));
    // The loop normally never ends: destroying the window ends the process. Only a quit message
    // posted from elsewhere stops it (-1 would report a bad argument, which this call never has).
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
