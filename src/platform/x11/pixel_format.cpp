#include "platform/x11/pixel_format.h"

#include <bit>
#include <cstring>

namespace platform {
namespace {

// Built twice on x86-64, for AVX2 and for the baseline, and chosen when the
// program loads: the common layout then copies at the speed of memcpy.
#if defined(__x86_64__) && defined(__GNUC__)
#define TESSARINE_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TESSARINE_VECTOR_CLONES
#endif

TESSARINE_VECTOR_CLONES
void CopyPlain32(const std::uint8_t* data, std::size_t sourceStride, int width, int height,
                 std::uint32_t* dest, int destStride) {
    // Eight pixels at a time, the unused top byte of each dropped.
    using EightPixels = std::uint32_t __attribute__((vector_size(32)));
    for (int row = 0; row < height; ++row) {
        std::uint32_t* out = dest + static_cast<std::ptrdiff_t>(row) * destStride;
        const std::uint8_t* in = data + static_cast<std::size_t>(row) * sourceStride;
        int i = 0;
        for (; i + 8 <= width; i += 8) {
            EightPixels pixels;
            std::memcpy(&pixels, in + static_cast<std::size_t>(i) * 4, sizeof pixels);
            pixels &= 0x00FFFFFF;
            std::memcpy(out + i, &pixels, sizeof pixels);
        }
        for (; i < width; ++i) {
            std::uint32_t pixel;
            std::memcpy(&pixel, in + static_cast<std::size_t>(i) * 4, 4);
            out[i] = pixel & 0x00FFFFFF;
        }
    }
}

bool Contiguous(std::uint32_t mask) {
    if (mask == 0) {
        return false;
    }
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

// One channel's values, as many as its mask holds, scaled to 0..255 with
// rounding and placed at `shift` of the result.
std::vector<std::uint32_t> ChannelTable(std::uint32_t mask, int shift) {
    const std::uint32_t maximum = mask >> std::countr_zero(mask);
    std::vector<std::uint32_t> table(std::size_t{maximum} + 1);
    for (std::uint32_t v = 0; v <= maximum; ++v) {
        const std::uint64_t scaled = (std::uint64_t{v} * 255 + maximum / 2) / maximum;
        table[v] = static_cast<std::uint32_t>(scaled) << shift;
    }
    return table;
}

std::uint32_t LoadPixel(const std::uint8_t* p, int bytes, bool msbFirst) {
    std::uint32_t value = 0;
    if (msbFirst) {
        for (int b = 0; b < bytes; ++b) {
            value = (value << 8) | p[b];
        }
    } else {
        for (int b = bytes - 1; b >= 0; --b) {
            value = (value << 8) | p[b];
        }
    }
    return value;
}

}  // namespace

std::size_t PixelFormat::rowBytes(int width) const {
    const std::size_t pad = static_cast<std::size_t>(scanlinePadBits > 0 ? scanlinePadBits : 8);
    const std::size_t bits =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
    return (bits + pad - 1) / pad * pad / 8;
}

bool PixelFormat::isPlain32() const {
    return bitsPerPixel == 32 && !mostSignificantByteFirst && palette.empty() &&
           redMask == 0xFF0000 && greenMask == 0x00FF00 && blueMask == 0x0000FF;
}

std::optional<std::string> UnreadableReason(const PixelFormat& format) {
    const int bpp = format.bitsPerPixel;
    if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        return "its pixels are " + std::to_string(bpp) +
               " bits each; only 8, 16, 24 and 32 bits a pixel can be read";
    }
    if (!format.palette.empty()) {
        if (bpp != 8 || format.palette.size() > 256) {
            return std::string("its colour map is larger than 256 entries");
        }
        return std::nullopt;
    }
    if (!Contiguous(format.redMask) || !Contiguous(format.greenMask) ||
        !Contiguous(format.blueMask)) {
        return std::string("its red, green and blue bits are not each one run of bits");
    }
    const std::uint64_t limit = bpp == 32 ? 0xFFFFFFFFull : (std::uint64_t{1} << bpp) - 1;
    if ((format.redMask | format.greenMask | format.blueMask) > limit ||
        (format.redMask & format.greenMask) || (format.redMask & format.blueMask) ||
        (format.greenMask & format.blueMask)) {
        return std::string("its red, green and blue masks overlap or do not fit a pixel");
    }
    if (std::popcount(format.redMask) > 16 || std::popcount(format.greenMask) > 16 ||
        std::popcount(format.blueMask) > 16) {
        return std::string("it has more than 16 bits a channel");
    }
    return std::nullopt;
}

void ConvertRows(const PixelFormat& format, const std::uint8_t* source, std::size_t sourceStride,
                 int width, int height, std::uint32_t* dest, int destStride) {
    if (format.isPlain32()) {
        CopyPlain32(source, sourceStride, width, height, dest, destStride);
        return;
    }
    const int bytes = format.bitsPerPixel / 8;
    const bool msb = format.mostSignificantByteFirst;
    const auto rowOut = [&](int row) {
        return dest + static_cast<std::ptrdiff_t>(row) * destStride;
    };
    const auto rowIn = [&](int row) {
        return source + static_cast<std::size_t>(row) * sourceStride;
    };
    if (!format.palette.empty()) {
        std::uint32_t colours[256] = {};
        std::memcpy(colours, format.palette.data(), format.palette.size() * sizeof colours[0]);
        for (int row = 0; row < height; ++row) {
            const std::uint8_t* in = rowIn(row);
            std::uint32_t* out = rowOut(row);
            for (int i = 0; i < width; ++i) {
                out[i] = colours[in[i]];
            }
        }
        return;
    }
    const int redShift = std::countr_zero(format.redMask);
    const int greenShift = std::countr_zero(format.greenMask);
    const int blueShift = std::countr_zero(format.blueMask);
    const std::vector<std::uint32_t> red = ChannelTable(format.redMask, 16);
    const std::vector<std::uint32_t> green = ChannelTable(format.greenMask, 8);
    const std::vector<std::uint32_t> blue = ChannelTable(format.blueMask, 0);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* in = rowIn(row);
        std::uint32_t* out = rowOut(row);
        for (int i = 0; i < width; ++i) {
            const std::uint32_t pixel =
                LoadPixel(in + static_cast<std::size_t>(i) * bytes, bytes, msb);
            out[i] = red[(pixel & format.redMask) >> redShift] |
                     green[(pixel & format.greenMask) >> greenShift] |
                     blue[(pixel & format.blueMask) >> blueShift];
        }
    }
}

std::uint32_t PaletteColour(std::uint16_t red, std::uint16_t green, std::uint16_t blue) {
    const auto to8 = [](std::uint16_t v) {
        return static_cast<std::uint32_t>((std::uint32_t{v} * 255 + 32767) / 65535);
    };
    return to8(red) << 16 | to8(green) << 8 | to8(blue);
}

}  // namespace platform
