#include "platform/x11/key_grab.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/x11/hot_key_masks.h"
#include "platform/x11/key_repeat.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

constexpr std::uint8_t kBadAccess = 10;
// Kinds of XKB event.
constexpr std::uint8_t kXkbNewKeyboardNotify = 0;
constexpr std::uint8_t kXkbMapNotify = 1;

struct KeyGrabSpec {
    std::uint8_t keycode;
    std::uint16_t modifiers;
    bool operator==(const KeyGrabSpec&) const = default;
};

// The keyboard as the server maps it now.
struct KeyboardMaps {
    std::uint8_t minKeycode = 0;
    int keysymsPerKeycode = 0;
    std::vector<std::uint32_t> keysyms;
    int keycodesPerModifier = 0;
    std::vector<std::uint8_t> modifierMap;
};

bool ReadKeyboardMaps(xcb_connection_t* c, KeyboardMaps& maps) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    maps.minKeycode = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> keyboard(xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr));
    Reply<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!keyboard || !modifiers) {
        return false;
    }
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    maps.keysymsPerKeycode = keyboard->keysyms_per_keycode;
    maps.keysyms.assign(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(keyboard.get()));
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    maps.keycodesPerModifier = modifiers->keycodes_per_modifier;
    maps.modifierMap.assign(keycodes,
                            keycodes + xcb_get_modifier_mapping_keycodes_length(modifiers.get()));
    return true;
}

class X11KeyGrab;

// The one event filter for every grab: it hands presses to the grab whose
// combination they are, drops the keyboard's auto-repeat, and has every grab
// claim its combination again when the keyboard is mapped anew (xmodmap, a
// new layout or keycodes from setxkbmap, a keyboard plugged in).
class KeyboardWatch : public QAbstractNativeEventFilter {
  public:
    static KeyboardWatch& Get(xcb_connection_t* c, xcb_window_t root);
    static void Remove(X11KeyGrab* grab);

