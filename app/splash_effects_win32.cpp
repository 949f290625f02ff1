// The splash's shape by a window region, its fades by a layered window's opacity, both decided
// once at start-up.
#include "splash_effects_win32.h"

#include "bitmap_format.h"
#include "fade_timeline.h"
#include "os_version.h"
#include "picture_shape.h"
#include "splash_settings.h"
#include "system_library_win32.h"

#include <algorithm>
#include <vector>

namespace {

// Layered windows came with Windows 2000; older headers lack their names.
constexpr DWORD layeredStyle = 0x00080000; // WS_EX_LAYERED
constexpr DWORD layeredAlpha = 0x00000002; // LWA_ALPHA

// A region is made of pieces of this many rectangles, joined in pairs of equal size: Windows 95
// and 98 refuse a call with too many, and a call costs some systems the square of its count
// (Wine adds each rectangle to the region made so far), where joining in pairs costs the count
// times its logarithm.
constexpr std::size_t rectanglesPerPiece = 32;

typedef BOOL(WINAPI* SetLayeredWindowAttributesCall)(HWND, COLORREF, BYTE, DWORD);

// Found in user32 at run time, so that the import list stays that of Windows 95.
SetLayeredWindowAttributesCall setLayeredAttributes = nullptr;
bool fading = false;

bool fadeStarted = false;
DWORD firstPaintTick = 0; // the fade-in counts from here
DWORD armedTick = 0;      // the display timer's last arming
UINT closeAfter = 0;      // the close, in milliseconds after armedTick
bool closingForTarget = false;
unsigned shownOpacity = 256; // none set yet

const SplashExtension& extension() {
    return splashSettings.extension;
}

void showOpacity(HWND window, unsigned opacity) {
    if (opacity == shownOpacity)
        return;
    setLayeredAttributes(window, 0, static_cast<BYTE>(opacity), layeredAlpha);
    shownOpacity = opacity;
}

// Sets the opacity for now and arms the fade timer for the next change; at the end of a fade-out
// for the target, closes the splash.
void stepFade(HWND window) {
    const DWORD now = GetTickCount();
    const UINT sinceArmed = now - armedTick;
    const UINT untilClose = sinceArmed < closeAfter ? closeAfter - sinceArmed : 0;
    const UINT sincePaint = now - firstPaintTick;
    showOpacity(window,
                fadeOpacity(sincePaint, untilClose, extension().fadeIn, extension().fadeOut));
    if (closingForTarget && untilClose == 0) {
        DestroyWindow(window);
        return;
    }
    const UINT next = nextFadeStep(sincePaint, untilClose, extension().fadeIn, extension().fadeOut);
    if (next == 0)
        KillTimer(window, fadeTimerId);
    else
        SetTimer(window, fadeTimerId, next, NULL);
}

// The rectangles of a window of `width` x `height` as one region; NULL when the system refuses
// a piece of it. A shape rectangle is laid out as a RECT, so each piece is the header followed by
// a copy of its rectangles.
HRGN regionOf(const std::vector<ShapeRect>& shape, UINT width, UINT height) {
    static_assert(sizeof(ShapeRect) == sizeof(RECT) && sizeof(RGNDATAHEADER) == 2 * sizeof(RECT),
                  "a piece is two rectangles' room for the header, then the rectangles");
    ShapeRect piece[2 + rectanglesPerPiece] = {};
    RGNDATAHEADER* header = reinterpret_cast<RGNDATAHEADER*>(piece);
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->rcBound.right = static_cast<LONG>(width);
    header->rcBound.bottom = static_cast<LONG>(height);
    // Slot 0 holds what is left when everything is cut out; above it, the regions made so far,
    // each of 2^level pieces, the larger ones lower: a binary counter.
    HRGN joined[34];
    UINT levels[34];
    UINT count = 0;
    joined[0] = CreateRectRgn(0, 0, 0, 0);
    bool refused = joined[0] == NULL;
    for (std::size_t first = 0; !refused && first < shape.size(); first += rectanglesPerPiece) {
        const std::size_t size =
            shape.size() - first < rectanglesPerPiece ? shape.size() - first : rectanglesPerPiece;
        std::copy(shape.data() + first, shape.data() + first + size, piece + 2);
        header->nCount = static_cast<DWORD>(size);
        header->nRgnSize = static_cast<DWORD>(size * sizeof(RECT));
        HRGN part = ExtCreateRegion(NULL, static_cast<DWORD>((2 + size) * sizeof(RECT)),
                                    reinterpret_cast<const RGNDATA*>(header));
        refused = part == NULL;
        UINT level = 0;
        for (; !refused && count > 0 && levels[count] == level; ++level) {
            CombineRgn(joined[count], joined[count], part, RGN_OR);
            DeleteObject(part);
            part = joined[count--];
        }
        if (!refused) {
            joined[++count] = part;
            levels[count] = level;
        }
    }
    for (; count > 0; --count) {
        CombineRgn(joined[count - 1], joined[count - 1], joined[count], RGN_OR);
        DeleteObject(joined[count]);
    }
    if (!refused)
        return joined[0];
    DeleteObject(joined[0]);
    return NULL;
}

} // namespace

