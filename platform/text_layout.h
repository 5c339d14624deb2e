// Text layout: splits a text into lines (at its line breaks, or by word
// wrapping to a rectangle's width), measures each line through a callback,
// aligns the block and its lines in the rectangle and gives one rectangle
// per line. It knows nothing of fonts or drawing: the device measures with
// a font through the callback, then draws or measures the lines.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/text/text_format.h"

namespace corvane {

class TFont;

// One laid-out line: its rectangle and its text, a view into the text that
// was laid out (valid while that text is).
struct TTextCalc {
  TRect Rect;
  std::u16string_view Text;
};
using TTextCalcArray = std::vector<TTextCalc>;

// Measures str set in font: its width (x) and height (y); may report in
// calcStrLen how many characters fit into clipWidth. A non-owning reference
// to any callable of that form; empty when default-constructed.
class TCharSizeCallback {
 public:
  TCharSizeCallback() = default;
  template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, TCharSizeCallback> &&
             std::is_invocable_r_v<TPoint, F&, std::int32_t&, float, std::u16string_view, TFont*>)
  TCharSizeCallback(F& callable)
      : object_(&callable), call_([](void* object, std::int32_t& calcStrLen, float clipWidth, std::u16string_view str,
                                     TFont* font) -> TPoint {
          return (*static_cast<F*>(object))(calcStrLen, clipWidth, str, font);
        }) {}

  explicit operator bool() const { return call_ != nullptr; }
  TPoint operator()(std::int32_t& calcStrLen, float clipWidth, std::u16string_view str, TFont* font) const {
    return call_(object_, calcStrLen, clipWidth, str, font);
  }

 private:
  void* object_ = nullptr;
  TPoint (*call_)(void*, std::int32_t&, float, std::u16string_view, TFont*) = nullptr;
};

// Lays text out in rect. Every measurement is callback(calcStrLen,
// clipWidth, line, font) with the caller's calcStrLen, clipWidth and font.
// lines receives one entry per line from the top (its storage is reused, so
// a caller that keeps the array allocates nothing once it is large enough);
// rect receives the box of the whole text. Without a callback lines is
// empty and rect unchanged.
//
// Without tfWordWrap the lines are the text split at its line breaks (CR,
// LF or CR LF; a final break opens no line). With tfWordWrap a text that
// measures no wider than rect is one line, breaks and all; otherwise words
// (up to and including a space, comma or full stop) are added to a line
// until it reaches rect's width, so the word that reaches it stays, and
// every line takes at least one word.
//
// Horizontally the block goes to rect's right edge with tfRight, into its
// middle with tfCenter, else to its left edge; vertically likewise with
// tfBottom, tfVCenter and the top. Each line then moves right by the
// block's width less its own with tfRight, and by half of that with
// tfCenter (both when both are set).
void TextCalc(TTextCalcArray& lines, std::int32_t& calcStrLen, TTextFormats formats, std::u16string_view text,
              TRect& rect, const TCharSizeCallback& callback, float clipWidth, TFont* font);

// The same, returning a new array.
TTextCalcArray TextCalc(std::int32_t& calcStrLen, TTextFormats formats, std::u16string_view text, TRect& rect,
                        const TCharSizeCallback& callback, float clipWidth, TFont* font);

}  // namespace corvane