    void Add(X11KeyGrab* grab) { grabs_.push_back(grab); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override;

  private:
    KeyboardWatch(xcb_connection_t* c, xcb_window_t root);
    bool IsKeyboardChange(const xcb_generic_event_t* event) const;
    void ScheduleReclaim();
    void Reclaim();
    X11KeyGrab* OwnerOf(std::uint8_t keycode, std::uint16_t state) const;
    bool AnyOwns(std::uint8_t keycode) const;

    static std::unique_ptr<KeyboardWatch>& Instance() {
        static std::unique_ptr<KeyboardWatch> watch;
        return watch;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    // The XKB extension's event code: a client that uses XKB, as the
    // toolkit does, hears of new keycodes and layouts only through it.
    int xkbEvent_ = -1;
    std::vector<X11KeyGrab*> grabs_;
    KeyRepeatFilter repeats_;
    bool reclaimPending_ = false;
    QObject context_;
};

class X11KeyGrab : public KeyGrab {
  public:
    X11KeyGrab(xcb_connection_t* c, xcb_window_t root, std::uint32_t keysym,
               std::uint16_t combination, std::function<void()> onPress)
        : connection_(c),
          root_(root),
          keysym_(keysym),
          combination_(combination),
          onPress_(std::move(onPress)),
          context_(new QObject) {}

    ~X11KeyGrab() override {
        // Without the application its X connection is gone, and the grabs
        // went with it.
        if (QCoreApplication::instance()) {
            KeyboardWatch::Remove(this);
            Ungrab(connection_, root_, grabs_);
        }
        delete context_;
    }

    ClaimResult State() const override { return state_; }

    // Takes the combination on every key that produces the keysym in
    // `maps`, after letting go of the keys held before. A mapping that
    // changes nothing for this combination leaves its grabs alone.
    ClaimResult Claim(const KeyboardMaps& maps) {
        std::vector<std::uint8_t> keycodes =
            KeycodesForKeysym(maps.minKeycode, maps.keysymsPerKeycode, maps.keysyms, keysym_);
        const std::uint16_t ignoredLocks =
            IgnoredLockMask(LockModifier(maps, kKeysymNumLock),
                            LockModifier(maps, kKeysymScrollLock), combination_);
        std::vector<KeyGrabSpec> wanted;
        for (std::uint8_t keycode : keycodes) {
            for (std::uint16_t locks : LockCombinations(ignoredLocks)) {
                wanted.push_back({keycode, static_cast<std::uint16_t>(combination_ | locks)});
            }
        }
        if (state_ == ClaimResult::Claimed && wanted == grabs_) {
            return state_;
        }
        Ungrab(connection_, root_, grabs_);
        grabs_.clear();
        keycodes_ = std::move(keycodes);
        ignoredLocks_ = ignoredLocks;
        state_ = wanted.empty() ? ClaimResult::NoSuchKey : GrabAll(wanted);
        return state_;
    }

    bool Owns(std::uint8_t keycode) const {
        return state_ == ClaimResult::Claimed &&
               std::find(keycodes_.begin(), keycodes_.end(), keycode) != keycodes_.end();
    }

    bool IsCombination(std::uint16_t state) const {
        return StateMatches(state, combination_, ignoredLocks_);
    }

    void Pressed() {
        // From the event loop, not from inside the toolkit's event
        // dispatch: the handlers yield to the loop and hide windows.
        QMetaObject::invokeMethod(context_, onPress_, Qt::QueuedConnection);
    }

    static void Ungrab(xcb_connection_t* c, xcb_window_t root,
                       const std::vector<KeyGrabSpec>& grabs) {
        for (const KeyGrabSpec& grab : grabs) {
            xcb_ungrab_key(c, grab.keycode, root, grab.modifiers);
        }
        xcb_flush(c);
    }

  private:
    static std::uint16_t LockModifier(const KeyboardMaps& maps, std::uint32_t keysym) {
        return ModifierMaskOfKeycodes(
            maps.modifierMap, maps.keycodesPerModifier,
            KeycodesForKeysym(maps.minKeycode, maps.keysymsPerKeycode, maps.keysyms, keysym));
    }

    ClaimResult GrabAll(const std::vector<KeyGrabSpec>& wanted) {
        // Send every grab, then collect the answers: one round trip in all.
        std::vector<xcb_void_cookie_t> cookies;
        for (const KeyGrabSpec& grab : wanted) {
            cookies.push_back(xcb_grab_key_checked(connection_, 0, root_, grab.modifiers,
                                                   grab.keycode, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
        }
        std::vector<KeyGrabSpec> taken;
        bool heldByAnother = false;
        bool refused = false;
        for (std::size_t i = 0; i < cookies.size(); ++i) {
            Reply<xcb_generic_error_t> error(xcb_request_check(connection_, cookies[i]));
            if (!error) {
                taken.push_back(wanted[i]);
            } else if (error->error_code == kBadAccess) {
                heldByAnother = true;
            } else {
                refused = true;
            }
        }
        if (heldByAnother || refused) {
            // A combination that works only in some lock states is no use:
            // let go of the part that was taken.
            Ungrab(connection_, root_, taken);
            return heldByAnother ? ClaimResult::HeldByAnother : ClaimResult::Refused;
        }
        grabs_ = std::move(taken);
        return ClaimResult::Claimed;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::uint32_t keysym_;
    std::uint16_t combination_;
    std::function<void()> onPress_;
    ClaimResult state_ = ClaimResult::Refused;
    std::vector<std::uint8_t> keycodes_;
    std::uint16_t ignoredLocks_ = 0;
    std::vector<KeyGrabSpec> grabs_;
    // Pending presses are dropped with it when the grab goes.
    QObject* context_;
};

KeyboardWatch::KeyboardWatch(xcb_connection_t* c, xcb_window_t root) : connection_(c), root_(root) {
    static const char kXkb[] = "XKEYBOARD";
    Reply<xcb_query_extension_reply_t> xkb(
        xcb_query_extension_reply(c, xcb_query_extension(c, sizeof kXkb - 1, kXkb), nullptr));
    if (xkb && xkb->present) {
        xkbEvent_ = xkb->first_event;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

KeyboardWatch& KeyboardWatch::Get(xcb_connection_t* c, xcb_window_t root) {
    std::unique_ptr<KeyboardWatch>& watch = Instance();
    if (!watch) {
        watch.reset(new KeyboardWatch(c, root));
    }
    return *watch;
}

void KeyboardWatch::Remove(X11KeyGrab* grab) {
    std::unique_ptr<KeyboardWatch>& watch = Instance();
    if (!watch) {
        return;
    }
    std::vector<X11KeyGrab*>& grabs = watch->grabs_;
    grabs.erase(std::remove(grabs.begin(), grabs.end(), grab), grabs.end());
    if (grabs.empty()) {
        QCoreApplication::instance()->removeNativeEventFilter(watch.get());
        watch.reset();
    }
}

bool KeyboardWatch::IsKeyboardChange(const xcb_generic_event_t* event) const {
    const std::uint8_t type = event->response_type & 0x7F;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = reinterpret_cast<const xcb_mapping_notify_event_t*>(event);
        return mapping->request != XCB_MAPPING_POINTER;
    }
    // An XKB event carries its kind in the byte after the event code.
    const auto xkbKind = reinterpret_cast<const std::uint8_t*>(event)[1];
    return xkbEvent_ >= 0 && type == xkbEvent_ &&
           (xkbKind == kXkbNewKeyboardNotify || xkbKind == kXkbMapNotify);
}

bool KeyboardWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if (IsKeyboardChange(event)) {
        ScheduleReclaim();
        return false;  // the toolkit follows the keyboard as well
    }
    const std::uint8_t type = event->response_type & 0x7F;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return false;
    }
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (!AnyOwns(key->detail)) {
        return false;
    }
    if (type == XCB_KEY_RELEASE) {
        // Wherever it goes: a release that one of our own windows took
        // still ends the hold.
        repeats_.Release(key->detail, key->time);
        return key->event == root_;
    }
    if (key->event != root_) {
        return false;
    }
    if (repeats_.Press(key->detail, key->time)) {
        if (X11KeyGrab* owner = OwnerOf(key->detail, key->state)) {
            owner->Pressed();
        }
    }
    return true;
}

void KeyboardWatch::ScheduleReclaim() {
    // One change comes as several events; claim once after them all.
    if (reclaimPending_) {
        return;
    }
    reclaimPending_ = true;
    QMetaObject::invokeMethod(
        &context_, [this] { Reclaim(); }, Qt::QueuedConnection);
}

void KeyboardWatch::Reclaim() {
    reclaimPending_ = false;
    KeyboardMaps maps;
    if (!ReadKeyboardMaps(connection_, maps)) {
        return;
    }
    for (X11KeyGrab* grab : grabs_) {
        grab->Claim(maps);
    }
}

X11KeyGrab* KeyboardWatch::OwnerOf(std::uint8_t keycode, std::uint16_t state) const {
    for (X11KeyGrab* grab : grabs_) {
        if (grab->Owns(keycode) && grab->IsCombination(state)) {
            return grab;
        }
    }
    return nullptr;
}

bool KeyboardWatch::AnyOwns(std::uint8_t keycode) const {
    return std::any_of(grabs_.begin(), grabs_.end(),
                       [keycode](const X11KeyGrab* grab) { return grab->Owns(keycode); });
}

}  // namespace

ClaimOutcome ClaimKeyCombination(std::uint32_t root, std::uint32_t keysym, std::uint16_t modifiers,
                                 std::function<void()> onPress) {
    ClaimOutcome outcome;
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c || xcb_connection_has_error(c)) {
        outcome.result = ClaimResult::NoDisplay;
        return outcome;
    }
    KeyboardMaps maps;
    if (!ReadKeyboardMaps(c, maps)) {
        outcome.result = ClaimResult::Refused;
        return outcome;
    }
    auto grab = std::make_unique<X11KeyGrab>(c, root, keysym, modifiers, std::move(onPress));
    outcome.result = grab->Claim(maps);
    if (outcome.result == ClaimResult::Claimed) {
        KeyboardWatch::Get(c, root).Add(grab.get());
        outcome.grab = std::move(grab);
    }
    return outcome;
}

ClaimOutcome GrabKeys(std::uint32_t root, const KeyCombination& keys,
                      std::function<void()> onPress) {
    const std::uint32_t keysym = KeysymForVirtualKey(keys.key);
    if (keysym == 0) {
        return {ClaimResult::NoSuchKey, nullptr, {}};
    }
    return ClaimKeyCombination(root, keysym,
                               ModifierMask(keys.alt, keys.shift, keys.control, keys.super),
                               std::move(onPress));
}

}  // namespace platform
