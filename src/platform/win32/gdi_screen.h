#pragma once
// The whole virtual screen (every monitor) read through GDI. Its top left
// corner, which lies at negative desktop coordinates when a monitor is
// left of or above the main one, is pixel (0, 0) of the source.

#include <cstdint>
#include <memory>

#include "platform/raster/raster.h"

namespace platform::win32 {

struct ScreenOrigin {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Where the virtual screen's top left corner lies on the desktop now.
ScreenOrigin VirtualScreenOrigin();

std::shared_ptr<raster::ScreenSource> GdiScreenSource();

}  // namespace platform::win32
