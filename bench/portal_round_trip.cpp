// The floor of a screenshot through the desktop portal: one Screenshot
// request, the wait for its Response, and the deletion of the file the
// portal wrote; nothing decoded, nothing else written. Exits 1 when the
// portal does not answer with a file.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

class Receiver : public QObject {
    Q_OBJECT
  public:
    QString file;
  public slots:
    void response(uint code, const QVariantMap& results) {
        if (code == 0) {
            file = QUrl(results.value("uri").toString()).toLocalFile();
        }
        emit done();
    }
  signals:
    void done();
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString path = "/org/freedesktop/portal/desktop/request/" +
                         bus.baseService().mid(1).replace('.', '_') + "/bench";
    Receiver receiver;
    bus.connect("org.freedesktop.portal.Desktop", path, "org.freedesktop.portal.Request",
                "Response", &receiver, SLOT(response(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
        "org.freedesktop.portal.Screenshot", "Screenshot");
    call << QString() << QVariantMap{{"handle_token", "bench"}, {"interactive", false}};
    QEventLoop loop;
    QObject::connect(&receiver, &Receiver::done, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (bus.call(call).type() != QDBusMessage::ReplyMessage) {
        return 1;
    }
    loop.exec();
    return !receiver.file.isEmpty() && QFile::remove(receiver.file) ? 0 : 1;
}

#include "portal_round_trip.moc"
