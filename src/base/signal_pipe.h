#pragma once
// Signals turned into bytes on a pipe, for an event loop to watch: a signal
// handler may do little more than write(2).

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace base {
namespace signal_pipe {

using Before = void (*)(int);

// Per signal: the pipe's write end, and what the handler does first.
inline int writeEnds[NSIG] = {};
inline Before befores[NSIG] = {};

inline void OnSignal(int signal) {
    const int saved = errno;
    if (befores[signal] != nullptr) {
        befores[signal](signal);
    }
    const char byte = 1;
    // A full pipe already holds a wake-up: dropping this one is fine.
    [[maybe_unused]] const ssize_t written = ::write(writeEnds[signal], &byte, 1);
    errno = saved;
}

}  // namespace signal_pipe

// Makes a pipe that gets a byte whenever one of the signals `numbers`
// arrives, after `before` (async-signal-safe, may be null) has run in the
// handler. Returns the pipe's read end (non-blocking), or -1 with errno set.
inline int SignalPipe(std::initializer_list<int> numbers, signal_pipe::Before before = nullptr) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return -1;
    }
    struct sigaction action {};
    action.sa_handler = &signal_pipe::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : numbers) {
        signal_pipe::writeEnds[number] = fds[1];
        signal_pipe::befores[number] = before;
        ::sigaction(number, &action, nullptr);
    }
    return fds[0];
}

// Reads what the signals wrote, so that the pipe reads as empty again.
inline void DrainSignalPipe(int readEnd) {
    char bytes[64];
    while (::read(readEnd, bytes, sizeof bytes) > 0) {
    }
}

}  // namespace base
