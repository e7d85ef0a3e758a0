#pragma once
// The window in front in a sway session, from sway's IPC (get_tree on
// $SWAYSOCK), in the device pixels of the desktop's screenshot.

#include <optional>
#include <string>

#include "platform/backend.h"
#include "platform/wayland/sway_ipc.h"

namespace platform::sway {

struct Extent {
    double width = 0;
    double height = 0;
};

// The bounding box of the active outputs in device pixels at the largest
// output scale: the size of a screenshot of the whole desktop. Empty when
// sway cannot be asked.
std::optional<Extent> DesktopDeviceSize();

// Device pixels per logical pixel in a screenshot of the whole desktop (the
// largest output scale); 0 when sway cannot be asked.
double LargestOutputScale();

// The focused window's container id; 0 when no window has the focus or sway
// cannot be asked.
platform::HWND ForegroundWindow();

// The container's rectangle with its border and title bar, in device pixels
// with the desktop's top-left corner at (0, 0). False when it is gone.
bool WindowRect(platform::HWND window, platform::RECT* rect);

}  // namespace platform::sway
