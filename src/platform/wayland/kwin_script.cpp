#include "platform/wayland/kwin_script.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <optional>

#include "platform/text/printable.h"
#include "platform/wayland/bus_wait.h"
#include "platform/wayland/kwin_script_answer.h"

namespace platform::kwin {
namespace {

constexpr char kService[] = "org.kde.KWin";
constexpr char kScripting[] = "org.kde.kwin.Scripting";
constexpr char kScript[] = "org.kde.kwin.Script";

QDBusMessage CallKWin(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments, const QDeadlineTimer& deadline) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, BusRemaining(deadline));
}

QString Why(const QDBusMessage& reply) {
    // Shown to the user: made printable.
    return reply.type() == QDBusMessage::ErrorMessage
               ? QString::fromStdString(Printable(
                     (reply.errorName() + ": " + reply.errorMessage().left(200)).toStdString()))
               : QString("an answer of the wrong kind");
}

// The session's runtime folder when only we can enter it; else empty.
QString RuntimeFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QFileInfo info(QString::fromLocal8Bit(runtime));
    if (!runtime.isEmpty() && info.isAbsolute() && info.isDir() && !info.isSymLink() &&
        info.ownerId() == ::getuid() &&
        (info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                               QFile::ReadOther | QFile::WriteOther | QFile::ExeOther)) == 0) {
        return info.absoluteFilePath();
    }
    return {};
}

// Takes the answer's object off the bus however the run ends.
struct Registered {
    QString path;
    ~Registered() { QDBusConnection::sessionBus().unregisterObject(path); }
};

// Unloads the script by its name however the run ends.
struct Loaded {
    QString name;
    QDeadlineTimer deadline;
    ~Loaded() {
        // Its own short bound: the run's may be spent already.
        CallKWin("/Scripting", kScripting, "unloadScript", {name},
                 QDeadlineTimer(std::max<qint64>(deadline.remainingTime(), 1000)));
    }
};

}  // namespace

QString BusOwner(const QString& name, int timeoutMs) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner");
    call.setArguments({name});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        return {};
    }
    const QString owner = reply.arguments()[0].toString();
    return owner.startsWith(':') ? owner : QString();
}

std::optional<QString> RunScript(const std::function<QString(const ScriptCallback&)>& makeSource,
                                 int timeoutMs, QString* failure) {
    const QDeadlineTimer deadline(timeoutMs);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *failure = "the session bus cannot be reached";
        return std::nullopt;
    }
    const QString owner = BusOwner(kService, BusRemaining(deadline));
    if (owner.isEmpty()) {
        *failure = "KWin is not on the session bus";
        return std::nullopt;
    }
    static int runs = 0;
    ++runs;
    ScriptCallback callback;
    callback.service = bus.baseService();
    callback.path = QString("/org/tessarine/KWinScriptAnswer/%1").arg(runs);
    callback.interface = kAnswerInterface;
    callback.token = QString::number(QRandomGenerator::system()->generate64(), 16);
    ScriptAnswer answer(owner, callback.token);
    if (!bus.registerObject(callback.path, &answer, QDBusConnection::ExportScriptableSlots)) {
        *failure = "no object on the session bus for KWin's answer";
        return std::nullopt;
    }
    const Registered registered{callback.path};

    // The script goes to a folder only we can enter: the runtime folder, else
    // a new one of ours. QTemporaryFile creates the file exclusively,
    // readable by us alone, and removes it when it goes out of scope.
    QString folder = RuntimeFolder();
    std::optional<QTemporaryDir> ownFolder;
    if (folder.isEmpty()) {
        ownFolder.emplace(QDir::tempPath() + "/tessarine-kwin-XXXXXX");
        if (!ownFolder->isValid()) {
            *failure = "no private folder for the script for KWin: " + ownFolder->errorString();
            return std::nullopt;
        }
        folder = ownFolder->path();
    }
    QTemporaryFile file(folder + "/tessarine-kwin-XXXXXX.js");
    const QByteArray source = makeSource(callback).toUtf8();
    if (!file.open() || file.write(source) != source.size() || !file.flush()) {
        *failure = "the script for KWin could not be written: " + file.errorString();
        return std::nullopt;
    }
    const QString name = QString("tessarine-%1-%2").arg(::getpid()).arg(runs);
    const QDBusMessage loaded =
        CallKWin("/Scripting", kScripting, "loadScript", {file.fileName(), name}, deadline);
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().size() != 1 ||
        loaded.arguments()[0].userType() != QMetaType::Int) {
        *failure = "KWin did not load the script: " + Why(loaded);
        return std::nullopt;
    }
    const Loaded unload{name, deadline};
    const int id = loaded.arguments()[0].toInt();
    if (id < 0) {
        *failure = "KWin refused to load the script";
        return std::nullopt;
    }
    // Plasma 5 puts the script's object at /ID, Plasma 6 at /Scripting/ScriptID.
    QDBusMessage ran = CallKWin(QString("/%1").arg(id), kScript, "run", {}, deadline);
    if (ran.type() == QDBusMessage::ErrorMessage) {
        ran = CallKWin(QString("/Scripting/Script%1").arg(id), kScript, "run", {}, deadline);
    }
    if (ran.type() != QDBusMessage::ReplyMessage) {
        *failure = "KWin did not run the script: " + Why(ran);
        return std::nullopt;
    }
    WaitForAnswer(answer, deadline);
    if (!answer.answered) {
        *failure = QString("KWin's script gave no answer within %1 s").arg(timeoutMs / 1000.0);
        return std::nullopt;
    }
    return answer.text;
}

}  // namespace platform::kwin
