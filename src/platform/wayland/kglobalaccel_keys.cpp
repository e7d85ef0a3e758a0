#include "platform/wayland/kglobalaccel_keys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QList>
#include <algorithm>

#include "platform/wayland/bus_wait.h"

namespace platform {
namespace {

constexpr char kService[] = "org.kde.kglobalaccel";
constexpr char kPath[] = "/kglobalaccel";
constexpr char kInterface[] = "org.kde.KGlobalAccel";
constexpr char kComponentInterface[] = "org.kde.kglobalaccel.Component";
// setShortcut's flags: mark it held by a running program, and set the keys
// given rather than keep those kglobalaccel already has for it.
constexpr uint kSetPresent = 2;
constexpr uint kNoAutoloading = 4;

QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments, const QDeadlineTimer& deadline) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
    call.setArguments(arguments);
    // Asked only where it runs: on other desktops it must not be started.
    call.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, BusRemaining(deadline));
}

std::optional<QString> ComponentPath(const QString& component, const QDeadlineTimer& deadline) {
    if (!QDBusConnection::sessionBus().isConnected()) {
        return std::nullopt;
    }
    const QDBusMessage found = Call(kPath, kInterface, "getComponent", {component}, deadline);
    if (found.type() != QDBusMessage::ReplyMessage || found.arguments().size() != 1 ||
        !found.arguments()[0].canConvert<QDBusObjectPath>()) {
        return std::nullopt;
    }
    return qvariant_cast<QDBusObjectPath>(found.arguments()[0]).path();
}

struct Shortcut {
    // kglobalaccel's name for it: component, shortcut, and their friendly names.
    QStringList id;
    QList<int> keys;
};

std::optional<QList<Shortcut>> ShortcutsOf(const QString& component,
                                           const QDeadlineTimer& deadline) {
    const std::optional<QString> path = ComponentPath(component, deadline);
    if (!path) {
        return std::nullopt;
    }
    const QDBusMessage infos = Call(*path, kComponentInterface, "allShortcutInfos", {}, deadline);
    if (infos.type() != QDBusMessage::ReplyMessage || infos.arguments().size() != 1 ||
        !infos.arguments()[0].canConvert<QDBusArgument>()) {
        return std::nullopt;
    }
    // Each shortcut: its name and friendly name, its component's, its
    // context's, its active keys, its default keys. Other layouts (other
    // versions) are not read.
    const QDBusArgument list = qvariant_cast<QDBusArgument>(infos.arguments()[0]);
    if (list.currentSignature() != "a(ssssssaiai)") {
        return std::nullopt;
    }
    QList<Shortcut> shortcuts;
    list.beginArray();
    while (!list.atEnd()) {
        QString name, friendly, componentName, componentFriendly, ignored;
        QList<int> keys, defaults;
        list.beginStructure();
        list >> name >> friendly >> componentName >> componentFriendly >> ignored >> ignored >>
            keys >> defaults;
        list.endStructure();
        keys.removeAll(0);
        shortcuts.append({{componentName, name, componentFriendly, friendly}, keys});
    }
    list.endArray();
    return shortcuts;
}

// The key under which KWin asks kglobalaccel for `key` (a Qt key code with
// its modifiers): the keysym the keyboard sends with those modifiers, less
// the modifiers its level used up. Under the usual xkb keymaps the Print
// key sends Sys_Req while Alt is held, Alt used up, so that Alt+Print comes
// as SysReq and Ctrl+Alt+Shift+Print as Ctrl+Shift+SysReq.
int KeyAsKWinAsks(int key) {
    if ((key & ~Qt::KeyboardModifierMask) == Qt::Key_Print && (key & Qt::AltModifier)) {
        return (key & Qt::KeyboardModifierMask & ~Qt::AltModifier) | Qt::Key_SysReq;
    }
    return key;
}

// Adds to `shortcut` the keys KWin asks for its combinations; false when
// another program holds one of them.
bool AddKeysKWinAsks(const Shortcut& shortcut, const QDeadlineTimer& deadline) {
    QList<int> wanted = shortcut.keys;
    for (const int key : shortcut.keys) {
        if (!wanted.contains(KeyAsKWinAsks(key))) {
            wanted.append(KeyAsKWinAsks(key));
        }
    }
    if (wanted == shortcut.keys) {
        return true;
    }
    const QDBusMessage set =
        Call(kPath, kInterface, "setShortcut",
             {shortcut.id, QVariant::fromValue(wanted), kSetPresent | kNoAutoloading}, deadline);
    if (set.type() != QDBusMessage::ReplyMessage || set.arguments().size() != 1) {
        return false;
    }
    const QList<int> given = qdbus_cast<QList<int>>(set.arguments()[0]);
    return std::all_of(shortcut.keys.begin(), shortcut.keys.end(),
                       [&given](int key) { return given.contains(KeyAsKWinAsks(key)); });
}

}  // namespace

std::optional<QStringList> ShortcutsNoPressReaches(const QString& component, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const std::optional<QList<Shortcut>> shortcuts = ShortcutsOf(component, deadline);
    if (!shortcuts) {
        return std::nullopt;
    }
    QStringList unreached;
    for (const Shortcut& shortcut : *shortcuts) {
        if (shortcut.keys.isEmpty() || !AddKeysKWinAsks(shortcut, deadline)) {
            unreached << shortcut.id[1];
        }
    }
    return unreached;
}

void ReleaseShortcuts(const QString& component, const QStringList& names, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    if (!QDBusConnection::sessionBus().isConnected()) {
        return;
    }
    for (const QString& name : names) {
        Call(kPath, kInterface, "unregister", {component, name}, deadline);
    }
}

void ReleaseLeftShortcuts(const QString& component, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // The component's cleanUp unregisters exactly those no program holds.
    if (const std::optional<QString> path = ComponentPath(component, deadline)) {
        Call(*path, kComponentInterface, "cleanUp", {}, deadline);
    }
}

}  // namespace platform
