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

}  // namespace capture
