#include "base/streams/stream.h"

#include <algorithm>
#include <vector>

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStream)

std::int64_t TStream::Remaining() {
  const std::int64_t position = Position();
  return std::max<std::int64_t>(0, Size() - position);
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 64 * 1024)));
  std::int64_t copied = 0;
  while (copied < count) {
    const std::int64_t chunk = std::min<std::int64_t>(count - copied, static_cast<std::int64_t>(buffer.size()));
    const std::int64_t got = source.Read(buffer.data(), chunk);
    if (got <= 0) break;
    const std::int64_t put = Write(buffer.data(), got);
    copied += put;
    if (put < got) break;
  }
  return copied;
}

}  // namespace corvane
