// PNG through libpng: every colour type and depth expanded to 8-bit RGBA, row by row, so that a
// picture that shrinks is never held whole; only an interlaced one is, since its rows arrive in
// seven passes.
#include "picture_decoders.h"

#include "tool_error.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <png.h>
#include <string>

namespace {

// What libpng reads from, and what went wrong.
struct PngSource {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
    bool cutShort = false;
    bool outOfMemory = false;
    // A fixed buffer: nothing may allocate, let alone throw, between libpng's frames.
    char failure[160] = {};
};

PngSource& sourceOf(png_structp png) {
    return *static_cast<PngSource*>(png_get_error_ptr(png));
}

void readBytes(png_structp png, png_bytep into, png_size_t length) {
    PngSource& source = sourceOf(png);
    if (length > source.size - source.at) {
        source.cutShort = true;
        png_error(png, "cut short");
    }
    std::memcpy(into, source.data + source.at, length);
    source.at += length;
}

void keepFailure(png_structp png, png_const_charp message) {
    PngSource& source = sourceOf(png);
    if (source.failure[0] == 0)
        std::snprintf(source.failure, sizeof source.failure, "%s", message);
    png_longjmp(png, 1);
}

// Warnings concern chunks the conversion ignores or damage libpng reads past.
void ignoreWarning(png_structp, png_const_charp) {}

png_voidp allocate(png_structp png, png_alloc_size_t size) {
    void* block = std::malloc(size);
    if (block == nullptr)
        static_cast<PngSource*>(png_get_mem_ptr(png))->outOfMemory = true;
    return block;
}

void release(png_structp, png_voidp block) {
    std::free(block);
}

class PngDecoder : public PictureDecoder {
  public:
    ~PngDecoder() override {
        if (png_ != nullptr)
            png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
    }

    void open(const unsigned char* data, std::size_t size) {
        source_.data = data;
        source_.size = size;
        png_ = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &source_, keepFailure, ignoreWarning,
                                        &source_, allocate, release);
        if (png_ == nullptr || (info_ = png_create_info_struct(png_)) == nullptr)
            throw std::bad_alloc();
        guarded([&] {
            png_set_read_fn(png_, &source_, readBytes);
            // Of the ancillary chunks only the transparency matters to the pixels; the others
            // (texts, profiles, Exif) are skipped unread.
            png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
            png_read_info(png_, info_);
        });
        width_ = png_get_image_width(png_, info_);
        height_ = png_get_image_height(png_, info_);
    }

    void decode(PictureRows& rows, WindowSize) override {
        const bool interlaced = png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE;
        guarded([&] {
            png_set_expand(png_);
            png_set_strip_16(png_);
            png_set_gray_to_rgb(png_);
            png_set_add_alpha(png_, 0xFF, PNG_FILLER_AFTER);
            png_set_interlace_handling(png_);
            png_read_update_info(png_, info_);
        });
        const std::size_t rowBytes = std::size_t(width_) * 4;
        if (png_get_rowbytes(png_, info_) != rowBytes)
            throw InputError("is a PNG that libpng cannot expand to 8-bit RGBA");
        rows.start(width_, height_);
        if (interlaced) {
            std::vector<unsigned char> whole(rowBytes * height_);
            std::vector<png_bytep> starts(height_);
            for (UINT y = 0; y < height_; ++y)
                starts[y] = &whole[y * rowBytes];
            guarded([&] { png_read_image(png_, starts.data()); });
            for (UINT y = 0; y < height_; ++y)
                rows.row(y, starts[y]);
            return;
        }
        std::vector<unsigned char> row(rowBytes);
        for (UINT y = 0; y < height_; ++y) {
            guarded([&] { png_read_row(png_, row.data(), nullptr); });
            rows.row(y, row.data());
        }
    }

  private:
    // Runs `work`, whose calls into libpng return here when it fails. `work` holds no object
    // with a destructor, so that the jump leaves nothing undone.
    template <class Work> void guarded(const Work& work) {
        if (setjmp(png_jmpbuf(png_)) != 0)
            raiseFailure();
        work();
    }

    [[noreturn]] void raiseFailure() {
        if (source_.outOfMemory)
            throw std::bad_alloc();
        if (source_.cutShort)
            throw InputError("is cut short: its PNG data ends before its picture does");
        throw InputError(std::string("is a damaged PNG: ") + source_.failure);
    }

    PngSource source_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

} // namespace

std::unique_ptr<PictureDecoder> openPng(const unsigned char* data, std::size_t size) {
    auto decoder = std::make_unique<PngDecoder>();
    decoder->open(data, size);
    return decoder;
}
