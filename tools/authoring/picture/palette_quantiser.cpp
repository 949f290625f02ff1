// Palette choice by variance-minimising median cut over a colour histogram, refined by a few
// rounds of k-means; pixels mapped to the nearest entry, with Floyd-Steinberg error diffusion.
// Every step is integer arithmetic and every ordering a total one, so that the same picture gives
// the same palette and pixels from every compiler, standard library and processor.
#include "palette_quantiser.h"

#include "integer_rounding.h"
#include "little_endian_output.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

namespace {

// A set of pixels by its count and its sums: of each channel and of each channel's squares.
// Exact: a picture of 2^30 pixels keeps every sum below 2^47.
struct ColourSums {
    std::uint64_t weight = 0;
    std::array<std::uint64_t, 3> sum{}, squares{};

    void add(const ColourSums& other) {
        weight += other.weight;
        for (int c = 0; c < 3; ++c) {
            sum[c] += other.sum[c];
            squares[c] += other.squares[c];
        }
    }
    ColourSums minus(const ColourSums& part) const {
        ColourSums rest;
        rest.weight = weight - part.weight;
        for (int c = 0; c < 3; ++c) {
            rest.sum[c] = sum[c] - part.sum[c];
            rest.squares[c] = squares[c] - part.squares[c];
        }
        return rest;
    }
    // The summed squared distance of one channel's values to their mean: squares - sum^2 /
    // weight, with the division taken as sum = q weight + r, so that nothing overflows.
    std::uint64_t spread(int c) const {
        if (weight == 0)
            return 0;
        const std::uint64_t q = sum[c] / weight, r = sum[c] % weight;
        return squares[c] - (q * q * weight + 2 * q * r + r * r / weight);
    }
    std::uint64_t squaredError() const { return spread(0) + spread(1) + spread(2); }
    // A channel's mean in 256ths of a level, rounded.
    std::uint32_t mean256(int c) const {
        return weight == 0 ? 0 : static_cast<std::uint32_t>((sum[c] * 256 + weight / 2) / weight);
    }
};

// A histogram cell (6 bits a channel) or one exact colour: its key orders cells that tie on
// every other measure.
struct ColourBin {
    std::uint32_t key = 0;
    ColourSums sums;
    std::array<std::uint32_t, 3> mean{}; // in 256ths of a level
};

struct ColourBox {
    std::size_t begin = 0, end = 0;
    std::uint64_t squaredError = 0;
};

ColourSums sumsOf(const std::vector<ColourBin>& bins, std::size_t begin, std::size_t end) {
    ColourSums sums;
    for (std::size_t i = begin; i < end; ++i)
        sums.add(bins[i].sums);
    return sums;
}

int widestAxis(const std::vector<ColourBin>& bins, const ColourBox& box) {
    const ColourSums sums = sumsOf(bins, box.begin, box.end);
    int widest = 0;
    for (int axis = 1; axis < 3; ++axis)
        if (sums.spread(axis) > sums.spread(widest))
            widest = axis;
    return widest;
}

// Splits a box of two or more bins where the two halves' summed error is least, along the axis
// of largest variance. Bins are ordered by their mean on that axis, then by their key.
std::pair<ColourBox, ColourBox> splitBox(std::vector<ColourBin>& bins, const ColourBox& box) {
    const int axis = widestAxis(bins, box);
    std::sort(bins.begin() + static_cast<std::ptrdiff_t>(box.begin),
              bins.begin() + static_cast<std::ptrdiff_t>(box.end),
              [axis](const ColourBin& a, const ColourBin& b) {
                  if (a.mean[axis] != b.mean[axis])
                      return a.mean[axis] < b.mean[axis];
                  return a.key < b.key;
              });
    const ColourSums whole = sumsOf(bins, box.begin, box.end);
    ColourSums left;
    std::size_t bestSplit = box.begin + 1;
    std::uint64_t bestError = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t bestLeftError = 0, bestRightError = 0;
    for (std::size_t split = box.begin + 1; split < box.end; ++split) {
        left.add(bins[split - 1].sums);
        const std::uint64_t leftError = left.squaredError();
        const std::uint64_t rightError = whole.minus(left).squaredError();
        if (leftError + rightError < bestError) {
            bestError = leftError + rightError;
            bestSplit = split;
            bestLeftError = leftError;
            bestRightError = rightError;
        }
    }
    return {{box.begin, bestSplit, bestLeftError}, {bestSplit, box.end, bestRightError}};
}

void addPixel(ColourSums& sums, const unsigned char* rgb) {
    sums.weight += 1;
    for (int c = 0; c < 3; ++c) {
        sums.sum[c] += rgb[c];
        sums.squares[c] += unsigned(rgb[c]) * rgb[c];
    }
}

ColourBin finished(std::uint32_t key, const ColourSums& sums) {
    ColourBin bin;
    bin.key = key;
    bin.sums = sums;
    for (int c = 0; c < 3; ++c)
        bin.mean[c] = sums.mean256(c);
    return bin;
}

std::vector<ColourBin> histogramOf(const unsigned char* rgb, std::size_t pixels) {
    std::vector<ColourSums> cells(1u << 18);
    for (std::size_t i = 0; i < pixels; ++i, rgb += 3)
        addPixel(cells[(rgb[0] >> 2) << 12 | (rgb[1] >> 2) << 6 | rgb[2] >> 2], rgb);
    std::vector<ColourBin> bins;
    for (std::uint32_t key = 0; key < cells.size(); ++key)
        if (cells[key].weight != 0)
            bins.push_back(finished(key, cells[key]));
    return bins;
}

// Every distinct colour with its count: for pictures whose colours fall into fewer cells than
// the palette has entries, where the cells would merge colours that the palette can keep apart.
std::vector<ColourBin> exactHistogramOf(const unsigned char* rgb, std::size_t pixels) {
    std::vector<std::uint32_t> keys(pixels);
    for (std::size_t i = 0; i < pixels; ++i, rgb += 3)
        keys[i] = std::uint32_t(rgb[0]) << 16 | rgb[1] << 8 | rgb[2];
    std::sort(keys.begin(), keys.end());
    std::vector<ColourBin> bins;
    for (std::size_t i = 0; i < keys.size();) {
        std::size_t run = i;
        while (run < keys.size() && keys[run] == keys[i])
            ++run;
        const unsigned char colour[3] = {static_cast<unsigned char>(keys[i] >> 16),
                                         static_cast<unsigned char>(keys[i] >> 8),
                                         static_cast<unsigned char>(keys[i])};
        ColourSums sums;
        for (std::size_t n = i; n < run; ++n)
            addPixel(sums, colour);
        bins.push_back(finished(keys[i], sums));
        i = run;
    }
    return bins;
}

std::uint64_t squaredDistance(const std::array<std::uint32_t, 3>& a,
                              const std::array<std::uint32_t, 3>& b) {
    std::uint64_t distance = 0;
    for (int c = 0; c < 3; ++c) {
        const std::int64_t d = std::int64_t(a[c]) - std::int64_t(b[c]);
        distance += static_cast<std::uint64_t>(d * d);
    }
    return distance;
}

// Moves each centre (in 256ths of a level) to the mean of the bins nearest to it, the first of
// equally near ones; a few rounds settle most of the gain that median cut leaves.
void refineCentres(const std::vector<ColourBin>& bins,
                   std::vector<std::array<std::uint32_t, 3>>& centres) {
    constexpr int rounds = 6;
    std::vector<ColourSums> sums(centres.size());
    for (int round = 0; round < rounds; ++round) {
        std::fill(sums.begin(), sums.end(), ColourSums{});
        for (const ColourBin& bin : bins) {
            std::size_t nearest = 0;
            std::uint64_t nearestDistance = std::numeric_limits<std::uint64_t>::max();
            for (std::size_t c = 0; c < centres.size(); ++c) {
                const std::uint64_t distance = squaredDistance(bin.mean, centres[c]);
                if (distance < nearestDistance) {
                    nearestDistance = distance;
                    nearest = c;
                }
            }
            sums[nearest].add(bin.sums);
        }
        for (std::size_t c = 0; c < centres.size(); ++c) {
            if (sums[c].weight == 0)
                continue; // an empty cell keeps its centre
            for (int channel = 0; channel < 3; ++channel)
                centres[c][channel] = sums[c].mean256(channel);
        }
    }
}

unsigned char toByte(std::uint32_t mean256) {
    return static_cast<unsigned char>(std::min<std::uint32_t>((mean256 + 128) >> 8, 255));
}

// The picture's own colours when there are no more than `colours` of them, in order of first
// appearance; empty otherwise.
std::vector<PaletteColour> exactColours(const unsigned char* rgb, std::size_t pixels,
                                        unsigned colours) {
    std::vector<PaletteColour> found;
    std::vector<std::uint32_t> keys; // sorted, for the look-up of every pixel
    std::uint32_t last = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < pixels; ++i, rgb += 3) {
        const std::uint32_t key = std::uint32_t(rgb[0]) << 16 | rgb[1] << 8 | rgb[2];
        if (key == last)
            continue;
        last = key;
        const auto at = std::lower_bound(keys.begin(), keys.end(), key);
        if (at != keys.end() && *at == key)
            continue;
        if (keys.size() == colours)
            return {};
        keys.insert(at, key);
        found.push_back({rgb[0], rgb[1], rgb[2]});
    }
    return found;
}

