#include "platform/backend.h"

namespace platform {
namespace {

class Null : public Backend {
  public:
    std::shared_ptr<raster::ScreenSource> screenSource() override { return nullptr; }
    platform::HWND foregroundWindow() override { return 0; }
    bool windowRect(platform::HWND, platform::RECT*) override { return false; }
    bool knowsForegroundWindow() const override { return true; }
    std::string windowQueryFailure() override { return {}; }
    ClaimOutcome claimKeys(const KeyCombination&, std::function<void()>) override {
        return {ClaimResult::NoDisplay, nullptr, {}};
    }
    bool screenInDevicePixels() const override { return false; }
};

std::shared_ptr<Backend>& Installed() {
    static std::shared_ptr<Backend> installed = NullBackend();
    return installed;
}

}  // namespace

std::shared_ptr<Backend> NullBackend() {
    static const std::shared_ptr<Backend> null = std::make_shared<Null>();
    return null;
}

void InstallBackend(std::shared_ptr<Backend> backend) {
    Installed() = backend ? std::move(backend) : NullBackend();
    raster::SetScreenSource(Installed()->screenSource());
}

const std::shared_ptr<Backend>& CurrentBackend() {
    return Installed();
}

ScopedBackend::ScopedBackend(std::shared_ptr<Backend> backend) : previous_(CurrentBackend()) {
    InstallBackend(std::move(backend));
}

ScopedBackend::~ScopedBackend() {
    InstallBackend(std::move(previous_));
}

}  // namespace platform
