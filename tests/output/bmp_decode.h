#pragma once
// An independent reader for the bitmap files the tests write: it knows only
// the layout of a 24-bit uncompressed Windows bitmap, not the writer's code.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct DecodedBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

inline std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Empty unless the bytes are a well-formed bottom-up 24-bit bitmap.
inline std::optional<DecodedBitmap> DecodeBitmap(const std::vector<std::uint8_t>& b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || Le32(b, 2) != b.size() ||
        Le32(b, 14) != 40 || Le16(b, 26) != 1 || Le16(b, 28) != 24 || Le32(b, 30) != 0) {
        return std::nullopt;
    }
    const auto width = static_cast<std::int32_t>(Le32(b, 18));
    const auto height = static_cast<std::int32_t>(Le32(b, 22));
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t offset = Le32(b, 10);
    if (width <= 0 || height <= 0 || offset + stride * height != b.size()) {
        return std::nullopt;
    }
    DecodedBitmap image{width, height, {}};
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::size_t p = row + 3 * static_cast<std::size_t>(x);
            image.pixels[static_cast<std::size_t>(y) * width + x] =
                b[p] | b[p + 1] << 8 | static_cast<std::uint32_t>(b[p + 2]) << 16;
        }
    }
    return image;
}

inline std::optional<DecodedBitmap> ReadBitmapFile(const std::string& path) {
    return DecodeBitmap(ReadBytes(path));
}

}  // namespace testing_support
