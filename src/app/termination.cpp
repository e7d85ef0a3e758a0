#include "app/termination.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "base/signal_pipe.h"

namespace app {
namespace {

bool installed = false;

// Time the program has to end once told to: a wait the event loop cannot
// leave (a session bus that stopped answering mid-call) must not keep it.
constexpr unsigned kEndSeconds = 15;

void OnOverdue(int) {
    ::_exit(128 + SIGTERM);
}

void StartEndBound(int) {
    if (const unsigned left = ::alarm(kEndSeconds); left != 0) {
        ::alarm(left);  // told again: the first bound stands
    }
}

}  // namespace

void EndEventLoopOnTermination() {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || installed) {
        return;
    }
    const int wake = base::SignalPipe({SIGTERM, SIGINT, SIGHUP}, &StartEndBound);
    if (wake < 0) {
        return;
    }
    installed = true;
    auto* notifier = new QSocketNotifier(wake, QSocketNotifier::Read, application);
    QObject::connect(notifier, &QSocketNotifier::activated, application, [wake] {
        base::DrainSignalPipe(wake);
        QCoreApplication::exit(128 + SIGTERM);
    });
    struct sigaction action {};
    action.sa_handler = &OnOverdue;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr);
}

}  // namespace app
