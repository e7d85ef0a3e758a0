#include "output/png_file.h"

#include <gtest/gtest.h>
#include <png.h>

#include <vector>

namespace {

// Decodes with libpng's own reader into 0x00RRGGBB pixels.
std::vector<std::uint32_t> Decode(const std::vector<std::uint8_t>& file, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        return {};
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint32_t> pixels(PNG_IMAGE_SIZE(image) / 4);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        return {};
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    for (std::uint32_t& p : pixels) {
        p &= 0x00FFFFFF;
    }
    return pixels;
}

// Rows of every kind the filter choice tells apart: repeats of the row
// above, flat bands that step in colour, a gradient, and noise. 47 wide, an
// odd width, inside a wider stride; the unused top byte set, to be dropped.
TEST(PngFile, EveryKindOfRowDecodesToTheSamePixels) {
    constexpr int kWidth = 47, kHeight = 40, kStride = 50;
    std::vector<std::uint32_t> pixels(kStride * kHeight, 0xAB000000);
    std::uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint32_t& p = pixels[y * kStride + x];
            noise = noise * 1103515245 + 12345;
            if (y < 10) {
                p |= 0x102030;  // repeats
            } else if (y < 20) {
                p |= ((x / 4) * 0x301020 + y * 0x010203) & 0xFFFFFF;  // stepping bands
            } else if (y < 30) {
                p |= (x * 5) << 16 | (y * 7) << 8 | ((x + y) * 3 & 0xFF);
            } else {
                p |= noise >> 8 & 0xFFFFFF;
            }
        }
    }
    const output::EncodedPng png = output::EncodePng({pixels.data(), kWidth, kHeight, kStride});
    ASSERT_FALSE(png.bytes.empty()) << png.error;
    int width = 0, height = 0;
    const std::vector<std::uint32_t> decoded = Decode(png.bytes, width, height);
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            ASSERT_EQ(decoded[y * kWidth + x], pixels[y * kStride + x] & 0xFFFFFF)
                << "at " << x << ", " << y;
        }
    }
    EXPECT_TRUE(output::EncodePng({pixels.data(), 0, 1, 1}).bytes.empty());
    EXPECT_FALSE(
        output::WritePngFile("/nonexistent-folder/x.png", {pixels.data(), kWidth, kHeight, kStride})
            .ok);
}

}  // namespace
