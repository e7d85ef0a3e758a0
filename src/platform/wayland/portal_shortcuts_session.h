#pragma once
// The one GlobalShortcuts session of a run (see portal_shortcuts.h).

#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <map>
#include <optional>
#include <string>

class QDBusArgument;

namespace platform {

// A shortcut as the portal passes it: (sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut);

class PortalShortcutsSession : public QObject {
    Q_OBJECT
  public:
    static PortalShortcutsSession& Get();

    // Whether the desktop offers the interface; asked once.
    bool offered();
    // Adds a shortcut to the binding that runs from the event loop.
    void add(const QString& id, const QString& trigger, std::function<void()> onPress);
    // Drops it; the session closes with the last one.
    void remove(const QString& id);
    // What the desktop bound for it: "" while it has not.
    std::string trigger(const QString& id) const;

  public slots:
    void onActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

  private:
    struct Entry {
        QString trigger;
        std::function<void()> onPress;
        QString bound;
    };

    PortalShortcutsSession();
    void bind();
    // Notes the triggers the desktop gave in an answer's "shortcuts";
    // returns how many of ours it newly bound.
    std::size_t takeBound(const QVariant& shortcuts);
    // One line on standard error naming the keys the desktop left unbound.
    void reportUnbound() const;
    static void fail(const QString& reason);

    std::optional<bool> offered_;
    std::map<QString, Entry> entries_;
    QString sessionHandle_;
    // The shortcuts the open session asked for, given back when it closes.
    QStringList registered_;
    bool bindPending_ = false;
};

}  // namespace platform

Q_DECLARE_METATYPE(platform::PortalShortcut)