std::vector<PaletteColour> choosePalette(const unsigned char* rgb, std::size_t pixels,
                                         unsigned colours, bool& exact) {
    std::vector<PaletteColour> own = exactColours(rgb, pixels, colours);
    exact = !own.empty();
    if (exact)
        return own;
    std::vector<ColourBin> bins = histogramOf(rgb, pixels);
    if (bins.size() < colours)
        bins = exactHistogramOf(rgb, pixels);
    std::vector<ColourBox> boxes{{0, bins.size(), sumsOf(bins, 0, bins.size()).squaredError()}};
    while (boxes.size() < colours) {
        // The first of the boxes with the largest error, among those that can split.
        auto worst = std::max_element(boxes.begin(), boxes.end(),
                                      [](const ColourBox& a, const ColourBox& b) {
                                          const bool aSplits = a.end - a.begin > 1;
                                          const bool bSplits = b.end - b.begin > 1;
                                          if (aSplits != bSplits)
                                              return bSplits;
                                          return a.squaredError < b.squaredError;
                                      });
        if (worst->end - worst->begin < 2)
            break; // every box holds one bin: the palette has all the picture's cells
        const auto halves = splitBox(bins, *worst);
        *worst = halves.first;
        boxes.push_back(halves.second);
    }
    std::vector<std::array<std::uint32_t, 3>> centres;
    for (const ColourBox& box : boxes) {
        const ColourSums sums = sumsOf(bins, box.begin, box.end);
        centres.push_back({sums.mean256(0), sums.mean256(1), sums.mean256(2)});
    }
    refineCentres(bins, centres);
    std::vector<PaletteColour> palette;
    for (const std::array<std::uint32_t, 3>& centre : centres)
        palette.push_back({toByte(centre[0]), toByte(centre[1]), toByte(centre[2])});
    return palette;
}

