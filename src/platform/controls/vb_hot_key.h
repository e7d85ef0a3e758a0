#pragma once
// A system-wide hot key: while active it holds its key combination, so that
// pressing it anywhere raises HotKeyPressed on the user-interface thread.
// The installed backend (platform/backend.h) holds it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/backend.h"

namespace controls {

class VBHotKey {
  public:
    VBHotKey();
    ~VBHotKey();
    VBHotKey(const VBHotKey&) = delete;
    VBHotKey& operator=(const VBHotKey&) = delete;

    // The combination: a Windows virtual-key code and the modifiers held.
    std::int32_t vkey = 0;
    bool altkey = false;
    bool shiftkey = false;
    bool ctrlkey = false;
    bool winkey = false;

    // True while the combination is held. Setting true claims it (check
    // HotKeyActive or LastClaim for the outcome); false releases it. A held
    // combination follows keyboard changes, and stops being held when it
    // cannot be claimed again after one.
    bool HotKeyActive() const;
    void setHotKeyActive(bool active);

    // The outcome of the last claim, including one made again after a
    // keyboard change; empty before the first.
    std::optional<platform::ClaimResult> LastClaim() const;

    // The desktop's own word on the last claim, when it gave one ("GNOME's
    // own screenshot key binding holds it"); empty otherwise.
    std::string LastClaimNote() const;

    // What the desktop bound where it chooses the keys itself ("" while it
    // has not); empty where the combination is held as asked.
    std::optional<std::string> DesktopTrigger() const;

    // The desktop that runs `tessarine --hot-key` for the held combination
    // ("sway"); empty where the program holds it itself.
    std::string CommandBoundBy() const;

    // The combination as the user reads it, e.g. "Shift+Print Screen".
    std::string CombinationName() const;

    std::function<void()> HotKeyPressed;

  private:
    std::unique_ptr<platform::KeyGrab> grab_;
    std::optional<platform::ClaimResult> lastClaim_;
    std::string lastClaimNote_;
    // Presses handed over by `tessarine --hot-key`, whatever became of the
    // claim: a desktop's own key binding may run that command.
    std::shared_ptr<void> commandListener_;
    // Presses come from the event loop, perhaps after the key is gone.
    std::shared_ptr<VBHotKey*> self_;
};

// Why a claim failed, for a message: "another program holds it".
std::string ClaimFailureReason(platform::ClaimResult result);

}  // namespace controls
