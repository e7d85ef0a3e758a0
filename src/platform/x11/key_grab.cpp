#include "platform/x11/key_grab.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <QPointer>
#include <cstdlib>
#include <vector>

#include "platform/x11/display_name.h"
#include "platform/x11/hot_key_masks.h"
#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

constexpr std::uint8_t kBadAccess = 10;

struct KeyGrabSpec {
    std::uint8_t keycode;
    std::uint16_t modifiers;
};

xcb_window_t DefaultRoot(xcb_connection_t* c) {
    // The screen of the display the toolkit connected to.
    char* host = nullptr;
    int displayNumber = 0;
    int screenNumber = 0;
    if (xcb_parse_display(DisplayName(), &host, &displayNumber, &screenNumber)) {
        std::free(host);
    } else {
        screenNumber = 0;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    return it.rem ? it.data->root : xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

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

class X11KeyGrab : public KeyGrab, public QAbstractNativeEventFilter {
  public:
    X11KeyGrab(xcb_connection_t* c, xcb_window_t root, std::vector<std::uint8_t> keycodes,
               std::uint16_t combination, std::uint16_t ignoredLocks,
               std::vector<KeyGrabSpec> grabs, std::function<void()> onPress)
        : connection_(c),
          root_(root),
          keycodes_(std::move(keycodes)),
          combination_(combination),
          ignoredLocks_(ignoredLocks),
          grabs_(std::move(grabs)),
          onPress_(std::move(onPress)),
          context_(new QObject) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11KeyGrab() override {
        // Without the application its X connection is gone, and the grabs
        // went with it.
        if (QCoreApplication::instance()) {
            QCoreApplication::instance()->removeNativeEventFilter(this);
            Ungrab(connection_, root_, grabs_);
        }
        delete context_;
    }

    static void Ungrab(xcb_connection_t* c, xcb_window_t root,
                       const std::vector<KeyGrabSpec>& grabs) {
        for (const KeyGrabSpec& grab : grabs) {
            xcb_ungrab_key(c, grab.keycode, root, grab.modifiers);
        }
        xcb_flush(c);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const std::uint8_t type = event->response_type & 0x7F;
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
            return false;
        }
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        if (key->event != root_ || !IsOurKey(key->detail) ||
            !StateMatches(key->state, combination_, ignoredLocks_)) {
            return false;
        }
        if (type == XCB_KEY_PRESS) {
            // From the event loop, not from inside the toolkit's event
            // dispatch: the handlers yield to the loop and hide windows.
            QMetaObject::invokeMethod(context_, onPress_, Qt::QueuedConnection);
        }
        return true;
    }

  private:
    bool IsOurKey(std::uint8_t keycode) const {
        for (std::uint8_t k : keycodes_) {
            if (k == keycode) {
                return true;
            }
        }
        return false;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::vector<std::uint8_t> keycodes_;
    std::uint16_t combination_;
    std::uint16_t ignoredLocks_;
    std::vector<KeyGrabSpec> grabs_;
    std::function<void()> onPress_;
    // Pending presses are dropped with it when the grab goes.
    QObject* context_;
};

}  // namespace

ClaimOutcome ClaimKeyCombination(std::uint32_t keysym, std::uint16_t modifiers,
                                 std::function<void()> onPress) {
    ClaimOutcome outcome;
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c || xcb_connection_has_error(c)) {
        outcome.result = ClaimResult::NoDisplay;
        return outcome;
    }
    const xcb_window_t root = DefaultRoot(c);

    KeyboardMaps maps;
    if (!ReadKeyboardMaps(c, maps)) {
        outcome.result = ClaimResult::Refused;
        return outcome;
    }
    std::vector<std::uint8_t> keycodes =
        KeycodesForKeysym(maps.minKeycode, maps.keysymsPerKeycode, maps.keysyms, keysym);
    if (keycodes.empty()) {
        outcome.result = ClaimResult::NoSuchKey;
        return outcome;
    }
    const std::uint16_t numLock = ModifierMaskOfKeycodes(
        maps.modifierMap, maps.keycodesPerModifier,
        KeycodesForKeysym(maps.minKeycode, maps.keysymsPerKeycode, maps.keysyms, kKeysymNumLock));
    const std::uint16_t scrollLock =
        ModifierMaskOfKeycodes(maps.modifierMap, maps.keycodesPerModifier,
                               KeycodesForKeysym(maps.minKeycode, maps.keysymsPerKeycode,
                                                 maps.keysyms, kKeysymScrollLock));
    const std::uint16_t ignoredLocks = IgnoredLockMask(numLock, scrollLock, modifiers);

    // Send every grab, then collect the answers: one round trip in all.
    std::vector<KeyGrabSpec> requested;
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint8_t keycode : keycodes) {
        for (std::uint16_t locks : LockCombinations(ignoredLocks)) {
            const auto mask = static_cast<std::uint16_t>(modifiers | locks);
            requested.push_back({keycode, mask});
            cookies.push_back(xcb_grab_key_checked(c, 0, root, mask, keycode, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
        }
    }
    std::vector<KeyGrabSpec> taken;
    bool heldByAnother = false;
    bool refused = false;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        Reply<xcb_generic_error_t> error(xcb_request_check(c, cookies[i]));
        if (!error) {
            taken.push_back(requested[i]);
        } else if (error->error_code == kBadAccess) {
            heldByAnother = true;
        } else {
            refused = true;
        }
    }
    if (heldByAnother || refused) {
        // A combination that works only in some lock states is no use: let
        // go of the part that was taken.
        X11KeyGrab::Ungrab(c, root, taken);
        outcome.result = heldByAnother ? ClaimResult::HeldByAnother : ClaimResult::Refused;
        return outcome;
    }
    outcome.result = ClaimResult::Claimed;
    outcome.grab = std::make_unique<X11KeyGrab>(c, root, std::move(keycodes), modifiers,
                                                ignoredLocks, std::move(taken), std::move(onPress));
    return outcome;
}

}  // namespace platform
