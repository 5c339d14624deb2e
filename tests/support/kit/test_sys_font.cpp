#include "tests/support/kit/test_sys_font.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TTestSysFont)

std::vector<std::string>& TTestSysFont::Journal() {
  static std::vector<std::string> journal;
  return journal;
}

void TTestSysFont::BeforeDestruction() {
  Journal().push_back("font destroyed");
  T3DSysFont::BeforeDestruction();
}

void TTestSysFont::InitFromFont(TResourceMan*, const std::string& cacheFile, const std::string&, std::int32_t,
                                TFontStyles, bool) {
  Journal().push_back("font InitFromFont " + cacheFile);
}

void TTestSysFont::InitFromFile(TResourceMan*, const std::string& cacheFile, const std::string&, std::int32_t,
                                TFontStyles, bool) {
  Journal().push_back("font InitFromFile " + cacheFile);
}

TPoint TTestSysFont::GetTextExtent(std::u16string_view text, float maxWidth, std::int32_t& count) {
  count = static_cast<std::int32_t>(text.size());
  if (text.empty()) return {0, 0};
  float x = 0, widest = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] < 32) continue;
    if (x + kCharWidth > maxWidth) break;
    x += kCharWidth;
    widest = std::max(widest, x);
    count = static_cast<std::int32_t>(i + 1);
  }
  return {widest, kLineHeight};
}

void TTestSysFont::AddPrefixWidths(std::u16string_view line, float maxWidth, std::vector<float>& widths) {
  float x = 0;
  bool full = false;
  for (const char16_t c : line) {
    if (!full && c >= 32) {
      if (x + kCharWidth > maxWidth) full = true;
      else x += kCharWidth;
    }
    widths.push_back(x);
  }
}

void TTestSysFont::DrawText(float x, float y, std::uint32_t, std::u16string_view text) {
  Journal().push_back("font DrawText " + FloatToStrGeneral(x) + " " + FloatToStrGeneral(y) + " " +
                      Utf16ToUtf8(text));
}

}  // namespace corvane::test
