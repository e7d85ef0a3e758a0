#pragma once
// The window in front in a KDE Plasma session, from a small script run
// inside KWin (see kwin_script.h), in the device pixels of the desktop's
// screenshot.

#include <QString>
#include <optional>
#include <string>

#include "platform/backend.h"

namespace platform::kwin {

// True when KWin is on the session bus.
bool Available();

// Why the last question to KWin got no answer; empty when it answered.
std::string Failure();

// The active window, a number for WindowRect; 0 when no window is active
// or KWin cannot be asked.
platform::HWND ForegroundWindow();

// The window's frame (title bar and border included), in device pixels with
// the desktop's top-left corner at (0, 0). False when it is gone.
bool WindowRect(platform::HWND window, platform::RECT* rect);

// What a script's answer says: the window's KWin id and its frame in
// device pixels. Empty, with the reason in *why, when the answer is not one
// (numbers missing or out of range); a window id of "" when there is none.
struct Frame {
    QString window;
    platform::RECT rect;
};
std::optional<Frame> ParseAnswer(const QString& answer, QString* why);

}  // namespace platform::kwin
