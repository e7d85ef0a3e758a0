#include "platform/wayland/portal_shortcuts.h"

#include <QString>
#include <string>

#include "platform/wayland/portal_shortcuts_session.h"

namespace platform {
namespace {

// The key's name in the notation of the portal (xkb's key names), or empty
// for a key that has none here.
std::string KeyName(Key key) {
    if (key == 0x2C) {
        return "Print";
    }
    if (key >= 'A' && key <= 'Z') {
        return std::string(1, static_cast<char>(key - 'A' + 'a'));
    }
    if (key >= '0' && key <= '9') {
        return std::string(1, static_cast<char>(key));
    }
    if (key >= 0x70 && key <= 0x87) {
        // Built in place: GCC 12 at -O3 warns falsely about "F" + string.
        std::string name = std::to_string(key - 0x70 + 1);
        name.insert(name.begin(), 'F');
        return name;
    }
    switch (key) {
        case 0x08:
            return "BackSpace";
        case 0x09:
            return "Tab";
        case 0x0D:
            return "Return";
        case 0x13:
            return "Pause";
        case 0x1B:
            return "Escape";
        case 0x20:
            return "space";
        case 0x21:
            return "Prior";
        case 0x22:
            return "Next";
        case 0x23:
            return "End";
        case 0x24:
            return "Home";
        case 0x25:
            return "Left";
        case 0x26:
            return "Up";
        case 0x27:
            return "Right";
        case 0x28:
            return "Down";
        case 0x2D:
            return "Insert";
        case 0x2E:
            return "Delete";
        case 0x91:
            return "Scroll_Lock";
        default:
            return {};
    }
}

}  // namespace

namespace {

class PortalShortcutGrab : public KeyGrab {
  public:
    explicit PortalShortcutGrab(QString id) : id_(std::move(id)) {}
    ~PortalShortcutGrab() override { PortalShortcutsSession::Get().remove(id_); }
    // The desktop keeps the binding whatever the keyboard does.
    ClaimResult State() const override { return ClaimResult::Claimed; }
    std::optional<std::string> desktopTrigger() const override {
        return PortalShortcutsSession::Get().trigger(id_);
    }

  private:
    QString id_;
};

}  // namespace

std::string PortalTrigger(const KeyCombination& keys) {
    const std::string key = KeyName(keys.key);
    if (key.empty()) {
        return {};
    }
    std::string trigger;
    if (keys.control) {
        trigger += "CTRL+";
    }
    if (keys.alt) {
        trigger += "ALT+";
    }
    if (keys.shift) {
        trigger += "SHIFT+";
    }
    if (keys.super) {
        trigger += "LOGO+";
    }
    return trigger + key;
}

ClaimOutcome ClaimPortalShortcut(const KeyCombination& keys, std::function<void()> onPress) {
    const std::string asked = PortalTrigger(keys);
    if (asked.empty()) {
        return {ClaimResult::NoSuchKey, nullptr, {}};
    }
    PortalShortcutsSession& session = PortalShortcutsSession::Get();
    if (!session.offered()) {
        return {ClaimResult::NotInSession, nullptr, {}};
    }
    const QString trigger = QString::fromStdString(asked);
    // The trigger asked for names the shortcut: one per combination.
    const QString id = QString(trigger).toLower().replace('+', '-');
    session.add(id, trigger, std::move(onPress));
    return {ClaimResult::Claimed, std::make_unique<PortalShortcutGrab>(id), {}};
}

}  // namespace platform
