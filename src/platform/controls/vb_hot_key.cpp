#include "platform/controls/vb_hot_key.h"

#include <QPointer>

namespace controls {
namespace {

QString KeyName(std::int32_t vkey) {
    if (vkey == 0x2C) {
        return "Print Screen";
    }
    if ((vkey >= 'A' && vkey <= 'Z') || (vkey >= '0' && vkey <= '9')) {
        return QString(QChar(vkey));
    }
    if (vkey >= 0x70 && vkey <= 0x87) {
        return QString("F%1").arg(vkey - 0x70 + 1);
    }
    return QString("key %1").arg(vkey);
}

}  // namespace

VBHotKey::VBHotKey(QObject* parent) : QObject(parent) {}

VBHotKey::~VBHotKey() = default;

bool VBHotKey::HotKeyActive() const {
    return grab_ && grab_->State() == platform::ClaimResult::Claimed;
}

std::optional<platform::ClaimResult> VBHotKey::LastClaim() const {
    if (grab_) {
        return grab_->State();
    }
    return lastClaim_;
}

void VBHotKey::setHotKeyActive(bool active) {
    if (!active || !HotKeyActive()) {
        grab_.reset();
    }
    if (!active) {
        commandListener_.reset();
    }
    if (!active || grab_) {
        return;
    }
    platform::KeyCombination keys;
    keys.key = vkey;
    keys.shift = shiftkey;
    keys.control = ctrlkey;
    keys.alt = altkey;
    keys.super = winkey;
    QPointer<VBHotKey> self(this);
    const auto press = [self] {
        if (self) {
            emit self->HotKeyPressed();
        }
    };
    // Listening first: a desktop binding made by the claim below may run
    // the command at once.
    if (!commandListener_) {
        commandListener_ = platform::ListenForHotKeyCommand(keys, press);
    }
    platform::ClaimOutcome outcome = platform::CurrentBackend()->claimKeys(keys, press);
    lastClaim_ = outcome.result;
    lastClaimNote_ = QString::fromStdString(outcome.note);
    if (outcome.result == platform::ClaimResult::Claimed) {
        grab_ = std::move(outcome.grab);
    }
}

QString VBHotKey::LastClaimNote() const {
    return lastClaimNote_;
}

std::optional<QString> VBHotKey::DesktopTrigger() const {
    if (!grab_) {
        return std::nullopt;
    }
    const std::optional<std::string> trigger = grab_->desktopTrigger();
    return trigger ? std::optional<QString>(QString::fromStdString(*trigger)) : std::nullopt;
}

QString VBHotKey::CommandBoundBy() const {
    return grab_ ? QString::fromStdString(grab_->commandBoundBy()) : QString();
}

QString VBHotKey::CombinationName() const {
    QString name;
    if (ctrlkey) {
        name += "Ctrl+";
    }
    if (altkey) {
        name += "Alt+";
    }
    if (shiftkey) {
        name += "Shift+";
    }
    if (winkey) {
        name += "Win+";
    }
    return name + KeyName(vkey);
}

QString ClaimFailureReason(platform::ClaimResult result) {
    switch (result) {
        case platform::ClaimResult::Claimed:
            return "it is held";
        case platform::ClaimResult::HeldByAnother:
            return "another program holds it";
        case platform::ClaimResult::NoDisplay:
            return "system-wide keys need an X11 session";
        case platform::ClaimResult::NoSuchKey:
            return "no key on this keyboard produces it";
        case platform::ClaimResult::Refused:
            return "the X server refused it";
        case platform::ClaimResult::NotInSession:
            return "this Wayland desktop lets no program hold system-wide keys";
    }
    return "it could not be claimed";
}

}  // namespace controls
