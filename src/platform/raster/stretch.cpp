#include "platform/raster/stretch.h"

#include <algorithm>
#include <vector>

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

}  // namespace

void StretchSmooth(std::uint32_t* dest, int destStride, int w, int h, int x0, int x1, int y0,
                   int y1, const std::uint32_t* source, int sourceStride, int ws, int hs) {
    // Only the columns written: w may be far wider than the clipped part.
    std::vector<Span> columns(static_cast<std::size_t>(x1 - x0));
    for (int i = x0; i < x1; ++i) {
        columns[static_cast<std::size_t>(i - x0)] = BoxFor(i, w, ws);
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

}  // namespace raster
