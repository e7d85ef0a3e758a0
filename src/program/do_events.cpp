#include "program/do_events.h"

#include <chrono>
#include <thread>

namespace app {

void Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SleepUntil(std::chrono::steady_clock::time_point end) {
    std::this_thread::sleep_until(end);
}

}  // namespace app
