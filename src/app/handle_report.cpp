#include "app/handle_report.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>

#include "platform/raster/raster.h"

namespace app {
namespace {

int wakeWrite = -1;

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a pending request: dropping this one is fine.
    ssize_t ignored = ::write(wakeWrite, &byte, 1);
    (void)ignored;
    errno = saved;
}

void Print() {
    std::fprintf(stderr, "handles: %zu\n", raster::LiveHandleCount());
    std::fflush(stderr);
}

}  // namespace

void InstallHandleReport() {
    if (qEnvironmentVariableIsEmpty("TESSARINE_DEBUG_HANDLES") || wakeWrite >= 0) {
        return;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("tessarine: TESSARINE_DEBUG_HANDLES: pipe");
        return;
    }
    wakeWrite = fds[1];
    auto* notifier =
        new QSocketNotifier(fds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [readEnd = fds[0]] {
        char buffer[64];
        while (::read(readEnd, buffer, sizeof buffer) > 0) {
        }
        Print();
    });

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGUSR1, &action, nullptr);
}

}  // namespace app