// Nearest palette entry of a colour: entries sorted by green, searched outward from the
// colour's own green until the green distance alone exceeds the best found; answers are
// remembered in a small direct-mapped cache, since neighbouring pixels repeat colours.
class NearestColourFinder {
  public:
    explicit NearestColourFinder(const std::vector<PaletteColour>& palette)
        : order_(palette.size()), cache_(cacheSize) {
        std::iota(order_.begin(), order_.end(), 0);
        std::stable_sort(order_.begin(), order_.end(), [&](unsigned a, unsigned b) {
            return palette[a].green < palette[b].green;
        });
        for (unsigned index : order_)
            sorted_.push_back(palette[index]);
    }

    unsigned nearest(int red, int green, int blue) {
        const std::uint32_t key = std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | blue;
        CacheEntry& entry = cache_[(key * 2654435761u) >> (32 - cacheBits)];
        if (entry.key != key) {
            entry.key = key;
            entry.index = search(red, green, blue);
        }
        return entry.index;
    }

  private:
    static constexpr unsigned cacheBits = 16;
    static constexpr std::size_t cacheSize = std::size_t(1) << cacheBits;
    struct CacheEntry {
        std::uint32_t key = 0xFFFFFFFFu; // no colour has this key
        unsigned index = 0;
    };

