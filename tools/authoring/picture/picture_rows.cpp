// Pictures delivered row by row: kept whole, or shrunk by a whole factor in linear light.
#include "picture_rows.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

// round(65535 * linear(i / 255)) for the sRGB transfer function, computed once with exact
// decimal arithmetic: a library's pow() may differ in its last bit from one platform to another.
const std::uint16_t linearOfSrgb[256] = {
    0,     20,    40,    60,    80,    99,    119,   139,   159,   179,   199,   219,   241,
    264,   288,   313,   340,   367,   396,   427,   458,   491,   526,   562,   599,   637,
    677,   718,   761,   805,   851,   898,   947,   997,   1048,  1101,  1156,  1212,  1270,
    1330,  1391,  1453,  1517,  1583,  1651,  1720,  1790,  1863,  1937,  2013,  2090,  2170,
    2250,  2333,  2418,  2504,  2592,  2681,  2773,  2866,  2961,  3058,  3157,  3258,  3360,
    3464,  3570,  3678,  3788,  3900,  4014,  4129,  4247,  4366,  4488,  4611,  4736,  4864,
    4993,  5124,  5257,  5392,  5530,  5669,  5810,  5953,  6099,  6246,  6395,  6547,  6700,
    6856,  7014,  7174,  7335,  7500,  7666,  7834,  8004,  8177,  8352,  8528,  8708,  8889,
    9072,  9258,  9445,  9635,  9828,  10022, 10219, 10417, 10619, 10822, 11028, 11235, 11446,
    11658, 11873, 12090, 12309, 12530, 12754, 12980, 13209, 13440, 13673, 13909, 14146, 14387,
    14629, 14874, 15122, 15371, 15623, 15878, 16135, 16394, 16656, 16920, 17187, 17456, 17727,
    18001, 18277, 18556, 18837, 19121, 19407, 19696, 19987, 20281, 20577, 20876, 21177, 21481,
    21787, 22096, 22407, 22721, 23038, 23357, 23678, 24002, 24329, 24658, 24990, 25325, 25662,
    26001, 26344, 26688, 27036, 27386, 27739, 28094, 28452, 28813, 29176, 29542, 29911, 30282,
    30656, 31033, 31412, 31794, 32179, 32567, 32957, 33350, 33745, 34143, 34544, 34948, 35355,
    35764, 36176, 36591, 37008, 37429, 37852, 38278, 38706, 39138, 39572, 40009, 40449, 40891,
    41337, 41785, 42236, 42690, 43147, 43606, 44069, 44534, 45002, 45473, 45947, 46423, 46903,
    47385, 47871, 48359, 48850, 49344, 49841, 50341, 50844, 51349, 51858, 52369, 52884, 53401,
    53921, 54445, 54971, 55500, 56032, 56567, 57105, 57646, 58190, 58737, 59287, 59840, 60396,
    60955, 61517, 62082, 62650, 63221, 63795, 64372, 64952, 65535,
};

// The linear values halfway between two sRGB values: ceil(65535 * linear((i + 0.5) / 255)).
const std::uint16_t srgbThresholds[255] = {
    10,    30,    50,    70,    90,    110,   130,   150,   170,   189,   209,   230,   253,
    276,   301,   327,   354,   382,   412,   443,   475,   509,   544,   580,   618,   657,
    698,   740,   783,   828,   875,   923,   972,   1023,  1075,  1129,  1185,  1242,  1300,
    1360,  1422,  1486,  1551,  1617,  1685,  1755,  1827,  1900,  1975,  2052,  2130,  2210,
    2292,  2376,  2461,  2548,  2637,  2727,  2820,  2914,  3010,  3108,  3208,  3309,  3412,
    3518,  3625,  3734,  3844,  3957,  4072,  4188,  4307,  4427,  4550,  4674,  4800,  4928,
    5059,  5191,  5325,  5461,  5599,  5740,  5882,  6026,  6173,  6321,  6471,  6624,  6778,
    6935,  7094,  7255,  7418,  7583,  7750,  7919,  8091,  8265,  8440,  8618,  8798,  8981,
    9165,  9352,  9541,  9732,  9925,  10121, 10318, 10518, 10720, 10925, 11132, 11341, 11552,
    11765, 11981, 12199, 12420, 12643, 12868, 13095, 13325, 13557, 13791, 14028, 14267, 14508,
    14752, 14998, 15247, 15498, 15751, 16007, 16265, 16525, 16788, 17054, 17321, 17592, 17864,
    18139, 18417, 18697, 18980, 19264, 19552, 19842, 20134, 20429, 20727, 21027, 21329, 21634,
    21942, 22252, 22564, 22880, 23197, 23518, 23840, 24166, 24494, 24824, 25158, 25493, 25832,
    26173, 26516, 26862, 27211, 27563, 27917, 28273, 28633, 28995, 29359, 29727, 30097, 30469,
    30845, 31223, 31603, 31987, 32373, 32762, 33153, 33547, 33944, 34344, 34747, 35152, 35560,
    35970, 36384, 36800, 37219, 37640, 38065, 38492, 38922, 39355, 39790, 40229, 40670, 41114,
    41561, 42011, 42463, 42918, 43377, 43838, 44301, 44768, 45238, 45710, 46185, 46663, 47144,
    47628, 48115, 48605, 49097, 49593, 50091, 50592, 51096, 51604, 52114, 52627, 53142, 53661,
    54183, 54708, 55235, 55766, 56300, 56836, 57376, 57918, 58464, 59012, 59564, 60118, 60675,
    61236, 61799, 62366, 62935, 63508, 64083, 64662, 65244,
};

} // namespace

