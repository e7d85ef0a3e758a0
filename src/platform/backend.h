#pragma once
// What the program needs from the window system, behind one interface: the
// screen that display contexts read, the window in front and where it lies,
// system-wide keys, and how the screen's pixels relate to the windows'.
// Start-up opens the backend of its session once and installs it; the rest
// of the program asks the installed one. Nothing here names a window
// system's types.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/raster/raster.h"

namespace platform {

// A top-level window, as the window system numbers it; 0 is no window.
using HWND = std::uint32_t;

// A rectangle in screen pixels; right and bottom lie just outside it.
struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// A monitor of the screen, as the window system names it ("HDMI-1"), and
// the part of the screen it shows.
struct MonitorArea {
    std::string name;
    RECT rect;
};

// The mouse pointer's picture where it lies on the screen: `width` x
// `height` pixels of premultiplied 0xAARRGGBB, its top left corner at
// (left, top).
struct PointerPicture {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;
};

enum class ClaimResult {
    Claimed,
    HeldByAnother,  // another client holds the combination
    NoDisplay,      // no window system to hold keys with (the toolkit's offscreen platform, say)
    NoSuchKey,      // no key on the keyboard produces the key
    Refused,        // the window system refused the claim for another reason
    NotInSession,   // a Wayland desktop that lets no program hold keys
};

// A combination held system-wide; destroying it releases it.
class KeyGrab {
  public:
    virtual ~KeyGrab() = default;
    // The outcome of the latest claim: the first, or one made again after
    // the keyboard changed. Anything but Claimed means nothing is held.
    virtual ClaimResult State() const = 0;
    // Where the desktop chooses the keys itself (the portal of a Wayland
    // session), what it bound: "Print", or "" while it has not (yet).
    // Empty for a grab of exactly the combination asked for.
    virtual std::optional<std::string> desktopTrigger() const { return std::nullopt; }
    // Where the desktop binds the combination to `tessarine --hot-key`
    // itself, the desktop's name ("sway"); empty otherwise.
    virtual std::string commandBoundBy() const { return {}; }
};

struct ClaimOutcome {
    ClaimResult result = ClaimResult::NoDisplay;
    std::unique_ptr<KeyGrab> grab;  // set when result is Claimed
    // What the desktop did with a combination it did not give as asked, in
    // one sentence: "GNOME's own screenshot key binding holds it". Empty
    // when the result says it all.
    std::string note;
};

// A key by its virtual-key code: letters and digits are their upper-case
// ASCII codes, F1..F24 are 0x70..0x87, Print Screen is 0x2C.
using Key = std::int32_t;

struct KeyCombination {
    Key key = 0;
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool super = false;  // the Windows or logo key
};

class Backend {
  public:
    virtual ~Backend() = default;

    // Where display contexts read the screen; null when there is none.
    virtual std::shared_ptr<raster::ScreenSource> screenSource() = 0;

    // The window the user is working in, or 0 when there is none or the
    // window system cannot be asked.
    virtual HWND foregroundWindow() = 0;
    // The window's outer rectangle in screen pixels, frame included. Leaves
    // *rect unchanged and returns false when the window does not exist.
    virtual bool windowRect(HWND window, RECT* rect) = 0;
    // False where the desktop tells programs nothing about its windows.
    virtual bool knowsForegroundWindow() const = 0;
    // Why the last window question went unanswered (the desktop did not
    // answer in time, ...), or empty.
    virtual std::string windowQueryFailure() = 0;

    // Holds `keys` system-wide: `onPress` runs on the user-interface thread,
    // from the event loop, once for every press while the grab lives.
    virtual ClaimOutcome claimKeys(const KeyCombination& keys, std::function<void()> onPress) = 0;

    // True when the screen comes in device pixels while windows measure the
    // desktop in logical ones (a scaled Wayland desktop under XWayland).
    virtual bool screenInDevicePixels() const = 0;
    // Device pixels per window pixel, as the compositor itself scales the
    // screen, where it says; 0 where it does not. The toolkit's idea of a
    // monitor under XWayland is rounded (680 pixels for sway's 682 at 1.5).
    virtual double compositorScale() const { return 0; }
    // The monitors, in the window system's order; empty where it does not
    // tell.
    virtual std::vector<MonitorArea> monitors() { return {}; }
    // Where the mouse pointer is on the screen, if the window system tells.
    virtual std::optional<std::pair<std::int32_t, std::int32_t>> pointerPosition() {
        return std::nullopt;
    }
    // The pointer's picture as it is now, if the window system gives it.
    virtual std::optional<PointerPicture> pointerPicture() { return std::nullopt; }

    // Where the desktop forgets how a top-level window of ours lay while it
    // is hidden: remembered before it hides, and given back once it shows
    // again. restoreWindowPlace returns true when the desktop takes care of
    // the place; the window's own moves would then undo it.
    virtual void rememberWindowPlace(HWND) {}
    virtual bool restoreWindowPlace(HWND) { return false; }
    // Where hiding a top-level window would have the desktop lay the other
    // windows out anew (a tiling desktop), the window is drawn fully
    // see-through where it is instead: true when it is. stepBackInPlace
    // draws it as before.
    virtual bool stepAsideInPlace(HWND) { return false; }
    virtual void stepBackInPlace(HWND) {}

    // How a window of ours that covers the whole desktop for a moment, and
    // takes the keys meanwhile (the selection, which Escape cancels), gets
    // the keyboard.
    enum class CoverKeyboard {
        // It bypasses the window manager and takes the focus (an X server).
        Focus,
        // It bypasses the window manager and grabs the keyboard: the
        // compositor hands it XWayland's keys but leaves XWayland's focus
        // with the window that had it (sway).
        Grab,
        // It must be a managed window, which the window manager activates:
        // the compositor gives the keyboard to no other (KWin).
        WindowManager,
    };
    virtual CoverKeyboard coverKeyboard() const { return CoverKeyboard::Focus; }
};

// A backend with no window system: no screen, no windows, no keys.
std::shared_ptr<Backend> NullBackend();

// Makes `backend` the one the program asks (null: the null backend) and
// hands its screen source to the raster layer.
void InstallBackend(std::shared_ptr<Backend> backend);
// The installed backend; the null backend before any is installed.
const std::shared_ptr<Backend>& CurrentBackend();

// Installs a backend for the lifetime of the object, then puts back the one
// that was installed before.
class ScopedBackend {
  public:
    explicit ScopedBackend(std::shared_ptr<Backend> backend);
    ~ScopedBackend();
    ScopedBackend(const ScopedBackend&) = delete;
    ScopedBackend& operator=(const ScopedBackend&) = delete;

  private:
    std::shared_ptr<Backend> previous_;
};

}  // namespace platform
