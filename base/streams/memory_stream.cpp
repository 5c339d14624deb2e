#include "base/streams/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TMemoryStream)

TMemoryStream::TMemoryStream(std::span<const char> bytes) : data_(bytes.begin(), bytes.end()) {}

TMemoryStream::TMemoryStream(std::span<const std::uint8_t> bytes) : data_(bytes.begin(), bytes.end()) {}

bool TMemoryStream::GrowTo(std::int64_t size) {
  if (size <= Size()) return true;
  if (size > kMaxSize) return false;
  try {
    // resize() keeps the vector's geometric capacity growth, so a run of
    // small writes at the end costs amortised constant time.
    data_.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || buffer == nullptr || position_ >= Size()) return 0;
  const std::int64_t n = std::min(count, Size() - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0 || buffer == nullptr) return 0;
  if (count > kMaxSize - position_ || !GrowTo(position_ + count)) return 0;
  std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == soCurrent) base = position_;
  else if (origin == soEnd) base = Size();
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target)) {
    target = offset > 0 ? std::numeric_limits<std::int64_t>::max() : 0;
  }
  position_ = std::max<std::int64_t>(0, target);
  return position_;
}

bool TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) return false;
  if (size > Size()) {
    if (!GrowTo(size)) return false;
  } else {
    data_.resize(static_cast<std::size_t>(size));
  }
  position_ = std::min(position_, size);
  return true;
}

void TMemoryStream::Clear() {
  std::vector<char>().swap(data_);
  position_ = 0;
}

bool TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const std::int64_t size = source.Size();
  Clear();
  if (!SetSize(size)) return false;
  std::int64_t got = 0;
  while (got < size) {
    const std::int64_t n = source.Read(data_.data() + got, size - got);
    if (n <= 0) break;
    got += n;
  }
  data_.resize(static_cast<std::size_t>(got));
  return got == size;
}

bool TMemoryStream::SaveToStream(TStream& dest) const {
  const auto size = static_cast<std::int64_t>(data_.size());
  return size == 0 || dest.Write(data_.data(), size) == size;
}

bool TMemoryStream::LoadFromFile(const std::string& path, std::string* error) {
  std::unique_ptr<TFileStream> file = TFileStream::Open(path, fmOpenRead | fmShareDenyWrite, error);
  if (!file) return false;
  if (LoadFromStream(*file)) return true;
  if (error) *error = "the file could not be read whole";
  return false;
}

bool TMemoryStream::SaveToFile(const std::string& path, std::string* error) const {
  return SaveFileAtomically(path, [this](TStream& file) { return SaveToStream(file); }, error);
}

}  // namespace corvane
