// The splash picture as a Windows BMP, drawn straight from the payload's bytes with GDI's
// device-independent-bitmap calls.
#pragma once

#include "splash_image.h"

// The call that sets a device context's stretch mode; a test puts one in its place that acts as
// a system without halftone does.
typedef int(WINAPI* StretchModeCall)(HDC dc, int mode);
extern StretchModeCall setStretchMode;

class BitmapImage : public SplashImage {
  public:
    BitmapImage() = default;
    BitmapImage(const BitmapImage&) = delete;
    BitmapImage& operator=(const BitmapImage&) = delete;
    ~BitmapImage() override;

    bool isValid() const override;
    // Accepts only a picture whose headers, colour table and pixels lie inside `source`;
    // a refused picture leaves the one held before as it was.
    bool load(const DataContent& source) override;
    void release() override;
    int width() const override;
    // The height without its sign: a top-down picture is drawn upright by GDI and lays out
    // like any other.
    int height() const override;
    void draw(HDC dc, const RECT& target) override;
    void attachToWindow(HWND window, UINT width, UINT height, UINT option) override;

  private:
    DataContent content;
    const unsigned char* fileHeader = nullptr;
    const unsigned char* infoHeader = nullptr;
    const unsigned char* bits = nullptr;
};
