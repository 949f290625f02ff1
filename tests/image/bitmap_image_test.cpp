// The BMP image on a real GDI: load and release, sizes, and what draw leaves in a memory
// bitmap, unscaled and stretched, bottom-up and top-down.
#include "bitmap_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// A 24-bit file whose row r (counted from the top of the picture) has every pixel `rgb[r]`.
Bytes makeStriped(int width, const std::vector<COLORREF>& rows, bool topDown) {
    const int height = static_cast<int>(rows.size());
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    Bytes b(54 + rowBytes * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<std::uint32_t>(b.size()));
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, static_cast<std::uint32_t>(width));
    put32(b, 22, static_cast<std::uint32_t>(topDown ? -height : height));
    b[26] = 1;
    b[28] = 24;
    for (int r = 0; r < height; ++r) {
        const int stored = topDown ? r : height - 1 - r;
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &b[54 + stored * rowBytes + x * 3];
            p[0] = GetBValue(rows[r]);
            p[1] = GetGValue(rows[r]);
            p[2] = GetRValue(rows[r]);
        }
    }
    return b;
}

// A top-down 32-bit memory bitmap selected into its own device context.
class Canvas {
  public:
    Canvas(int width, int height) : width(width) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
        for (int i = 0; i < width * height; ++i)
            static_cast<std::uint32_t*>(bits)[i] = sentinel;
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // 0x00RRGGBB of the pixel at (x, y) from the top left.
    std::uint32_t at(int x, int y) {
        GdiFlush();
        return static_cast<std::uint32_t*>(bits)[y * width + x] & 0xFFFFFF;
    }

    static constexpr std::uint32_t sentinel = 0x123456;
    HDC dc = nullptr;

  private:
    int width;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    void* bits = nullptr;
};

std::uint32_t rgbOf(COLORREF c) {
    return (std::uint32_t(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST(BitmapImage, EmptyImageHasNoSizeAndDrawsNothing) {
    BitmapImage image;
    EXPECT_FALSE(image.isValid());
    EXPECT_EQ(image.width(), 0);
    EXPECT_EQ(image.height(), 0);
    EXPECT_FALSE(image.reservedFlag());
    EXPECT_EQ(image.reservedValue().value, 0u);
    Canvas canvas(4, 4);
    const RECT all = {0, 0, 4, 4};
    image.draw(canvas.dc, all);
    EXPECT_EQ(canvas.at(0, 0), Canvas::sentinel);
    EXPECT_EQ(canvas.at(3, 3), Canvas::sentinel);
}

TEST(BitmapImage, LoadsViewsAndOwnersAndReportsTheAbsoluteHeight) {
    Bytes file = makeStriped(5, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}, true);
    DataContent view(file.data(), static_cast<UINT>(file.size()), false);
    BitmapImage image;
    ASSERT_TRUE(image.load(view));
    EXPECT_TRUE(image.isValid());
    EXPECT_EQ(image.width(), 5);
    EXPECT_EQ(image.height(), 3);

    DataContent owner(static_cast<UINT>(file.size()));
    std::copy(file.begin(), file.end(), owner.data);
    ASSERT_TRUE(image.load(owner));
    EXPECT_EQ(ContentRegistry::instance().countOf(owner.data), 2u);
    image.release();
    EXPECT_FALSE(image.isValid());
    EXPECT_EQ(image.width(), 0);
    EXPECT_EQ(ContentRegistry::instance().countOf(owner.data), 1u);
}

TEST(BitmapImage, RefusedLoadKeepsThePictureHeld) {
    Bytes file = makeStriped(7, {RGB(1, 2, 3), RGB(4, 5, 6)}, false);
    DataContent view(file.data(), static_cast<UINT>(file.size()), false);
    BitmapImage image;
    ASSERT_TRUE(image.load(view));

    Bytes beyond = file;
    put32(beyond, 10, static_cast<std::uint32_t>(beyond.size() + 1));
    Bytes truncated(file.begin(), file.end() - 1);
    Bytes compressed = file;
    put32(compressed, 30, 1);
    for (Bytes* bad : {&beyond, &truncated, &compressed}) {
        DataContent badView(bad->data(), static_cast<UINT>(bad->size()), false);
        EXPECT_FALSE(image.load(badView));
        EXPECT_TRUE(image.isValid());
        EXPECT_EQ(image.width(), 7);
        EXPECT_EQ(image.height(), 2);
    }
    EXPECT_FALSE(image.load(DataContent()));
    EXPECT_EQ(image.width(), 7);
}

TEST(BitmapImage, DrawsUnscaledUprightForBothRowOrders) {
    const std::vector<COLORREF> rows = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        Bytes file = makeStriped(4, rows, topDown);
        DataContent view(file.data(), static_cast<UINT>(file.size()), false);
        BitmapImage image;
        ASSERT_TRUE(image.load(view));
        Canvas canvas(6, 5);
        const RECT target = {1, 1, 5, 4};
        image.draw(canvas.dc, target);
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(canvas.at(1, 1 + r), rgbOf(rows[r])) << r;
            EXPECT_EQ(canvas.at(4, 1 + r), rgbOf(rows[r])) << r;
        }
        EXPECT_EQ(canvas.at(0, 0), Canvas::sentinel);
        EXPECT_EQ(canvas.at(5, 4), Canvas::sentinel);
        EXPECT_EQ(canvas.at(5, 1), Canvas::sentinel);
        EXPECT_EQ(canvas.at(1, 4), Canvas::sentinel);
    }
}

