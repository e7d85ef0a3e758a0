#include "platform/controls/event_pump.h"

#include <QCoreApplication>
#include <QTimer>

namespace controls {

void DoEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void PostToEventLoop(std::function<void()> job) {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        QTimer::singleShot(0, application, std::move(job));
    }
}

int RunEventLoop() {
    return QCoreApplication::exec();
}

void QuitEventLoop(int code) {
    QCoreApplication::exit(code);
}

}  // namespace controls
