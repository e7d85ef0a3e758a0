#pragma once
// Waiting on the session bus against a deadline.

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace platform {

// The milliseconds left before `deadline`, at least 1: a D-Bus call given
// 0 would wait the library's default instead.
inline int BusRemaining(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
}

// Runs the event loop, input from the user aside, until `answer` has its
// `answered` flag set (its `done` signal says so) or the deadline passes.
template <typename Answer>
void WaitForAnswer(const Answer& answer, const QDeadlineTimer& deadline) {
    if (answer.answered) {
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&answer, &Answer::done, &loop, &QEventLoop::quit);
    timer.start(BusRemaining(deadline));
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace platform
