#include "base/streams/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TMemoryStream)

TMemoryStream::TMemoryStream(std::span<const char> bytes) {
  const auto size = static_cast<std::int64_t>(bytes.size());
  if (!Reserve(size, false)) throw std::bad_alloc();
  if (size > 0) std::memcpy(data_.get(), bytes.data(), bytes.size());
  size_ = size;
}

TMemoryStream::TMemoryStream(std::span<const std::uint8_t> bytes)
    : TMemoryStream(std::span<const char>(reinterpret_cast<const char*>(bytes.data()), bytes.size())) {}

bool TMemoryStream::Reserve(std::int64_t size, bool grow) {
  if (size <= capacity_) return true;
  if (size > kMaxSize) return false;
  std::int64_t wanted = size;
  if (grow) wanted = std::min(kMaxSize, std::max({size, capacity_ * 2, std::int64_t{256}}));
  auto* bytes = static_cast<char*>(std::realloc(data_.get(), static_cast<std::size_t>(wanted)));
  if (!bytes && wanted > size) {
    // The spare room could not be had; the size asked for may still fit.
    wanted = size;
    bytes = static_cast<char*>(std::realloc(data_.get(), static_cast<std::size_t>(wanted)));
  }
  if (!bytes) return false;
  (void)data_.release();  // realloc moved or kept the block: it is bytes now
  data_.reset(bytes);
  capacity_ = wanted;
  return true;
}

bool TMemoryStream::ZeroTo(std::int64_t size) {
  if (!Reserve(size, true)) return false;
  std::memset(data_.get() + size_, 0, static_cast<std::size_t>(size - size_));
  size_ = size;
  return true;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || buffer == nullptr || position_ >= size_) return 0;
  const std::int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, data_.get() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0 || buffer == nullptr) return 0;
  const std::int64_t end = count > kMaxSize - position_ ? kMaxSize + 1 : position_ + count;
  if (end > size_) {
    if (end > kMaxSize || !Reserve(end, true)) {
      writeFellShort_ = true;
      return 0;
    }
    // Only a gap left by a seek past the end needs zeros; the rest is
    // written over at once.
    if (position_ > size_) std::memset(data_.get() + size_, 0, static_cast<std::size_t>(position_ - size_));
    size_ = end;
  }
  std::memcpy(data_.get() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, size_, offset, origin);
  return position_;
}

bool TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) return false;
  if (size > size_) {
    if (!ZeroTo(size)) return false;
  } else {
    size_ = size;
  }
  position_ = std::min(position_, size);
  return true;
}

void TMemoryStream::Clear() {
  data_.reset();
  size_ = 0;
  capacity_ = 0;
  position_ = 0;
  writeFellShort_ = false;
}

bool TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const std::int64_t size = source.Size();
  Clear();
  // Read straight into room of the source's size, never zeroed first.
  if (size < 0 || !Reserve(size, false)) return false;
  std::int64_t got = 0;
  while (got < size) {
    const std::int64_t n = source.Read(data_.get() + got, size - got);
    if (n <= 0) break;
    got += n;
  }
  size_ = got;
  return got == size;
}

bool TMemoryStream::SaveToStream(TStream& dest) const {
  return size_ == 0 || dest.Write(data_.get(), size_) == size_;
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
