// The three system-wide hot keys of the main window, their events and the
// HotKeys message.

#include "ui/main/hot_keys.h"

#include <cstdio>

#include "capture/capture_presses.h"
#include "platform/controls/message_box.h"
#include "platform/controls/vb_hot_key.h"
#include "ui/main/form1.h"

namespace hot_keys {

const char* const kNoKeysInSession =
    "Hot keys are not available in this Wayland session: the desktop lets no program hold "
    "system-wide keys. In its own keyboard shortcut settings, bind keys to \"tessarine "
    "--hot-key print\" and \"tessarine --hot-key shift-print\": they work while this window "
    "runs.";

namespace {

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        joined += (i == 0 ? "" : separator) + parts[i];
    }
    return joined;
}

}  // namespace

std::string MessageText(const std::vector<std::string>& unclaimed, const std::string& sessionNote) {
    std::string text =
        "Hotkeys: \r\n"
        "Press \"Print Scrn\" to take a normal screenshot. \r\n"
        "Press \"Shift+Print Scrn\" to take a screenshot of the foreground window";
    if (!unclaimed.empty()) {
        text.append("\r\nThese hot keys could not be claimed: ").append(Join(unclaimed, ", "));
    }
    if (!sessionNote.empty()) {
        text.append("\r\n").append(sessionNote);
    }
    return text;
}

std::string SessionNote(const std::vector<const controls::VBHotKey*>& keys) {
    std::vector<std::string> bound;
    std::vector<std::string> notes;
    std::string bindingDesktop;
    std::vector<std::string> commandBound;
    for (const controls::VBHotKey* key : keys) {
        if (!key) {
            continue;
        }
        if (key->LastClaim() == platform::ClaimResult::NotInSession) {
            return kNoKeysInSession;
        }
        if (const std::optional<std::string> trigger = key->DesktopTrigger()) {
            bound.push_back(trigger->empty() ? key->CombinationName() + ": not bound"
                                             : key->CombinationName() + " as " + *trigger);
        }
        if (!key->CommandBoundBy().empty()) {
            bindingDesktop = key->CommandBoundBy();
            commandBound.push_back(key->CombinationName());
        }
        // (A key held later, once another window closed, has it no more.)
        if (!key->LastClaimNote().empty() && !key->HotKeyActive()) {
            notes.push_back(key->CombinationName() + ": " + key->LastClaimNote());
        }
    }
    std::vector<std::string> lines;
    if (!bound.empty()) {
        lines.push_back("The desktop bound the hot keys: " + Join(bound, "; "));
    }
    if (!commandBound.empty()) {
        lines.push_back(bindingDesktop + " runs \"tessarine --hot-key\" for " +
                        Join(commandBound, ", ") + " while this window runs");
    }
    if (!notes.empty()) {
        lines.push_back(Join(notes, "; "));
    }
    return Join(lines, "\r\n");
}

}  // namespace hot_keys

namespace {

constexpr std::int32_t kVkSnapshot = 44;

void SetPrintScreen(controls::VBHotKey& key, bool alt, bool shift, bool ctrl) {
    key.vkey = kVkSnapshot;
    key.altkey = alt;
    key.shiftkey = shift;
    key.ctrlkey = ctrl;
    key.winkey = false;
}

}  // namespace

void Form1::buildHotKeys() {
    SetPrintScreen(SSHK, false, false, false);
    SetPrintScreen(WSHK, false, true, false);
    SetPrintScreen(VBHotKey1, true, true, true);
    // A press during a capture waits for it to end (see capture_presses.h).
    SSHK.HotKeyPressed = [this] {
        capture::StartOnPress([self = std::weak_ptr<Form1*>(alive_)] {
            if (const std::shared_ptr<Form1*> form = self.lock()) {
                (*form)->SSHK_HotKeyPressed();
            }
        });
    };
    WSHK.HotKeyPressed = [this] {
        capture::StartOnPress([self = std::weak_ptr<Form1*>(alive_)] {
            if (const std::shared_ptr<Form1*> form = self.lock()) {
                (*form)->WSHK_HotKeyPressed();
            }
        });
    };
    VBHotKey1.HotKeyPressed = [this] { VBHotKey1_HotKeyPressed(); };

    // The keys work from start-up. A combination that cannot be had is said
    // once here; the HotKeys message names it as long as the program runs.
    bool noKeysSaid = false;
    for (controls::VBHotKey* key : {&SSHK, &WSHK, &VBHotKey1}) {
        key->setHotKeyActive(true);
        const std::optional<platform::ClaimResult> result = key->LastClaim();
        if (result == platform::ClaimResult::NotInSession) {
            if (!noKeysSaid) {
                std::fprintf(stderr,
                             "tessarine: cannot hold the hot keys: this Wayland desktop lets no "
                             "program hold system-wide keys (bind \"tessarine --hot-key print\" "
                             "and \"tessarine --hot-key shift-print\" in its keyboard shortcut "
                             "settings)\n");
                noKeysSaid = true;
            }
        } else if (result && *result != platform::ClaimResult::Claimed &&
                   *result != platform::ClaimResult::NoDisplay) {
            const std::string why = key->LastClaimNote().empty()
                                        ? controls::ClaimFailureReason(*result)
                                        : key->LastClaimNote();
            std::fprintf(stderr, "tessarine: cannot claim %s: %s\n", key->CombinationName().c_str(),
                         why.c_str());
        }
    }
}

std::vector<std::string> Form1::UnclaimedHotKeys() const {
    std::vector<std::string> names;
    for (const controls::VBHotKey* key : {&SSHK, &WSHK, &VBHotKey1}) {
        if (!key->HotKeyActive() && key->LastClaim() != platform::ClaimResult::NotInSession) {
            names.push_back(key->CombinationName());
        }
    }
    return names;
}

void Form1::SSHK_HotKeyPressed() {
    mnuScreen_Click();
}

void Form1::mnuHotKeys_Click() {
    controls::ShowMessage(this, controls::MessageIcon::Information, "Tessarine",
                          hot_keys::MessageText(UnclaimedHotKeys(),
                                                hot_keys::SessionNote({&SSHK, &WSHK, &VBHotKey1})));
}