TEST(BitmapImage, StretchesIntoAnyOtherSize) {
    // Uniform halves keep their colour under halftone away from the seam.
    const std::vector<COLORREF> rows = {RGB(200, 40, 40), RGB(200, 40, 40), RGB(20, 20, 220),
                                        RGB(20, 20, 220)};
    Bytes file = makeStriped(4, rows, false);
    DataContent view(file.data(), static_cast<UINT>(file.size()), false);
    BitmapImage image;
    ASSERT_TRUE(image.load(view));
    const RECT sizes[] = {{0, 0, 8, 8}, {0, 0, 2, 2}, {0, 0, 5, 4}};
    for (const RECT& target : sizes) {
        Canvas canvas(9, 9);
        image.draw(canvas.dc, target);
        EXPECT_EQ(canvas.at(0, 0), rgbOf(rows[0])) << target.right;
        EXPECT_EQ(canvas.at(target.right - 1, target.bottom - 1), rgbOf(rows[3])) << target.right;
        EXPECT_EQ(canvas.at(target.right, 0), Canvas::sentinel) << target.right;
        EXPECT_EQ(canvas.at(0, target.bottom), Canvas::sentinel) << target.right;
    }
}

// Systems without halftone: one refuses the mode, one takes the call but keeps its own mode.
int WINAPI refuseHalftone(HDC dc, int mode) {
    return mode == HALFTONE ? 0 : SetStretchBltMode(dc, mode);
}
int WINAPI ignoreHalftone(HDC dc, int mode) {
    return mode == HALFTONE ? GetStretchBltMode(dc) : SetStretchBltMode(dc, mode);
}

TEST(BitmapImage, StretchesInColourWhereHalftoneIsMissing) {
    const std::vector<COLORREF> rows = {RGB(200, 40, 40), RGB(200, 40, 40), RGB(20, 20, 220),
                                        RGB(20, 20, 220)};
    Bytes file = makeStriped(4, rows, false);
    DataContent view(file.data(), static_cast<UINT>(file.size()), false);
    BitmapImage image;
    ASSERT_TRUE(image.load(view));
    struct System {
        const char* name;
        StretchModeCall call;
        int mode;
    };
    const System systems[] = {{"halftone holds", SetStretchBltMode, HALFTONE},
                              {"halftone refused", refuseHalftone, COLORONCOLOR},
                              {"halftone ignored", ignoreHalftone, COLORONCOLOR}};
    for (const System& system : systems) {
        SCOPED_TRACE(system.name);
        Canvas canvas(9, 9);
        SetStretchBltMode(canvas.dc, BLACKONWHITE);
        setStretchMode = system.call;
        image.draw(canvas.dc, RECT{0, 0, 8, 8});
        setStretchMode = SetStretchBltMode;
        EXPECT_EQ(GetStretchBltMode(canvas.dc), system.mode);
        EXPECT_EQ(canvas.at(0, 0), rgbOf(rows[0]));
        EXPECT_EQ(canvas.at(7, 7), rgbOf(rows[3]));
    }
}

} // namespace
