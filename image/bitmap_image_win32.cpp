// BMP splash picture: validation through the portable checks, drawing through GDI.
#include "bitmap_image.h"

#include "bitmap_format.h"

#include <string>

StretchModeCall setStretchMode = SetStretchBltMode;

namespace {

// Halftone keeps a shrunk colour picture's look; Windows 95, 98 and Me lack it, and a device
// context left in its default mode there would darken the picture.
void selectStretchMode(HDC dc) {
    if (setStretchMode(dc, HALFTONE) == 0 || GetStretchBltMode(dc) != HALFTONE)
        setStretchMode(dc, COLORONCOLOR);
}

} // namespace

BitmapImage::~BitmapImage() {
    try {
        content.dispose();
    } catch (...) {
        // A destructor must not throw; the buffer's count is already gone.
    }
}

bool BitmapImage::isValid() const {
    return content.data != nullptr && content.size > 0;
}

bool BitmapImage::load(const DataContent& source) {
    BitmapView view;
    if (!locateBitmap(source, view))
        return false;
    try {
        content = source;
    } catch (const std::string&) {
        return false;
    }
    fileHeader = view.fileHeader;
    infoHeader = view.infoHeader;
    bits = view.bits;
    return true;
}

void BitmapImage::release() {
    content.dispose();
    fileHeader = nullptr;
    infoHeader = nullptr;
    bits = nullptr;
}

int BitmapImage::width() const {
    return isValid() ? infoHeaderWidth(infoHeader) : 0;
}

int BitmapImage::height() const {
    return isValid() ? infoHeaderAbsoluteHeight(infoHeader) : 0;
}

void BitmapImage::draw(HDC dc, const RECT& target) {
    if (!isValid())
        return;
    const int targetWidth = target.right - target.left;
    const int targetHeight = target.bottom - target.top;
    const int pictureWidth = width();
    const int pictureHeight = height();
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(infoHeader);
    if (targetWidth == pictureWidth && targetHeight == pictureHeight) {
        SetDIBitsToDevice(dc, target.left, target.top, pictureWidth, pictureHeight, 0, 0, 0,
                          pictureHeight, bits, info, DIB_RGB_COLORS);
        return;
    }
    selectStretchMode(dc);
    StretchDIBits(dc, target.left, target.top, targetWidth, targetHeight, 0, 0, pictureWidth,
                  pictureHeight, bits, info, DIB_RGB_COLORS, SRCCOPY);
}

void BitmapImage::attachToWindow(HWND, UINT, UINT, UINT) {}
