// The picture at another size in linear light, in integers only: sRGB levels to linear light and
// back through tables, the filter's weights in fixed point, sums in 64-bit integers.
#include "picture_resize.h"

#include "integer_rounding.h"

#include <algorithm>
#include <vector>

namespace {

// Each output pixel's weights add up to exactly 1 << weightBits. Linear light runs from 0 to
// 2^20 (white): 318 for the darkest level above black, so that the filter keeps every level.
constexpr int weightBits = 16;

// The linear light of each sRGB level: 2^20 x ((v / 255 + 0.055) / 1.055)^2.4, or
// 2^20 x v / 255 / 12.92 at the darkest levels, rounded.
constexpr std::int32_t linearOfLevel[256] = {
    0,       318,     637,     955,    1273,   1591,   1910,   2228,   2546,    2864,    3183,
    3509,    3855,    4220,    4605,   5009,   5433,   5878,   6343,   6828,    7335,    7863,
    8413,    8984,    9578,    10193,  10832,  11492,  12176,  12883,  13614,   14368,   15145,
    15947,   16773,   17624,   18499,  19399,  20324,  21274,  22250,  23251,   24278,   25331,
    26410,   27516,   28648,   29807,  30993,  32205,  33445,  34713,  36008,   37331,   38681,
    40060,   41467,   42903,   44367,  45860,  47381,  48932,  50512,  52121,   53760,   55428,
    57127,   58855,   60613,   62402,  64221,  66071,  67951,  69862,  71805,   73778,   75783,
    77819,   79886,   81985,   84117,  86280,  88475,  90702,  92962,  95254,   97579,   99937,
    102328,  104751,  107208,  109698, 112222, 114779, 117370, 119994, 122653,  125345,  128072,
    130833,  133628,  136458,  139323, 142222, 145156, 148125, 151130, 154169,  157244,  160355,
    163501,  166683,  169900,  173154, 176443, 179769, 183131, 186530, 189964,  193436,  196944,
    200489,  204072,  207691,  211347, 215041, 218772, 222540, 226346, 230190,  234071,  237991,
    241948,  245944,  249978,  254050, 258161, 262310, 266498, 270724, 274990,  279294,  283637,
    288020,  292442,  296903,  301404, 305944, 310523, 315143, 319802, 324502,  329241,  334021,
    338840,  343700,  348601,  353542, 358523, 363546, 368609, 373713, 378858,  384044,  389271,
    394539,  399849,  405201,  410594, 416028, 421504, 427022, 432582, 438184,  443828,  449515,
    455243,  461014,  466827,  472683, 478582, 484523, 490507, 496534, 502604,  508717,  514873,
    521072,  527315,  533601,  539930, 546303, 552720, 559181, 565685, 572234,  578826,  585462,
    592143,  598868,  605637,  612451, 619309, 626211, 633159, 640151, 647188,  654270,  661397,
    668569,  675786,  683048,  690356, 697709, 705108, 712552, 720042, 727577,  735159,  742786,
    750459,  758178,  765944,  773755, 781613, 789517, 797468, 805465, 813509,  821599,  829736,
    837920,  846151,  854429,  862753, 871125, 879545, 888011, 896525, 905086,  913695,  922351,
    931055,  939807,  948606,  957453, 966349, 975292, 984283, 993323, 1002411, 1011547, 1020731,
    1029964, 1039246, 1048576,
};

// The linear light half way, in sRGB, between level k and level k + 1 (the same formula at
// (k + 0.5) / 255): light at or above it is nearer to k + 1.
constexpr std::int32_t levelThresholds[255] = {
    159,     477,     796,    1114,   1432,   1750,   2069,   2387,   2705,    3024,    3343,
    3680,    4035,    4410,   4804,   5219,   5653,   6108,   6583,   7079,    7597,    8135,
    8696,    9278,    9883,   10510,  11159,  11832,  12527,  13246,  13988,   14754,   15543,
    16357,   17196,   18058,  18946,  19858,  20796,  21759,  22747,  23761,   24801,   25867,
    26960,   28079,   29224,  30396,  31596,  32822,  34076,  35357,  36666,   38003,   39367,
    40760,   42181,   43631,  45110,  46617,  48153,  49718,  51313,  52937,   54590,   56274,
    57987,   59730,   61504,  63308,  65142,  67007,  68903,  70830,  72787,   74776,   76797,
    78848,   80932,   83047,  85194,  87373,  89585,  91828,  94104,  96413,   98754,   101128,
    103535,  105976,  108449, 110956, 113496, 116070, 118678, 121319, 123995,  126704,  129448,
    132226,  135039,  137886, 140768, 143685, 146636, 149623, 152645, 155702,  158795,  161923,
    165087,  168287,  171522, 174794, 178102, 181446, 184826, 188242, 191696,  195186,  198712,
    202276,  205877,  209514, 213189, 216901, 220651, 224438, 228263, 232126,  236026,  239965,
    243942,  247956,  252009, 256101, 260231, 264399, 268606, 272852, 277137,  281461,  285824,
    290226,  294667,  299148, 303669, 308229, 312828, 317468, 322147, 326866,  331626,  336425,
    341265,  346145,  351066, 356027, 361029, 366072, 371156, 376280, 381446,  386652,  391900,
    397189,  402520,  407892, 413306, 418761, 424258, 429797, 435378, 441001,  446666,  452374,
    458123,  463915,  469750, 475627, 481547, 487510, 493515, 499563, 505655,  511789,  517967,
    524188,  530452,  536760, 543111, 549506, 555945, 562428, 568954, 575524,  582139,  588797,
    595500,  602247,  609038, 615874, 622755, 629680, 636649, 643664, 650723,  657828,  664977,
    672172,  679411,  686697, 694027, 701403, 708824, 716291, 723804, 731362,  738966,  746617,
    754313,  762055,  769844, 777678, 785559, 793487, 801460, 809481, 817548,  825662,  833822,
    842029,  850284,  858585, 866933, 875329, 883772, 892262, 900799, 909384,  918017,  926697,
    935425,  944200,  953024, 961895, 970814, 979782, 988797, 997861, 1006973, 1016133, 1025342,
    1034599, 1043905,
};

unsigned char levelOf(std::int64_t linear) {
    return static_cast<unsigned char>(
        std::upper_bound(std::begin(levelThresholds), std::end(levelThresholds), linear) -
        std::begin(levelThresholds));
}

// The filters at a distance of `distance` / 2^16, times 2^30. Along a side that shrinks or keeps
// its size, Mitchell-Netravali (B = C = 1/3), which blurs just enough to keep fine detail from
// aliasing: 18 k(x) is 21x^3 - 36x^2 + 16 below 1 and -7x^3 + 36x^2 - 60x + 32 from 1 to 2.
// Along a side that grows, Catmull-Rom, which keeps edges sharp: 2 k(x) is 3x^3 - 5x^2 + 2 below
// 1 and -x^3 + 5x^2 - 8x + 4 from 1 to 2.
std::int64_t filterAt(std::int64_t distance, bool shrinking) {
    const std::int64_t one = std::int64_t(1) << 16;
    if (distance >= 2 * one)
        return 0;
    const std::int64_t squared = distance * distance; // 2^32 for 1
    const std::int64_t cubed = squared * distance;    // 2^48 for 1
    const std::int64_t linear = distance << 32;
    const std::int64_t quadratic = squared << 16;
    const std::int64_t unit = std::int64_t(1) << 48;
    if (shrinking) {
        const std::int64_t eighteenTimes =
            distance < one ? 21 * cubed - 36 * quadratic + 16 * unit
                           : -7 * cubed + 36 * quadratic - 60 * linear + 32 * unit;
        return eighteenTimes / (std::int64_t(18) << 18);
    }
    const std::int64_t twice = distance < one ? 3 * cubed - 5 * quadratic + 2 * unit
                                              : -cubed + 5 * quadratic - 8 * linear + 4 * unit;
    return twice / (std::int64_t(2) << 18);
}

// The filter along one side: for each output pixel the first input pixel it reads and the
// weights of `count` consecutive pixels from there (zero where it reaches fewer).
struct AxisTaps {
    std::uint32_t count = 0;
    std::vector<std::uint32_t> first;
    std::vector<std::int32_t> weights;
};

// Pixel centres at (i + 1/2) of each side, the filter's width scaled with the shrink factor.
// The distance from input pixel i to output pixel o, in the larger grid's pixels, is
// ((2i + 1) out - (2o + 1) in) / (2 max(in, out)): exact, so every weight is an integer.
AxisTaps tapsFor(std::uint32_t in, std::uint32_t out) {
    const std::int64_t larger = std::max(in, out);
    std::vector<std::vector<std::int64_t>> raw(out);
    std::vector<std::int64_t> firsts(out);
    AxisTaps taps;
    for (std::uint32_t o = 0; o < out; ++o) {
        const std::int64_t centre = (2 * std::int64_t(o) + 1) * in;
        // Every i with |(2i + 1) out - centre| < 4 max(in, out), the filter's reach of 2.
        const std::int64_t low =
            floorDivision(centre - 4 * larger - out, 2 * std::int64_t(out)) + 1;
        const std::int64_t high =
            floorDivision(centre + 4 * larger - out - 1, 2 * std::int64_t(out));
        const std::int64_t first = std::max<std::int64_t>(low, 0);
        const std::int64_t last = std::min<std::int64_t>(high, in - 1);
        std::vector<std::int64_t>& weights = raw[o];
        weights.assign(std::size_t(std::max<std::int64_t>(last - first + 1, 1)), 0);
        for (std::int64_t i = low; i <= high; ++i) {
            const std::int64_t gap = (2 * i + 1) * out - centre;
            const std::int64_t distance = roundedDivision((gap < 0 ? -gap : gap) << 16, 2 * larger);
            // Beyond an edge the edge pixel repeats.
            const std::int64_t at = std::clamp<std::int64_t>(i, first, last);
            weights[std::size_t(at - first)] += filterAt(distance, out <= in);
        }
        firsts[o] = first;
        taps.count = std::max(taps.count, static_cast<std::uint32_t>(weights.size()));
    }
    taps.first.resize(out);
    taps.weights.assign(std::size_t(out) * taps.count, 0);
    for (std::uint32_t o = 0; o < out; ++o) {
        const std::vector<std::int64_t>& weights = raw[o];
        std::int64_t sum = 0;
        for (std::int64_t weight : weights)
            sum += weight;
        // The window keeps inside the picture; a shorter one is padded on its right.
        const std::int64_t first = std::min<std::int64_t>(firsts[o], in - std::int64_t(taps.count));
        taps.first[o] = static_cast<std::uint32_t>(first);
        std::int32_t* into =
            &taps.weights[std::size_t(o) * taps.count + std::size_t(firsts[o] - first)];
        std::int64_t given = 0;
        std::size_t largest = 0;
        for (std::size_t t = 0; t < weights.size(); ++t) {
            into[t] = static_cast<std::int32_t>(
                roundedDivision(weights[t] * (std::int64_t(1) << weightBits), sum));
            given += into[t];
            if (into[t] > into[largest])
                largest = t;
        }
        // What rounding left over goes to the largest weight, so that flat colour stays flat.
        into[largest] += static_cast<std::int32_t>((std::int64_t(1) << weightBits) - given);
    }
    return taps;
}

} // namespace

