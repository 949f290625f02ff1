// The fade's opacity at any moment, and when it next changes.
#include "fade_timeline.h"

namespace {

// 255 * part / whole for part below whole, without overflowing 32 bits on long fades.
unsigned ramp(UINT part, UINT whole) {
    while (whole > 0x00FFFFFFu) {
        whole >>= 1;
        part >>= 1;
    }
    return part * 255u / whole;
}

} // namespace

unsigned fadeOpacity(UINT sinceFirstPaint, UINT untilClose, UINT fadeIn, UINT fadeOut) {
    const unsigned rising = sinceFirstPaint < fadeIn ? ramp(sinceFirstPaint, fadeIn) : 255u;
    const unsigned falling = untilClose < fadeOut ? ramp(untilClose, fadeOut) : 255u;
    return rising < falling ? rising : falling;
}

UINT nextFadeStep(UINT sinceFirstPaint, UINT untilClose, UINT fadeIn, UINT fadeOut) {
    if (untilClose == 0)
        return 0;
    if (sinceFirstPaint < fadeIn || untilClose <= fadeOut)
        return fadeStepInterval;
    if (fadeOut == 0)
        return 0;
    return untilClose - fadeOut;
}

bool systemFades(const OsVersion& version) {
    return version.platformId == 2 && version.major >= 5;
}
