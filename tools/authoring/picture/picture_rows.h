// Where the decoders deliver a picture, row by row: kept whole, or shrunk by a whole factor as its
// rows arrive, so that a picture that --fit shrinks is never held at its full size.
#pragma once

#include "bitmap_codec.h"
#include "window_layout.h"

#include <cstdint>
#include <vector>

class PictureRows {
  public:
    virtual ~PictureRows() = default;
    // The size of the decoded picture, before its first row.
    virtual void start(UINT width, UINT height) = 0;
    // Row `y` (top row 0) of `width` pixels of four bytes each (red, green, blue, alpha). Rows
    // arrive top to bottom, each once.
    virtual void row(UINT y, const unsigned char* rgba) = 0;
};

// Keeps every pixel.
class WholePicture : public PictureRows {
  public:
    void start(UINT width, UINT height) override;
    void row(UINT y, const unsigned char* rgba) override;
    RgbaPicture& picture() { return picture_; }

  private:
    RgbaPicture picture_;
};

// Averages each square of `factor` x `factor` pixels (fewer at the right and bottom edges) into
// one, in linear light and weighted by alpha as the resizer does, keeping one row of sums.
class ShrinkingPicture : public PictureRows {
  public:
    // `atLeast`: the picture shrinks by the largest whole factor that keeps it at least that
    // large (1: it stays as it is).
    explicit ShrinkingPicture(WindowSize atLeast);
    void start(UINT width, UINT height) override;
    void row(UINT y, const unsigned char* rgba) override;
    UINT factor() const { return factor_; }
    // The picture so far; whole once every row has arrived.
    RgbaPicture& picture() { return picture_; }

  private:
    void emitRow();

    WindowSize atLeast_;
    UINT sourceWidth_ = 0;
    UINT sourceHeight_ = 0;
    UINT factor_ = 1;
    UINT rowsSummed_ = 0;
    UINT nextRow_ = 0;
    // Per pixel of the shrunk row: red, green and blue in linear light times alpha, and alpha.
    std::vector<std::uint64_t> sums_;
    RgbaPicture picture_;
};

// 8-bit sRGB to linear light (0 to 65535), and back to the nearest 8-bit sRGB value; exact
// integer tables, so that every platform rounds alike.
unsigned linearFromSrgb(unsigned char value);
unsigned char srgbFromLinear(unsigned linear);
