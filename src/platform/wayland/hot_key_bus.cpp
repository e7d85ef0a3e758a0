#include "platform/wayland/hot_key_bus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QTimer>
#include <cstdio>
#include <map>

#include "platform/hot_key_command.h"
#include "platform/wayland/session_bus.h"

namespace platform {

const char* const kHotKeyBusName = "io.github.lumograph.tessarine";
const char* const kHotKeyBusPath = "/io/github/lumograph/tessarine";
const char* const kHotKeyBusInterface = "io.github.lumograph.tessarine.HotKeys";

namespace {

constexpr int kBusAnswerMs = 3000;
constexpr char kUnknownKey[] = "io.github.lumograph.tessarine.Error.UnknownKey";

// The object on the bus: Press(s name) runs the listeners of that name once
// the reply has gone, from the event loop, never inside the bus's dispatch.
class HotKeyObject : public QDBusVirtualObject {
  public:
    std::map<std::string, std::map<int, std::function<void()>>> listeners;

    QString introspect(const QString&) const override {
        return QString(
                   "<interface name=\"%1\"><method name=\"Press\">"
                   "<arg name=\"key\" type=\"s\" direction=\"in\"/></method></interface>")
            .arg(kHotKeyBusInterface);
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != kHotKeyBusInterface || message.member() != "Press") {
            return false;
        }
        if (message.signature() != "s") {
            connection.send(message.createErrorReply(QDBusError::InvalidArgs,
                                                     "Press takes one string: the key's name"));
            return true;
        }
        const std::string name = message.arguments().value(0).toString().toStdString();
        const auto found = listeners.find(name);
        if (found == listeners.end() || found->second.empty()) {
            connection.send(message.createErrorReply(
                kUnknownKey, QString("this window program has no hot key named \"%1\"")
                                 .arg(QString::fromStdString(name).left(40))));
            return true;
        }
        connection.send(message.createReply());
        QTimer::singleShot(0, this, [this, name] {
            const auto still = listeners.find(name);
            if (still == listeners.end()) {
                return;
            }
            // Copied: a press may end a listener.
            const std::map<int, std::function<void()>> current = still->second;
            for (const auto& [id, onPress] : current) {
                if (onPress) {
                    onPress();
                }
            }
        });
        return true;
    }
};

struct BusPresence {
    HotKeyObject* object = nullptr;  // the application's child
    bool owned = false;
    std::string why;
    int nextId = 0;
    std::map<int, std::function<void()>> onOwned;
};

// This program on the bus for the application's lifetime.
BusPresence* current = nullptr;

void PutOnBus(BusPresence& presence) {
    if (const std::string missing = MissingSessionBus(); !missing.empty()) {
        presence.why = missing;
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        presence.why = "the session bus cannot be reached";
        return;
    }
    if (!bus.registerVirtualObject(kHotKeyBusPath, presence.object)) {
        presence.why = "the session bus refused the hot keys' object";
        return;
    }
    // Queued behind another window program: its presses stay its own, and
    // the name comes here when it ends.
    auto* watcher = new QDBusServiceWatcher(
        kHotKeyBusName, bus, QDBusServiceWatcher::WatchForOwnerChange, presence.object);
    QObject::connect(
        watcher, &QDBusServiceWatcher::serviceOwnerChanged, presence.object,
        [&presence](const QString&, const QString&, const QString& owner) {
            if (owner != QDBusConnection::sessionBus().baseService() || presence.owned) {
                return;
            }
            presence.owned = true;
            presence.why.clear();
            // Copied: one may end another's wait.
            const std::map<int, std::function<void()>> waiting = presence.onOwned;
            for (const auto& [id, onOwned] : waiting) {
                if (presence.onOwned.count(id) != 0) {
                    onOwned();
                }
            }
        });
    QDBusMessage request = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName");
    constexpr uint kQueue = 0;
    request.setArguments({QString(kHotKeyBusName), kQueue});
    const QDBusMessage reply = bus.call(request, QDBus::Block, kBusAnswerMs);
    const uint result =
        reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toUInt() : 0;
    constexpr uint kPrimaryOwner = 1, kInQueue = 2, kAlreadyOwner = 4;
    presence.owned = presence.owned || result == kPrimaryOwner || result == kAlreadyOwner;
    if (presence.owned) {
        return;
    }
    if (result == kInQueue) {
        presence.why = "another Tessarine window receives them";
        std::fprintf(stderr,
                     "tessarine: another Tessarine window takes tessarine --hot-key; this one "
                     "takes it when that window closes\n");
    } else {
        presence.why = "the session bus did not give this program its name";
    }
}

BusPresence* Presence() {
    QCoreApplication* application = QCoreApplication::instance();
    if (!current && application) {
        current = new BusPresence;
        current->object = new HotKeyObject;
        current->object->setParent(application);
        PutOnBus(*current);
        QObject::connect(application, &QObject::destroyed, [] {
            if (current) {
                QDBusConnection::sessionBus().unregisterObject(kHotKeyBusPath);
            }
            delete current;
            current = nullptr;
        });
    }
    return current;
}

class Listener : public HotKeyListener {
  public:
    Listener(std::string name, int id) : name_(std::move(name)), id_(id) {}
    ~Listener() override {
        if (current) {
            current->object->listeners[name_].erase(id_);
        }
    }