void resizePixels(const unsigned char* pixels, std::uint32_t width, std::uint32_t height,
                  unsigned channels, unsigned char* out, std::uint32_t outWidth,
                  std::uint32_t outHeight) {
    if (width == 0 || height == 0 || outWidth == 0 || outHeight == 0)
        return;
    const AxisTaps across = tapsFor(width, outWidth);
    const AxisTaps down = tapsFor(height, outHeight);
    const std::size_t rowValues = std::size_t(outWidth) * 3;
    // Rows filtered across, in linear light, kept while the filter down still reads them.
    std::vector<std::int32_t> rows(std::size_t(down.count) * rowValues);
    std::vector<std::int32_t> linear(std::size_t(width) * 3);
    std::uint32_t nextRow = 0;
    for (std::uint32_t y = 0; y < outHeight; ++y) {
        const std::uint32_t first = down.first[y];
        nextRow = std::max(nextRow, first);
        for (; nextRow < first + down.count; ++nextRow) {
            const unsigned char* source = pixels + std::size_t(nextRow) * width * channels;
            for (std::size_t x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    linear[x * 3 + c] = linearOfLevel[source[x * channels + c]];
            std::int32_t* row = &rows[std::size_t(nextRow % down.count) * rowValues];
            for (std::size_t x = 0; x < outWidth; ++x) {
                const std::int32_t* weights = &across.weights[x * across.count];
                const std::int32_t* from = &linear[std::size_t(across.first[x]) * 3];
                std::int64_t sums[3] = {0, 0, 0};
                for (std::size_t t = 0; t < across.count; ++t, from += 3)
                    for (int c = 0; c < 3; ++c)
                        sums[c] += std::int64_t(weights[t]) * from[c];
                for (int c = 0; c < 3; ++c)
                    row[x * 3 + c] = static_cast<std::int32_t>(roundedShift(sums[c], weightBits));
            }
        }
        const std::int32_t* weights = &down.weights[std::size_t(y) * down.count];
        unsigned char* target = out + std::size_t(y) * outWidth * channels;
        for (std::size_t x = 0; x < outWidth; ++x) {
            std::int64_t sums[3] = {0, 0, 0};
            for (std::size_t t = 0; t < down.count; ++t) {
                const std::int32_t* from =
                    &rows[std::size_t((first + t) % down.count) * rowValues + x * 3];
                for (int c = 0; c < 3; ++c)
                    sums[c] += std::int64_t(weights[t]) * from[c];
            }
            for (int c = 0; c < 3; ++c)
                target[x * channels + c] = levelOf(roundedShift(sums[c], weightBits));
            if (channels == 4)
                target[x * channels + 3] = 255;
        }
    }
}
