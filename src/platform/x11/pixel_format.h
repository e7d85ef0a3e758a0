#pragma once
// How the X server lays out the pixels of a screen image, and the conversion
// of its rows to the raster layer's 0x00RRGGBB. Knows no X11 calls, so that
// every layout can be tried without a server of that depth.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct PixelFormat {
    int bitsPerPixel = 32;  // 8, 16, 24 or 32
    bool mostSignificantByteFirst = false;
    int scanlinePadBits = 32;
    // Colour visuals: where each channel lies in a pixel value.
    std::uint32_t redMask = 0xFF0000;
    std::uint32_t greenMask = 0x00FF00;
    std::uint32_t blueMask = 0x0000FF;
    // Visuals that look colours up (PseudoColor, GrayScale and their static
    // kinds): the colour of each pixel value, already 0x00RRGGBB. Empty for
    // colour visuals.
    std::vector<std::uint32_t> palette;

    // Bytes from one row of `width` pixels to the next.
    std::size_t rowBytes(int width) const;
    // True for 32-bit little-endian pixels with 8-bit channels at 16/8/0.
    bool isPlain32() const;
};

// Why `format` cannot be converted, or nothing when it can.
std::optional<std::string> UnreadableReason(const PixelFormat& format);

// Converts `height` rows of `width` pixels, `sourceStride` bytes apart, to
// 0x00RRGGBB rows `destStride` pixels apart. Each channel is scaled to 8 bits
// with rounding. The format must be readable.
void ConvertRows(const PixelFormat& format, const std::uint8_t* source, std::size_t sourceStride,
                 int width, int height, std::uint32_t* dest, int destStride);

// A colour map entry's 16-bit channels as 0x00RRGGBB.
std::uint32_t PaletteColour(std::uint16_t red, std::uint16_t green, std::uint16_t blue);

}  // namespace platform
