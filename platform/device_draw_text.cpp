// Text through the device: laid out by TextCalc, measured and drawn by the
// font's system font, one line at a time, each at whole pixels.
#include <algorithm>
#include <cmath>

#include "base/geometry/rect_math.h"
#include "platform/device.h"
#include "platform/sys_font.h"

namespace corvane {

namespace {

T3DSysFont* SysFontOf(const TFont* font) { return font ? font->Handle : nullptr; }

bool HasLineBreak(std::u16string_view text) { return text.find_first_of(u"\r\n") != std::u16string_view::npos; }

}  // namespace

TPoint TDevice::CharSizeCallback(std::int32_t& calcStrLen, float clipWidth, std::u16string_view str, TFont* font) {
  T3DSysFont* sysFont = SysFontOf(font);
  if (!sysFont) {
    calcStrLen = 0;
    return {};
  }
  return sysFont->GetTextExtent(str, clipWidth, calcStrLen);
}

void TDevice::DrawString(TFont* font, std::u16string_view text, const TRect& rect, TTextFormats formats,
                         std::uint32_t color) {
  T3DSysFont* sysFont = SysFontOf(font);
  if (!sysFont || text.empty() || (color >> 24) == 0 || ActiveStates[rsFrame]) return;
  const std::uint32_t vertexColor = CorrectMeshVertexColor(color);

  auto measure = [this](std::int32_t& calcStrLen, float clipWidth, std::u16string_view str, TFont* f) {
    return CharSizeCallback(calcStrLen, clipWidth, str, f);
  };
  std::int32_t count = 0;
  TRect box = rect;
  TextCalc(textLines_, count, formats, text, box, measure, 65535.0f, font);
  // Measuring may have rebuilt the atlas for characters new to the font:
  // the atlas is bound once the layout is done. Glyphs of an atlas the
  // renderer refused would be drawn as blocks: none are.
  if (sysFont->Pixmap && !sysFont->Pixmap->Drawable()) {
    textLines_.clear();
    return;
  }
  SetPixmap(0, sysFont->Pixmap);
  SetRenderState(rsTexLinear);
  SetRenderState(rsTexModulate);
  for (const TTextCalc& line : textLines_) {
    // The font writes four vertices and six indices a glyph; a line that
    // cannot fit is left out and a larger scratch mesh asked for.
    const std::int32_t quads = T3DSysFont::TextQuads(line.Text);
    if (!ScratchFits(vfColorPixmapVertex, 4 * quads, 6 * quads)) continue;
    sysFont->DrawText(std::trunc(line.Rect.left), std::trunc(line.Rect.top), vertexColor, line.Text);
  }
  // The views point into the caller's text.
  textLines_.clear();
}

void TDevice::MeasureString(TFont* font, std::u16string_view text, TRect& rect, TTextFormats formats,
                            std::int32_t& count, float maxWidth) {
  if (text.empty()) {
    rect.right = rect.left;
    return;
  }
  auto measure = [this](std::int32_t& calcStrLen, float clipWidth, std::u16string_view str, TFont* f) {
    return CharSizeCallback(calcStrLen, clipWidth, str, f);
  };
  TextCalc(textLines_, count, formats, text, rect, measure, maxWidth, font);
  textLines_.clear();
}

void TDevice::MeasurePrefixWidths(TFont* font, std::u16string_view text, float maxWidth, std::vector<float>& widths) {
  widths.assign(1, 0.0f);
  widths.reserve(text.size() + 1);
  T3DSysFont* sysFont = SysFontOf(font);
  // The lines split as the layout splits them (CR, LF, CR LF); a prefix is
  // as wide as its widest line, a break as wide as the lines before it.
  float done = 0;
  std::vector<float> line;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find_first_of(u"\r\n", pos), text.size());
    line.clear();
    if (sysFont) sysFont->AddPrefixWidths(text.substr(pos, end - pos), maxWidth, line);
    else line.assign(end - pos, 0.0f);
    for (const float w : line) widths.push_back(std::max(done, w));
    if (!line.empty()) done = std::max(done, line.back());
    if (end == text.size()) break;
    widths.push_back(done);
    pos = end + 1;
    if (text[end] == u'\r' && pos < text.size() && text[pos] == u'\n') {
      widths.push_back(done);
      ++pos;
    }
  }
}

void TDevice::DrawStringInside(TFont* font, std::u16string_view text, const TRect& rect, TTextFormats formats,
                                std::uint32_t color) {
  // Nothing is drawn, so nothing is laid out.
  if (text.empty() || (color >> 24) == 0 || ActiveStates[rsFrame]) return;
  // Only a text that may take several lines can pass the rectangle's
  // height: a single line is drawn as it is.
  if (!SysFontOf(font) || (!formats.Contains(tfWordWrap) && !HasLineBreak(text))) {
    DrawString(font, text, rect, formats, color);
    return;
  }
  auto measure = [this](std::int32_t& calcStrLen, float clipWidth, std::u16string_view str, TFont* f) {
    return CharSizeCallback(calcStrLen, clipWidth, str, f);
  };
  std::int32_t count = 0;
  TRect box = rect;
  TextCalc(insideLines_, count, formats, text, box, measure, 65535.0f, font);
  if (insideLines_.size() < 2 || RectHeight(box) <= RectHeight(rect)) {
    insideLines_.clear();
    DrawString(font, text, rect, formats, color);
    return;
  }
  // Each line where the layout put it, the block moved up to the top.
  const float up = box.top - rect.top;
  for (std::size_t i = 0; i < insideLines_.size(); ++i) {
    TRect line = insideLines_[i].Rect;
    OffsetRect(line, 0, -up);
    if (i > 0 && line.bottom > rect.bottom) break;
    DrawString(font, insideLines_[i].Text, line, {}, color);
  }
  // The views point into the caller's text.
  insideLines_.clear();
}

void TDevice::DrawStringClip(TFont* font, std::u16string_view text, const TRect& rect, TTextFormats formats,
                             std::uint32_t color) {
  formats.Exclude(tfWordWrap);
  std::int32_t count = 0;
  TRect box = rect;
  MeasureString(font, text, box, formats, count, RectWidth(rect));
  // A text of several lines is drawn whole: the count is only its last
  // line's.
  if (!HasLineBreak(text) && count >= 0 && text.size() > static_cast<std::size_t>(count)) text = text.substr(0, count);
  DrawStringInside(font, text, rect, formats, color);
}

}  // namespace corvane
