#include "platform/x11/pixel_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/x11/display_name.h"

namespace {

using namespace platform;

// Converts one row of pixels given as raw bytes.
std::vector<std::uint32_t> Convert(const PixelFormat& format, const std::vector<std::uint8_t>& row,
                                   int width) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(width), 0xDEADBEEF);
    ConvertRows(format, row.data(), row.size(), width, 1, out.data(), width);
    return out;
}

TEST(PixelFormat, TenBitChannelsScaleToEightWithRounding) {
    PixelFormat depth30;
    depth30.redMask = 0x3FF00000;
    depth30.greenMask = 0x000FFC00;
    depth30.blueMask = 0x000003FF;
    ASSERT_FALSE(UnreadableReason(depth30));
    // Red 1023, green 512 (127.6), blue 3 (0.75); then 2 (0.499) and 0. The
    // top two bits are not colour.
    std::vector<std::uint8_t> row;
    for (std::uint32_t pixel : {0xC0000000u | 1023u << 20 | 512u << 10 | 3u, 2u << 20}) {
        for (int shift = 0; shift < 32; shift += 8) {
            row.push_back(static_cast<std::uint8_t>(pixel >> shift));
        }
    }
    EXPECT_EQ(Convert(depth30, row, 2), (std::vector<std::uint32_t>{0xFF8001, 0x000000}));
}

TEST(PixelFormat, SixteenBitPixelsInEitherByteOrderWithPaddedRows) {
    PixelFormat depth16;
    depth16.bitsPerPixel = 16;
    depth16.redMask = 0xF800;
    depth16.greenMask = 0x07E0;
    depth16.blueMask = 0x001F;
    ASSERT_FALSE(UnreadableReason(depth16));
    // Three pixels take 6 bytes, padded to 8: rows lie 8 bytes apart.
    EXPECT_EQ(depth16.rowBytes(3), 8u);
    // White, pure green 32 of 63 (129.5: 130), blue 16 of 31 (131.6: 132),
    // in two rows.
    const std::vector<std::uint8_t> little = {0xFF, 0xFF, 0x00, 0x04, 0x10, 0x00, 0x77, 0x77,
                                              0x00, 0xF8, 0,    0,    0,    0,    0x77, 0x77};
    std::vector<std::uint32_t> out(6);
    ConvertRows(depth16, little.data(), 8, 3, 2, out.data(), 3);
    EXPECT_EQ(out, (std::vector<std::uint32_t>{0xFFFFFF, 0x008200, 0x000084, 0xFF0000, 0, 0}));

    depth16.mostSignificantByteFirst = true;
    EXPECT_EQ(Convert(depth16, {0x04, 0x00, 0xF8, 0x00}, 2),
              (std::vector<std::uint32_t>{0x008200, 0xFF0000}));
}

TEST(PixelFormat, PackedAndSwappedLayoutsAndPalettes) {
    // 24 bits a pixel, most significant byte first, red in the low bits.
    PixelFormat bgr;
    bgr.bitsPerPixel = 24;
    bgr.mostSignificantByteFirst = true;
    bgr.redMask = 0x0000FF;
    bgr.greenMask = 0x00FF00;
    bgr.blueMask = 0xFF0000;
    EXPECT_EQ(Convert(bgr, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0}, 2),
              (std::vector<std::uint32_t>{0x332211, 0x665544}));

    PixelFormat palette;
    palette.bitsPerPixel = 8;
    palette.palette = {0x000000, 0x123456, PaletteColour(0xFFFF, 0x8080, 0x0101)};
    ASSERT_FALSE(UnreadableReason(palette));
    EXPECT_EQ(Convert(palette, {2, 1, 0, 7}, 4),
              (std::vector<std::uint32_t>{0xFF8001, 0x123456, 0, 0}));
}

TEST(PixelFormat, LayoutsThatCannotBeReadAreNamed) {
    PixelFormat format;
    EXPECT_FALSE(UnreadableReason(format));
    format.bitsPerPixel = 4;
    EXPECT_TRUE(UnreadableReason(format));
    format.bitsPerPixel = 32;
    format.greenMask = 0x00F0F0;  // not one run of bits
    EXPECT_TRUE(UnreadableReason(format));
    format.greenMask = 0x01FF00;  // overlaps red
    EXPECT_TRUE(UnreadableReason(format));
    format.bitsPerPixel = 16;
    format.greenMask = 0x00FF00;  // red does not fit 16 bits
    EXPECT_TRUE(UnreadableReason(format));
}

TEST(DisplayName, FollowsTheLastDisplayArgumentInEitherSpelling) {
    EXPECT_EQ(DisplayArgument({"tessarine"}), "");
    EXPECT_EQ(DisplayArgument({"tessarine", "-display", ":3"}), ":3");
    EXPECT_EQ(DisplayArgument({"tessarine", "--display", ":4", "-display", "host:5.1"}),
              "host:5.1");
    EXPECT_EQ(DisplayArgument({"tessarine", "-display"}), "");
}

}  // namespace
