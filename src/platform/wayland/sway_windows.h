#pragma once
// The window in front in a sway session, from sway's IPC (get_tree on
// $SWAYSOCK), in the device pixels of the desktop's screenshot. Other
// Wayland desktops do not tell programs which window has the focus.

#include <optional>

#include "platform/x11/windows.h"

namespace platform::sway {

// True when $SWAYSOCK names a socket: sway's.
bool Available();

// The focused window's container id; 0 when no window has the focus or sway
// cannot be asked.
HWND ForegroundWindow();

// The container's rectangle with its border and title bar, in device pixels
// with the desktop's top-left corner at (0, 0). False when it is gone.
bool WindowRect(HWND window, RECT* rect);

}  // namespace platform::sway