unsigned linearFromSrgb(unsigned char value) {
    return linearOfSrgb[value];
}

unsigned char srgbFromLinear(unsigned linear) {
    return static_cast<unsigned char>(
        std::upper_bound(srgbThresholds, srgbThresholds + 255, linear) - srgbThresholds);
}

void WholePicture::start(UINT width, UINT height) {
    picture_.width = width;
    picture_.height = height;
    picture_.rgba.assign(std::size_t(width) * height * 4, 0);
}

void WholePicture::row(UINT y, const unsigned char* rgba) {
    const std::size_t bytes = std::size_t(picture_.width) * 4;
    std::memcpy(&picture_.rgba[y * bytes], rgba, bytes);
}

ShrinkingPicture::ShrinkingPicture(WindowSize atLeast) : atLeast_(atLeast) {
    atLeast_.width = std::max<UINT>(atLeast_.width, 1);
    atLeast_.height = std::max<UINT>(atLeast_.height, 1);
}

void ShrinkingPicture::start(UINT width, UINT height) {
    sourceWidth_ = width;
    sourceHeight_ = height;
    factor_ = std::max<UINT>(1, std::min(width / atLeast_.width, height / atLeast_.height));
    picture_.width = (width + factor_ - 1) / factor_;
    picture_.height = (height + factor_ - 1) / factor_;
    picture_.rgba.assign(std::size_t(picture_.width) * picture_.height * 4, 0);
    sums_.assign(std::size_t(picture_.width) * 4, 0);
    rowsSummed_ = 0;
    nextRow_ = 0;
}

void ShrinkingPicture::row(UINT y, const unsigned char* rgba) {
    if (factor_ > 1 && y != nextRow_ + rowsSummed_)
        throw std::logic_error("the rows of a shrinking picture must come in order");
    if (factor_ == 1) {
        const std::size_t bytes = std::size_t(picture_.width) * 4;
        std::memcpy(&picture_.rgba[y * bytes], rgba, bytes);
        return;
    }
    std::uint64_t* cell = sums_.data();
    for (UINT x = 0; x < sourceWidth_; cell += 4) {
        const UINT end = std::min(sourceWidth_, x + factor_);
        for (; x < end; ++x, rgba += 4) {
            const unsigned alpha = rgba[3];
            cell[0] += std::uint64_t(linearFromSrgb(rgba[0])) * alpha;
            cell[1] += std::uint64_t(linearFromSrgb(rgba[1])) * alpha;
            cell[2] += std::uint64_t(linearFromSrgb(rgba[2])) * alpha;
            cell[3] += alpha;
        }
    }
    ++rowsSummed_;
    if (rowsSummed_ == factor_ || y + 1 == sourceHeight_)
        emitRow();
}

void ShrinkingPicture::emitRow() {
    unsigned char* out = &picture_.rgba[std::size_t(nextRow_ / factor_) * picture_.width * 4];
    for (UINT column = 0; column < picture_.width; ++column, out += 4) {
        std::uint64_t* cell = &sums_[std::size_t(column) * 4];
        const std::uint64_t wide = std::min(factor_, sourceWidth_ - column * factor_);
        const std::uint64_t count = wide * rowsSummed_;
        const std::uint64_t alpha = cell[3];
        for (int channel = 0; channel < 3; ++channel)
            out[channel] =
                alpha == 0 ? 0 : srgbFromLinear(unsigned((cell[channel] + alpha / 2) / alpha));
        out[3] = static_cast<unsigned char>((alpha + count / 2) / count);
        cell[0] = cell[1] = cell[2] = cell[3] = 0;
    }
    nextRow_ += rowsSummed_;
    rowsSummed_ = 0;
}
