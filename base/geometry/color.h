// Colours: a 32-bit unsigned value, alpha in the most significant byte, then
// red, green, blue (ARGB); its per-byte views as they lie in memory; its text
// form "#AARRGGBB"; interpolation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// The bytes of a colour value in memory order (the value is little-endian).
struct TColor32 {
  std::uint8_t b = 0, g = 0, r = 0, a = 0;
};
using TColorRec = TColor32;
// A pixel of a 24-bit image: the colour without its alpha byte.
struct TColor24 {
  std::uint8_t b = 0, g = 0, r = 0;
};
static_assert(sizeof(TColor32) == 4 && sizeof(TColor24) == 3);

// "#" and the value in eight upper-case hexadecimal digits, alpha first
// (opaque black is "#FF000000").
std::u16string ColorToStr(std::uint32_t color);
// Empty text gives 0. A leading "#" marks hexadecimal (up to 32 bits);
// otherwise the text is a signed 32-bit decimal. Anything else, or a value
// out of range, gives 0.
std::uint32_t StrToColor(std::u16string_view text);
// The value unchanged: the engine keeps ARGB everywhere.
inline std::uint32_t SwitchRGBA_BGRA(std::uint32_t color) { return color; }
// Per byte: b1 + trunc((b2 - b1) * t), kept to its low 8 bits; t is not
// clamped.
std::uint32_t ColorLerp(std::uint32_t c1, std::uint32_t c2, float t);
// How far apart two colours are for the eye, alpha ignored: the ratio of
// their relative luminances (sRGB), each plus 0.05, the lighter over the
// darker; 1 for equal colours, 21 for black and white. Text wants 4.5 on
// its background.
double ContrastRatio(std::uint32_t a, std::uint32_t b);

}  // namespace corvane
