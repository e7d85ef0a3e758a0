#pragma once
// Running numbered jobs on several threads. Nothing here needs Qt.

#include <cstddef>
#include <functional>

namespace output {

// Threads worth starting for CPU-bound work here: the processors the system
// reports (at least 1, at most 16).
int UsefulThreads();

// Runs job(0) .. job(count - 1), each once, on up to `threads` threads, the
// caller's among them, and returns when all have finished. Where no more
// threads can be started, fewer do the jobs (the caller's alone at worst).
// The first exception a job throws is thrown again once every thread has
// stopped; the jobs not yet started are then skipped.
void RunJobs(std::size_t count, int threads, const std::function<void(std::size_t)>& job);

}  // namespace output
