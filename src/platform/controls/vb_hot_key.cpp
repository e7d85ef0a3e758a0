#include "platform/controls/vb_hot_key.h"

#include "platform/controls/hot_key_handover.h"

namespace controls {
namespace {

std::string KeyName(std::int32_t vkey) {
    if (vkey == 0x2C) {
        return "Print Screen";
    }
    if ((vkey >= 'A' && vkey <= 'Z') || (vkey >= '0' && vkey <= '9')) {
        return std::string(1, static_cast<char>(vkey));
    }
    if (vkey >= 0x70 && vkey <= 0x87) {
        // Appended rather than "F" + ...: GCC 12 warns falsely (-Wrestrict)
        // about the inlined insert at -O2.
        std::string name = "F";
        return name.append(std::to_string(vkey - 0x70 + 1));
    }
    std::string name = "key ";
    return name.append(std::to_string(vkey));
}

}  // namespace

VBHotKey::VBHotKey() : self_(std::make_shared<VBHotKey*>(this)) {}

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
    const auto press = [self = std::weak_ptr<VBHotKey*>(self_)] {
        if (const std::shared_ptr<VBHotKey*> key = self.lock(); key && (*key)->HotKeyPressed) {
            (*key)->HotKeyPressed();
        }
    };
    // Listening first: a desktop binding made by the claim below may run
    // the command at once.
    if (!commandListener_) {
        commandListener_ = ListenForHandedOverPresses(keys, press);
    }
    platform::ClaimOutcome outcome = platform::CurrentBackend()->claimKeys(keys, press);
    lastClaim_ = outcome.result;
    lastClaimNote_ = outcome.note;
    if (outcome.result == platform::ClaimResult::Claimed) {
        grab_ = std::move(outcome.grab);
    }
}

std::string VBHotKey::LastClaimNote() const {
    return lastClaimNote_;
}

std::optional<std::string> VBHotKey::DesktopTrigger() const {
    return grab_ ? grab_->desktopTrigger() : std::nullopt;
}

std::string VBHotKey::CommandBoundBy() const {
    return grab_ ? grab_->commandBoundBy() : std::string();
}

std::string VBHotKey::CombinationName() const {
    std::string name;
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

std::string ClaimFailureReason(platform::ClaimResult result) {
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
