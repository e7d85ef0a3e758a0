#include "platform/wayland/portal_shortcuts.h"

#include <QString>
#include <cstdio>

#include "platform/wayland/portal_shortcuts_session.h"
#include "platform/x11/hot_key_masks.h"

namespace platform {
namespace {

std::string KeysymName(std::uint32_t keysym) {
    if (keysym == 0xFF61) {
        return "Print";
    }
    char name[16];
    if ((keysym >= 'a' && keysym <= 'z') || (keysym >= '0' && keysym <= '9')) {
        std::snprintf(name, sizeof name, "%c", static_cast<char>(keysym));
    } else if (keysym >= 0xFFBE && keysym <= 0xFFD5) {
        std::snprintf(name, sizeof name, "F%u", keysym - 0xFFBE + 1);
    } else {
        std::snprintf(name, sizeof name, "0x%x", keysym);
    }
    return name;
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

std::string PortalTrigger(std::uint32_t keysym, std::uint16_t modifiers) {
    std::string trigger;
    if (modifiers & kControlMask) {
        trigger += "CTRL+";
    }
    if (modifiers & kMod1Mask) {
        trigger += "ALT+";
    }
    if (modifiers & kShiftMask) {
        trigger += "SHIFT+";
    }
    if (modifiers & kMod4Mask) {
        trigger += "LOGO+";
    }
    trigger += KeysymName(keysym);
    return trigger;
}

ClaimOutcome ClaimPortalShortcut(std::uint32_t keysym, std::uint16_t modifiers,
                                 std::function<void()> onPress) {
    PortalShortcutsSession& session = PortalShortcutsSession::Get();
    if (!session.offered()) {
        return {ClaimResult::NotInSession, nullptr};
    }
    const QString trigger = QString::fromStdString(PortalTrigger(keysym, modifiers));
    // The trigger asked for names the shortcut: one per combination.
    const QString id = QString(trigger).toLower().replace('+', '-');
    session.add(id, trigger, std::move(onPress));
    return {ClaimResult::Claimed, std::make_unique<PortalShortcutGrab>(id)};
}

}  // namespace platform
