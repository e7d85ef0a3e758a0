#pragma once
// Hot-key presses and the captures they start. The capture handlers yield to
// the event loop, so a press that arrived during one would otherwise run a
// whole capture inside it, and a hammered key would nest captures without
// bound. Instead a press that comes while a capture runs waits for it, and
// all such presses together make at most one more capture.

#include <functional>

namespace capture {

// Marks a capture as running for its lifetime.
class CaptureRunning {
  public:
    CaptureRunning();
    ~CaptureRunning();
    CaptureRunning(const CaptureRunning&) = delete;
    CaptureRunning& operator=(const CaptureRunning&) = delete;
};

bool CaptureIsRunning();

// Runs `capture` at once when no capture runs. Otherwise keeps it, in place
// of any capture kept before, and starts it from the event loop once the
// running capture has ended.
void StartOnPress(std::function<void()> capture);

}  // namespace capture
