#include "platform/raster/gdi.h"

#include <gtest/gtest.h>

#include "platform/raster/raster.h"
#include "support/fake_screen.h"

namespace {

using testing_support::FakeScreen;
using testing_support::ScopedFakeScreen;

// A memory context with a w x h bitmap whose pixel (x, y) is x << 8 | y.
struct Canvas {
    raster::HDC display = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    raster::HDC dc = 0;
    raster::HBITMAP bitmap = 0;

    Canvas(int w, int h, bool pattern = false) {
        dc = raster::CreateCompatibleDC(display);
        bitmap = raster::CreateCompatibleBitmap(display, w, h);
        raster::SelectObject(dc, bitmap);
        if (pattern) {
            auto view = *raster::ContextPixels(dc);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    view.row(y)[x] = static_cast<std::uint32_t>(x << 8 | y);
                }
            }
        }
    }
    ~Canvas() {
        raster::DeleteDC(dc);
        raster::DeleteObject(bitmap);
        raster::DeleteDC(display);
    }
    std::uint32_t at(int x, int y) const { return raster::ContextPixels(dc)->row(y)[x]; }
};

TEST(Gdi, OnlyTheDisplayDriverMakesADisplayContext) {
    EXPECT_EQ(raster::CreateDCA("PRINTER", nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(raster::CreateDCA(nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(raster::CreateDCA("DISPLAY", "x", nullptr, nullptr), 0u);
    const raster::HDC dc = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_NE(dc, 0u);
    EXPECT_TRUE(raster::DeleteDC(dc));
}

TEST(Gdi, NullStaleAndWrongKindHandlesDrawNothingAndFail) {
    const std::size_t baseline = raster::LiveHandleCount();
    {
        Canvas canvas(4, 4, true);
        const raster::HDC stale = raster::CreateCompatibleDC(canvas.display);
        ASSERT_TRUE(raster::DeleteDC(stale));
        EXPECT_FALSE(raster::DeleteDC(stale));
        EXPECT_FALSE(raster::BitBlt(0, 0, 0, 4, 4, canvas.dc, 0, 0, raster::SRCCOPY));
        EXPECT_FALSE(raster::BitBlt(canvas.dc, 0, 0, 4, 4, 0, 0, 0, raster::SRCCOPY));
        EXPECT_FALSE(raster::BitBlt(canvas.dc, 0, 0, 4, 4, stale, 0, 0, raster::SRCCOPY));
        EXPECT_FALSE(raster::BitBlt(stale, 0, 0, 4, 4, canvas.dc, 0, 0, raster::SRCCOPY));
        // A bitmap handle where a context belongs, and the other way round.
        EXPECT_FALSE(raster::BitBlt(canvas.bitmap, 0, 0, 4, 4, canvas.dc, 0, 0, raster::SRCCOPY));
        EXPECT_EQ(raster::SelectObject(canvas.bitmap, canvas.dc), 0u);
        EXPECT_FALSE(raster::DeleteObject(canvas.dc));
        EXPECT_FALSE(raster::DeleteDC(canvas.bitmap));
        EXPECT_EQ(raster::CreateCompatibleDC(stale), 0u);
        EXPECT_EQ(raster::CreateCompatibleBitmap(0, 4, 4), 0u);
        EXPECT_EQ(raster::CreateCompatibleBitmap(canvas.display, 0, 4), 0u);
        EXPECT_EQ(raster::CreateCompatibleBitmap(canvas.display, -1, 4), 0u);
        EXPECT_EQ(raster::CreateCompatibleBitmap(canvas.display, 1 << 16, 1 << 16), 0u);
        EXPECT_FALSE(raster::StretchBlt(stale, 0, 0, 4, 4, canvas.dc, 0, 0, 4, 4, raster::SRCCOPY));
        EXPECT_EQ(canvas.at(1, 2), (1u << 8) | 2u);
    }
    EXPECT_EQ(raster::LiveHandleCount(), baseline);
}

TEST(Gdi, StaleHandleNeverReachesTheSlotsNextOccupant) {
    Canvas canvas(2, 2);
    const raster::HDC first = raster::CreateCompatibleDC(canvas.display);
    ASSERT_TRUE(raster::DeleteDC(first));
    // Churn so that the freed slot is reused.
    std::vector<raster::HDC> made;
    for (int i = 0; i < 64; ++i) {
        made.push_back(raster::CreateCompatibleDC(canvas.display));
    }
    for (raster::HDC dc : made) {
        EXPECT_NE(dc, first);
    }
    EXPECT_FALSE(raster::DeleteDC(first));
    for (raster::HDC dc : made) {
        EXPECT_TRUE(raster::DeleteDC(dc));
    }
}

TEST(Gdi, BitmapSelectedIntoAContextCannotBeDeletedOrSelectedElsewhere) {
    Canvas canvas(2, 2);
    const raster::HDC other = raster::CreateCompatibleDC(canvas.display);
    EXPECT_EQ(raster::SelectObject(other, canvas.bitmap), 0u);
    EXPECT_FALSE(raster::DeleteObject(canvas.bitmap));
    ASSERT_TRUE(raster::DeleteDC(canvas.dc));
    canvas.dc = 0;
    EXPECT_EQ(raster::SelectObject(other, canvas.bitmap), 0u);  // none selected before
    EXPECT_TRUE(raster::ContextPixels(other).has_value());
    EXPECT_TRUE(raster::DeleteDC(other));
}

TEST(Gdi, BitBltClipsToSourceAndDestination) {
    Canvas source(8, 8, true);
    Canvas dest(8, 8);
    raster::FillContext(dest.dc, 0xABCDEF);
    // Source rectangle hangs off the source's right and bottom edges.
    ASSERT_TRUE(raster::BitBlt(dest.dc, 0, 0, 8, 8, source.dc, 5, 6, raster::SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), (5u << 8) | 6u);
    EXPECT_EQ(dest.at(2, 1), (7u << 8) | 7u);
    EXPECT_EQ(dest.at(3, 0), 0xABCDEFu);  // no source pixel: untouched
    EXPECT_EQ(dest.at(0, 2), 0xABCDEFu);
    // Negative destination origin.
    ASSERT_TRUE(raster::BitBlt(dest.dc, -3, -2, 8, 8, source.dc, 0, 0, raster::SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), (3u << 8) | 2u);
    // Negative source origin leaves the left part alone.
    raster::FillContext(dest.dc, 0x111111);
    ASSERT_TRUE(raster::BitBlt(dest.dc, 0, 0, 4, 4, source.dc, -2, 0, raster::SRCCOPY));
    EXPECT_EQ(dest.at(1, 0), 0x111111u);
    EXPECT_EQ(dest.at(2, 3), (0u << 8) | 3u);
    // Huge sizes and origins are clipped, not overflowed.
    EXPECT_TRUE(raster::BitBlt(dest.dc, 0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFFF, 0x7FFFFFFF, source.dc,
                               -0x7FFFFFFF, 0, raster::SRCCOPY));
    EXPECT_TRUE(raster::BitBlt(dest.dc, -0x7FFFFFFF, 0, 0x7FFFFFFF, 8, source.dc, 0x7FFFFFFF, 0,
                               raster::SRCCOPY));
}

TEST(Gdi, BitBltWithinOneBitmapHandlesOverlap) {
    Canvas canvas(4, 8, true);
    ASSERT_TRUE(raster::BitBlt(canvas.dc, 0, 1, 4, 7, canvas.dc, 0, 0, raster::SRCCOPY));
    for (int y = 1; y < 8; ++y) {
        EXPECT_EQ(canvas.at(2, y), (2u << 8) | static_cast<std::uint32_t>(y - 1));
    }
}

TEST(Gdi, StretchMapsPixelCentres) {
    Canvas source(4, 2, true);
    Canvas dest(8, 2);
    ASSERT_TRUE(raster::StretchBlt(dest.dc, 0, 0, 8, 2, source.dc, 0, 0, 4, 2, raster::SRCCOPY));
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(dest.at(x, 1), static_cast<std::uint32_t>((x / 2) << 8 | 1)) << x;
    }
    // Shrinking 4 -> 2 takes the pixel under each centre: columns 1 and 3.
    Canvas small(2, 1);
    ASSERT_TRUE(raster::StretchBlt(small.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 2, raster::SRCCOPY));
    EXPECT_EQ(small.at(0, 0), (1u << 8) | 1u);
    EXPECT_EQ(small.at(1, 0), (3u << 8) | 1u);
}

TEST(Gdi, HalftoneStretchAveragesTheCoveredPixels) {
    Canvas source(4, 2);
    auto view = *raster::ContextPixels(source.dc);
    view.row(0)[0] = 0x000000;
    view.row(0)[1] = 0x0000FF;
    view.row(1)[0] = 0x00FF00;
    view.row(1)[1] = 0xFF0000;
    Canvas dest(2, 1);
    EXPECT_EQ(raster::SetStretchBltMode(dest.dc, raster::HALFTONE), raster::COLORONCOLOR);
    ASSERT_TRUE(raster::StretchBlt(dest.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 2, raster::SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0x404040u);  // each channel 255/4, rounded
    EXPECT_EQ(dest.at(1, 0), 0u);
}

TEST(Gdi, DisplayContextReadsTheLiveScreenAndBlackBeyondIt) {
    ScopedFakeScreen screen(16, 8);
    Canvas dest(6, 4);
    raster::FillContext(dest.dc, 0x777777);
    const raster::HDC display = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_TRUE(raster::BitBlt(dest.dc, 0, 0, 6, 4, display, 13, 6, raster::SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), FakeScreen::PatternAt(13, 6));
    EXPECT_EQ(dest.at(2, 1), FakeScreen::PatternAt(15, 7));
    EXPECT_EQ(dest.at(3, 0), 0u);  // off the screen's right edge
    EXPECT_EQ(dest.at(0, 2), 0u);  // below it
    // The screen is read when copied from, not when the context is made.
    screen->fill(0x123456);
    ASSERT_TRUE(raster::BitBlt(dest.dc, 0, 0, 1, 1, display, 0, 0, raster::SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0x123456u);
    // Entirely off-screen: black.
    ASSERT_TRUE(raster::BitBlt(dest.dc, 0, 0, 2, 2, display, -50, -50, raster::SRCCOPY));
    EXPECT_EQ(dest.at(1, 1), 0u);
    // A display context is no destination.
    EXPECT_FALSE(raster::BitBlt(display, 0, 0, 2, 2, dest.dc, 0, 0, raster::SRCCOPY));
    raster::DeleteDC(display);
}

TEST(Gdi, DisplayContextWithoutAScreenDrawsNothing) {
    const auto previous = raster::CurrentScreenSource();
    raster::SetScreenSource(nullptr);
    Canvas dest(2, 2);
    raster::FillContext(dest.dc, 0x777777);
    const raster::HDC display = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_FALSE(raster::BitBlt(dest.dc, 0, 0, 2, 2, display, 0, 0, raster::SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0x777777u);
    raster::DeleteDC(display);
    raster::SetScreenSource(previous);
}

}  // namespace
