// TMemoryStream: a stream over bytes it owns. Loaders read whole files into
// one before parsing, and writers build a file in one before storing it in
// a single atomic step.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "base/streams/stream.h"

namespace corvane {

class TMemoryStream : public TStream {
  CORVANE_CLASS(TMemoryStream, TStream)

  // No memory stream grows beyond this; larger sizes are refused as if the
  // memory had run out (a hostile seek then write must fail, not abort).
  static constexpr std::int64_t kMaxSize = std::int64_t{1} << 40;

  TMemoryStream() = default;
  // A copy of the bytes, positioned at the start.
  explicit TMemoryStream(std::span<const char> bytes);
  explicit TMemoryStream(std::span<const std::uint8_t> bytes);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  // Writing past the end grows the stream; a gap left by an earlier seek
  // past the end reads as zero bytes. Writes nothing when the memory cannot
  // grow, and the stream remembers it.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Whether a write wrote nothing for want of memory since the stream was
  // made or cleared: what it holds is not all that was written to it.
  bool WriteFellShort() const { return writeFellShort_; }
  // Positions past the end are allowed.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return size_; }
  // A position past the new end moves back to it.
  bool SetSize(std::int64_t size) override;

  // The bytes, Size() of them (may be null when empty). Valid until the
  // next call that changes the size.
  char* Memory() { return data_.get(); }
  const char* Memory() const { return data_.get(); }

  // Empty, at position 0, memory released.
  void Clear();
  // Replaces the content with all of source, read from its start; the
  // position goes to 0. False when source did not deliver all its bytes
  // (what it delivered is kept) or the memory ran out (the stream is empty).
  bool LoadFromStream(TStream& source);
  // Writes the whole content (whatever the position) at dest's position;
  // false when dest took fewer bytes.
  bool SaveToStream(TStream& dest) const;
  // False (reason in *error) when the file cannot be read whole.
  bool LoadFromFile(const std::string& path, std::string* error = nullptr);
  // Stores through a create-mode file stream: the file is replaced whole
  // or left untouched. False (reason in *error) when it was not replaced.
  bool SaveToFile(const std::string& path, std::string* error = nullptr) const;

 private:
  struct TFreeBytes {
    void operator()(char* bytes) const { std::free(bytes); }
  };

  // Room for at least size bytes, the content kept; new room is left
  // uninitialised, since a write fills it at once. grow: room for
  // further writes at the end, so that a run of small writes costs
  // amortised constant time.
  bool Reserve(std::int64_t size, bool grow);
  // Grows the content to size bytes (at least the present size), the new
  // ones zero.
  bool ZeroTo(std::int64_t size);

  // Allocated by malloc and grown by realloc: a large block then moves by
  // remapping its pages rather than copying them, and nothing is touched
  // before it is written.
  std::unique_ptr<char, TFreeBytes> data_;
  std::int64_t size_ = 0;
  std::int64_t capacity_ = 0;
  std::int64_t position_ = 0;
  bool writeFellShort_ = false;
};

}  // namespace corvane
