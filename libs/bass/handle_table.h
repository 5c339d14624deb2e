// The checked table behind every handle the library gives out. A handle is
// the slot's generation in the high 16 bits and its index + 1 in the low
// 16, so 0 is never a handle and a freed slot's old handle stops matching
// as soon as the slot is freed. Freed slots are reused oldest first, and
// the generations outlive BASS_Free, so a handle from before a restart
// finds nothing.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace libbass {

template <class T>
class HandleTable {
 public:
  static constexpr std::uint32_t kMaxSlots = 0xFFFF;

  // The new entry's handle; 0 when the table is full.
  std::uint32_t Add(T value) {
    std::uint32_t index;
    if (!free_.empty()) {
      index = free_.front();
      free_.pop_front();
    } else if (slots_.size() < kMaxSlots) {
      index = static_cast<std::uint32_t>(slots_.size());
      slots_.emplace_back();
    } else {
      return 0;
    }
    Slot& slot = slots_[index];
    slot.value.emplace(std::move(value));
    return (std::uint32_t{slot.generation} << 16) | (index + 1);
  }

  // The live entry of the handle, nullptr for 0, a stale or an unknown one.
  T* Find(std::uint32_t handle) {
    const std::uint32_t index = (handle & 0xFFFF) - 1;  // wraps for 0
    if (index >= slots_.size()) return nullptr;
    Slot& slot = slots_[index];
    if (!slot.value || slot.generation != handle >> 16) return nullptr;
    return &*slot.value;
  }

  // Takes the entry out (for the caller to destroy where it likes).
  std::optional<T> Remove(std::uint32_t handle) {
    if (!Find(handle)) return std::nullopt;
    const std::uint32_t index = (handle & 0xFFFF) - 1;
    std::optional<T> taken = std::move(slots_[index].value);
    Release(index);
    return taken;
  }

  // Every live entry with its handle, in slot order.
  template <class F>
  void ForEach(F&& visit) {
    for (std::uint32_t i = 0; i < slots_.size(); ++i) {
      Slot& slot = slots_[i];
      if (slot.value) visit((std::uint32_t{slot.generation} << 16) | (i + 1), *slot.value);
    }
  }

  // Empties the table, handing every entry over.
  std::vector<T> TakeAll() {
    std::vector<T> all;
    for (std::uint32_t i = 0; i < slots_.size(); ++i) {
      if (!slots_[i].value) continue;
      all.push_back(std::move(*slots_[i].value));
      Release(i);
    }
    return all;
  }

 private:
  struct Slot {
    std::uint16_t generation = 1;
    std::optional<T> value;
  };

  void Release(std::uint32_t index) {
    Slot& slot = slots_[index];
    slot.value.reset();
    if (++slot.generation == 0) slot.generation = 1;
    free_.push_back(index);
  }

  std::vector<Slot> slots_;
  std::deque<std::uint32_t> free_;
};

}  // namespace libbass
