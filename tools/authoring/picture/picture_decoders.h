// The readers of PNG, JPEG and GIF files: libpng, libjpeg-turbo and giflib behind one small
// interface. Each reads its headers first, so that the picture's size is checked before any
// pixel memory is taken, and then delivers the pixels row by row.
#pragma once

#include "picture_rows.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class PictureDecoder {
  public:
    virtual ~PictureDecoder() = default;
    // The picture's size as stored, from its headers.
    UINT width() const { return width_; }
    UINT height() const { return height_; }
    // Delivers the pixels to `rows`. A JPEG decodes at the smallest of 1/8, 1/4, 1/2 and the
    // whole size that is still at least `atLeast` (0 x 0: the whole size); the others decode
    // at their whole size. Raises InputError (worded to follow the picture's name) when the
    // data is damaged or of a kind splashpack does not read, std::bad_alloc when memory runs
    // out.
    virtual void decode(PictureRows& rows, WindowSize atLeast) = 0;

    // What the author should know, worded to follow the picture's name.
    std::vector<std::string> notes;
    std::vector<std::string> warnings;
    unsigned frames = 1; // a GIF's; the splash shows the first

  protected:
    UINT width_ = 0;
    UINT height_ = 0;
};

// Each reads the headers of the file in `size` bytes at `data`, which stay the caller's and
// must outlive the decoder; raises InputError when they are damaged.
std::unique_ptr<PictureDecoder> openJpeg(const unsigned char* data, std::size_t size);
std::unique_ptr<PictureDecoder> openPng(const unsigned char* data, std::size_t size);
std::unique_ptr<PictureDecoder> openGif(const unsigned char* data, std::size_t size);
