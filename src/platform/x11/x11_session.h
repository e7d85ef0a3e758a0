#pragma once
// What session detection asks of the X server, without its headers.

#include "platform/raster/raster.h"

namespace platform {

// True when the X server of `display` (null: $DISPLAY) is XWayland.
bool XServerIsXWayland(const char* display);

// The size of the X screen of `display` (null: $DISPLAY) in pixels, or
// 0 x 0 when it cannot be reached. Asked on the process's one connection.
raster::Size XScreenSize(const char* display);

}  // namespace platform
