#include "base/streams/read_ahead_stream.h"

#include <algorithm>
#include <cstring>

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TReadAheadStream)

TReadAheadStream::TReadAheadStream(TStream& source)
    : source_(source), sourcePosition_(source.Position()), position_(sourcePosition_) {}

TReadAheadStream::~TReadAheadStream() {
  if (sourcePosition_ != position_) source_.SetPosition(position_);
}

std::int64_t TReadAheadStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || buffer == nullptr) return 0;
  auto* out = static_cast<char*>(buffer);
  std::int64_t total = 0;
  while (total < count) {
    const std::int64_t offset = position_ - blockStart_;
    if (offset >= 0 && offset < blockLength_) {
      const std::int64_t n = std::min(count - total, blockLength_ - offset);
      std::memcpy(out + total, block_.data() + offset, static_cast<std::size_t>(n));
      total += n;
      position_ += n;
      continue;
    }
    if (sourcePosition_ != position_) sourcePosition_ = source_.Seek(position_, soBeginning);
    if (sourcePosition_ != position_) break;
    // A request as large as a block goes straight through.
    if (count - total >= kBlockSize) {
      const std::int64_t n = source_.Read(out + total, count - total);
      if (n <= 0) break;
      total += n;
      position_ += n;
      sourcePosition_ = position_;
      continue;
    }
    if (block_.empty()) block_.resize(static_cast<std::size_t>(kBlockSize));
    const std::int64_t n = source_.Read(block_.data(), kBlockSize);
    blockStart_ = position_;
    blockLength_ = std::max<std::int64_t>(n, 0);
    sourcePosition_ = position_ + blockLength_;
    if (n <= 0) break;
  }
  return total;
}

std::int64_t TReadAheadStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin == soBeginning) {
    position_ = std::max<std::int64_t>(0, offset);
  } else if (origin == soCurrent) {
    std::int64_t target = 0;
    if (__builtin_add_overflow(position_, offset, &target)) target = offset > 0 ? INT64_MAX : 0;
    position_ = std::max<std::int64_t>(0, target);
  } else {
    // The source knows its end: let it place the position.
    position_ = sourcePosition_ = source_.Seek(offset, soEnd);
  }
  return position_;
}

}  // namespace corvane
