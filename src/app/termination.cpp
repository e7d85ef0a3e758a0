#include "app/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>

namespace app {
namespace {

int wakeFd = -1;

// Time the program has to end once told to: a wait the event loop cannot
// leave (a session bus that stopped answering mid-call) must not keep it.
constexpr unsigned kEndSeconds = 15;

void OnOverdue(int) {
    ::_exit(128 + SIGTERM);
}

void OnTermination(int) {
    const int saved = errno;
    if (const unsigned left = ::alarm(kEndSeconds); left != 0) {
        ::alarm(left);  // told again: the first bound stands
    }
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &byte, 1);
    errno = saved;
}

}  // namespace

void EndEventLoopOnTermination() {
    QCoreApplication* application = QCoreApplication::instance();
    int fds[2];
    if (!application || wakeFd >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    wakeFd = fds[1];
    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, application);
    QObject::connect(notifier, &QSocketNotifier::activated, application, [fds] {
        char bytes[16];
        while (::read(fds[0], bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::exit(128 + SIGTERM);
    });
    struct sigaction action {};
    action.sa_handler = &OnTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    action.sa_handler = &OnOverdue;
    ::sigaction(SIGALRM, &action, nullptr);
}

}  // namespace app