HRGN pictureShapeRegion(const DataContent& picture, KeyColour key, UINT width, UINT height) {
    BitmapLayout layout;
    if (checkBitmap(picture.data, picture.size, layout) != BitmapVerdict::accepted)
        return NULL;
    const std::vector<ShapeRect> shape = pictureShape(picture.data, layout, key, width, height);
    return shapeIsWhole(shape, width, height) ? NULL : regionOf(shape, width, height);
}

void prepareSplashEffects() {
    if (extension().fadeIn == 0 && extension().fadeOut == 0)
        return;
    if (!systemFades(currentOsVersion()))
        return;
    HMODULE user = GetModuleHandleA("user32.dll");
    if (user != NULL)
        setLayeredAttributes = callAt<SetLayeredWindowAttributesCall>(
            GetProcAddress(user, "SetLayeredWindowAttributes"));
    fading = setLayeredAttributes != nullptr;
}

DWORD splashExtendedStyle() {
    return WS_EX_TOOLWINDOW | WS_EX_TOPMOST | (fading ? layeredStyle : 0);
}

void applySplashEffects(HWND window, UINT width, UINT height) {
    if (extension().shaped) {
        HRGN region =
            pictureShapeRegion(splashSettings.picture, extension().keyColour, width, height);
        // The window owns a region it accepts; one it refuses is still ours.
        if (region != NULL && !SetWindowRgn(window, region, FALSE))
            DeleteObject(region);
    }
    // A layered window shows nothing until its opacity is set.
    if (fading)
        showOpacity(window, extension().fadeIn != 0 ? 0 : 255);
}

void followDisplayTimer(HWND window) {
    if (!fading)
        return;
    armedTick = GetTickCount();
    if (!fadeStarted) {
        fadeStarted = true;
        firstPaintTick = armedTick;
    }
    closeAfter = splashSettings.displayTime;
    stepFade(window);
}

void onFadeTimer(HWND window) {
    if (fading)
        stepFade(window);
}

void closeForTarget(HWND window) {
    if (!fading || extension().fadeOut == 0) {
        DestroyWindow(window);
        return;
    }
    // The fade-out starts now, unless the one before the display time's end is already nearer.
    const UINT sinceArmed = GetTickCount() - armedTick;
    const UINT untilClose = sinceArmed < closeAfter ? closeAfter - sinceArmed : 0;
    if (extension().fadeOut < untilClose)
        closeAfter = sinceArmed + extension().fadeOut;
    closingForTarget = true;
    stepFade(window);
}

void stopSplashEffects(HWND window) {
    if (fading && window != NULL)
        KillTimer(window, fadeTimerId);
}
