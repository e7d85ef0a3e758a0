// A stand-in desktop portal offering GlobalShortcuts, for the tests of a
// Wayland session whose desktop (sway) has none. It owns the portal's bus
// name, answers CreateSession and BindShortcuts at once (binding every
// shortcut to the trigger asked for), prints each call on standard output,
// and emits Activated for the shortcut id given on each line of its
// standard input. Screenshot requests go on to the real -wlr backend, or,
// with MOCK_SCREENSHOT_PLAN naming a file, are answered from it: its first
// line is the uri to give (or "silent": no answer at all), and a second
// line names a file to copy to that uri's path first (written just then, as
// a portal would).

#include <unistd.h>
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <cstdio>

struct Shortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(Shortcut)

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

class Portal : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
  public:
    explicit Portal(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    uint version() const { return 1; }
    QString session;

  public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        session = "/org/freedesktop/portal/desktop/session/" + Sender(message) + "/" +
                  options.value("session_handle_token").toString();
        std::printf("CreateSession %s\n", qPrintable(session));
        return Answer(message, options, {{"session_handle", session}});
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath& sessionHandle,
                                  const QList<Shortcut>& wanted, const QString&,
                                  const QVariantMap& options, const QDBusMessage& message) {
        QList<Shortcut> bound;
        for (const Shortcut& s : wanted) {
            const QString trigger = s.properties.value("preferred_trigger").toString();
            std::printf("BindShortcuts %s %s %s\n", qPrintable(sessionHandle.path()),
                        qPrintable(s.id), qPrintable(trigger));
            bound.append({s.id, {{"trigger_description", trigger}}});
        }
        return Answer(message, options, {{"shortcuts", QVariant::fromValue(bound)}});
    }

  private:
    static QString Sender(const QDBusMessage& message) {
        return message.service().mid(1).replace('.', '_');
    }

    // The Request's path, and its Response once the reply has gone.
    QDBusObjectPath Answer(const QDBusMessage& message, const QVariantMap& options,
                           const QVariantMap& results) {
        const QString path = "/org/freedesktop/portal/desktop/request/" + Sender(message) + "/" +
                             options.value("handle_token").toString();
        std::fflush(stdout);
        QTimer::singleShot(50, [path, results] {
            QDBusMessage response =
                QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            response << uint(0) << results;
            QDBusConnection::sessionBus().send(response);
        });
        return QDBusObjectPath(path);
    }
};

class ScreenshotPortal : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
    Q_PROPERTY(uint version READ version)
  public:
    explicit ScreenshotPortal(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    uint version() const { return 2; }

  public slots:
    QDBusObjectPath Screenshot(const QString& parent, const QVariantMap& options,
                               const QDBusMessage& message) {
        const QString path = "/org/freedesktop/portal/desktop/request/" +
                             message.service().mid(1).replace('.', '_') + "/" +
                             options.value("handle_token").toString();
        if (QFile plan(qEnvironmentVariable("MOCK_SCREENSHOT_PLAN"));
            plan.open(QIODevice::ReadOnly)) {
            const QStringList lines = QString(plan.readAll()).split('\n');
            if (lines[0] == "silent") {
                return QDBusObjectPath(path);
            }
            if (lines.size() > 1 && !lines[1].isEmpty()) {
                QFile::remove(QUrl(lines[0]).toLocalFile());
                QFile::copy(lines[1], QUrl(lines[0]).toLocalFile());
            }
            QDBusMessage response =
                QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            response << uint(0) << QVariantMap{{"uri", lines[0]}};
            QTimer::singleShot(50, [response] { QDBusConnection::sessionBus().send(response); });
            return QDBusObjectPath(path);
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.impl.portal.desktop.wlr", "/org/freedesktop/portal/desktop",
            "org.freedesktop.impl.portal.Screenshot", "Screenshot");
        call << QVariant::fromValue(QDBusObjectPath(path)) << QString() << parent << options;
        auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [path](auto* w) {
            QDBusPendingReply<uint, QVariantMap> reply = *w;
            QDBusMessage response =
                QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            response << (reply.isError() ? uint(2) : reply.argumentAt<0>())
                     << (reply.isError() ? QVariantMap() : reply.argumentAt<1>());
            QDBusConnection::sessionBus().send(response);
            w->deleteLater();
        });
        return QDBusObjectPath(path);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    QObject root;
    auto* portal = new Portal(&root);
    new ScreenshotPortal(&root);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/portal/desktop", &root) ||
        !bus.registerService("org.freedesktop.portal.Desktop")) {
        std::fprintf(stderr, "mock portal: cannot own the portal's name\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[256];
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        line[n] = '\0';
        const QString id = QString(line).trimmed();
        QDBusMessage activated =
            QDBusMessage::createSignal("/org/freedesktop/portal/desktop",
                                       "org.freedesktop.portal.GlobalShortcuts", "Activated");
        activated << QVariant::fromValue(QDBusObjectPath(portal->session)) << id << qulonglong(0)
                  << QVariantMap();
        QDBusConnection::sessionBus().send(activated);
        std::printf("Activated %s\n", qPrintable(id));
        std::fflush(stdout);
    });
    return app.exec();
}

#include "mock_shortcuts_portal.moc"
