#pragma once
// A backend whose parts a test chooses; the parts it leaves unset are those
// of the backend installed below it.

#include <functional>
#include <memory>

#include "platform/backend.h"

namespace testing_support {

class FakeBackend : public platform::Backend {
  public:
    explicit FakeBackend(std::shared_ptr<platform::Backend> below) : below_(std::move(below)) {}

    std::shared_ptr<raster::ScreenSource> screen;
    platform::HWND (*foreground)() = nullptr;
    bool (*rect)(platform::HWND, platform::RECT*) = nullptr;
    std::function<platform::ClaimOutcome(const platform::KeyCombination&, std::function<void()>)>
        claim;

    std::shared_ptr<raster::ScreenSource> screenSource() override {
        return screen ? screen : below_->screenSource();
    }
    platform::HWND foregroundWindow() override {
        return foreground ? foreground() : below_->foregroundWindow();
    }
    bool windowRect(platform::HWND window, platform::RECT* out) override {
        return foreground ? rect(window, out) : below_->windowRect(window, out);
    }
    bool knowsForegroundWindow() const override {
        return foreground || below_->knowsForegroundWindow();
    }
    std::string windowQueryFailure() override {
        return foreground ? std::string() : below_->windowQueryFailure();
    }
    platform::ClaimOutcome claimKeys(const platform::KeyCombination& keys,
                                     std::function<void()> onPress) override {
        return claim ? claim(keys, std::move(onPress))
                     : below_->claimKeys(keys, std::move(onPress));
    }
    bool screenInDevicePixels() const override { return below_->screenInDevicePixels(); }

  private:
    std::shared_ptr<platform::Backend> below_;
};

// Installs a FakeBackend over the installed backend for its lifetime;
// `setup` chooses its parts before it is installed.
class ScopedFakeBackend {
  public:
    explicit ScopedFakeBackend(const std::function<void(FakeBackend&)>& setup)
        : fake_(MakeFake(setup)), installed_(fake_) {}
    FakeBackend& operator*() { return *fake_; }
    FakeBackend* operator->() { return fake_.get(); }

  private:
    static std::shared_ptr<FakeBackend> MakeFake(const std::function<void(FakeBackend&)>& setup) {
        auto fake = std::make_shared<FakeBackend>(platform::CurrentBackend());
        setup(*fake);
        return fake;
    }
    std::shared_ptr<FakeBackend> fake_;
    platform::ScopedBackend installed_;
};

}  // namespace testing_support
