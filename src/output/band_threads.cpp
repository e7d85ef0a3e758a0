#include "output/band_threads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace output {

int UsefulThreads() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
}

void RunJobs(std::size_t count, int threads, const std::function<void(std::size_t)>& job) {
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                job(i);
            } catch (...) {
                const std::lock_guard lock(failureLock);
                if (!failure) {
                    failure = std::current_exception();
                }
                next = count;
            }
        }
    };
    const std::size_t helpers = std::min(count, static_cast<std::size_t>(std::max(threads, 1))) -
                                std::min<std::size_t>(count, 1);
    std::vector<std::thread> started;
    try {
        started.reserve(helpers);
        for (std::size_t i = 0; i < helpers; ++i) {
            started.emplace_back(work);
        }
    } catch (const std::exception&) {
        // No more threads (std::system_error) or no room to list them: the
        // ones started and this one share the jobs.
    }
    work();
    for (std::thread& thread : started) {
        thread.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace output
