#include "platform/wayland/screenshot_permission.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/wayland/desktop_name.h"

namespace platform {

StoredConsent ConsentIn(const QMap<QString, QStringList>& permissions) {
    const auto entry = permissions.constFind(QString());
    if (entry == permissions.constEnd() || entry->isEmpty()) {
        return StoredConsent::Unknown;
    }
    const QString& answer = entry->first();
    if (answer == "yes") {
        return StoredConsent::Yes;
    }
    if (answer == "no") {
        return StoredConsent::No;
    }
    return StoredConsent::Unknown;
}

std::optional<StoredConsent> GnomeScreenshotConsent(int timeoutMs) {
    if (!DesktopIs("GNOME")) {
        return std::nullopt;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return std::nullopt;  // nobody to ask: the portal call says why
    }
    QDBusMessage lookup =
        QDBusMessage::createMethodCall("org.freedesktop.impl.portal.PermissionStore",
                                       "/org/freedesktop/impl/portal/PermissionStore",
                                       "org.freedesktop.impl.portal.PermissionStore", "Lookup");
    lookup.setArguments({QString("screenshot"), QString("screenshot")});
    const QDBusMessage reply = bus.call(lookup, QDBus::Block, timeoutMs);
    // No entry yet (the store answers NotFound), or no store to ask: the
    // desktop asks the user.
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
        reply.arguments().first().userType() != qMetaTypeId<QDBusArgument>()) {
        return StoredConsent::Unknown;
    }
    const auto argument = reply.arguments().first().value<QDBusArgument>();
    if (argument.currentSignature() != "a{sas}") {
        return StoredConsent::Unknown;
    }
    QMap<QString, QStringList> permissions;
    argument >> permissions;
    return ConsentIn(permissions);
}

}  // namespace platform
