#pragma once
// A screen of known pixels for display contexts in unit tests.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/raster/raster.h"
#include "support/fake_backend.h"

namespace testing_support {

class FakeScreen : public raster::ScreenSource {
  public:
    FakeScreen(int width, int height);

    // The colour every pixel starts with: distinct per position.
    static std::uint32_t PatternAt(int x, int y) {
        return static_cast<std::uint32_t>((x & 0xFFF) << 12 | (y & 0xFFF)) & 0xFFFFFF;
    }

    raster::Size size() override { return {width_, height_}; }
    bool read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) override;

    void fill(std::uint32_t rgb);
    std::uint32_t& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    int reads() const { return reads_; }
    // The screen as a PNG file, as the desktop portal hands it over.
    std::span<const std::uint8_t> pngFile() const override { return pngFile_; }
    std::vector<std::uint8_t> pngFile_;

  private:
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
    int reads_ = 0;
};

// Installs a fake screen for the lifetime of the object.
class ScopedFakeScreen {
  public:
    ScopedFakeScreen(int width, int height);
    FakeScreen& operator*() { return *screen_; }
    FakeScreen* operator->() { return screen_.get(); }

  private:
    std::shared_ptr<FakeScreen> screen_;
    ScopedFakeBackend backend_;
};

}  // namespace testing_support
