#include "formats/3ds/pascal_format.h"

#include <algorithm>

#include "base/text/number_text.h"

namespace corvane {

namespace {

struct TDirective {
  bool leftAlign = false;
  int width = -1;
  int precision = -1;
  char type = 0;
};

// Digits at s[i...], advancing i; -1 when there are none. Capped so that
// hostile widths cost nothing.
int ReadNumber(std::string_view s, std::size_t& i) {
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
  int n = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    n = std::min(n * 10 + (s[i] - '0'), 1024);
    ++i;
  }
  return n;
}

std::string HexText(std::uint64_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return text;
}

// The argument as text for one directive; false when it cannot take it.
bool Render(const TDirective& d, const TFormatArg3DS& arg, std::string& out) {
  const auto& v = arg.Value();
  switch (d.type) {
    case 'd':
    case 'u':
    case 'x': {
      const auto* i = std::get_if<std::int64_t>(&v);
      if (i == nullptr) return false;
      std::int64_t value = *i;
      const bool negative = value < 0 && d.type == 'd';
      std::string digits;
      if (d.type == 'x') {
        // Negative 32-bit values print as their 32-bit pattern, as the
        // integers of the files are.
        const bool fits32 = value >= INT32_MIN && value < 0;
        digits = HexText(fits32 ? static_cast<std::uint32_t>(value) : static_cast<std::uint64_t>(value));
      } else if (d.type == 'u' && value < 0) {
        digits = IntToStr8(static_cast<std::int64_t>(static_cast<std::uint32_t>(value)));
      } else {
        digits = IntToStr8(value);
        if (negative) digits.erase(0, 1);
      }
      if (d.precision > static_cast<int>(digits.size()))
        digits.insert(0, static_cast<std::size_t>(d.precision) - digits.size(), '0');
      out = negative ? "-" + digits : digits;
      return true;
    }
    case 'f': {
      double value = 0;
      if (const auto* f = std::get_if<double>(&v)) value = *f;
      else if (const auto* i = std::get_if<std::int64_t>(&v)) value = static_cast<double>(*i);
      else return false;
      out = FloatToStrFixed(value, d.precision < 0 ? 2 : std::min(d.precision, 18));
      return true;
    }
    case 's': {
      const auto* s = std::get_if<std::string>(&v);
      if (s == nullptr) return false;
      out = d.precision >= 0 && static_cast<std::size_t>(d.precision) < s->size() ? s->substr(0, static_cast<std::size_t>(d.precision)) : *s;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

std::string PascalFormat(std::string_view format, std::span<const TFormatArg3DS> list) {
  std::string out;
  out.reserve(format.size() + 16);
  std::size_t next = 0;
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    const std::size_t start = i++;
    if (i < format.size() && format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    TDirective d;
    std::size_t index = next;
    std::size_t mark = i;
    const int number = ReadNumber(format, i);
    if (number >= 0 && i < format.size() && format[i] == ':') {
      index = static_cast<std::size_t>(number);
      ++i;
    } else {
      i = mark;
    }
    if (i < format.size() && format[i] == '-') {
      d.leftAlign = true;
      ++i;
    }
    d.width = ReadNumber(format, i);
    if (i < format.size() && format[i] == '.') {
      ++i;
      d.precision = std::max(ReadNumber(format, i), 0);
    }
    if (i < format.size()) {
      d.type = static_cast<char>(format[i] | 0x20);  // types are case-blind
      ++i;
    }
    std::string text;
    if (index >= list.size() || !Render(d, list[index], text)) {
      out.append(format.substr(start, i - start));
      continue;
    }
    next = index + 1;
    if (d.width > static_cast<int>(text.size())) {
      const std::string pad(static_cast<std::size_t>(d.width) - text.size(), ' ');
      text = d.leftAlign ? text + pad : pad + text;
    }
    out += text;
  }
  return out;
}

}  // namespace corvane
