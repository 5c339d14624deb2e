// TStream: a sequence of bytes with a position. Every loader and writer of
// the engine works on one; reads and writes return the bytes moved and never
// throw for end of data.
#pragma once

#include <cstdint>

#include "base/reflection/object.h"

namespace corvane {

enum TSeekOrigin : std::uint8_t { soBeginning, soCurrent, soEnd };

// Where a seek lands: the offset from its origin (the start, the current
// position or the end), saturated rather than wrapped for a hostile offset
// near the limits, and never before the start.
inline std::int64_t SeekTarget(std::int64_t current, std::int64_t size, std::int64_t offset, TSeekOrigin origin) {
  const std::int64_t base = origin == soCurrent ? current : origin == soEnd ? size : 0;
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target)) target = offset > 0 ? INT64_MAX : 0;
  return target < 0 ? 0 : target;
}

class TStream : public TObject {
  CORVANE_CLASS(TStream, TObject)
  // Up to count bytes; the number actually read (0 at the end, or for a
  // count below 1).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // The number of bytes actually written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // The new position; positions before 0 clamp to 0.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size() = 0;
  // Grows (with zero bytes) or truncates; false when the stream cannot.
  virtual bool SetSize(std::int64_t size) = 0;

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
  // Bytes between the position and the end (0 when past it).
  std::int64_t Remaining();
  // Copies count bytes from source's position (count 0: all of source from
  // its start); the number copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

}  // namespace corvane