    static int distance(int red, int green, int blue, const PaletteColour& colour) {
        return (red - colour.red) * (red - colour.red) +
               (green - colour.green) * (green - colour.green) +
               (blue - colour.blue) * (blue - colour.blue);
    }

    unsigned search(int red, int green, int blue) const {
        const std::size_t start = static_cast<std::size_t>(
            std::lower_bound(sorted_.begin(), sorted_.end(), green,
                             [](const PaletteColour& c, int g) { return c.green < g; }) -
            sorted_.begin());
        int best = std::numeric_limits<int>::max();
        std::size_t bestAt = 0;
        auto consider = [&](std::size_t at) {
            const int gap = sorted_[at].green - green;
            if (gap * gap >= best)
                return false;
            const int d = distance(red, green, blue, sorted_[at]);
            if (d < best) {
                best = d;
                bestAt = at;
            }
            return true;
        };
        for (std::size_t at = start; at < sorted_.size() && consider(at); ++at) {
        }
        for (std::size_t at = start; at-- > 0 && consider(at);) {
        }
        return order_[bestAt];
    }

    std::vector<unsigned> order_;
    std::vector<PaletteColour> sorted_;
    std::vector<CacheEntry> cache_;
};

void mapPlain(const unsigned char* rgb, const std::vector<PaletteColour>& palette,
              IndexedPicture& picture) {
    NearestColourFinder finder(palette);
    const std::size_t pixels = picture.indices.size();
    for (std::size_t i = 0; i < pixels; ++i, rgb += 3)
        picture.indices[i] = static_cast<unsigned char>(finder.nearest(rgb[0], rgb[1], rgb[2]));
}

// Floyd-Steinberg, each row in the opposite direction to the last so that the error does not
// drift one way; the error rows, in 16ths of a level, carry one spare cell at each end.
void mapDithered(const unsigned char* rgb, const std::vector<PaletteColour>& palette,
                 IndexedPicture& picture) {
    NearestColourFinder finder(palette);
    const std::size_t width = picture.width;
    std::vector<int> thisRow((width + 2) * 3), nextRow((width + 2) * 3);
    for (std::size_t y = 0; y < picture.height; ++y) {
        const bool leftToRight = y % 2 == 0;
        std::fill(nextRow.begin(), nextRow.end(), 0);
        for (std::size_t step = 0; step < width; ++step) {
            const std::size_t x = leftToRight ? step : width - 1 - step;
            const unsigned char* source = rgb + (y * width + x) * 3;
            const int* error = &thisRow[(x + 1) * 3];
            int wanted[3];
            for (int c = 0; c < 3; ++c)
                wanted[c] = std::clamp(source[c] + int(roundedShift(error[c], 4)), 0, 255);
            const unsigned index = finder.nearest(wanted[0], wanted[1], wanted[2]);
            picture.indices[y * width + x] = static_cast<unsigned char>(index);
            const PaletteColour& got = palette[index];
            const int residual[3] = {wanted[0] - got.red, wanted[1] - got.green,
                                     wanted[2] - got.blue};
            const std::ptrdiff_t ahead = leftToRight ? 3 : -3;
            int* here = &thisRow[(x + 1) * 3];
            int* below = &nextRow[(x + 1) * 3];
            for (int c = 0; c < 3; ++c) {
                here[ahead + c] += residual[c] * 7;
                below[-ahead + c] += residual[c] * 3;
                below[c] += residual[c] * 5;
                below[ahead + c] += residual[c];
            }
        }
        std::swap(thisRow, nextRow);
    }
}

} // namespace

