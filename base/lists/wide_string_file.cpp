#include "base/lists/wide_string_file.h"

#include <algorithm>
#include <vector>

#include "base/streams/file_stream.h"
#include "base/streams/stream.h"
#include "base/streams/stream_helpers.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

// The bytes from the position to the end, or nothing (reported) when they
// are more than a list may load.
// " in <path>" for a file's stream, else nothing.
std::u16string InFile(const TStream& stream) {
  const std::string path = FilePathOf(stream);
  return path.empty() ? u"" : u" in " + Utf8ToUtf16(path);
}

std::optional<std::int64_t> BoundedRest(TStream& stream) {
  const std::int64_t bytes = stream.Remaining();
  if (bytes > kMaxWideTextBytes) {
    EngineError(u"String list text too large (" + IntToStr(bytes) + u" bytes)" + InFile(stream));
    return std::nullopt;
  }
  return bytes;
}

// The text of the units read; nothing (reported) when it holds more lines
// than a list may load.
std::optional<std::u16string> ToText(const TStream& stream, const std::vector<std::uint16_t>& units,
                                     std::int64_t count) {
  std::u16string text(static_cast<std::size_t>(count), u'\0');
  std::copy_n(units.begin(), count, text.begin());
  std::int64_t lines = 0;
  ForEachWideLine(text, [&](std::u16string_view) { ++lines; });
  if (lines > kMaxWideTextLines) {
    EngineError(u"String list text has too many lines (" + IntToStr(lines) + u", the limit is " +
                IntToStr(kMaxWideTextLines) + u")" + InFile(stream));
    return std::nullopt;
  }
  return text;
}

}  // namespace

bool WriteMarkedWideText(TStream& stream, std::u16string_view text) {
  std::vector<std::uint16_t> units;
  units.reserve(text.size() + 1);
  units.push_back(kByteOrderMark);
  units.insert(units.end(), text.begin(), text.end());
  const auto bytes = static_cast<std::int64_t>(units.size() * 2);
  return stream.Write(units.data(), bytes) == bytes;
}

std::optional<std::u16string> ReadMarkedWideText(TStream& stream) {
  const std::optional<std::int64_t> bytes = BoundedRest(stream);
  if (!bytes || *bytes < 2) return std::nullopt;
  std::uint16_t mark = 0;  // host order, as written
  if (stream.Read(&mark, 2) != 2) return std::nullopt;
  if (mark != kByteOrderMark && mark != kSwappedByteOrderMark) return std::nullopt;
  std::vector<std::uint16_t> units(static_cast<std::size_t>((*bytes - 2) / 2));
  const std::int64_t got = std::max<std::int64_t>(0, stream.Read(units.data(), static_cast<std::int64_t>(units.size()) * 2)) / 2;
  if (mark == kSwappedByteOrderMark) ReverseByteOrderInWords(units.data(), static_cast<std::int32_t>(got));
  return ToText(stream, units, got);
}

bool WriteCipheredWideText(TStream& stream, std::u16string_view text) {
  std::vector<std::uint16_t> units(text.begin(), text.end());
  for (std::uint16_t& unit : units) unit ^= kWideTextCipherKey;
  const auto count = static_cast<std::int64_t>(units.size());
  return WriteWordBuf(stream, units.data(), count) == count * 2;
}

std::optional<std::u16string> ReadCipheredWideText(TStream& stream) {
  const std::optional<std::int64_t> bytes = BoundedRest(stream);
  if (!bytes) return std::nullopt;
  std::vector<std::uint16_t> units(static_cast<std::size_t>(*bytes / 2));
  const std::int64_t got =
      std::max<std::int64_t>(0, ReadWordBuf(stream, units.data(), static_cast<std::int64_t>(units.size()))) / 2;
  for (std::int64_t i = 0; i < got; ++i) units[static_cast<std::size_t>(i)] ^= kWideTextCipherKey;
  return ToText(stream, units, got);
}

}  // namespace corvane
