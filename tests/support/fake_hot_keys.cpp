#include "support/fake_hot_keys.h"

#include "platform/x11/hot_key_masks.h"

namespace testing_support {

class FakeHotKeys::Grab : public platform::KeyGrab {
  public:
    Grab(FakeHotKeys* owner, std::pair<std::uint32_t, std::uint16_t> key)
        : owner_(owner), key_(key) {}
    ~Grab() override {
        owner_->held_.erase(key_);
        owner_->releases.push_back(key_.second);
    }
    platform::ClaimResult State() const override {
        auto lost = owner_->lost.find(key_);
        return lost == owner_->lost.end() ? platform::ClaimResult::Claimed : lost->second;
    }

  private:
    FakeHotKeys* owner_;
    std::pair<std::uint32_t, std::uint16_t> key_;
};

FakeHotKeys::FakeHotKeys()
    : backend_([this](FakeBackend& fake) {
          fake.claim = [this](const platform::KeyCombination& keys, std::function<void()> onPress) {
              return claim(keys, std::move(onPress));
          };
      }) {}

FakeHotKeys::~FakeHotKeys() = default;

platform::ClaimOutcome FakeHotKeys::claim(const platform::KeyCombination& keys,
                                          std::function<void()> onPress) {
    FakeHotKeys* self = this;
    const std::uint32_t keysym = platform::KeysymForVirtualKey(keys.key);
    if (keysym == 0) {
        return {platform::ClaimResult::NoSuchKey, nullptr, {}};
    }
    const auto key = std::make_pair(
        keysym, platform::ModifierMask(keys.alt, keys.shift, keys.control, keys.super));
    self->claims.push_back(key);
    platform::ClaimOutcome outcome;
    if (self->heldByAnother.count(key) || self->held_.count(key)) {
        outcome.result = platform::ClaimResult::HeldByAnother;
        return outcome;
    }
    self->held_[key] = std::move(onPress);
    outcome.result = platform::ClaimResult::Claimed;
    outcome.grab = std::make_unique<Grab>(self, key);
    return outcome;
}

bool FakeHotKeys::press(std::uint32_t keysym, std::uint16_t modifiers) {
    auto it = held_.find({keysym, modifiers});
    if (it == held_.end() || lost.count(it->first)) {
        return false;
    }
    std::function<void()> onPress = it->second;
    onPress();
    return true;
}

bool FakeHotKeys::holds(std::uint32_t keysym, std::uint16_t modifiers) const {
    return held_.count({keysym, modifiers}) != 0;
}

}  // namespace testing_support
