#include "platform/raster/stretch.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace raster {
namespace {

struct Span {
    int begin;
    int end;  // exclusive, always > begin
};

// The source pixels that destination pixel i's box covers.
Span BoxFor(std::int64_t i, std::int64_t w, std::int64_t ws) {
    std::int64_t begin = (i * ws) / w;
    std::int64_t end = ((i + 1) * ws + w - 1) / w;
    if (end <= begin) {
        end = begin + 1;
    }
    return {static_cast<int>(begin), static_cast<int>(std::min(end, ws))};
}

// Adds each pixel's blue, green, red and top bytes into 16-bit lanes, four
// lanes a pixel (for boxes of at most 257 rows).
void AddRowLanes(const std::uint32_t* in, int ws, std::uint16_t* lanes) {
    int sx = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; sx + 4 <= ws; sx += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + sx));
        auto* at = reinterpret_cast<__m128i*>(lanes + 4 * static_cast<std::ptrdiff_t>(sx));
        _mm_storeu_si128(at, _mm_add_epi16(_mm_loadu_si128(at), _mm_unpacklo_epi8(pixels, zero)));
        _mm_storeu_si128(at + 1,
                         _mm_add_epi16(_mm_loadu_si128(at + 1), _mm_unpackhi_epi8(pixels, zero)));
    }
#endif
    for (; sx < ws; ++sx) {
        for (int k = 0; k < 4; ++k) {
            lanes[4 * static_cast<std::ptrdiff_t>(sx) + k] += in[sx] >> (8 * k) & 0xFF;
        }
    }
}

// x / n rounded down, for x < 256 n, through a multiplication by
// `inverse`, the ceiling of 2^32 / n: exact while n < 4096 (the error,
// under x / 2^32, stays below 1 / n).
std::uint32_t Divide(std::uint32_t x, std::uint32_t n, std::uint64_t inverse) {
    return inverse != 0 ? static_cast<std::uint32_t>((x * inverse) >> 32) : x / n;
}

// The sums of a box of rows and columns are averaged with 32-bit lanes and
// multiplications where they fit: the common case, such as a screen into
// the preview, and faster than the general case below.
constexpr std::uint32_t kSmallCount = 4096;

bool StretchSmoothSmallBoxes(std::uint32_t* dest, int destStride, int h, int x0, int x1, int y0,
                             int y1, const std::uint32_t* source, int sourceStride, int ws, int hs,
                             const std::vector<Span>& columns) {
    std::uint64_t widest = 0;
    for (const Span& span : columns) {
        widest = std::max<std::uint64_t>(widest, static_cast<std::uint64_t>(span.end - span.begin));
    }
    std::vector<std::uint16_t> lanes(static_cast<std::size_t>(ws) * 4);
    std::vector<std::uint64_t> inverses(kSmallCount, 0);
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
#endif
    for (int j = y0; j < y1; ++j) {
        const Span rows = BoxFor(j, h, hs);
        const std::uint64_t rowCount = static_cast<std::uint64_t>(rows.end - rows.begin);
        // A column's sum must fit 16 bits, a box's plus half its count 32.
        if (rowCount > 257 || rowCount * widest * 256 > UINT32_MAX) {
            return false;
        }
        std::fill(lanes.begin(), lanes.end(), std::uint16_t{0});
        for (int sy = rows.begin; sy < rows.end; ++sy) {
            AddRowLanes(source + static_cast<std::ptrdiff_t>(sy) * sourceStride, ws, lanes.data());
        }
        std::uint32_t* out = dest + static_cast<std::ptrdiff_t>(j - y0) * destStride;
        for (int i = x0; i < x1; ++i) {
            const Span cols = columns[static_cast<std::size_t>(i - x0)];
            std::uint32_t sum[4] = {};
#ifdef __SSE2__
            // A column's four lanes widened to 32 bits and added at once.
            __m128i total = _mm_setzero_si128();
            for (int sx = cols.begin; sx < cols.end; ++sx) {
                const __m128i four = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(
                    lanes.data() + 4 * static_cast<std::ptrdiff_t>(sx)));
                total = _mm_add_epi32(total, _mm_unpacklo_epi16(four, zero));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sum), total);
#else
            for (int sx = cols.begin; sx < cols.end; ++sx) {
                const std::uint16_t* at = lanes.data() + 4 * static_cast<std::ptrdiff_t>(sx);
                sum[0] += at[0];
                sum[1] += at[1];
                sum[2] += at[2];
            }
#endif
            const auto n = static_cast<std::uint32_t>(rowCount * (cols.end - cols.begin));
            std::uint64_t inverse = 0;
            if (n < kSmallCount) {
                if (inverses[n] == 0) {
                    inverses[n] = ((std::uint64_t{1} << 32) + n - 1) / n;
                }
                inverse = inverses[n];
            }
            std::uint32_t pixel = 0;
            for (int k = 0; k < 3; ++k) {
                pixel |= Divide(sum[k] + n / 2, n, inverse) << (8 * k);
            }
            out[i - x0] = pixel;
        }
    }
    return true;
}

