#pragma once
// A stand-in for the system's key grabs: records what is claimed and
// released, refuses chosen combinations and presses keys on demand.

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "platform/controls/vb_hot_key.h"
#include "support/fake_backend.h"

namespace testing_support {

class FakeHotKeys {
  public:
    // Installs itself as the backend's key claimer for its lifetime.
    FakeHotKeys();
    ~FakeHotKeys();
    FakeHotKeys(const FakeHotKeys&) = delete;
    FakeHotKeys& operator=(const FakeHotKeys&) = delete;

    // Combinations (keysym, modifier bits) that another program holds.
    std::set<std::pair<std::uint32_t, std::uint16_t>> heldByAnother;

    // Held combinations that a keyboard change took away, with the outcome
    // of claiming them again.
    std::map<std::pair<std::uint32_t, std::uint16_t>, platform::ClaimResult> lost;

    // Every claim asked for, in order.
    std::vector<std::pair<std::uint32_t, std::uint16_t>> claims;
    // Modifier bits of every grab released, in order.
    std::vector<std::uint16_t> releases;

    // Presses the combination; false when nothing holds it.
    bool press(std::uint32_t keysym, std::uint16_t modifiers);
    bool holds(std::uint32_t keysym, std::uint16_t modifiers) const;

  private:
    class Grab;
    // Claims the combination under its X11 keysym and modifier bits.
    platform::ClaimOutcome claim(const platform::KeyCombination& keys,
                                 std::function<void()> onPress);
    std::map<std::pair<std::uint32_t, std::uint16_t>, std::function<void()>> held_;
    ScopedFakeBackend backend_;
};

}  // namespace testing_support