const std::vector<PaletteColour>& systemStaticColours() {
    static const std::vector<PaletteColour> colours = {
        {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
        {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
        {0xC0, 0xDC, 0xC0}, {0xA6, 0xCA, 0xF0}, {0xFF, 0xFB, 0xF0}, {0xA0, 0xA0, 0xA4},
        {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
        {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
    };
    return colours;
}

IndexedPicture mapToPalette(const unsigned char* rgb, std::uint32_t width, std::uint32_t height,
                            const std::vector<PaletteColour>& palette, bool dither) {
    IndexedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.palette = palette;
    picture.indices.resize(std::size_t(width) * height);
    if (dither)
        mapDithered(rgb, palette, picture);
    else
        mapPlain(rgb, palette, picture);
    return picture;
}

IndexedPicture quantisePicture(const unsigned char* rgb, std::uint32_t width, std::uint32_t height,
                               unsigned colours, bool dither) {
    colours = std::clamp(colours, 2u, 256u);
    bool exact = false;
    const std::vector<PaletteColour> palette =
        choosePalette(rgb, std::size_t(width) * height, colours, exact);
    // A picture of its palette's colours alone has no error to spread.
    return mapToPalette(rgb, width, height, palette, dither && !exact);
}

std::vector<unsigned char> encodePaletteBitmap(const IndexedPicture& picture,
                                               unsigned bitsPerPixel) {
    const std::uint32_t entries = static_cast<std::uint32_t>(picture.palette.size());
    const std::size_t stride = (std::size_t(picture.width) * bitsPerPixel + 31) / 32 * 4;
    const std::uint32_t bitsOffset = 14 + 40 + entries * 4;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(stride * picture.height);
    std::vector<unsigned char> bmp;
    bmp.reserve(bitsOffset + pixelBytes);
    bmp.push_back('B');
    bmp.push_back('M');
    appendLittleEndian32(bmp, bitsOffset + pixelBytes);
    appendLittleEndian32(bmp, 0);
    appendLittleEndian32(bmp, bitsOffset);
    appendLittleEndian32(bmp, 40);
    appendLittleEndian32(bmp, picture.width);
    appendLittleEndian32(bmp, picture.height); // positive: bottom row first
    appendLittleEndian16(bmp, 1);
    appendLittleEndian16(bmp, bitsPerPixel);
    appendLittleEndian32(bmp, 0); // uncompressed
    appendLittleEndian32(bmp, pixelBytes);
    appendLittleEndian32(bmp, 2835); // 72 pixels an inch, as the 24-bit pictures
    appendLittleEndian32(bmp, 2835);
    appendLittleEndian32(bmp, entries);
    appendLittleEndian32(bmp, 0);
    for (const PaletteColour& colour : picture.palette) {
        bmp.push_back(colour.blue);
        bmp.push_back(colour.green);
        bmp.push_back(colour.red);
        bmp.push_back(0);
    }
    for (std::uint32_t y = picture.height; y-- > 0;) {
        const unsigned char* row = &picture.indices[std::size_t(y) * picture.width];
        const std::size_t rowStart = bmp.size();
        if (bitsPerPixel == 8) {
            bmp.insert(bmp.end(), row, row + picture.width);
        } else {
            for (std::uint32_t x = 0; x < picture.width; x += 2) {
                const unsigned high = row[x] & 0x0F;
                const unsigned low = x + 1 < picture.width ? row[x + 1] & 0x0F : 0;
                bmp.push_back(static_cast<unsigned char>(high << 4 | low));
            }
        }
        bmp.insert(bmp.end(), stride - (bmp.size() - rowStart), 0);
    }
    return bmp;
}
