// A fixed-pitch system font for tests: every character from code 32 on is
// kCharWidth pixels wide and kLineHeight high, so that text geometry is
// exact. Initialisations and drawn lines go to a journal that outlives the
// font: "font InitFromFont cache/verdana10bold.fnbin", "font destroyed".
#pragma once

#include <string>
#include <vector>

#include "platform/sys_font.h"

namespace corvane::test {

class TTestSysFont : public T3DSysFont {
  CORVANE_CLASS(TTestSysFont, T3DSysFont)
  using T3DSysFont::T3DSysFont;
  void BeforeDestruction() override;

  static constexpr float kCharWidth = 8;
  static constexpr float kLineHeight = 16;
  static std::vector<std::string>& Journal();

  void InitFromFont(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                    std::int32_t size, TFontStyles styles, bool storeCache) override;
  void InitFromFile(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                    std::int32_t size, TFontStyles styles, bool storeCache) override;
  // The widest run of whole characters that fits into maxWidth; count is
  // the position of the last one (the text's length when none fits).
  TPoint GetTextExtent(std::u16string_view text, float maxWidth, std::int32_t& count) override;
  void AddPrefixWidths(std::u16string_view line, float maxWidth, std::vector<float>& widths) override;
  void DrawText(float x, float y, std::uint32_t color, std::u16string_view text) override;
  // No glyphs are drawn: the atlas stays as it is.
  void RebuildTexture() override {}
};

}  // namespace corvane::test
