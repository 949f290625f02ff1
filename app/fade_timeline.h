// When a fading splash is how opaque: it rises from the first paint and falls before the close,
// in steps the fade timer sets. All times are unsigned milliseconds.
#pragma once

#include "os_version.h"
#include "text_error.h"

// How often the fade timer sets the opacity while it changes.
constexpr UINT fadeStepInterval = 20;

// The opacity, 0 (invisible) to 255 (opaque), `sinceFirstPaint` after the first paint with the
// close `untilClose` away: rising over the first `fadeIn`, falling over the last `fadeOut`, the
// lower of the two where they overlap. 0 for either means no fade that way.
unsigned fadeOpacity(UINT sinceFirstPaint, UINT untilClose, UINT fadeIn, UINT fadeOut);

// How long until the opacity must be set again: one step while it changes, the time until the
// fade-out starts while it holds, 0 when it does not change again before the close.
UINT nextFadeStep(UINT sinceFirstPaint, UINT untilClose, UINT fadeIn, UINT fadeOut);

// Fades need a layered window, which Windows 2000 and later have: the NT line from 5.0. Decided
// by the version the system reports, not by the call's presence, which emulators export on
// every version they report.
bool systemFades(const OsVersion& version);
