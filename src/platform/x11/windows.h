#pragma once
// The foreground window and its rectangle on the screen, shaped like the
// user32 calls that the window capture is written against.

#include <cstdint>

// An X window id; 0 is no window.
using HWND = std::uint32_t;

// A rectangle in screen pixels; right and bottom lie just outside it.
struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The window the user is working in: the window manager's active window, or
// where no window manager names one, the top-level window holding the input
// focus. 0 when there is none or the X server cannot be asked.
HWND GetForegroundWindow();

// The window's outer rectangle in screen pixels, including the frame and
// title bar that the window manager puts around it. Leaves *rect unchanged
// and returns false when the window does not exist.
bool GetWindowRect(HWND window, RECT* rect);

namespace platform {

// The outer rectangle of a top-level window (the window manager's frame)
// whose inside starts at (insideX, insideY) on the screen and measures
// width x height, drawn with a border of borderWidth pixels on every side.
RECT OuterWindowRect(int insideX, int insideY, int width, int height, int borderWidth);

}  // namespace platform
