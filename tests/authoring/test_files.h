// What the splashpack tests share: a scratch folder per case, pictures and sounds made in
// memory, and strict readers for what the tool writes.
#pragma once

#include "bitmap_codec.h"
#include "build_warning.h"
#include "payload_writer.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// A warning as a failed expectation shows it.
inline void PrintTo(const Warning& warning, std::ostream* out) {
    *out << "{" << warning.option << ": " << warning.text << "}";
}

// A folder of its own for one test case, removed with everything in it at the end.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string path(const std::string& name) const;
    // The names of the files in the folder, sorted.
    std::vector<std::string> names() const;

  private:
    std::filesystem::path root;
};

void writeFile(const std::string& path, const ByteVector& bytes);
ByteVector readFile(const std::string& path);
// A file of the BMP corpus, e.g. "g/pal8.bmp".
ByteVector corpusFile(const std::string& name);
// A file of tests/data/pictures, e.g. "cmyk.jpg".
ByteVector pictureFile(const std::string& name);

// Colours that change along both axes, so rows or columns out of place show; with `alpha` the
// opacity varies too.
RgbaPicture gradientPicture(UINT width, UINT height, bool alpha);

// Smooth gradients in every channel, opaque: what a lossy coder keeps well.
RgbaPicture smoothPicture(UINT width, UINT height);

ByteVector encodePng(const RgbaPicture& picture, int channels);

// A PNG of any colour type and bit depth, Adam7-interlaced or not, written here with stored
// (uncompressed) deflate blocks, so that every sample is the test's own: `sample(x, y)` gives a
// pixel's samples in the bit depth's range. `palette` and `transparency` (the tRNS chunk's
// bytes) are written when not empty.
struct PngSamples {
    UINT width = 0;
    UINT height = 0;
    int colourType = 2; // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<Rgb> palette;
    ByteVector transparency;
};
ByteVector writePng(const PngSamples& layout,
                    const std::function<std::vector<unsigned>(UINT x, UINT y)>& sample);

// Writes the CRC of the PNG chunk whose length field is at `at` over its type and data.
void fixPngChunkCrc(ByteVector& png, std::size_t at);
ByteVector encodeJpeg(const RgbaPicture& picture, int quality);

// A GIF of `frames`, each `width` x `height` indices into `palette` (up to 256 colours); the
// index `transparent` is see-through when it is 0 or more. `interlaced` stores the rows in the
// four passes of an interlaced GIF.
ByteVector encodeGif(UINT width, UINT height, const std::vector<Rgb>& palette,
                     const std::vector<std::vector<unsigned char>>& frames, int transparent,
                     bool interlaced = false);

// The decoder's view of any picture stream, four channels.
RgbaPicture decodeReference(const ByteVector& bytes);

// Reads a BMP exactly as splashpack writes it (40-byte header, 24 bits, bottom-up, nothing
// else); any other field value fails the calling test.
RgbaPicture readBitmap24(const ByteVector& bmp);

// The largest difference of one colour channel between two pictures of one size; 256 when
// the sizes differ.
int largestDifference(const RgbaPicture& first, const RgbaPicture& second);

// The mean difference of the colour channels of two pictures of one size; 256 when the sizes
// differ.
double meanDifference(const RgbaPicture& first, const RgbaPicture& second);

// A PCM WAV file with a format and a data chunk.
ByteVector waveFile(UINT channels, UINT rate, UINT bits, UINT dataBytes);

// A stand-in for the player: the PE headers the tool reads (with a checksum) and filler bytes,
// `size` bytes of them (at least 1024).
ByteVector fakePlayer(UINT size = 4096);

// `file` as a signing tool leaves it: zero padding to a multiple of 8 bytes, then a
// certificate table of `tableBytes` bytes that data directory 4 names, and another checksum.
ByteVector signedCopy(ByteVector file, UINT tableBytes = 1504);
