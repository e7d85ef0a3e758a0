#include "platform/wayland/kglobalaccel_keys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <algorithm>

namespace platform {
namespace {

constexpr char kService[] = "org.kde.kglobalaccel";

QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments, const QDeadlineTimer& deadline) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
    call.setArguments(arguments);
    // Asked only where it runs: on other desktops it must not be started.
    call.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(
        call, QDBus::Block, static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
}

}  // namespace

std::optional<QStringList> ShortcutsWithoutKeys(const QString& component, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    if (!QDBusConnection::sessionBus().isConnected()) {
        return std::nullopt;
    }
    const QDBusMessage found =
        Call("/kglobalaccel", "org.kde.KGlobalAccel", "getComponent", {component}, deadline);
    if (found.type() != QDBusMessage::ReplyMessage || found.arguments().size() != 1 ||
        !found.arguments()[0].canConvert<QDBusObjectPath>()) {
        return std::nullopt;
    }
    const QString path = qvariant_cast<QDBusObjectPath>(found.arguments()[0]).path();
    const QDBusMessage infos =
        Call(path, "org.kde.kglobalaccel.Component", "allShortcutInfos", {}, deadline);
    if (infos.type() != QDBusMessage::ReplyMessage || infos.arguments().size() != 1 ||
        !infos.arguments()[0].canConvert<QDBusArgument>()) {
        return std::nullopt;
    }
    // Each shortcut: its name, five more names, its active keys, its
    // default keys. Other layouts (other versions) are not read.
    const QDBusArgument list = qvariant_cast<QDBusArgument>(infos.arguments()[0]);
    if (list.currentSignature() != "a(ssssssaiai)") {
        return std::nullopt;
    }
    QStringList without;
    list.beginArray();
    while (!list.atEnd()) {
        QString name, ignored;
        QList<int> keys, defaults;
        list.beginStructure();
        list >> name;
        for (int i = 0; i < 5; ++i) {
            list >> ignored;
        }
        list >> keys >> defaults;
        list.endStructure();
        if (std::all_of(keys.begin(), keys.end(), [](int key) { return key == 0; })) {
            without << name;
        }
    }
    list.endArray();
    return without;
}

}  // namespace platform
