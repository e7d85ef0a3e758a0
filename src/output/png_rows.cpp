#include "output/png_rows.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <iterator>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace output {
namespace {

enum Filter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// Each byte of a less each byte of b, modulo 256, as the Up filter takes
// them: no borrow crosses from one byte into the next.
std::uint32_t ByteDifferences(std::uint32_t a, std::uint32_t b) {
    constexpr std::uint32_t kHigh = 0x80808080;
    return ((a | kHigh) - (b & ~kHigh)) ^ ((a ^ ~b) & kHigh);
}

// Whether a screen row goes in Up-filtered: when it repeats the row above,
// or when Up leaves under an eighth of the runs of equal pixels (`changes`
// is how many pixels differ from their left neighbour). Across bands of
// flat colour the differences are one run.
bool UpIsBetter(const std::uint32_t* row, const std::uint32_t* above, std::size_t width,
                std::size_t changes) {
    if (std::memcmp(row, above, width * sizeof(std::uint32_t)) == 0) {
        return true;
    }
    std::size_t upRuns = 0;
    std::uint32_t previousUp = ByteDifferences(row[0], above[0]);
    for (std::size_t x = 1; x < width && upRuns * 8 < changes; ++x) {
        const std::uint32_t up = ByteDifferences(row[x], above[x]);
        upRuns += up != previousUp;
        previousUp = up;
    }
    return upRuns * 8 < changes;
}

// How many pixels differ from their left neighbour by a small step (the
// three samples' differences summing to 48 at most), as in a photograph;
// the edges of text are mostly steep.
std::size_t SmallSteps(const std::uint32_t* row, std::size_t width) {
    constexpr int kSmallStep = 48;
    std::size_t steps = 0;
    for (std::size_t x = 1; x < width; ++x) {
        int step = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            step += std::abs(static_cast<int>(row[x] >> shift & 0xFF) -
                             static_cast<int>(row[x - 1] >> shift & 0xFF));
        }
        steps += step > 0 && step <= kSmallStep;
    }
    return steps;
}

int PaethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

std::uint8_t Residual(Filter filter, const std::uint8_t* row, const std::uint8_t* above,
                      std::size_t i) {
    const int x = row[i], a = row[i - 3], b = above[i], c = above[i - 3];
    const int prediction = filter == kNone      ? 0
                           : filter == kSub     ? a
                           : filter == kUp      ? b
                           : filter == kAverage ? (a + b) >> 1
                                                : PaethPredictor(a, b, c);
    return static_cast<std::uint8_t>(x - prediction);
}

unsigned Magnitude(std::uint8_t residual) {
    return static_cast<unsigned>(std::abs(static_cast<std::int8_t>(residual)));
}

#ifdef __SSE2__
// Sixteen bytes at a time; the same arithmetic as above.
constexpr std::size_t kVector = 16;

__m128i Load(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// Paeth's prediction for eight samples widened to 16 bits.
__m128i PaethPrediction16(__m128i a, __m128i b, __m128i c) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bc = _mm_sub_epi16(b, c);
    const __m128i ac = _mm_sub_epi16(a, c);
    const __m128i sum = _mm_add_epi16(bc, ac);
    const __m128i pa = _mm_max_epi16(bc, _mm_sub_epi16(zero, bc));
    const __m128i pb = _mm_max_epi16(ac, _mm_sub_epi16(zero, ac));
    const __m128i pc = _mm_max_epi16(sum, _mm_sub_epi16(zero, sum));
    const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
    const __m128i cOverB = _mm_cmpgt_epi16(pb, pc);
    const __m128i bOrC = _mm_or_si128(_mm_and_si128(cOverB, c), _mm_andnot_si128(cOverB, b));
    return _mm_or_si128(_mm_and_si128(notA, bOrC), _mm_andnot_si128(notA, a));
}

__m128i ResidualVector(Filter filter, const std::uint8_t* row, const std::uint8_t* above,
                       std::size_t i) {
    const __m128i x = Load(row + i);
    switch (filter) {
        case kNone:
            return x;
        case kSub:
            return _mm_sub_epi8(x, Load(row + i - 3));
        case kUp:
            return _mm_sub_epi8(x, Load(above + i));
        case kAverage: {
            // The rounded-up mean less the bit that rounding added.
            const __m128i a = Load(row + i - 3), b = Load(above + i);
            const __m128i oddSum = _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1));
            return _mm_sub_epi8(x, _mm_sub_epi8(_mm_avg_epu8(a, b), oddSum));
        }
        case kPaeth:
            break;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = Load(row + i - 3), b = Load(above + i), c = Load(above + i - 3);
    const __m128i low = PaethPrediction16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero),
                                          _mm_unpacklo_epi8(c, zero));
    const __m128i high = PaethPrediction16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero),
                                           _mm_unpackhi_epi8(c, zero));
    return _mm_sub_epi8(x, _mm_packus_epi16(low, high));
}

