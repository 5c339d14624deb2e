// A set of up to 32 enumeration elements held as a 32-bit mask, element i at
// bit i: the stored form of every set property and of the shift state.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace corvane {

template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> elements) {
    for (E e : elements) Include(e);
  }
  static constexpr TSet FromMask(std::uint32_t mask) {
    TSet s;
    s.mask_ = mask;
    return s;
  }

  constexpr std::uint32_t Mask() const { return mask_; }
  constexpr bool Empty() const { return mask_ == 0; }
  constexpr bool Contains(E e) const { return InRange(e) && (mask_ & Bit(e)) != 0; }
  constexpr TSet& Include(E e) {
    if (InRange(e)) mask_ |= Bit(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    if (InRange(e)) mask_ &= ~Bit(e);
    return *this;
  }
  constexpr TSet& Set(E e, bool on) { return on ? Include(e) : Exclude(e); }

  constexpr TSet operator+(TSet o) const { return FromMask(mask_ | o.mask_); }
  constexpr TSet operator-(TSet o) const { return FromMask(mask_ & ~o.mask_); }
  constexpr TSet operator*(TSet o) const { return FromMask(mask_ & o.mask_); }
  constexpr TSet& operator+=(TSet o) { mask_ |= o.mask_; return *this; }
  constexpr TSet& operator-=(TSet o) { mask_ &= ~o.mask_; return *this; }
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr bool InRange(E e) {
    return static_cast<long long>(e) >= 0 && static_cast<long long>(e) < 32;
  }
  static constexpr std::uint32_t Bit(E e) { return std::uint32_t{1} << static_cast<unsigned>(e); }
  std::uint32_t mask_ = 0;
};

}  // namespace corvane
