#include "platform/wayland/portal_backend.h"

#include "platform/hot_key_command.h"
#include "platform/wayland/desktop_name.h"
#include "platform/wayland/gnome_key_bindings.h"
#include "platform/wayland/portal_screen_source.h"
#include "platform/wayland/portal_shortcuts.h"
#include "platform/wayland/sway_key_bindings.h"
#include "platform/wayland/sway_windows.h"

namespace platform {
namespace {

class PortalBackend : public Backend {
  public:
    explicit PortalBackend(std::function<raster::Size()> xScreenSize)
        : screen_(std::make_shared<PortalScreenSource>(std::move(xScreenSize))),
          sway_(sway::Available()) {}

    std::shared_ptr<raster::ScreenSource> screenSource() override { return screen_; }
    HWND foregroundWindow() override { return sway_ ? sway::ForegroundWindow() : 0; }
    bool windowRect(HWND window, RECT* rect) override {
        return sway_ && sway::WindowRect(window, rect);
    }
    bool knowsForegroundWindow() const override { return sway_; }
    std::string windowQueryFailure() override { return sway_ ? sway::Failure() : std::string(); }
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

  private:
    std::shared_ptr<PortalScreenSource> screen_;
    bool sway_;
};

}  // namespace

std::shared_ptr<Backend> OpenPortalBackend(std::function<raster::Size()> xScreenSize) {
    return std::make_shared<PortalBackend>(std::move(xScreenSize));
}

}  // namespace platform
