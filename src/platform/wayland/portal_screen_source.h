#pragma once
// The screen of a Wayland session, through the desktop portal's Screenshot
// interface: the compositor's own picture of the whole desktop, in device
// pixels. The portal gives the screen whole or not at all, so every capture
// freezes it first; reads then come from that still picture.

#include <functional>
#include <utility>

#include "platform/raster/raster.h"
#include "platform/wayland/png_picture.h"

namespace platform {

class PortalScreenSource : public raster::ScreenSource {
  public:
    // `xScreenSize` gives the X screen's size, which bounds the size of a
    // screenshot where sway cannot tell the desktop's.
    explicit PortalScreenSource(std::function<raster::Size()> xScreenSize = {})
        : xScreenSize_(std::move(xScreenSize)) {}

    // How long a screenshot may take in all once the portal runs (its start
    // has a bound of its own): the portal's answer, and reading the file it
    // names.
    static constexpr int kAnswerTimeoutMs = 10000;
    // The same when the desktop first asks the user whether we may take
    // screenshots: time for a person to read its dialog and answer.
    static constexpr int kUserAnswerTimeoutMs = 60000;

    raster::Size size() override;
    bool read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) override;
    // Asks the portal for a screenshot, reads the file it wrote and deletes
    // it (a file that is not a fresh screenshot of ours is refused and left
    // alone). On failure the previous picture is dropped, so nothing stale is
    // read as if it were the screen now. While the desktop asks the user for
    // permission, or its portal is slow to start, a notice says so
    // (platform/desktop_notice.h); a screenshot it still writes after we
    // gave up is deleted when its answer comes.
    std::string freeze() override;
    void releaseAll() override { picture_ = Picture(); }
    void keepPngFile() override { keepPngFile_ = true; }
    std::span<const std::uint8_t> pngFile() const override { return picture_.file; }

  private:
    std::function<raster::Size()> xScreenSize_;
    Picture picture_;
    bool taking_ = false;
    bool keepPngFile_ = false;
};

}  // namespace platform
