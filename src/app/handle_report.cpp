#include "app/handle_report.h"

#include <signal.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>

#include "base/signal_pipe.h"
#include "platform/raster/raster.h"

namespace app {
namespace {

bool installed = false;

void Print() {
    std::fprintf(stderr, "handles: %zu\n", raster::LiveHandleCount());
    std::fflush(stderr);
}

}  // namespace

void InstallHandleReport() {
    if (qEnvironmentVariableIsEmpty("TESSARINE_DEBUG_HANDLES") || installed) {
        return;
    }
    const int wake = base::SignalPipe({SIGUSR1});
    if (wake < 0) {
        std::perror("tessarine: TESSARINE_DEBUG_HANDLES: pipe");
        return;
    }
    installed = true;
    auto* notifier = new QSocketNotifier(wake, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [wake] {
        base::DrainSignalPipe(wake);
        Print();
    });
}

}  // namespace app
