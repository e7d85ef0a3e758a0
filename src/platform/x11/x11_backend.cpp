#include "platform/x11/x11_backend.h"

#include "platform/x11/pointer_and_monitors.h"
#include "platform/x11/windows.h"
#include "platform/x11/x11_connection.h"

namespace platform {
namespace {

class X11Backend : public Backend {
  public:
    X11Backend(std::shared_ptr<X11Connection> connection,
               std::shared_ptr<raster::ScreenSource> screen, X11KeyClaimer claimKeys)
        : connection_(std::move(connection)), screen_(std::move(screen)), claimKeys_(claimKeys) {}

    std::shared_ptr<raster::ScreenSource> screenSource() override { return screen_; }
    platform::HWND foregroundWindow() override { return ForegroundWindow(*connection_); }
    bool windowRect(platform::HWND window, platform::RECT* rect) override {
        return WindowRect(*connection_, window, rect);
    }
    bool knowsForegroundWindow() const override { return true; }
    // The X server answers every question at once.
    std::string windowQueryFailure() override { return {}; }
    ClaimOutcome claimKeys(const KeyCombination& keys, std::function<void()> onPress) override {
        if (!claimKeys_) {
            return {ClaimResult::NoDisplay, nullptr, {}};
        }
        return claimKeys_(connection_->root(), keys, std::move(onPress));
    }
    // Windows and the screen share the server's pixels.
    bool screenInDevicePixels() const override { return false; }
    std::vector<MonitorArea> monitors() override { return X11Monitors(*connection_); }
    std::optional<std::pair<std::int32_t, std::int32_t>> pointerPosition() override {
        return X11PointerPosition(*connection_);
    }
    std::optional<PointerPicture> pointerPicture() override {
        return X11PointerPicture(*connection_);
    }

  private:
    std::shared_ptr<X11Connection> connection_;
    std::shared_ptr<raster::ScreenSource> screen_;
    X11KeyClaimer claimKeys_;
};

}  // namespace

std::shared_ptr<Backend> OpenX11Backend(const char* display, X11ScreenReader::Transfer transfer,
                                        X11KeyClaimer claimKeys, std::string& error,
                                        bool* unreachable) {
    std::shared_ptr<X11Connection> connection = X11Connection::Open(display, error, unreachable);
    if (!connection) {
        return nullptr;
    }
    std::shared_ptr<X11ScreenReader> reader = X11ScreenReader::Open(connection, error, transfer);
    if (!reader) {
        return nullptr;
    }
    return std::make_shared<X11Backend>(std::move(connection), std::move(reader), claimKeys);
}

}  // namespace platform
