#include "platform/wayland/portal_start.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QEventLoop>
#include <QTimer>
#include <string>

#include "platform/desktop_notice.h"

namespace platform::portal {
namespace {

// A portal that starts within this is not worth a word.
constexpr int kQuietStartMs = 2000;

std::string StartingNotice() {
    return "the desktop portal is starting (Tessarine waits up to " +
           std::to_string(kStartTimeoutMs / 1000) + " seconds)";
}

}  // namespace

Answer StartPortal() {
    Answer answer;
    answer.outcome = Answer::Outcome::Granted;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return answer;
    }
    // The bus itself answers this at once.
    if (const QDBusReply<bool> running = bus.interface()->isServiceRegistered(kService);
        running.isValid() && running.value()) {
        return answer;
    }
    QDBusMessage start =
        QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", "StartServiceByName");
    start << QString(kService) << 0u;
    QDBusPendingCallWatcher started(bus.asyncCall(start, kStartTimeoutMs));
    bool waited = false;
    bool said = false;
    if (!started.isFinished()) {
        QEventLoop loop;
        QTimer notice;
        QTimer bound;
        notice.setSingleShot(true);
        bound.setSingleShot(true);
        QObject::connect(&notice, &QTimer::timeout, &notice, [&said] {
            said = true;
            PostNotice(StartingNotice());
        });
        QObject::connect(&bound, &QTimer::timeout, &loop, [&loop, &waited] {
            waited = true;
            loop.quit();
        });
        QObject::connect(&started, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        notice.start(kQuietStartMs);
        bound.start(kStartTimeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (said) {
        PostNotice({});
    }
    if (!started.isFinished()) {
        // Out of time, or ended early because the program is ending.
        answer.outcome = waited ? Answer::Outcome::NotStarted : Answer::Outcome::Failed;
        answer.error = "the wait for it to start was interrupted";
        return answer;
    }
    const QDBusMessage reply = started.reply();
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return answer;
    }
    const QString name = reply.errorName();
    answer.error = reply.errorMessage();
    answer.outcome = name == "org.freedesktop.DBus.Error.ServiceUnknown" ? Answer::Outcome::NoPortal
                     : name == "org.freedesktop.DBus.Error.NoReply" ||
                             name == "org.freedesktop.DBus.Error.Timeout" ||
                             name == "org.freedesktop.DBus.Error.TimedOut"
                         ? Answer::Outcome::NotStarted
                         : Answer::Outcome::Failed;
    return answer;
}

}  // namespace platform::portal