  private:
    std::string name_;
    int id_;
};

class OwnerListener : public HotKeyListener {
  public:
    explicit OwnerListener(int id) : id_(id) {}
    ~OwnerListener() override {
        if (current) {
            current->onOwned.erase(id_);
        }
    }

  private:
    int id_;
};

}  // namespace

std::unique_ptr<HotKeyListener> ListenForHotKeyCommand(const KeyCombination& keys,
                                                       std::function<void()> onPress) {
    const std::string name = HotKeyCommandName(keys);
    BusPresence* presence = name.empty() ? nullptr : Presence();
    if (!presence) {
        return nullptr;
    }
    const int id = presence->nextId++;
    presence->object->listeners[name][id] = std::move(onPress);
    return std::make_unique<Listener>(name, id);
}

std::unique_ptr<HotKeyListener> WhenHotKeyCommandsComeHere(std::function<void()> onOwned) {
    BusPresence* presence = Presence();
    if (!presence) {
        return nullptr;
    }
    const int id = presence->nextId++;
    presence->onOwned[id] = std::move(onOwned);
    return std::make_unique<OwnerListener>(id);
}

bool HotKeyCommandsReachThisProgram(std::string* why) {
    const BusPresence* presence = Presence();
    if (why) {
        *why = presence ? presence->why : "the program has not started";
    }
    return presence && presence->owned;
}

std::string SendHotKeyCommand(const std::string& name) {
    if (const std::string missing = MissingSessionBus(); !missing.empty()) {
        return missing;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return "the session bus cannot be reached";
    }
    QDBusMessage press = QDBusMessage::createMethodCall(kHotKeyBusName, kHotKeyBusPath,
                                                        kHotKeyBusInterface, "Press");
    press.setArguments({QString::fromStdString(name)});
    // No window program must not start one: the name is never activated.
    press.setAutoStartService(false);
    const QDBusMessage reply = bus.call(press, QDBus::Block, kBusAnswerMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return {};
    }
    const QString error = reply.errorName();
    if (error == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        error == "org.freedesktop.DBus.Error.NameHasNoOwner") {
        return "no Tessarine window is running to take it";
    }
    if (error == "org.freedesktop.DBus.Error.NoReply" ||
        error == "org.freedesktop.DBus.Error.Timeout") {
        return "the Tessarine window gave no answer within " + std::to_string(kBusAnswerMs / 1000) +
               " s";
    }
    return reply.errorMessage().toStdString();
}

}  // namespace platform
