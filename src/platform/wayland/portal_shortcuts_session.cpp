#include "platform/wayland/portal_shortcuts_session.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTimer>
#include <cstdio>

#include "platform/wayland/portal_request.h"

namespace platform {
namespace {

constexpr char kInterface[] = "org.freedesktop.portal.GlobalShortcuts";
// The desktop may ask the user to confirm the keys.
constexpr int kTimeoutMs = 10000;

}  // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

PortalShortcutsSession& PortalShortcutsSession::Get() {
    static PortalShortcutsSession* session = new PortalShortcutsSession;
    return *session;
}

PortalShortcutsSession::PortalShortcutsSession() {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

bool PortalShortcutsSession::offered() {
    if (!offered_) {
        offered_ = portal::Offers(kInterface, kTimeoutMs);
    }
    return *offered_;
}

void PortalShortcutsSession::add(const QString& id, const QString& trigger,
                                 std::function<void()> onPress) {
    entries_[id] = Entry{trigger, std::move(onPress), QString()};
    if (!bindPending_) {
        bindPending_ = true;
        QTimer::singleShot(0, this, &PortalShortcutsSession::bind);
    }
}

void PortalShortcutsSession::remove(const QString& id) {
    entries_.erase(id);
    if (entries_.empty() && !sessionHandle_.isEmpty()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.disconnect(portal::kService, portal::kPath, kInterface, "Activated", this,
                       SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        bus.call(QDBusMessage::createMethodCall(portal::kService, sessionHandle_,
                                                "org.freedesktop.portal.Session", "Close"),
                 QDBus::NoBlock);
        sessionHandle_.clear();
    }
}

std::string PortalShortcutsSession::trigger(const QString& id) const {
    const auto it = entries_.find(id);
    return it == entries_.end() ? std::string() : it->second.bound.toStdString();
}

void PortalShortcutsSession::fail(const QString& reason) {
    std::fprintf(stderr, "tessarine: the desktop bound no hot keys: %s\n",
                 reason.toLocal8Bit().constData());
}

void PortalShortcutsSession::bind() {
    bindPending_ = false;
    if (entries_.empty() || !sessionHandle_.isEmpty()) {
        return;
    }
    const portal::Answer created =
        portal::Call(kInterface, "CreateSession", {},
                     {{"session_handle_token", QString("tessarine_keys")}}, kTimeoutMs);
    if (created.outcome != portal::Answer::Outcome::Granted) {
        fail(portal::Explain(created, "open a shortcuts session"));
        return;
    }
    const QVariant handle = created.results.value("session_handle");
    sessionHandle_ = handle.canConvert<QDBusObjectPath>()
                         ? qvariant_cast<QDBusObjectPath>(handle).path()
                         : handle.toString();
    if (sessionHandle_.isEmpty()) {
        fail("the desktop portal named no shortcuts session");
        return;
    }
    QDBusConnection::sessionBus().connect(
        portal::kService, portal::kPath, kInterface, "Activated", this,
        SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));

    QList<PortalShortcut> wanted;
    for (const auto& [id, entry] : entries_) {
        wanted.append({id,
                       {{"description", QString("Tessarine: %1").arg(id)},
                        {"preferred_trigger", entry.trigger}}});
    }
    const portal::Answer bound = portal::Call(kInterface, "BindShortcuts",
                                              {QVariant::fromValue(QDBusObjectPath(sessionHandle_)),
                                               QVariant::fromValue(wanted), QString()},
                                              {}, kTimeoutMs);
    if (bound.outcome != portal::Answer::Outcome::Granted) {
        fail(portal::Explain(bound, "bind the hot keys"));
        return;
    }
    const QList<PortalShortcut> given =
        qdbus_cast<QList<PortalShortcut>>(bound.results.value("shortcuts"));
    for (const PortalShortcut& shortcut : given) {
        const auto it = entries_.find(shortcut.id);
        if (it != entries_.end()) {
            it->second.bound = shortcut.properties.value("trigger_description").toString();
        }
    }
}

void PortalShortcutsSession::onActivated(const QDBusObjectPath& session, const QString& id,
                                         qulonglong, const QVariantMap&) {
    if (session.path() != sessionHandle_) {
        return;
    }
    const auto it = entries_.find(id);
    if (it != entries_.end() && it->second.onPress) {
        // A copy: the handler may release the key and so erase the entry.
        const std::function<void()> onPress = it->second.onPress;
        onPress();
    }
}

}  // namespace platform
