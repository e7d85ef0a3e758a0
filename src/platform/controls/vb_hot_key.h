#pragma once
// A system-wide hot key: while active it holds its key combination, so that
// pressing it anywhere raises HotKeyPressed on the user-interface thread.
// The installed backend (platform/backend.h) holds it.

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/backend.h"
#include "platform/wayland/hot_key_bus.h"

namespace controls {

class VBHotKey : public QObject {
    Q_OBJECT
  public:
    explicit VBHotKey(QObject* parent = nullptr);
    ~VBHotKey() override;

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
    QString LastClaimNote() const;

    // What the desktop bound where it chooses the keys itself ("" while it
    // has not); empty where the combination is held as asked.
    std::optional<QString> DesktopTrigger() const;

    // The desktop that runs `tessarine --hot-key` for the held combination
    // ("sway"); empty where the program holds it itself.
    QString CommandBoundBy() const;

    // The combination as the user reads it, e.g. "Shift+Print Screen".
    QString CombinationName() const;

  signals:
    void HotKeyPressed();

  private:
    std::unique_ptr<platform::KeyGrab> grab_;
    std::optional<platform::ClaimResult> lastClaim_;
    QString lastClaimNote_;
    // Presses handed over by `tessarine --hot-key`, whatever became of the
    // claim: a desktop's own key binding may run that command.
    std::unique_ptr<platform::HotKeyListener> commandListener_;
};

// Why a claim failed, for a message: "another program holds it".
QString ClaimFailureReason(platform::ClaimResult result);

}  // namespace controls
