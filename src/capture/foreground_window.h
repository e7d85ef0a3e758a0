#pragma once
// Where the window capture learns which window is in front and where it
// lies, and how big a capture that makes.

#include <optional>
#include <string>

#include "platform/x11/windows.h"

namespace capture {

// The window system's answers; the X11 ones unless a test puts in others.
struct WindowQuery {
    HWND (*foregroundWindow)() = &::GetForegroundWindow;
    bool (*windowRect)(HWND, RECT*) = &::GetWindowRect;
    // False where the desktop tells programs nothing about its windows.
    bool knowsForegroundWindow = true;
    // Why the last question went unanswered (the desktop did not answer in
    // time, ...), or empty; none where the answer is never late.
    std::string (*failure)() = nullptr;
};

const WindowQuery& CurrentWindowQuery();
void SetWindowQuery(const WindowQuery& query);

// The most pixels a capture can measure either way: its size is kept in
// 16-bit fields.
inline constexpr int kMaxCaptureSide = 32767;

struct CaptureSize {
    int width = 0;
    int height = 0;
};

// The size of a capture of `rect`, or empty when either side is negative or
// wider than a capture can be.
std::optional<CaptureSize> CaptureSizeOf(const RECT& rect);

}  // namespace capture
