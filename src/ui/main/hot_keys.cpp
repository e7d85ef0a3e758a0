// The three system-wide hot keys of the main window, their events and the
// HotKeys message.

#include "ui/main/hot_keys.h"

#include <QPointer>
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

QString MessageText(const QStringList& unclaimed, const QString& sessionNote) {
    QString text = QString("Hotkeys: ") + "\r\n" +
                   "Press \"Print Scrn\" to take a normal screenshot. " + "\r\n" +
                   "Press \"Shift+Print Scrn\" to take a screenshot of the foreground window";
    if (!unclaimed.isEmpty()) {
        text += "\r\nThese hot keys could not be claimed: " + unclaimed.join(", ");
    }
    if (!sessionNote.isEmpty()) {
        text += "\r\n" + sessionNote;
    }
    return text;
}

QString SessionNote(const QList<const controls::VBHotKey*>& keys) {
    QStringList bound;
    QStringList notes;
    QString bindingDesktop;
    QStringList commandBound;
    for (const controls::VBHotKey* key : keys) {
        if (!key) {
            continue;
        }
        if (key->LastClaim() == platform::ClaimResult::NotInSession) {
            return kNoKeysInSession;
        }
        if (const std::optional<QString> trigger = key->DesktopTrigger()) {
            bound << (trigger->isEmpty() ? key->CombinationName() + ": not bound"
                                         : key->CombinationName() + " as " + *trigger);
        }
        if (!key->CommandBoundBy().isEmpty()) {
            bindingDesktop = key->CommandBoundBy();
            commandBound << key->CombinationName();
        }
        // (A key held later, once another window closed, has it no more.)
        if (!key->LastClaimNote().isEmpty() && !key->HotKeyActive()) {
            notes << key->CombinationName() + ": " + key->LastClaimNote();
        }
    }
    QStringList lines;
    if (!bound.isEmpty()) {
        lines << "The desktop bound the hot keys: " + bound.join("; ");
    }
    if (!commandBound.isEmpty()) {
        lines << bindingDesktop + " runs \"tessarine --hot-key\" for " + commandBound.join(", ") +
                     " while this window runs";
    }
    if (!notes.isEmpty()) {
        lines << notes.join("; ");
    }
    return lines.join("\r\n");
}

}  // namespace hot_keys

namespace {

constexpr std::int32_t kVkSnapshot = 44;

controls::VBHotKey* MakeHotKey(QObject* parent, const char* name, bool alt, bool shift, bool ctrl) {
    auto* key = new controls::VBHotKey(parent);
    key->setObjectName(name);
    key->vkey = kVkSnapshot;
    key->altkey = alt;
    key->shiftkey = shift;
    key->ctrlkey = ctrl;
    key->winkey = false;
    return key;
}

}  // namespace

void Form1::buildHotKeys() {
    SSHK = MakeHotKey(this, "SSHK", false, false, false);
    WSHK = MakeHotKey(this, "WSHK", false, true, false);
    VBHotKey1 = MakeHotKey(this, "VBHotKey1", true, true, true);
    // A press during a capture waits for it to end (see capture_presses.h).
    const QPointer<Form1> self(this);
    connect(SSHK, &controls::VBHotKey::HotKeyPressed, this, [self] {
        capture::StartOnPress([self] {
            if (self) {
                self->SSHK_HotKeyPressed();
            }
        });
    });
    connect(WSHK, &controls::VBHotKey::HotKeyPressed, this, [self] {
        capture::StartOnPress([self] {
            if (self) {
                self->WSHK_HotKeyPressed();
            }
        });
    });
    connect(VBHotKey1, &controls::VBHotKey::HotKeyPressed, this,
            [this] { VBHotKey1_HotKeyPressed(); });

    // The keys work from start-up. A combination that cannot be had is said
    // once here; the HotKeys message names it as long as the program runs.
    bool noKeysSaid = false;
    for (controls::VBHotKey* key : {SSHK, WSHK, VBHotKey1}) {
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
            const QString why = key->LastClaimNote().isEmpty()
                                    ? controls::ClaimFailureReason(*result)
                                    : key->LastClaimNote();
            std::fprintf(stderr, "tessarine: cannot claim %s: %s\n",
                         key->CombinationName().toLocal8Bit().constData(),
                         why.toLocal8Bit().constData());
        }
    }
}

QStringList Form1::UnclaimedHotKeys() const {
    QStringList names;
    for (const controls::VBHotKey* key : {SSHK, WSHK, VBHotKey1}) {
        if (key && !key->HotKeyActive() &&
            key->LastClaim() != platform::ClaimResult::NotInSession) {
            names << key->CombinationName();
        }
    }
    return names;
}

void Form1::SSHK_HotKeyPressed() {
    mnuScreen_Click();
}

void Form1::mnuHotKeys_Click() {
    controls::ShowMessage(
        this, QMessageBox::Information, "Tessarine",
        hot_keys::MessageText(UnclaimedHotKeys(), hot_keys::SessionNote({SSHK, WSHK, VBHotKey1})),
        QMessageBox::Ok);
}