// The residuals' magnitudes as signed bytes, summed into two 64-bit lanes:
// min(r, 256 - r) is |r| for r read as a signed byte.
__m128i AddMagnitudes(__m128i total, __m128i residual) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i magnitude = _mm_min_epu8(residual, _mm_sub_epi8(zero, residual));
    return _mm_add_epi64(total, _mm_sad_epu8(magnitude, zero));
}

unsigned long Lanes(__m128i total) {
    return static_cast<unsigned long>(_mm_cvtsi128_si64(total)) +
           static_cast<unsigned long>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total)));
}
#else
constexpr std::size_t kVector = 0;
#endif

constexpr Filter kFilters[] = {kNone, kSub, kUp, kAverage, kPaeth};
constexpr int kFilterCount = std::size(kFilters);

// The filter with the smallest sum of residuals as signed bytes (the first
// of them on a tie); `row` and `above` are preceded by the three bytes of
// the pixel to their left.
Filter SmallestResiduals(const std::uint8_t* row, const std::uint8_t* above, std::size_t n) {
    unsigned long sums[kFilterCount] = {};
    std::size_t i = 0;
#ifdef __SSE2__
    __m128i totals[kFilterCount] = {};
    for (; i + kVector <= n; i += kVector) {
        for (int f = 0; f < kFilterCount; ++f) {
            totals[f] = AddMagnitudes(totals[f], ResidualVector(kFilters[f], row, above, i));
        }
    }
    for (int f = 0; f < kFilterCount; ++f) {
        sums[f] = Lanes(totals[f]);
    }
#endif
    for (; i < n; ++i) {
        for (int f = 0; f < kFilterCount; ++f) {
            sums[f] += Magnitude(Residual(kFilters[f], row, above, i));
        }
    }
    return kFilters[std::min_element(sums, sums + kFilterCount) - sums];
}

void ApplyFilter(Filter filter, const std::uint8_t* row, const std::uint8_t* above, std::size_t n,
                 std::uint8_t* out) {
    if (filter == kNone) {
        std::memcpy(out, row, n);
        return;
    }
    std::size_t i = 0;
#ifdef __SSE2__
    for (; i + kVector <= n; i += kVector) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         ResidualVector(filter, row, above, i));
    }
#endif
    for (; i < n; ++i) {
        out[i] = Residual(filter, row, above, i);
    }
}

}  // namespace

PngRowFilter::PngRowFilter(const PixelRows& image)
    : image_(image),
      current_(3 + 3 * static_cast<std::size_t>(image.width) + 1, 0),
      above_(current_.size(), 0) {}

// Pixels 0x00RRGGBB as red, green, blue bytes after the three zero bytes.
void PngRowFilter::loadRow(int y, std::uint8_t* into) const {
    const std::uint32_t* in = image_.pixels + image_.stride * y;
    std::uint8_t* out = into + 3;
    for (int x = 0; x < image_.width; ++x) {
        // 0x00RRGGBB moved up and byte-swapped lies in memory as red,
        // green, blue, 0; the next pixel overwrites the 0.
        const std::uint32_t rgb0 =
            std::endian::native == std::endian::little ? __builtin_bswap32(in[x] << 8) : in[x] << 8;
        std::memcpy(out + 3 * static_cast<std::size_t>(x), &rgb0, 4);
    }
}

bool PngRowFilter::filter(int y, std::uint8_t* out) {
    if (loaded_ >= 0 && y == loaded_ + 1) {
        current_.swap(above_);
    } else if (y > 0) {
        loadRow(y - 1, above_.data());
    } else {
        std::fill(above_.begin(), above_.end(), 0);
    }
    loadRow(y, current_.data());
    loaded_ = y;

    const std::size_t width = static_cast<std::size_t>(image_.width);
    const std::size_t n = 3 * width;
    const std::uint8_t* rowBytes = current_.data() + 3;
    const std::uint8_t* aboveBytes = above_.data() + 3;
    const std::uint32_t* row = image_.pixels + image_.stride * y;
    std::size_t changes = 0;
    for (std::size_t x = 1; x < width; ++x) {
        changes += row[x] != row[x - 1];
    }
    const bool photographic =
        changes * 4 > (width - 1) * 3 ||
        (changes * 5 > (width - 1) * 2 && SmallSteps(row, width) * 5 > (width - 1) * 2);
    Filter filter = kNone;
    if (photographic) {
        filter = SmallestResiduals(rowBytes, aboveBytes, n);
    } else if (y > 0 && UpIsBetter(row, row - image_.stride, width, changes)) {
        filter = kUp;
    }
    out[0] = filter;
    ApplyFilter(filter, rowBytes, aboveBytes, n, out + 1);
    return photographic;
}

}  // namespace output
