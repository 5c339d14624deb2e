#include "base/geometry/color.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/geometry/scalar_math.h"
#include "base/text/number_text.h"

namespace corvane {

std::u16string ColorToStr(std::uint32_t color) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text(9, u'#');
  for (int i = 8; i >= 1; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[color & 0xF];
    color >>= 4;
  }
  return text;
}

std::uint32_t StrToColor(std::u16string_view text) {
  if (text.empty()) return 0;
  if (text.front() == u'#') {
    // Hexadecimal is a bit pattern: up to eight digits, no sign.
    std::u16string hex = u"$";
    hex.append(text.substr(1));
    const auto v = TryStrToInt64(hex);
    if (!v || *v < 0 || *v > 0xFFFFFFFFLL) return 0;
    return static_cast<std::uint32_t>(*v);
  }
  const auto v = TryStrToInt64(text);
  if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(*v));
}

std::uint32_t ColorLerp(std::uint32_t c1, std::uint32_t c2, float t) {
  std::uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::int32_t b1 = static_cast<std::int32_t>((c1 >> shift) & 0xFF);
    const std::int32_t b2 = static_cast<std::int32_t>((c2 >> shift) & 0xFF);
    // Unsigned addition wraps where a saturated step would overflow.
    const std::uint32_t channel =
        static_cast<std::uint32_t>(b1) + static_cast<std::uint32_t>(SaturatingTrunc(static_cast<double>(b2 - b1) * t));
    result |= (channel & 0xFF) << shift;
  }
  return result;
}

namespace {

double RelativeLuminance(std::uint32_t color) {
  auto linear = [](std::uint32_t channel) {
    const double c = static_cast<double>(channel & 0xFF) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(color >> 16) + 0.7152 * linear(color >> 8) + 0.0722 * linear(color);
}

}  // namespace

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
  const double la = RelativeLuminance(a) + 0.05;
  const double lb = RelativeLuminance(b) + 0.05;
  return la > lb ? la / lb : lb / la;
}

}  // namespace corvane
