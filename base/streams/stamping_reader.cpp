#include "base/streams/stamping_reader.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "base/reflection/class_builder.h"
#include "base/streams/resource_man.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStampingReader)

TStampingReader::TStampingReader(TResourceMan& resMan, const std::string& name, TStream& source)
    : source_(source), exact_(resMan.FileStamp(name)), position_(source.Position()) {
  gap_ = position_ != 0;
}

std::int64_t TStampingReader::Read(void* buffer, std::int64_t count) {
  const std::int64_t got = source_.Read(buffer, count);
  if (got <= 0) return got;
  const std::int64_t end = position_ + got;
  if (!gap_ && digested_ >= position_ && digested_ < end) {
    const auto* bytes = static_cast<const char*>(buffer) + (digested_ - position_);
    digest_.Update(std::string_view(bytes, static_cast<std::size_t>(end - digested_)));
    digested_ = end;
  }
  position_ = end;
  return got;
}

std::int64_t TStampingReader::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = source_.Seek(offset, origin);
  if (position_ > digested_) gap_ = true;
  return position_;
}

std::optional<TSourceStamp> TStampingReader::Stamp() {
  const std::int64_t size = source_.Size();
  std::optional<TSourceStamp> read;
  if (!gap_ && size >= digested_ && size <= kMaxDigestedSourceBytes) {
    source_.SetPosition(digested_);
    std::array<char, 65536> block;
    while (digested_ < size) {
      const std::int64_t got = source_.Read(block.data(), std::min<std::int64_t>(block.size(), size - digested_));
      if (got <= 0) break;
      digest_.Update(std::string_view(block.data(), static_cast<std::size_t>(got)));
      digested_ += got;
    }
    if (digested_ == size) read = TSourceStamp{TFileStamp{size, 0}, digest_.Final()};
  }
  return MakeSourceStamp(exact_, read);
}

}  // namespace corvane
