#pragma once
// Reads the X screen's root window (all monitors) for display contexts, with
// MIT-SHM when the server offers it and plain GetImage otherwise.

#include <memory>
#include <string>

#include "platform/raster/raster.h"

namespace platform {

class X11ScreenReader : public raster::ScreenSource {
  public:
    // Connects to `display` (null: $DISPLAY). On failure returns null and
    // says why in `error`.
    static std::unique_ptr<X11ScreenReader> Connect(const char* display, std::string& error);
    ~X11ScreenReader() override;

    raster::Size size() override;
    bool read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) override;

    bool usesSharedMemory() const;
    // The reader's own X connection, for the other X11 queries of this layer.
    struct Impl;
    Impl& impl() { return *impl_; }

  private:
    explicit X11ScreenReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
