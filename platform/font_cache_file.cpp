#include "platform/font_cache_file.h"

#include <cstring>

#include "base/streams/stream.h"
#include "base/streams/stream_helpers.h"

namespace corvane {

namespace {

constexpr char kSignature[] = {'F', 'O', 'N', 'T', 'B', 'I', 'N'};
constexpr std::int64_t kEntrySize = 20;

bool IsPowerOfTwo(std::uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

bool IsFraction(float value) { return value >= 0.0f && value <= 1.0f; }  // false for NaN

float SingleAt(const std::uint8_t* bytes) {
  std::uint32_t bits = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                       static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::uint32_t LongwordAt(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

bool ReadFontCache(TStream& stream, std::int32_t maxSide, TFontCache& cache) {
  char signature[sizeof kSignature];
  if (ReadBuf(stream, signature, sizeof signature) != sizeof signature ||
      std::memcmp(signature, kSignature, sizeof signature) != 0)
    return false;
  if (stream.Remaining() < 12) return false;
  const std::uint32_t width = ReadLongword(stream);
  const std::uint32_t height = ReadLongword(stream);
  const std::uint32_t count = ReadLongword(stream);
  if (width != height || !IsPowerOfTwo(width) || width < static_cast<std::uint32_t>(kFirstAtlasSide) ||
      width > static_cast<std::uint32_t>(maxSide))
    return false;
  if (count == 0 || count > static_cast<std::uint32_t>(kMaxGlyphEntries)) return false;
  const std::int64_t tableBytes = kEntrySize * count;
  if (stream.Remaining() < tableBytes + 4) return false;

  std::vector<std::uint8_t> table(static_cast<std::size_t>(tableBytes));
  if (ReadBuf(stream, table.data(), tableBytes) != tableBytes) return false;
  std::vector<TCharCoord> chars(count);
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const std::uint8_t* entry = table.data() + i * kEntrySize;
    TCharCoord& c = chars[i];
    c.Used = LongwordAt(entry);
    c.Left = SingleAt(entry + 4);
    c.Top = SingleAt(entry + 8);
    c.Right = SingleAt(entry + 12);
    c.Bottom = SingleAt(entry + 16);
    if (!IsFraction(c.Left) || !IsFraction(c.Top) || !IsFraction(c.Right) || !IsFraction(c.Bottom)) return false;
  }
  if (ReadLongword(stream) != width * height * 4) return false;
  cache.Side = static_cast<std::int32_t>(width);
  cache.Chars = std::move(chars);
  return true;
}

void WriteFontCache(TStream& stream, const TFontCache& cache) {
  stream.Write(kSignature, sizeof kSignature);
  const auto side = static_cast<std::uint32_t>(cache.Side);
  WriteLongword(stream, side);
  WriteLongword(stream, side);
  WriteLongword(stream, static_cast<std::uint32_t>(cache.Chars.size()));
  for (const TCharCoord& c : cache.Chars) {
    WriteLongword(stream, c.Used);
    WriteSingle(stream, c.Left);
    WriteSingle(stream, c.Top);
    WriteSingle(stream, c.Right);
    WriteSingle(stream, c.Bottom);
  }
  WriteLongword(stream, side * side * 4);
}

}  // namespace corvane
