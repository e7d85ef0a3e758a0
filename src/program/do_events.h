#pragma once
// The plain pause the capture paths use.

#include <chrono>

namespace app {

void Sleep(int milliseconds);
// Sleeps until `end`; returns at once when it has passed.
void SleepUntil(std::chrono::steady_clock::time_point end);

}  // namespace app
