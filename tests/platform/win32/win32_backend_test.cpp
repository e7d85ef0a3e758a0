#include "platform/win32/win32_backend.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Win32Backend, ACombinationHeldElsewhereIsHeldUntilReleased) {
    const auto backend = platform::OpenWin32Backend();
    platform::KeyCombination keys;
    keys.key = 0x87;  // F24, which no keyboard here has
    keys.control = keys.alt = keys.shift = true;
    platform::ClaimOutcome first = backend->claimKeys(keys, [] {});
    ASSERT_EQ(first.result, platform::ClaimResult::Claimed) << first.note;
    EXPECT_EQ(backend->claimKeys(keys, [] {}).result, platform::ClaimResult::HeldByAnother);
    first.grab.reset();
    EXPECT_EQ(backend->claimKeys(keys, [] {}).result, platform::ClaimResult::Claimed);
}

TEST(Win32Backend, ScreenReadsTheSamePixelsIntoAnyRowPitch) {
    const auto screen = platform::OpenWin32Backend()->screenSource();
    const raster::Size size = screen->size();
    ASSERT_GT(size.width, 40);
    ASSERT_GT(size.height, 30);
    const int width = size.width - 20;
    const int height = size.height - 10;
    std::vector<std::uint32_t> packed(static_cast<std::size_t>(width) * height, 0xdeadbeef);
    std::vector<std::uint32_t> padded(static_cast<std::size_t>(width + 3) * height, 0xdeadbeef);
    ASSERT_TRUE(screen->read(20, 10, width, height, packed.data(), width));
    ASSERT_TRUE(screen->read(20, 10, width, height, padded.data(), width + 3));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = packed[static_cast<std::size_t>(y) * width + x];
            ASSERT_EQ(pixel, padded[static_cast<std::size_t>(y) * (width + 3) + x])
                << x << "," << y;
            ASSERT_EQ(pixel >> 24, 0u) << x << "," << y;
        }
        EXPECT_EQ(padded[static_cast<std::size_t>(y) * (width + 3) + width], 0xdeadbeefu);
    }
}

}  // namespace
