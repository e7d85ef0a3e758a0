#include "platform/serving_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "base/wait_ready.h"

namespace platform {
namespace {

// Stops the caller's open files (its display and bus connections above
// all: the bus would not see it go while a copy stays open) at the serving
// process; only the standard ones and `keep` remain.
void CloseInherited(int keep) {
    if (keep > STDERR_FILENO + 1) {
        ::close_range(STDERR_FILENO + 1, static_cast<unsigned>(keep) - 1, 0);
    }
    ::close_range(static_cast<unsigned>(keep) + 1, ~0U, 0);
}

}  // namespace

void AnswerCaller(int ready, const std::string& answer) {
    (void)!::write(ready, answer.data(), answer.size());
    ::close(ready);
}

ServingAnswer StartServingProcess(const std::function<void(int ready)>& serve, int deadlineMs) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return {false, std::strerror(errno)};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return {false, std::strerror(error)};
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        ::setsid();
        ::signal(SIGHUP, SIG_IGN);
        // A reader that goes away mid-transfer is no reason to end.
        ::signal(SIGPIPE, SIG_IGN);
        if (const int null = ::open("/dev/null", O_RDWR); null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            if (null > STDERR_FILENO) {
                ::close(null);
            }
        }
        CloseInherited(pipeEnds[1]);
        // The server is a grandchild, so that no one waits for it.
        const pid_t server = ::fork();
        if (server != 0) {
            ::_exit(server < 0 ? 1 : 0);
        }
        serve(pipeEnds[1]);
        ::_exit(1);
    }
    ::close(pipeEnds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    char answer[200] = {};
    std::size_t got = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
    while (got < sizeof answer - 1) {
        if (!base::WaitReady(pipeEnds[0], POLLIN, deadline)) {
            break;
        }
        const ssize_t n = ::read(pipeEnds[0], answer + got, sizeof answer - 1 - got);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
        if (answer[0] == '1') {
            break;
        }
    }
    ::close(pipeEnds[0]);
    if (got > 0 && answer[0] == '1') {
        return {true, {}};
    }
    return {false, std::string(answer, got)};
}

}  // namespace platform
