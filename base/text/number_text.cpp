#include "base/text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/reflection/exceptions.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// Rough decimal exponent of a well-formed number text: positive when its
// magnitude is at least 1.
long DecimalExponent(std::string_view s) {
  long exponent = 0;
  const auto e = s.find_first_of("eE");
  if (e != std::string_view::npos) {
    long sign = 1;
    std::size_t i = e + 1;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) sign = s[i++] == '-' ? -1 : 1;
    for (; i < s.size() && exponent < 100000; ++i) exponent = exponent * 10 + (s[i] - '0');
    exponent *= sign;
    s = s.substr(0, e);
  }
  const auto point = s.find('.');
  const std::string_view whole = s.substr(0, point);
  const auto firstNonZero = whole.find_first_not_of('0');
  if (firstNonZero != std::string_view::npos)
    return exponent + static_cast<long>(whole.size() - firstNonZero);
  if (point == std::string_view::npos) return exponent - 1;
  const std::string_view frac = s.substr(point + 1);
  const auto lead = frac.find_first_not_of('0');
  return exponent - static_cast<long>(lead == std::string_view::npos ? frac.size() : lead) - 1;
}

}  // namespace

std::u16string FloatToStr(float value) {
  if (std::isnan(value)) return u"NAN";
  if (std::isinf(value)) return value > 0 ? u"INF" : u"-INF";
  double d = value;
  if (d == 0) d = 0;  // no "-0.000..."
  // A single has at most 39 integer digits; 15 decimals, a sign and a point.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed, 15);
  return WidenLatin1(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
}

std::optional<double> TryStrToDouble(std::string_view text) {
  std::string_view s = TrimBlanks(text);
  if (s.empty()) return std::nullopt;
  bool negative = false;
  if (s.front() == '+' || s.front() == '-') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (SameText(s, "NAN")) return std::numeric_limits<double>::quiet_NaN();
  if (SameText(s, "INF")) return negative ? -HUGE_VAL : HUGE_VAL;
  // from_chars accepts neither a sign (handled above) nor "inf"/"nan" words
  // that we did not mean; it is locale independent.
  if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
  double v = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (res.ptr != s.data() + s.size()) return std::nullopt;
  if (res.ec == std::errc::result_out_of_range) {
    // Out of range leaves v untouched: overflow gives infinity, underflow 0.
    v = DecimalExponent(s) > 0 ? HUGE_VAL : 0.0;
  } else if (res.ec != std::errc() || std::isnan(v) || std::isinf(v)) {
    return std::nullopt;  // "infinity", "nan(...)": not our spellings
  }
  return negative ? -v : v;
}

float StrToFloat(std::u16string_view text) {
  const auto v = TryStrToDouble(NarrowLatin1(text));
  if (!v) throw EConvertError("'" + Utf16ToUtf8(text) + "' is not a valid floating point value");
  return static_cast<float>(*v);
}

std::string FloatToStrGeneral(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) value = 0;
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  return std::string(buf, res.ptr);
}

std::string FloatToStrFixed(double value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) value = 0;
  decimals = std::clamp(decimals, 0, 20);
  // A double has at most 309 integer digits; the decimals, a sign, a point.
  char buf[340];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return std::string(buf, res.ptr);
}

std::u16string IntToStr(std::int64_t value) { return WidenLatin1(IntToStr8(value)); }

std::string IntToStr8(std::int64_t value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

std::optional<std::int64_t> TryStrToInt64(std::string_view text) {
  std::string_view s = TrimBlanks(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
  constexpr std::uint64_t kMaxPos = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (base == 16) {
    // Hexadecimal text is a bit pattern: $FFFFFFFFFFFFFFFF is -1.
    return static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
  }
  if (negative) {
    if (magnitude > kMaxPos + 1) return std::nullopt;
    return magnitude == kMaxPos + 1 ? std::numeric_limits<std::int64_t>::min()
                                    : -static_cast<std::int64_t>(magnitude);
  }
  if (magnitude > kMaxPos) return std::nullopt;
  return static_cast<std::int64_t>(magnitude);
}

std::optional<std::int64_t> TryStrToInt64(std::u16string_view text) {
  for (char16_t c : text)
    if (c > 0x7F) return std::nullopt;
  return TryStrToInt64(NarrowLatin1(text));
}

std::int32_t StrToInt(std::u16string_view text) {
  const auto v = TryStrToInt64(text);
  if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max())
    throw EConvertError("'" + Utf16ToUtf8(text) + "' is not a valid integer value");
  return static_cast<std::int32_t>(*v);
}

}  // namespace corvane
