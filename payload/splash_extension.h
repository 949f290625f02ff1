// The project's own extension of the payload block: settings beyond the format, in bytes after
// the image option that a reader following the format ignores. A marker, a version, the length
// of the entries, then tagged entries, every number little-endian and 32 bits wide:
//
//   "Splash Extension" (16 bytes, no NUL) | version 1 | length N | N bytes of entries
//   entry: tag | length M | M bytes
//
// A tag with its top bit set must be understood by a reader; one without it may be skipped.
// Anything out of place (marker, version, a length that runs past the block or past the
// entries, a known tag twice or with another length, an unknown tag that must be understood)
// makes the whole extension count as absent, and the splash behaves as one without it.
#pragma once

#include "text_error.h"

#include <cstdint>

constexpr unsigned char extensionMarker[16] = {'S', 'p', 'l', 'a', 's', 'h', ' ', 'E',
                                               'x', 't', 'e', 'n', 's', 'i', 'o', 'n'};
constexpr UINT extensionVersion = 1;
// Marker, version and length.
constexpr UINT extensionHeaderSize = 16 + 4 + 4;
// Tag and length of each entry.
constexpr UINT extensionEntryHeaderSize = 4 + 4;
// Set in a tag that a reader must understand to show the splash as its author meant.
constexpr UINT extensionTagMustUnderstand = 0x80000000u;

// The tags of version 1 and the lengths of their data.
constexpr UINT extensionTagWaitForTarget = 1; // no data
constexpr UINT extensionTagShape = 2;         // red, green, blue, 0
constexpr UINT extensionTagFades = 3;         // fade-in, fade-out: milliseconds
constexpr UINT extensionTagLaterWindows = 4;  // no data
constexpr UINT extensionShapeSize = 4;
constexpr UINT extensionFadesSize = 8;

// A colour of the picture that the window leaves out.
struct KeyColour {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
};

inline bool operator==(const KeyColour& a, const KeyColour& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// The settings an extension carries; all off in a splash without one.
struct SplashExtension {
    // After the launch, close as soon as the target shows a window or ends.
    bool waitForTarget = false;
    // Cut the pixels of `keyColour` out of the window.
    bool shaped = false;
    KeyColour keyColour;
    // Milliseconds of fading in from the first paint and out before the close; 0 for none.
    UINT fadeIn = 0;
    UINT fadeOut = 0;
    // Windows later than XP on the NT line passes the version test.
    bool laterWindows = false;

    // True when any setting is on: only then does a writer add an extension to the block.
    bool any() const {
        return waitForTarget || shaped || fadeIn != 0 || fadeOut != 0 || laterWindows;
    }
};

// Reads the extension in the `size` bytes at `bytes` (the block's bytes after the image option).
// True and `extension` filled when the bytes start with a whole, well-formed extension; false,
// with `extension` untouched, otherwise. Reads nothing outside the bytes (which may be null when
// `size` is 0); never raises.
bool readSplashExtension(const unsigned char* bytes, UINT size, SplashExtension& extension);
