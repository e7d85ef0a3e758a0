#pragma once
// What sway forgets of an XWayland window that is hidden and shown again:
// it maps the window tiled, whatever rule made it float (sway runs a rule
// once a window), and centres a floating window at every size the window
// asks for. The floating frame is read when the window hides and given back
// over sway's IPC once sway has the window again.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <optional>

#include "platform/backend.h"

namespace platform::sway {

// A floating window's frame, title bar included, in the desktop's logical
// pixels, as sway's IPC gives it.
struct Frame {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Frame&) const = default;
};

// The X window's frame while sway floats it; nullopt when it is tiled, not
// in sway's tree, or sway cannot be asked.
std::optional<Frame> FloatingFrame(platform::HWND xWindow);

class FloatingPlace : public QObject {
  public:
    FloatingPlace();

    // Before the window hides.
    void remember(platform::HWND xWindow);
    // After it shows again: floats it at the frame it had, from the event
    // loop, as soon as sway has mapped it and for a moment after (a size
    // the window asks for as it maps centres it again), within a few
    // seconds in all.
    void restore(platform::HWND xWindow);

  private:
    void step();

    platform::HWND window_ = 0;
    std::optional<Frame> frame_;
    QTimer timer_;
    QElapsedTimer since_;
    int timesThere_ = 0;
};

}  // namespace platform::sway
