// The running screen's size and colour depth, read from a device context for the whole screen.
#include "screen_values.h"

#include <windows.h>

namespace {

// The screen's device context, released on every way out.
class ScreenDc {
  public:
    ScreenDc() : dc(GetDC(NULL)) {}
    ~ScreenDc() {
        if (dc != NULL)
            ReleaseDC(NULL, dc);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;

    HDC get() const { return dc; }

  private:
    HDC dc;
};

} // namespace

ScreenResolution currentScreenResolution() {
    ScreenDc screen;
    ScreenResolution resolution;
    resolution.width = static_cast<std::uint32_t>(GetDeviceCaps(screen.get(), HORZRES));
    resolution.height = static_cast<std::uint32_t>(GetDeviceCaps(screen.get(), VERTRES));
    return resolution;
}

std::int32_t currentColourDepth() {
    ScreenDc screen;
    return GetDeviceCaps(screen.get(), BITSPIXEL);
}
