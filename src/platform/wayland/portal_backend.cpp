#include "platform/wayland/portal_backend.h"

#include <optional>

#include "platform/hot_key_command.h"
#include "platform/wayland/desktop_name.h"
#include "platform/wayland/gnome_key_bindings.h"
#include "platform/wayland/kwin_windows.h"
#include "platform/wayland/portal_screen_source.h"
#include "platform/wayland/portal_shortcuts.h"
#include "platform/wayland/sway_floating.h"
#include "platform/wayland/sway_key_bindings.h"
#include "platform/wayland/sway_see_through.h"
#include "platform/wayland/sway_windows.h"

namespace platform {
namespace {

class PortalBackend : public Backend {
  public:
    explicit PortalBackend(std::function<raster::Size()> xScreenSize)
        : screen_(std::make_shared<PortalScreenSource>(std::move(xScreenSize))),
          sway_(sway::Available()) {}

    std::shared_ptr<raster::ScreenSource> screenSource() override { return screen_; }
    platform::HWND foregroundWindow() override {
        switch (windows()) {
            case Windows::Sway:
                return sway::ForegroundWindow();
            case Windows::KWin:
                return kwin::ForegroundWindow();
            case Windows::Unknown:
                break;
        }
        return 0;
    }
    bool windowRect(platform::HWND window, platform::RECT* rect) override {
        switch (windows()) {
            case Windows::Sway:
                return sway::WindowRect(window, rect);
            case Windows::KWin:
                return kwin::WindowRect(window, rect);
            case Windows::Unknown:
                break;
        }
        return false;
    }
    bool knowsForegroundWindow() const override { return windows() != Windows::Unknown; }
    std::string windowQueryFailure() override {
        switch (windows()) {
            case Windows::Sway:
                return sway::Failure();
            case Windows::KWin:
                return kwin::Failure();
            case Windows::Unknown:
                break;
        }
        return {};
    }
    ClaimOutcome claimKeys(const KeyCombination& keys, std::function<void()> onPress) override {
        // sway has no shortcuts portal of its own: one that answers there
        // is another desktop's, installed beside it, that binds nothing.
        // Its bindings run `tessarine --hot-key` instead.
        if (sway_ && DesktopIs("sway")) {
            return sway::BindHotKey(keys);
        }
        ClaimOutcome outcome = ClaimPortalShortcut(keys, std::move(onPress));
        // GNOME before its GlobalShortcuts binds keys to commands too.
        if (outcome.result == ClaimResult::NotInSession && DesktopIs("GNOME")) {
            return ClaimGnomeKeyBinding(keys, HotKeyCommandName(keys), HotKeyCommandLine(keys));
        }
        return outcome;
    }
    // The portal's screenshot is in device pixels, while X11 windows (under
    // XWayland) measure the desktop in its logical pixels.
    bool screenInDevicePixels() const override { return true; }
    double compositorScale() const override { return sway_ ? sway::LargestOutputScale() : 0; }
    void rememberWindowPlace(platform::HWND window) override {
        if (sway_) {
            floatingPlace_.remember(window);
        }
    }
    // sway ignores where a tiled window asks to be and centres a floating
    // one that asks: only its IPC places a window.
    bool restoreWindowPlace(platform::HWND window) override {
        if (sway_) {
            floatingPlace_.restore(window);
        }
        return sway_;
    }
    bool stepAsideInPlace(platform::HWND window) override {
        return sway_ && seeThrough_.stepAside(window);
    }
    void stepBackInPlace(platform::HWND window) override {
        if (sway_) {
            seeThrough_.stepBack(window);
        }
    }
    // sway's X11 window manager puts XWayland's focus back where it was
    // when a window of another program's had it; KWin keeps the keyboard
    // with its active window.
    CoverKeyboard coverKeyboard() const override {
        if (sway_) {
            return CoverKeyboard::Grab;
        }
        return windows() == Windows::KWin ? CoverKeyboard::WindowManager : CoverKeyboard::Focus;
    }

  private:
    // Who tells which window is in front: sway's IPC, KWin's scripting, or
    // nobody (other desktops do not tell programs).
    enum class Windows { Sway, KWin, Unknown };

    // Asked at the first window question, not when the backend opens: the
    // session bus may be reached only once start-up has settled its address.
    Windows windows() const {
        if (!windows_) {
            windows_ = sway_ ? Windows::Sway : kwin::Available() ? Windows::KWin : Windows::Unknown;
        }
        return *windows_;
    }

    std::shared_ptr<PortalScreenSource> screen_;
    bool sway_;
    mutable std::optional<Windows> windows_;
    sway::FloatingPlace floatingPlace_;
    sway::SeeThrough seeThrough_;
};

}  // namespace

std::shared_ptr<Backend> OpenPortalBackend(std::function<raster::Size()> xScreenSize) {
    return std::make_shared<PortalBackend>(std::move(xScreenSize));
}

}  // namespace platform
