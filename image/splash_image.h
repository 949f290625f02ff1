// The picture behind the splash window, as an abstract interface: load it from the payload's
// bytes, report its size for the layout, and paint it into the window.
#pragma once

#include "data_content.h"

#include <windows.h>

// The value the reserved slot answers; no picture kind gives it a meaning yet.
struct SplashImageValue {
    UINT value = 0;
};

class SplashImage {
  public:
    virtual ~SplashImage() {}

    // True when a picture has been accepted and is held.
    virtual bool isValid() const = 0;
    // Takes the picture in `source`; false when the bytes are not a picture this kind shows.
    virtual bool load(const DataContent& source) = 0;
    virtual void release() = 0;
    virtual bool reservedFlag() { return false; }
    virtual SplashImageValue reservedValue() { return SplashImageValue(); }
    // The picture's size in pixels, 0 without a picture.
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Paints the picture into `target`, stretched when the sizes differ.
    virtual void draw(HDC dc, const RECT& target) = 0;
    // Tells the picture the window it is shown in and that window's size.
    virtual void attachToWindow(HWND window, UINT width, UINT height, UINT option) = 0;
};
