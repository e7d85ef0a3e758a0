#pragma once
// Scaling helpers behind StretchBlt. Destination pixel i of a w-wide
// rectangle maps to the source pixel under its centre in a ws-wide one.

#include <cstdint>

namespace raster {

// Source column of destination column i (0 <= i < w), relative to the source
// rectangle's origin.
inline std::int64_t StretchSourceIndex(std::int64_t i, std::int64_t w, std::int64_t ws) {
    return ((2 * i + 1) * ws) / (2 * w);
}

// Area averaging: destination pixel (i, j) of the w x h rectangle is the mean
// of the source pixels its box covers in the ws x hs source. Only destination
// rows [y0, y1) and columns [x0, x1) are written. dest points at the
// rectangle's pixel (x0, y0); strides are in pixels.
void StretchSmooth(std::uint32_t* dest, int destStride, int w, int h, int x0, int x1, int y0,
                   int y1, const std::uint32_t* source, int sourceStride, int ws, int hs);

}  // namespace raster
