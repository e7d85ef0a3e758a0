#pragma once
// The foreground window and its rectangle on the screen, asked of the X
// server.

#include "platform/backend.h"

namespace platform {

class X11Connection;

// The window the user is working in: the window manager's active window, or
// where no window manager names one, the top-level window holding the input
// focus. 0 when there is none.
platform::HWND ForegroundWindow(const X11Connection& connection);

// The window's outer rectangle in screen pixels, including the frame and
// title bar that the window manager puts around it. Leaves *rect unchanged
// and returns false when the window does not exist.
bool WindowRect(const X11Connection& connection, platform::HWND window, platform::RECT* rect);

// The outer rectangle of a top-level window (the window manager's frame)
// whose inside starts at (insideX, insideY) on the screen and measures
// width x height, drawn with a border of borderWidth pixels on every side.
platform::RECT OuterWindowRect(int insideX, int insideY, int width, int height, int borderWidth);

}  // namespace platform
