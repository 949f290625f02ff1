// GIF through giflib: the first frame on the picture's canvas, with its transparent colour; the
// later frames are only counted, their data skipped undecoded.
#include "picture_decoders.h"

#include "message_text.h"
#include "tool_error.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <new>

namespace {

struct GifSource {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
};

int readBytes(GifFileType* gif, GifByteType* into, int length) {
    auto& source = *static_cast<GifSource*>(gif->UserData);
    const std::size_t count = std::min<std::size_t>(std::size_t(length), source.size - source.at);
    std::memcpy(into, source.data + source.at, count);
    source.at += count;
    return static_cast<int>(count);
}

[[noreturn]] void raiseGifError(int code) {
    if (code == D_GIF_ERR_NOT_ENOUGH_MEM)
        throw std::bad_alloc();
    if (code == D_GIF_ERR_READ_FAILED)
        throw InputError("is cut short: its GIF data ends before its picture does");
    const char* words = GifErrorString(code);
    throw InputError(std::string("is a damaged GIF: ") + (words ? words : "unknown fault"));
}

// The rows of an interlaced frame come in four passes: every 8th from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
std::vector<UINT> rowOrder(UINT height, bool interlaced) {
    std::vector<UINT> order;
    order.reserve(height);
    if (!interlaced) {
        for (UINT y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    const UINT starts[] = {0, 4, 2, 1};
    const UINT steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (UINT y = starts[pass]; y < height; y += steps[pass])
            order.push_back(y);
    return order;
}

class GifDecoder : public PictureDecoder {
  public:
    ~GifDecoder() override {
        if (gif_ != nullptr) {
            int ignored = 0;
            DGifCloseFile(gif_, &ignored);
        }
    }

    void open(const unsigned char* data, std::size_t size) {
        source_.data = data;
        source_.size = size;
        int error = 0;
        gif_ = DGifOpen(&source_, readBytes, &error);
        if (gif_ == nullptr)
            raiseGifError(error);
        if (gif_->SWidth <= 0 || gif_->SHeight <= 0)
            throw InputError(
                "is a GIF of " +
                sizeText(UINT(std::max(gif_->SWidth, 0)), UINT(std::max(gif_->SHeight, 0))) +
                " pixels, which holds no picture");
        width_ = static_cast<UINT>(gif_->SWidth);
        height_ = static_cast<UINT>(gif_->SHeight);
    }

    void decode(PictureRows& rows, WindowSize) override {
        int transparent = -1;
        frames = 0;
        for (;;) {
            GifRecordType type = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif_, &type) == GIF_ERROR) {
                // Damage after the first frame leaves it whole; the count stops there.
                if (frames > 0)
                    return;
                raiseGifError(gif_->Error);
            }
            if (type == TERMINATE_RECORD_TYPE)
                break;
            if (type == EXTENSION_RECORD_TYPE) {
                if (!readExtension(frames == 0 ? &transparent : nullptr) && frames > 0)
                    return;
            } else if (type == IMAGE_DESC_RECORD_TYPE) {
                if (DGifGetImageHeader(gif_) == GIF_ERROR) {
                    if (frames > 0)
                        return;
                    raiseGifError(gif_->Error);
                }
                ++frames;
                if (frames == 1)
                    decodeFirstFrame(rows, transparent);
                else if (!skipFrame())
                    return;
            }
        }
        if (frames == 0)
            throw InputError("is a GIF that holds no frame");
    }

  private:
    // Reads an extension's blocks; the graphic control block before the first frame gives its
    // transparent colour. False when the data is damaged.
    bool readExtension(int* transparent) {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif_, &code, &block) == GIF_ERROR)
            return fail();
        if (transparent != nullptr && code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
            GraphicsControlBlock control;
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                *transparent = control.TransparentColor;
        }
        while (block != nullptr)
            if (DGifGetExtensionNext(gif_, &block) == GIF_ERROR)
                return fail();
        return true;
    }

    bool skipFrame() {
        int codeSize = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(gif_, &codeSize, &block) == GIF_ERROR)
            return false;
        while (block != nullptr)
            if (DGifGetCodeNext(gif_, &block) == GIF_ERROR)
                return false;
        return true;
    }

    // Before the first frame a failure is the file's; after it, the end of the count.
    bool fail() {
        if (frames == 0)
            raiseGifError(gif_->Error);
        return false;
    }

    void decodeFirstFrame(PictureRows& rows, int transparent) {
        const GifImageDesc& frame = gif_->Image;
        const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif_->SColorMap;
        if (colours == nullptr)
            throw InputError("is a GIF without a colour table");
        if (frame.Left < 0 || frame.Top < 0 || frame.Width <= 0 || frame.Height <= 0 ||
            frame.Left + frame.Width > gif_->SWidth || frame.Top + frame.Height > gif_->SHeight)
            throw InputError(
                "is a GIF whose first frame (" +
                sizeText(UINT(std::max(frame.Width, 0)), UINT(std::max(frame.Height, 0))) +
                " pixels at " + std::to_string(frame.Left) + ", " + std::to_string(frame.Top) +
                ") does not lie within its picture of " + sizeText(width_, height_) + " pixels");
        const UINT left = static_cast<UINT>(frame.Left);
        const UINT top = static_cast<UINT>(frame.Top);
        const UINT wide = static_cast<UINT>(frame.Width);
        const UINT high = static_cast<UINT>(frame.Height);

        // The frame's indices, read in the file's order of rows.
        std::vector<GifPixelType> indices(std::size_t(wide) * high);
        for (UINT y : rowOrder(high, frame.Interlace))
            if (DGifGetLine(gif_, &indices[std::size_t(y) * wide], int(wide)) == GIF_ERROR)
                raiseGifError(gif_->Error);

        rows.start(width_, height_);
        // Outside the frame the canvas is undrawn.
        std::vector<unsigned char> rgba(std::size_t(width_) * 4, 0);
        for (UINT y = 0; y < height_; ++y) {
            std::fill(rgba.begin(), rgba.end(), 0);
            if (y >= top && y < top + high) {
                const GifPixelType* index = &indices[std::size_t(y - top) * wide];
                unsigned char* pixel = &rgba[std::size_t(left) * 4];
                for (UINT x = 0; x < wide; ++x, ++index, pixel += 4) {
                    if (*index == transparent)
                        continue;
                    if (*index >= colours->ColorCount)
                        throw InputError("is a damaged GIF: its first frame uses colour " +
                                         std::to_string(*index) +
                                         ", which its colour table "
                                         "of " +
                                         std::to_string(colours->ColorCount) + " lacks");
                    const GifColorType& colour = colours->Colors[*index];
                    pixel[0] = colour.Red;
                    pixel[1] = colour.Green;
                    pixel[2] = colour.Blue;
                    pixel[3] = 255;
                }
            }
            rows.row(y, rgba.data());
        }
    }

    GifSource source_;
    GifFileType* gif_ = nullptr;
};

} // namespace

std::unique_ptr<PictureDecoder> openGif(const unsigned char* data, std::size_t size) {
    auto decoder = std::make_unique<GifDecoder>();
    decoder->open(data, size);
    return decoder;
}
