#pragma once
// Which window is in front and what a capture of it would be: the rules
// that Shift+Print Screen and `--capture --active` share. Nothing here
// needs Qt.

#include <string>

#include "capture/foreground_window.h"
#include "platform/backend.h"

namespace capture {

struct WindowInFront {
    enum class Outcome {
        Found,              // `rect` and `size` hold the capture
        DesktopCannotTell,  // the desktop tells programs nothing of its windows
        NoWindow,           // no window is in the foreground
        NotFound,           // the desktop did not say which window: `why`
        NotMeasured,        // the desktop did not say where it is: `why`
        Gone,               // the window named in front no longer exists
        NoCaptureSize,      // `rect` is empty or larger than a capture can be
    };
    Outcome outcome = Outcome::NoWindow;
    std::string why;
    platform::RECT rect;
    CaptureSize size;

    std::int64_t width() const { return std::int64_t{rect.right} - rect.left; }
    std::int64_t height() const { return std::int64_t{rect.bottom} - rect.top; }
};

// Asks the backend for the window in front: its frame's rectangle on the
// screen, title bar included.
WindowInFront FindWindowInFront(platform::Backend& backend);

// Why there is nothing to capture, as the middle of a sentence ("no window
// is in the foreground"); empty for Found. The command line and the window
// program each add what the user can do instead.
std::string WhyNoWindowInFront(const WindowInFront& found);

}  // namespace capture
