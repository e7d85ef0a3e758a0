#include "support/fake_screen.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

FakeScreen::FakeScreen(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            at(x, y) = PatternAt(x, y);
        }
    }
}

bool FakeScreen::read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) {
    ++reads_;
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > width_ || y + height > height_) {
        return false;  // the raster layer must only ask for on-screen pixels
    }
    for (int row = 0; row < height; ++row) {
        std::memcpy(dest + static_cast<std::ptrdiff_t>(row) * destStride, &at(x, y + row),
                    static_cast<std::size_t>(width) * sizeof(std::uint32_t));
    }
    return true;
}

void FakeScreen::fill(std::uint32_t rgb) {
    std::fill(pixels_.begin(), pixels_.end(), rgb);
}

ScopedFakeScreen::ScopedFakeScreen(int width, int height)
    : screen_(std::make_shared<FakeScreen>(width, height)),
      backend_([this](FakeBackend& fake) { fake.screen = screen_; }) {}

}  // namespace testing_support
