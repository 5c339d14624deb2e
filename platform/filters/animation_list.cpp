#include "platform/filters/animation_list.h"

#include <limits>
#include <optional>
#include <string>

#include "base/lists/string_list.h"
#include "base/system/file_utils.h"
#include "base/text/number_text.h"

namespace corvane {

namespace {

std::optional<std::uint32_t> FrameNumber(std::string_view text) {
  const std::optional<std::int64_t> value = TryStrToInt64(text);
  if (!value || *value < 0 || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

// One "name,first,last" line; nothing when a frame does not read.
std::optional<TMeshAni> ReadRange(std::string line) {
  TMeshAni range;
  range.Name = GetToken(line, ",");
  const std::optional<std::uint32_t> first = FrameNumber(GetToken(line, ","));
  const std::optional<std::uint32_t> last = FrameNumber(GetToken(line, ","));
  if (!first || !last) return std::nullopt;
  range.FirstFrame = *first;
  range.LastFrame = *last;
  return range;
}

}  // namespace

TAnimationList ReadAnimationList(const TStrings& lines) {
  TAnimationList list;
  if (lines.Count() <= 1 || lines.Strings(0) != "AAF") return list;
  const std::optional<std::int64_t> count = TryStrToInt64(lines.Strings(1));
  if (!count || *count < 0) {
    list.BadLine = 2;
    return list;
  }
  // The count is only a promise: ranges are taken from the lines there are.
  for (std::int64_t i = 0; i < *count; ++i) {
    if (list.Animations.size() == kMaxAnimationRanges) {
      list.Cut = true;
      break;
    }
    const std::int64_t line = i + 2;
    std::optional<TMeshAni> range;
    if (line < lines.Count()) range = ReadRange(lines.Strings(static_cast<int>(line)));
    if (!range) {
      list.BadLine = static_cast<std::int32_t>(line + 1);
      break;
    }
    list.Animations.push_back(std::move(*range));
  }
  return list;
}

}  // namespace corvane
