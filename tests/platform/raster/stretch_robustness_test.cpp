// StretchBlt at the edges: a stretch within one bitmap, a destination far
// wider than the bitmap it is clipped to, and averages over more rows than
// 32-bit sums hold.

#include <gtest/gtest.h>

#include <climits>

#include "platform/raster/gdi.h"
#include "platform/raster/raster.h"

namespace {

struct Buffer {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC dc = CreateCompatibleDC(display);
    HBITMAP bitmap = 0;
    Buffer(int w, int h) {
        bitmap = CreateCompatibleBitmap(display, w, h);
        SelectObject(dc, bitmap);
    }
    ~Buffer() {
        DeleteDC(dc);
        DeleteObject(bitmap);
        DeleteDC(display);
    }
    std::uint32_t& at(int x, int y) { return raster::ContextPixels(dc)->row(y)[x]; }
};

TEST(StretchRobustness, AStretchWithinOneBitmapReadsThePixelsFromBeforeTheCall) {
    Buffer b(8, 1);
    for (int x = 0; x < 8; ++x) {
        b.at(x, 0) = static_cast<std::uint32_t>(x + 1);
    }
    // Doubling columns 0..3 into 0..7 overwrites columns 1..3 before they
    // are read; the result must come from the original ones.
    ASSERT_TRUE(StretchBlt(b.dc, 0, 0, 8, 1, b.dc, 0, 0, 4, 1, SRCCOPY));
    const std::uint32_t expected[] = {1, 1, 2, 2, 3, 3, 4, 4};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(b.at(x, 0), expected[x]) << "column " << x;
    }
}

TEST(StretchRobustness, AveragingIntoAHugeClippedDestinationWritesOnlyTheBitmap) {
    Buffer source(40, 30);
    raster::FillContext(source.dc, 0x204060);
    Buffer dest(12, 9);
    ASSERT_EQ(SetStretchBltMode(dest.dc, HALFTONE), COLORONCOLOR);
    // The destination is INT_MAX wide; only its first 12 columns exist.
    EXPECT_TRUE(StretchBlt(dest.dc, 0, 0, INT_MAX, 9, source.dc, 0, 0, 40, 30, SRCCOPY));
    EXPECT_EQ(dest.at(11, 8), 0x204060u);
    EXPECT_TRUE(StretchBlt(dest.dc, -5, 0, 12, INT_MAX - 5, source.dc, 0, 0, 40, 30, SRCCOPY));
}

TEST(StretchRobustness, AveragingManyRowsKeepsTheColour) {
    // 2^24 + 2^20 white rows into one pixel: 255 times that overflows 32 bits.
    const int rows = (1 << 24) + (1 << 20);
    Buffer source(1, rows);
    ASSERT_NE(source.bitmap, 0u);
    raster::FillContext(source.dc, 0xFFFFFF);
    Buffer dest(1, 1);
    SetStretchBltMode(dest.dc, HALFTONE);
    ASSERT_TRUE(StretchBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 1, rows, SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0xFFFFFFu);
}

}  // namespace
