// Fuzz target: the picture's validation over BMP bytes held in an exactly sized heap buffer.
// When a picture is accepted, every byte that drawing hands to GDI is read through the returned
// layout and view: the info header, the colour table after it and each padded row of pixels;
// and the shape a key colour cuts out of it is made at its own size and shrunk, every rectangle
// inside the window and the rows in order.
#include "bitmap_format.h"
#include "fuzz_checks.h"
#include "picture_shape.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

namespace {

std::uint32_t little32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// What GDI reads with DIB_RGB_COLORS after a 40-byte header: the entries the header counts, or
// the full palette of a palette picture that counts none.
std::uint64_t colourTableBytesRead(const unsigned char* infoHeader, UINT bitCount) {
    const std::uint32_t coloursUsed = little32(infoHeader + 32);
    const std::uint64_t entries =
        coloursUsed != 0 ? coloursUsed : (bitCount <= 8 ? std::uint64_t{1} << bitCount : 0);
    return entries * 4;
}

void readAsDrawingWould(const unsigned char* buffer, const BitmapLayout& layout,
                        const BitmapView& view) {
    require(view.fileHeader == buffer && view.infoHeader == buffer + layout.infoHeaderOffset &&
                view.bits == buffer + layout.bitsOffset,
            "the view and the layout name the same places");
    require(infoHeaderWidth(view.infoHeader) == layout.width &&
                static_cast<UINT>(infoHeaderAbsoluteHeight(view.infoHeader)) ==
                    layout.absoluteHeight,
            "the header accessors read the accepted dimensions");
    require(layout.width > 0 && layout.absoluteHeight > 0, "an accepted picture is not empty");

    touchBytes(view.fileHeader, bitmapFileHeaderSize);
    touchBytes(view.infoHeader, bitmapInfoHeaderSize);
    const std::uint64_t tableBytes = colourTableBytesRead(view.infoHeader, layout.bitCount);
    require(layout.colourTableOffset == layout.infoHeaderOffset + bitmapInfoHeaderSize &&
                layout.colourTableBytes == tableBytes,
            "the layout's colour table is the one GDI reads");
    touchBytes(view.infoHeader + bitmapInfoHeaderSize, static_cast<std::size_t>(tableBytes));

    const std::uint64_t stride =
        (std::uint64_t{UINT(layout.width)} * layout.bitCount + 31) / 32 * 4;
    for (UINT row = 0; row < layout.absoluteHeight; ++row)
        touchBytes(view.bits + row * stride, static_cast<std::size_t>(stride));
    require(stride * layout.absoluteHeight <= layout.pixelBytes,
            "the layout's pixel array holds every row");
    touchBytes(buffer + layout.bitsOffset, layout.pixelBytes);
}

// The shape for the key of the picture's first pixel bytes, at `width` x `height`.
void checkShape(const unsigned char* buffer, const BitmapLayout& layout, UINT width, UINT height) {
    const unsigned char* first = buffer + layout.bitsOffset;
    const KeyColour key{first[2 % layout.pixelBytes], first[1 % layout.pixelBytes], first[0]};
    UINT top = 0;
    for (const ShapeRect& rect : pictureShape(buffer, layout, key, width, height)) {
        require(rect.left < rect.right && rect.right <= width && rect.top < rect.bottom &&
                    rect.bottom <= height && rect.top >= top,
                "a shape's rectangles lie in the window, top to bottom");
        top = rect.top;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > std::numeric_limits<UINT>::max())
        return 0;
    // Exactly sized, so that a read one byte past the picture is outside the allocation.
    std::unique_ptr<unsigned char[]> buffer(size != 0 ? new unsigned char[size] : nullptr);
    if (size != 0)
        std::memcpy(buffer.get(), data, size);
    const UINT length = static_cast<UINT>(size);

    BitmapLayout layout;
    const bool accepted = checkBitmap(buffer.get(), length, layout) == BitmapVerdict::accepted;

    DataContent source;
    if (size != 0)
        source = DataContent(buffer.get(), length, false);
    BitmapView view;
    const bool located = locateBitmap(source, view);
    require(located == accepted, "the buffer check and the bytes check agree");
    if (located) {
        readAsDrawingWould(buffer.get(), layout, view);
        // Small pictures only, so that a run stays quick.
        if (std::uint64_t{UINT(layout.width)} * layout.absoluteHeight <= 1u << 16) {
            checkShape(buffer.get(), layout, UINT(layout.width), layout.absoluteHeight);
            checkShape(buffer.get(), layout, (UINT(layout.width) + 1) / 2,
                       (layout.absoluteHeight + 2) / 3);
        }
    }
    return 0;
}
