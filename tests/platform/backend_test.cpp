#include "platform/backend.h"

#include <gtest/gtest.h>

#include "support/fake_screen.h"

namespace {

TEST(NullBackend, HasNoScreenNoWindowAndHoldsNoKeys) {
    const std::shared_ptr<platform::Backend> null = platform::NullBackend();
    EXPECT_EQ(null->screenSource(), nullptr);
    EXPECT_EQ(null->foregroundWindow(), 0u);
    platform::RECT rect{1, 2, 3, 4};
    EXPECT_FALSE(null->windowRect(7, &rect));
    EXPECT_EQ(rect.right, 3);
    EXPECT_EQ(null->claimKeys({0x2C}, [] {}).result, platform::ClaimResult::NoDisplay);
    EXPECT_FALSE(null->screenInDevicePixels());
}

TEST(InstallBackend, HandsItsScreenToTheRasterLayerAndNullPutsBackTheNullBackend) {
    {
        testing_support::ScopedFakeScreen screen(8, 8);
        EXPECT_EQ(raster::CurrentScreenSource()->size().width, 8);
        platform::ScopedBackend none(nullptr);
        EXPECT_EQ(platform::CurrentBackend(), platform::NullBackend());
        EXPECT_EQ(raster::CurrentScreenSource(), nullptr);
    }
    EXPECT_EQ(platform::CurrentBackend(), platform::NullBackend());
}

}  // namespace
