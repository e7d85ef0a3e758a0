#include "capture/window_in_front.h"

namespace capture {

WindowInFront FindWindowInFront(platform::Backend& backend) {
    using Outcome = WindowInFront::Outcome;
    WindowInFront found;
    if (!backend.knowsForegroundWindow()) {
        found.outcome = Outcome::DesktopCannotTell;
        return found;
    }
    const auto unanswered = [&backend] { return backend.windowQueryFailure(); };
    const platform::HWND window = backend.foregroundWindow();
    if (window == 0) {
        found.why = unanswered();
        found.outcome = found.why.empty() ? Outcome::NoWindow : Outcome::NotFound;
        return found;
    }
    if (!backend.windowRect(window, &found.rect)) {
        // Window managers may go on naming a window after it closed.
        found.why = unanswered();
        found.outcome = found.why.empty() ? Outcome::Gone : Outcome::NotMeasured;
        return found;
    }
    // An empty capture in place of the current one would only lose it.
    const std::optional<CaptureSize> size = CaptureSizeOf(found.rect);
    if (!size || size->width == 0 || size->height == 0) {
        found.outcome = Outcome::NoCaptureSize;
        return found;
    }
    found.size = *size;
    found.outcome = Outcome::Found;
    return found;
}

std::string WhyNoWindowInFront(const WindowInFront& found) {
    using Outcome = WindowInFront::Outcome;
    switch (found.outcome) {
        case Outcome::Found:
            break;
        case Outcome::DesktopCannotTell:
            return "this desktop does not let programs find the window in front";
        case Outcome::NoWindow:
            // No window manager, or the pointer's window has the focus.
            return "no window is in the foreground";
        case Outcome::NotFound:
            return "the window in front cannot be found: " + found.why;
        case Outcome::NotMeasured:
            return "the window in front cannot be measured: " + found.why;
        case Outcome::Gone:
            return "no window is in the foreground (the window that was in front has closed)";
        case Outcome::NoCaptureSize:
            return "the window in front is " + std::to_string(found.width()) + " x " +
                   std::to_string(found.height()) +
                   " pixels, which is no size a capture can have (1 to " +
                   std::to_string(kMaxCaptureSide) + " pixels wide and high)";
    }
    return {};
}

}  // namespace capture
