#include "base/text/good_text.h"

#include <algorithm>

#include "base/text/text_convert.h"

namespace corvane {

std::u16string BoolToStr(bool value) { return value ? u"true" : u"false"; }

std::u16string GOODUpperCase(std::u16string_view text) { return WidenLatin1(AsciiUpperCase(NarrowLatin1(text))); }

std::u16string GOODLowerCase(std::u16string_view text) { return WidenLatin1(AsciiLowerCase(NarrowLatin1(text))); }

int GOODCompareText(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(AsciiUpper(static_cast<char>(a[i] & 0xFF)));
    const auto cb = static_cast<unsigned char>(AsciiUpper(static_cast<char>(b[i] & 0xFF)));
    if (ca != cb) return ca > cb ? 1 : -1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string GOODTextKey(std::u16string_view text) {
  std::string key(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) key[i] = AsciiUpper(static_cast<char>(text[i] & 0xFF));
  return key;
}

}  // namespace corvane
