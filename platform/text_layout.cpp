#include "platform/text_layout.h"

#include <algorithm>

#include "base/geometry/rect_math.h"

namespace corvane {

namespace {

// Words end at a space, comma or full stop, judged by the low byte of the
// UTF-16 unit.
bool EndsWord(char16_t c) {
  const auto low = static_cast<char>(c & 0xFF);
  return low == ' ' || low == ',' || low == '.';
}

std::size_t WordLength(std::u16string_view rest) {
  for (std::size_t i = 0; i < rest.size(); ++i)
    if (EndsWord(rest[i])) return i + 1;
  return rest.size();
}

void AddLine(TTextCalcArray& lines, std::u16string_view text) { lines.push_back({TRect{}, text}); }

// The text split at CR, LF and CR LF; a final break opens no line.
void SplitAtBreaks(TTextCalcArray& lines, std::u16string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of(u"\r\n", pos);
    if (end == std::u16string_view::npos) {
      AddLine(lines, text.substr(pos));
      return;
    }
    AddLine(lines, text.substr(pos, end - pos));
    pos = end + 1;
    if (text[end] == u'\r' && pos < text.size() && text[pos] == u'\n') ++pos;
  }
}

}  // namespace

void TextCalc(TTextCalcArray& lines, std::int32_t& calcStrLen, TTextFormats formats, std::u16string_view text,
              TRect& rect, const TCharSizeCallback& callback, float clipWidth, TFont* font) {
  lines.clear();
  if (!callback) return;
  const float width = RectWidth(rect);
  auto measure = [&](std::u16string_view s) { return callback(calcStrLen, clipWidth, s, font); };

  // Lines.
  if (!formats.Contains(tfWordWrap)) {
    SplitAtBreaks(lines, text);
  } else if (measure(text).x <= width) {
    AddLine(lines, text);
  } else {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = start;
      float lineWidth = 0;
      do {
        end += WordLength(text.substr(end));
        lineWidth = measure(text.substr(start, end - start)).x;
      } while (lineWidth < width && end < text.size());
      AddLine(lines, text.substr(start, end - start));
      start = end;
    }
  }

  // Measuring.
  float blockWidth = 0, blockHeight = 0;
  for (TTextCalc& line : lines) {
    const TPoint size = measure(line.Text);
    line.Rect = {0, 0, size.x, size.y};
    blockWidth = std::max(blockWidth, size.x);
    blockHeight += size.y;
  }

  // The block in the rectangle.
  if (formats.Contains(tfRight)) {
    rect.left = rect.right - blockWidth;
  } else if (formats.Contains(tfCenter)) {
    const float d = (RectWidth(rect) - blockWidth) / 2;
    rect.left += d;
    rect.right -= d;
  } else {
    rect.right = rect.left + blockWidth;
  }
  if (formats.Contains(tfBottom)) {
    rect.top = rect.bottom - blockHeight;
  } else if (formats.Contains(tfVCenter)) {
    const float d = (RectHeight(rect) - blockHeight) / 2;
    rect.top += d;
    rect.bottom -= d;
  } else {
    rect.bottom = rect.top + blockHeight;
  }

  // The lines in the block.
  float penY = rect.top;
  for (TTextCalc& line : lines) {
    const float lineWidth = RectWidth(line.Rect), lineHeight = RectHeight(line.Rect);
    OffsetRect(line.Rect, rect.left, penY);
    penY += lineHeight;
    if (formats.Contains(tfRight)) OffsetRect(line.Rect, RectWidth(rect) - lineWidth, 0);
    if (formats.Contains(tfCenter)) OffsetRect(line.Rect, (RectWidth(rect) - lineWidth) / 2, 0);
  }
}

TTextCalcArray TextCalc(std::int32_t& calcStrLen, TTextFormats formats, std::u16string_view text, TRect& rect,
                        const TCharSizeCallback& callback, float clipWidth, TFont* font) {
  TTextCalcArray lines;
  TextCalc(lines, calcStrLen, formats, text, rect, callback, clipWidth, font);
  return lines;
}

}  // namespace corvane
