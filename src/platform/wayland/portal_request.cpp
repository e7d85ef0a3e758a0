#include "platform/wayland/portal_request.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QTimer>
#include <atomic>

#include "platform/text/printable.h"
#include "platform/wayland/bus_wait.h"
#include "platform/wayland/portal_start.h"
#include "platform/wayland/session_bus.h"

namespace platform::portal {
namespace {

constexpr char kRequestInterface[] = "org.freedesktop.portal.Request";

QString NextToken() {
    static std::atomic<unsigned> counter{0};
    return QString("tessarine%1").arg(++counter);
}

// Where the portal puts the Request of a call made with `token`, so that we
// listen before we call and no answer can slip past.
QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace('.', '_');
    return QString("%1/request/%2/%3").arg(kPath, sender, token);
}

Answer FromError(const QDBusMessage& reply) {
    Answer answer;
    const QString name = reply.errorName();
    answer.error = reply.errorMessage();
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        name == "org.freedesktop.DBus.Error.NameHasNoOwner" ||
        name == "org.freedesktop.DBus.Error.Spawn.ServiceNotFound") {
        answer.outcome = Answer::Outcome::NoPortal;
    } else if (name == "org.freedesktop.DBus.Error.UnknownMethod" ||
               name == "org.freedesktop.DBus.Error.UnknownInterface" ||
               name == "org.freedesktop.DBus.Error.UnknownObject") {
        answer.outcome = Answer::Outcome::NoMethod;
    } else if (name == "org.freedesktop.DBus.Error.NoReply" ||
               name == "org.freedesktop.DBus.Error.Timeout") {
        answer.outcome = Answer::Outcome::NoAnswer;
    } else {
        answer.outcome = Answer::Outcome::Failed;
    }
    return answer;
}

Answer FromResponse(uint code, const QVariantMap& results) {
    Answer answer;
    answer.results = results;
    answer.outcome = code == 0   ? Answer::Outcome::Granted
                     : code == 1 ? Answer::Outcome::Refused
                                 : Answer::Outcome::Ended;
    return answer;
}

// Listens at `path` for an answer that comes after we gave up, for a
// bounded time; the listener then goes away by itself.
void WatchLateAnswer(QDBusConnection bus, const QString& path, LateAnswerHandler late) {
    auto* receiver = new ResponseReceiver;
    bus.connect(kService, path, kRequestInterface, "Response", receiver,
                SLOT(onResponse(uint, QVariantMap)));
    const auto finish = [bus, path, receiver]() {
        QDBusConnection(bus).disconnect(kService, path, kRequestInterface, "Response", receiver,
                                        SLOT(onResponse(uint, QVariantMap)));
        receiver->deleteLater();
    };
    QObject::connect(receiver, &ResponseReceiver::done, receiver,
                     [receiver, late = std::move(late), finish]() mutable {
                         late(FromResponse(receiver->code, receiver->results));
                         finish();
                     });
    QTimer::singleShot(kLateAnswerWindowMs, receiver, finish);
}

}  // namespace

void ResponseReceiver::onResponse(uint response, const QVariantMap& answer) {
    if (answered) {
        return;
    }
    answered = true;
    code = response;
    results = answer;
    emit done();
}

Answer Call(const QString& interface, const QString& method, const QList<QVariant>& arguments,
            QVariantMap options, int timeoutMs, LateAnswerHandler late) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Answer answer;
        answer.outcome = Answer::Outcome::NoBus;
        const std::string missing = MissingSessionBus();
        answer.error = !missing.empty()
                           ? QString::fromStdString(missing)
                           : "the session bus cannot be reached: " + bus.lastError().message();
        return answer;
    }
    const QDeadlineTimer deadline(timeoutMs);
    const QString token = NextToken();
    options.insert("handle_token", token);
    QString path = RequestPath(bus, token);
    ResponseReceiver receiver;
    bus.connect(kService, path, kRequestInterface, "Response", &receiver,
                SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, interface, method);
    call.setArguments(arguments + QList<QVariant>{options});
    const QDBusMessage reply = bus.call(call, QDBus::Block, BusRemaining(deadline));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        bus.disconnect(kService, path, kRequestInterface, "Response", &receiver,
                       SLOT(onResponse(uint, QVariantMap)));
        return FromError(reply);
    }
    // Portals older than the handle_token convention choose the path
    // themselves: listen there too.
    const QString returned = reply.arguments().isEmpty()
                                 ? QString()
                                 : qvariant_cast<QDBusObjectPath>(reply.arguments()[0]).path();
    if (!returned.isEmpty() && returned != path) {
        bus.disconnect(kService, path, kRequestInterface, "Response", &receiver,
                       SLOT(onResponse(uint, QVariantMap)));
        path = returned;
        bus.connect(kService, path, kRequestInterface, "Response", &receiver,
                    SLOT(onResponse(uint, QVariantMap)));
    }
    WaitForAnswer(receiver, deadline);
    bus.disconnect(kService, path, kRequestInterface, "Response", &receiver,
                   SLOT(onResponse(uint, QVariantMap)));

    if (!receiver.answered) {
        if (late) {
            WatchLateAnswer(bus, path, std::move(late));
        }
        // Withdrawn, so that a late dialog does not linger on the desktop.
        bus.call(QDBusMessage::createMethodCall(kService, path, kRequestInterface, "Close"),
                 QDBus::NoBlock);
        Answer answer;
        answer.outcome = Answer::Outcome::NoAnswer;
        return answer;
    }
    return FromResponse(receiver.code, receiver.results);
}

QString Explain(const Answer& answer, const QString& what) {
    switch (answer.outcome) {
        case Answer::Outcome::Granted:
            return "granted";
        case Answer::Outcome::Refused:
            return QString("the request to %1 was refused").arg(what);
        case Answer::Outcome::Ended:
            return QString("the desktop portal cancelled the request to %1").arg(what);
        case Answer::Outcome::NoPortal:
            return "no desktop portal (xdg-desktop-portal) is running in this session";
        case Answer::Outcome::NoBus:
            return QString::fromStdString(Printable(answer.error.toStdString()));
        case Answer::Outcome::NoMethod:
            return QString("the desktop portal of this session does not offer to %1").arg(what);
        case Answer::Outcome::NoAnswer:
            return QString("the desktop portal gave no answer to the request to %1 in time")
                .arg(what);
        case Answer::Outcome::NotStarted:
            return "the desktop portal did not start within " +
                   QString::number(kStartTimeoutMs / 1000) + " seconds";
        case Answer::Outcome::Failed:
            return QString("the desktop portal failed: %1")
                .arg(QString::fromStdString(Printable(answer.error.toStdString())));
    }
    return "the desktop portal failed";
}

bool Offers(const QString& interface, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({interface, QString("version")});
    return bus.call(get, QDBus::Block, timeoutMs).type() == QDBusMessage::ReplyMessage;
}

}  // namespace platform::portal
