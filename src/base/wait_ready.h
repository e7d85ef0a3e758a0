#pragma once
// Waiting for a descriptor to be ready, with a deadline.

#include <poll.h>

#include <cerrno>
#include <chrono>

namespace base {

// True once `fd` is ready for `events`; false when the deadline passes or
// the wait fails.
inline bool WaitReady(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

}  // namespace base
