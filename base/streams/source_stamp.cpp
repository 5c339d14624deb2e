#include "base/streams/source_stamp.h"

#include <array>
#include <memory>
#include <string_view>

#include "base/streams/resource_man.h"
#include "base/streams/stream.h"

namespace corvane {

namespace {

constexpr std::string_view kMark = "CVSOURCE";
constexpr std::int64_t kStampBytes = kSourceStampBytes;

// The size and digest of the stream's bytes from its start; nothing when it
// is larger than the limit or cannot be read whole.
std::optional<TSourceStamp> DigestOf(TStream& stream) {
  const std::int64_t size = stream.Size();
  if (size < 0 || size > kMaxDigestedSourceBytes) return std::nullopt;
  stream.SetPosition(0);
  TContentDigest digest;
  std::array<char, 65536> block;
  std::int64_t read = 0;
  while (read < size) {
    const std::int64_t got = stream.Read(block.data(), static_cast<std::int64_t>(block.size()));
    if (got <= 0) return std::nullopt;
    digest.Update(std::string_view(block.data(), static_cast<std::size_t>(got)));
    read += got;
  }
  TSourceStamp stamp;
  stamp.File.Size = read;
  stamp.Digest = digest.Final();
  return stamp;
}

std::optional<TSourceStamp> ReadStamp(TResourceMan& resMan, const std::string& derived) {
  const std::unique_ptr<TStream> stream = resMan.CreateStream(derived, 0);
  if (!stream || stream->Size() < kStampBytes) return std::nullopt;
  stream->SetPosition(stream->Size() - kStampBytes);
  std::array<char, kStampBytes> bytes;
  if (stream->Read(bytes.data(), kStampBytes) != kStampBytes) return std::nullopt;
  if (std::string_view(bytes.data() + kStampBytes - kMark.size(), kMark.size()) != kMark) return std::nullopt;
  const auto word = [&](std::size_t at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) value |= std::uint64_t{static_cast<std::uint8_t>(bytes[at + i])} << (8 * i);
    return static_cast<std::int64_t>(value);
  };
  TSourceStamp stamp;
  stamp.File.Time = word(0);
  stamp.File.Size = word(8);
  for (std::size_t i = 0; i < stamp.Digest.size(); ++i) stamp.Digest[i] = static_cast<std::uint8_t>(bytes[16 + i]);
  return stamp;
}

std::optional<TSourceStamp> DigestOf(TResourceMan& resMan, const std::string& source) {
  const std::unique_ptr<TStream> stream = resMan.CreateStream(source, 0);
  if (!stream) return std::nullopt;
  return DigestOf(*stream);
}

}  // namespace

std::optional<TSourceStamp> MakeSourceStamp(std::optional<TFileStamp> exact, std::optional<TSourceStamp> stamp) {
  if (!stamp && exact && exact->Size > kMaxDigestedSourceBytes) stamp = TSourceStamp{};
  if (!stamp) return std::nullopt;
  if (exact) stamp->File.Time = exact->Time;
  if (exact && exact->Size > kMaxDigestedSourceBytes) stamp->File.Size = exact->Size;
  return stamp;
}

std::optional<TSourceStamp> StampOfSource(TResourceMan& resMan, const std::string& source) {
  // The time first: a change after it is seen at the next look as another
  // time, and its digest is then compared.
  const std::optional<TFileStamp> exact = resMan.FileStamp(source);
  return MakeSourceStamp(exact, DigestOf(resMan, source));
}

bool MadeFromSource(TResourceMan& resMan, const std::string& derived, const std::string& source) {
  const std::optional<TSourceStamp> made = ReadStamp(resMan, derived);
  if (!made) return false;
  if (const std::optional<TFileStamp> now = resMan.FileStamp(source)) {
    if (now->Size != made->File.Size) return false;
    if (now->Time != 0 && now->Time == made->File.Time) return true;
  }
  if (made->File.Size > kMaxDigestedSourceBytes) return false;
  const std::optional<TSourceStamp> now = DigestOf(resMan, source);
  return now && now->File.Size == made->File.Size && now->Digest == made->Digest;
}

bool WriteSourceStamp(TStream& stream, const TSourceStamp& stamp) {
  std::array<char, kStampBytes> bytes{};
  const auto put = [&](std::size_t at, std::int64_t value) {
    for (std::size_t i = 0; i < 8; ++i) bytes[at + i] = static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * i));
  };
  put(0, stamp.File.Time);
  put(8, stamp.File.Size);
  for (std::size_t i = 0; i < stamp.Digest.size(); ++i) bytes[16 + i] = static_cast<char>(stamp.Digest[i]);
  for (std::size_t i = 0; i < kMark.size(); ++i) bytes[48 + i] = kMark[i];
  return stream.Write(bytes.data(), kStampBytes) == kStampBytes;
}

}  // namespace corvane