void StretchSmoothRows(std::uint32_t* dest, int destStride, int w, int h, int x0, int x1, int y0,
                       int y1, const std::uint32_t* source, int sourceStride, int ws, int hs) {
    // Only the columns written: w may be far wider than the clipped part.
    std::vector<Span> columns(static_cast<std::size_t>(x1 - x0));
    for (int i = x0; i < x1; ++i) {
        columns[static_cast<std::size_t>(i - x0)] = BoxFor(i, w, ws);
    }
    if (StretchSmoothSmallBoxes(dest, destStride, h, x0, x1, y0, y1, source, sourceStride, ws, hs,
                                columns)) {
        return;
    }
    // Per destination row: sum the covered source rows into column totals
    // once, then average each destination pixel's span of them. 64 bits: a
    // box may cover more than 2^24 rows of 255.
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(ws) * 3);
    for (int j = y0; j < y1; ++j) {
        const Span rows = BoxFor(j, h, hs);
        std::fill(sums.begin(), sums.end(), std::uint64_t{0});
        for (int sy = rows.begin; sy < rows.end; ++sy) {
            const std::uint32_t* in = source + static_cast<std::ptrdiff_t>(sy) * sourceStride;
            for (int sx = 0; sx < ws; ++sx) {
                const std::uint32_t p = in[sx];
                sums[3 * sx] += (p >> 16) & 0xFF;
                sums[3 * sx + 1] += (p >> 8) & 0xFF;
                sums[3 * sx + 2] += p & 0xFF;
            }
        }
        const std::uint32_t rowCount = static_cast<std::uint32_t>(rows.end - rows.begin);
        std::uint32_t* out = dest + static_cast<std::ptrdiff_t>(j - y0) * destStride;
        for (int i = x0; i < x1; ++i) {
            const Span cols = columns[static_cast<std::size_t>(i - x0)];
            std::uint64_t r = 0, g = 0, b = 0;
            for (int sx = cols.begin; sx < cols.end; ++sx) {
                r += sums[3 * sx];
                g += sums[3 * sx + 1];
                b += sums[3 * sx + 2];
            }
            const std::uint64_t n = rowCount * static_cast<std::uint64_t>(cols.end - cols.begin);
            out[i - x0] = static_cast<std::uint32_t>(((r + n / 2) / n) << 16 |
                                                     ((g + n / 2) / n) << 8 | ((b + n / 2) / n));
        }
    }
}

}  // namespace

void StretchSmooth(std::uint32_t* dest, int destStride, int w, int h, int x0, int x1, int y0,
                   int y1, const std::uint32_t* source, int sourceStride, int ws, int hs) {
    // A screen into the preview reads a few million source pixels: the rows
    // split in two, on this thread and one more, finish in about half the
    // time. Each destination row is worked out alone, so the halves agree
    // with one pass to the bit.
    constexpr std::int64_t kPixelsForTwoThreads = std::int64_t{1} << 20;
    const std::int64_t sourceRows = std::int64_t{y1 - y0} * hs / h + 1;
    const int mid = y0 + (y1 - y0) / 2;
    if (std::thread::hardware_concurrency() < 2 || mid == y0 ||
        sourceRows * ws < kPixelsForTwoThreads) {
        StretchSmoothRows(dest, destStride, w, h, x0, x1, y0, y1, source, sourceStride, ws, hs);
        return;
    }
    std::exception_ptr helperFailure;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                StretchSmoothRows(dest + static_cast<std::ptrdiff_t>(mid - y0) * destStride,
                                  destStride, w, h, x0, x1, mid, y1, source, sourceStride, ws, hs);
            } catch (...) {
                helperFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: all rows here.
        StretchSmoothRows(dest, destStride, w, h, x0, x1, y0, y1, source, sourceStride, ws, hs);
        return;
    }
    std::exception_ptr failure;
    try {
        StretchSmoothRows(dest, destStride, w, h, x0, x1, y0, mid, source, sourceStride, ws, hs);
    } catch (...) {
        failure = std::current_exception();
    }
    helper.join();
    if (failure || helperFailure) {
        std::rethrow_exception(failure ? failure : helperFailure);
    }
}

}  // namespace raster
