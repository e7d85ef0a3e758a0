#pragma once
// A table of objects addressed by 32-bit handles. A handle carries the slot's
// index and a generation; deleting bumps the generation, so a stale handle
// never reaches the slot's next occupant. A slot whose generation is used up
// is retired for good instead of wrapping around.

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace raster {

template <typename T>
class HandleTable {
  public:
    static constexpr int kIndexBits = 20;
    static constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;
    static constexpr std::uint32_t kMaxGeneration = (1u << (32 - kIndexBits)) - 1;

    // Returns 0 when the table is full.
    std::uint32_t insert(std::unique_ptr<T> object) {
        std::uint32_t index;
        if (!free_.empty()) {
            index = free_.front();
            free_.pop_front();
        } else if (slots_.size() < kIndexMask) {
            index = static_cast<std::uint32_t>(slots_.size());
            slots_.push_back(Slot{});
        } else {
            return 0;
        }
        Slot& slot = slots_[index];
        slot.object = std::move(object);
        ++live_;
        return (slot.generation << kIndexBits) | (index + 1);
    }

    T* find(std::uint32_t handle) const {
        const Slot* slot = slotFor(handle);
        return slot ? slot->object.get() : nullptr;
    }

    bool erase(std::uint32_t handle) {
        Slot* slot = const_cast<Slot*>(slotFor(handle));
        if (!slot) {
            return false;
        }
        slot->object.reset();
        --live_;
        if (slot->generation < kMaxGeneration) {
            ++slot->generation;
            free_.push_back((handle & kIndexMask) - 1);
        }
        return true;
    }

    std::size_t live() const { return live_; }

  private:
    struct Slot {
        std::uint32_t generation = 1;
        std::unique_ptr<T> object;
    };

    const Slot* slotFor(std::uint32_t handle) const {
        const std::uint32_t index = handle & kIndexMask;
        if (index == 0 || index > slots_.size()) {
            return nullptr;
        }
        const Slot& slot = slots_[index - 1];
        if (!slot.object || slot.generation != (handle >> kIndexBits)) {
            return nullptr;
        }
        return &slot;
    }

    std::vector<Slot> slots_;
    std::deque<std::uint32_t> free_;  // oldest first, so reuse is spread out
    std::size_t live_ = 0;
};

}  // namespace raster
