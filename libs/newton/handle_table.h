// The table behind every handle the library gives out: a slot index, a
// generation number and the kind of object packed into 32 bits, so that a
// caller-held value (a script-writable property, say) can never reach a
// destroyed object or one of another kind.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "libs/newton/api/newton_api.h"

namespace newton {

enum class THandleKind : std::uint32_t { kWorld = 0, kCollision = 1, kBody = 2, kJoint = 3 };

// Layout: bits 0-19 the slot index + 1, bits 20-28 the generation (1-511),
// bits 29-30 the kind; bit 31 stays clear so handles are positive as signed
// 32-bit values.
inline constexpr std::uint32_t kSlotBits = NEWTON_HANDLE_SLOT_BITS;
inline constexpr std::uint32_t kGenerationBits = 9;
inline constexpr std::uint32_t kMaxSlots = (1u << kSlotBits) - 1;
inline constexpr std::uint32_t kMaxGeneration = (1u << kGenerationBits) - 1;

template <typename T, THandleKind Kind>
class THandleTable {
 public:
  // Takes the object and answers its handle; 0 when every slot is spent.
  std::uint32_t Add(std::unique_ptr<T> object) {
    std::uint32_t index;
    if (!free_.empty()) {
      index = free_.back();
      free_.pop_back();
    } else {
      if (slots_.size() >= kMaxSlots) return 0;
      index = static_cast<std::uint32_t>(slots_.size());
      slots_.emplace_back();
    }
    TSlot& slot = slots_[index];
    ++slot.generation;
    slot.object = std::move(object);
    return Encode(index, slot.generation);
  }

  T* Find(std::uint32_t handle) const {
    const TSlot* slot = SlotOf(handle);
    return slot ? slot->object.get() : nullptr;
  }

  // Hands the object back and makes its handle stale; null for a bad handle.
  std::unique_ptr<T> Remove(std::uint32_t handle) {
    TSlot* slot = const_cast<TSlot*>(SlotOf(handle));
    if (!slot) return nullptr;
    std::unique_ptr<T> object = std::move(slot->object);
    const auto index = static_cast<std::uint32_t>(slot - slots_.data());
    // A slot whose generations are used up is retired rather than wrapped,
    // so an old handle can never match a later object.
    if (slot->generation < kMaxGeneration) free_.push_back(index);
    return object;
  }

 private:
  struct TSlot {
    std::unique_ptr<T> object;
    std::uint32_t generation = 0;
  };

  static std::uint32_t Encode(std::uint32_t index, std::uint32_t generation) {
    return (static_cast<std::uint32_t>(Kind) << (kSlotBits + kGenerationBits)) | (generation << kSlotBits) |
           (index + 1);
  }

  const TSlot* SlotOf(std::uint32_t handle) const {
    if (handle >> 31 != 0) return nullptr;
    if (handle >> (kSlotBits + kGenerationBits) != static_cast<std::uint32_t>(Kind)) return nullptr;
    const std::uint32_t slotPlusOne = handle & kMaxSlots;
    const std::uint32_t generation = (handle >> kSlotBits) & kMaxGeneration;
    if (slotPlusOne == 0 || slotPlusOne > slots_.size()) return nullptr;
    const TSlot& slot = slots_[slotPlusOne - 1];
    if (!slot.object || slot.generation != generation) return nullptr;
    return &slot;
  }

  std::vector<TSlot> slots_;
  std::vector<std::uint32_t> free_;
};

}  // namespace newton
