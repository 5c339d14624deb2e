// ColorDropdown: a skinned drop-down whose pop-up shows a fixed palette of
// 96 swatches, 12 columns of 8: the greys from black to white, then eleven
// hues from dark to light. Each item is the colour's RGB as decimal text;
// the chosen item's text is the drop-down's text and its value.
#pragma once

#include <cstdint>
#include <string>

#include "gui/dropdown.h"

namespace corvane {

class ColorDropdown : public Dropdown {
  CORVANE_CLASS(ColorDropdown, Dropdown)
  static void Describe(TClassBuilder<ColorDropdown>& c);
  explicit ColorDropdown(const TCreateContext& context);

  // The palette's parts, in double precision, halves rounding to even.
  static std::uint32_t MakeRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  static std::uint32_t HLSToRGB(double h, double s, double l);

  // The text as an opaque colour: a text that is no 32-bit number (the
  // text and the items are script-writable) counts as 0.
  std::uint32_t ColorValueNative() const;
  // "#AARRGGBB".
  std::u16string GetColor() const;
  // Selects the palette's item of that RGB (alpha is not part of it); a
  // colour outside the palette changes nothing.
  void SetColor(const std::u16string& value);

  // The frame and the glyph at its picture's size; no text, no swatch.
  void Paint() override;
  // The item's swatch, one unit inside its band.
  void PaintItem(std::int32_t index, const TRect& rect) override;
};

}  // namespace corvane
