#pragma once
// What session detection asks of the X server, without its headers.

namespace platform {

// True when the X server of `display` (null: $DISPLAY) is XWayland.
bool XServerIsXWayland(const char* display);

}  // namespace platform
