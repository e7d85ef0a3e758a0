#pragma once
// Yielding to the event loop and the plain pause the capture paths use.

#include <chrono>

namespace app {

// Lets every pending window event run to completion, then returns.
void DoEvents();
void Sleep(int milliseconds);
// Sleeps until `end`; returns at once when it has passed.
void SleepUntil(std::chrono::steady_clock::time_point end);

}  // namespace app
