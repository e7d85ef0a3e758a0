#pragma once
// The still picture a capture copies from. Where the screen can only be had
// whole (the desktop portal of a Wayland session) it is taken here, before
// the capture buffer is touched, so that a refusal keeps the previous
// capture; on an X11 screen there is nothing to do.

#include <string>

#include "capture/screen_grab.h"

namespace controls {
class Control;
}

namespace capture {

// Empty when the screen can be read now; otherwise why not (UTF-8).
std::string FreezeScreen();

// Tells the user that the screen was not captured, and why.
void ShowScreenNotCaptured(const controls::Control* owner, const std::string& why);

}  // namespace capture
