#include "platform/wayland/portal_shortcuts_session.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "platform/text/printable.h"
#include "platform/wayland/kglobalaccel_keys.h"
#include "platform/wayland/portal_request.h"

namespace platform {
namespace {

constexpr char kInterface[] = "org.freedesktop.portal.GlobalShortcuts";
// The desktop may ask the user to confirm the keys.
constexpr int kTimeoutMs = 10000;
// Names the session; Plasma names its kglobalaccel component after it.
constexpr char kToken[] = "tessarine_keys";
// For each step of giving the keys back, which may be on the way out.
constexpr int kReleaseTimeoutMs = 2000;

// The shortcuts in a portal's answer; none when it holds something else.
QList<PortalShortcut> ShortcutsIn(const QVariant& value) {
    if (!value.canConvert<QDBusArgument>() ||
        qvariant_cast<QDBusArgument>(value).currentSignature() != "a(sa{sv})") {
        return {};
    }
    return qdbus_cast<QList<PortalShortcut>>(value);
}

// A trigger's description as the desktop gave it, fit to show.
QString Shown(const QVariant& description) {
    return QString::fromStdString(Printable(description.toString().left(100).toStdString()));
}

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
    if (!entries_.empty()) {
        return;
    }
    if (!sessionHandle_.isEmpty()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.disconnect(portal::kService, portal::kPath, kInterface, "Activated", this,
                       SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        // Answered before the program goes on (it may be ending).
        bus.call(QDBusMessage::createMethodCall(portal::kService, sessionHandle_,
                                                "org.freedesktop.portal.Session", "Close"),
                 QDBus::Block, kReleaseTimeoutMs);
        sessionHandle_.clear();
    }
    // Plasma's portal leaves a closed session's keys taken, and those of a
    // session whose opening was cut short (by the program ending meanwhile).
    ReleaseShortcuts(kToken, registered_, kReleaseTimeoutMs);
    registered_.clear();
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
    QList<PortalShortcut> wanted;
    registered_.clear();
    for (const auto& [id, entry] : entries_) {
        wanted.append({id,
                       {{"description", QString("Tessarine: %1").arg(id)},
                        {"preferred_trigger", entry.trigger}}});
        registered_ << id;
    }
    // The keys of a run that ended without giving them back (killed).
    ReleaseLeftShortcuts(kToken, kTimeoutMs);
    // Plasma 5.27 registers shortcuts only from this option of CreateSession
    // (its BindShortcuts returns what the session already holds); other
    // desktops ignore the option and bind through BindShortcuts.
    const portal::Answer created = portal::Call(
        kInterface, "CreateSession", {},
        {{"session_handle_token", QString(kToken)}, {"shortcuts", QVariant::fromValue(wanted)}},
        kTimeoutMs);
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

    const QVariant session = QVariant::fromValue(QDBusObjectPath(sessionHandle_));
    // Where the session holds them all already, BindShortcuts is not asked:
    // Plasma answers it by opening its shortcut settings on the desktop.
    const portal::Answer listed =
        portal::Call(kInterface, "ListShortcuts", {session}, {}, kTimeoutMs);
    if (listed.outcome != portal::Answer::Outcome::Granted ||
        takeBound(listed.results.value("shortcuts")) != entries_.size()) {
        const portal::Answer bound =
            portal::Call(kInterface, "BindShortcuts",
                         {session, QVariant::fromValue(wanted), QString()}, {}, kTimeoutMs);
        if (bound.outcome != portal::Answer::Outcome::Granted) {
            fail(portal::Explain(bound, "bind the hot keys"));
            return;
        }
        takeBound(bound.results.value("shortcuts"));
    }
    // Plasma's portal names the key asked for even where kglobalaccel gave
    // it to another program or KWin asks for it under another key;
    // kglobalaccel's own word counts.
    if (const std::optional<QStringList> unreached = ShortcutsNoPressReaches(kToken, kTimeoutMs)) {
        for (const QString& id : *unreached) {
            if (const auto it = entries_.find(id); it != entries_.end()) {
                it->second.bound.clear();
            }
        }
    }
    reportUnbound();
}

std::size_t PortalShortcutsSession::takeBound(const QVariant& shortcuts) {
    std::size_t count = 0;
    for (const PortalShortcut& shortcut : ShortcutsIn(shortcuts)) {
        const auto it = entries_.find(shortcut.id);
        const QString trigger = Shown(shortcut.properties.value("trigger_description"));
        if (it != entries_.end() && !trigger.isEmpty()) {
            count += it->second.bound.isEmpty() ? 1 : 0;
            it->second.bound = trigger;
        }
    }
    return count;
}

void PortalShortcutsSession::reportUnbound() const {
    QStringList unbound;
    for (const auto& [id, entry] : entries_) {
        if (entry.bound.isEmpty()) {
            unbound << entry.trigger;
        }
    }
    if (!unbound.isEmpty()) {
        std::fprintf(stderr,
                     "tessarine: hot keys %s not bound: the desktop bound %d of the %d "
                     "keys asked for\n",
                     unbound.join(", ").toLocal8Bit().constData(),
                     static_cast<int>(entries_.size()) - static_cast<int>(unbound.size()),
                     static_cast<int>(entries_.size()));
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
