// StretchBlt at the edges: a stretch within one bitmap, a destination far
// wider than the bitmap it is clipped to, and averages over more rows than
// 32-bit sums hold.

#include <gtest/gtest.h>

#include <climits>

#include "platform/raster/gdi.h"
#include "platform/raster/raster.h"

namespace {

struct Buffer {
    raster::HDC display = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    raster::HDC dc = raster::CreateCompatibleDC(display);
    raster::HBITMAP bitmap = 0;
    Buffer(int w, int h) {
        bitmap = raster::CreateCompatibleBitmap(display, w, h);
        raster::SelectObject(dc, bitmap);
    }
    ~Buffer() {
        raster::DeleteDC(dc);
        raster::DeleteObject(bitmap);
        raster::DeleteDC(display);
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
    ASSERT_TRUE(raster::StretchBlt(b.dc, 0, 0, 8, 1, b.dc, 0, 0, 4, 1, raster::SRCCOPY));
    const std::uint32_t expected[] = {1, 1, 2, 2, 3, 3, 4, 4};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(b.at(x, 0), expected[x]) << "column " << x;
    }
}

TEST(StretchRobustness, AveragingIntoAHugeClippedDestinationWritesOnlyTheBitmap) {
    Buffer source(40, 30);
    raster::FillContext(source.dc, 0x204060);
    Buffer dest(12, 9);
    ASSERT_EQ(raster::SetStretchBltMode(dest.dc, raster::HALFTONE), raster::COLORONCOLOR);
    // The destination is INT_MAX wide; only its first 12 columns exist.
    EXPECT_TRUE(
        raster::StretchBlt(dest.dc, 0, 0, INT_MAX, 9, source.dc, 0, 0, 40, 30, raster::SRCCOPY));
    EXPECT_EQ(dest.at(11, 8), 0x204060u);
    EXPECT_TRUE(raster::StretchBlt(dest.dc, -5, 0, 12, INT_MAX - 5, source.dc, 0, 0, 40, 30,
                                   raster::SRCCOPY));
}

TEST(StretchRobustness, AveragingManyRowsKeepsTheColour) {
    // 2^24 + 2^20 white rows into one pixel: 255 times that overflows 32 bits.
    const int rows = (1 << 24) + (1 << 20);
    Buffer source(1, rows);
    ASSERT_NE(source.bitmap, 0u);
    raster::FillContext(source.dc, 0xFFFFFF);
    Buffer dest(1, 1);
    raster::SetStretchBltMode(dest.dc, raster::HALFTONE);
    ASSERT_TRUE(raster::StretchBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 1, rows, raster::SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0xFFFFFFu);
}

TEST(StretchRobustness, AveragingAScreenClippedAtTopAndBottomGivesTheSameRows) {
    // Large enough to be shared between threads, with the destination's
    // first and last rows outside the bitmap.
    Buffer source(1920, 1080);
    std::uint32_t noise = 3;
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1920; ++x) {
            noise = noise * 1103515245 + 12345;
            source.at(x, y) = noise >> 8;
        }
    }
    Buffer whole(482, 378), clipped(482, 300);
    raster::SetStretchBltMode(whole.dc, raster::HALFTONE);
    raster::SetStretchBltMode(clipped.dc, raster::HALFTONE);
    ASSERT_TRUE(
        raster::StretchBlt(whole.dc, 0, 0, 482, 378, source.dc, 0, 0, 1920, 1080, raster::SRCCOPY));
    ASSERT_TRUE(raster::StretchBlt(clipped.dc, 0, -40, 482, 378, source.dc, 0, 0, 1920, 1080,
                                   raster::SRCCOPY));
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 482; ++x) {
            ASSERT_EQ(clipped.at(x, y), whole.at(x, y + 40)) << x << ", " << y;
        }
    }
}

}  // namespace

// Area averaging matches a plain per-pixel mean, rounded to nearest, for
// shrinking both ways or one way, boxes of up to 4095 pixels (averaged by
// multiplication) and beyond; the top byte of the source is ignored.
TEST(StretchRobustness, SmoothStretchIsTheRoundedMeanOfEachBox) {
    const int sizes[][4] = {{1920, 1080, 482, 378}, {37, 23, 5, 7},  {37, 5, 5, 11},
                            {600, 40, 3, 2},        {4100, 3, 1, 1}, {66, 66, 1, 1}};
    std::uint32_t noise = 7;
    for (const auto& [ws, hs, w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << ws << "x" << hs << " to " << w << "x" << h);
        Buffer source(ws, hs), dest(w, h);
        for (int y = 0; y < hs; ++y) {
            for (int x = 0; x < ws; ++x) {
                noise = noise * 1103515245 + 12345;
                source.at(x, y) = noise;
            }
        }
        raster::SetStretchBltMode(dest.dc, raster::HALFTONE);
        ASSERT_TRUE(
            raster::StretchBlt(dest.dc, 0, 0, w, h, source.dc, 0, 0, ws, hs, raster::SRCCOPY));
        const auto box = [](std::int64_t i, std::int64_t n, std::int64_t ns) {
            const std::int64_t begin = i * ns / n;
            return std::pair(begin, std::min(ns, std::max(begin + 1, ((i + 1) * ns + n - 1) / n)));
        };
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                const auto [x0, x1] = box(i, w, ws);
                const auto [y0, y1] = box(j, h, hs);
                std::uint32_t expected = 0;
                for (int shift : {0, 8, 16}) {
                    std::uint64_t sum = 0;
                    for (auto y = y0; y < y1; ++y) {
                        for (auto x = x0; x < x1; ++x) {
                            sum +=
                                source.at(static_cast<int>(x), static_cast<int>(y)) >> shift & 0xFF;
                        }
                    }
                    const std::uint64_t n = static_cast<std::uint64_t>((x1 - x0) * (y1 - y0));
                    expected |= static_cast<std::uint32_t>((sum + n / 2) / n) << shift;
                }
                ASSERT_EQ(dest.at(i, j) & 0xFFFFFF, expected) << i << ", " << j;
            }
        }
    }
}
