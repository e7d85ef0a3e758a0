#include "support/fake_hot_keys.h"

namespace testing_support {

FakeHotKeys* FakeHotKeys::current_ = nullptr;

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

FakeHotKeys::FakeHotKeys() {
    current_ = this;
    controls::VBHotKey::SetClaimer(&FakeHotKeys::Claim);
}

FakeHotKeys::~FakeHotKeys() {
    controls::VBHotKey::SetClaimer(nullptr);
    current_ = nullptr;
}

platform::ClaimOutcome FakeHotKeys::Claim(std::uint32_t keysym, std::uint16_t modifiers,
                                          std::function<void()> onPress) {
    FakeHotKeys* self = current_;
    const auto key = std::make_pair(keysym, modifiers);
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
