// The two stored forms of a wide-string list's text (the text with a CR LF
// after every line):
//  - the marked form: the byte-order mark U+FEFF, then the UTF-16 units, all
//    in the host's byte order, no count. A file written on a host of the
//    other byte order starts with U+FFFE and is swapped on the way in.
//  - the ciphered form of the preferences and score files: every unit
//    combined with kWideTextCipherKey by exclusive-or, little-endian, no
//    mark, no count.
// Both readers take everything from the stream's position to its end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

class TStream;

// The engine's fixed key of the ciphered form. Files ciphered with another
// key read as noise.
inline constexpr std::uint16_t kWideTextCipherKey = 0x6E51;

inline constexpr char16_t kByteOrderMark = u'\uFEFF';
inline constexpr char16_t kSwappedByteOrderMark = u'\uFFFE';

// No stored text beyond this many bytes is loaded: every line costs a list
// item, so a hostile file of line breaks would otherwise cost many times
// its size. Preferences, scores and resource lists are far smaller.
inline constexpr std::int64_t kMaxWideTextBytes = std::int64_t{16} << 20;
// Nor a text of more lines than this: a line of one break costs some 40
// bytes of list item, so 16 MiB of breaks would cost hundreds of MiB. An
// hour's input recording holds far fewer lines.
inline constexpr std::int64_t kMaxWideTextLines = std::int64_t{1} << 20;

// Where a line of the text form ends; a NUL ends the whole text.
inline bool IsWideTextBreak(char16_t c) {
  return c == 0 || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\u2028' || c == u'\u2029';
}

// Calls line(view) for every line of the text form: a CR LF is one break,
// and a text that ends with a break has no empty last line.
template <class F>
void ForEachWideLine(std::u16string_view text, F&& line) {
  const std::size_t n = text.size();
  std::size_t p = 0;
  while (p < n && text[p] != 0) {
    const std::size_t start = p;
    while (p < n && !IsWideTextBreak(text[p])) ++p;
    line(text.substr(start, p - start));
    if (p >= n || text[p] == 0) break;
    p += text[p] == u'\r' && p + 1 < n && text[p + 1] == u'\n' ? 2 : 1;
  }
}

// Whether the stream took every byte.
bool WriteMarkedWideText(TStream& stream, std::u16string_view text);
// The text after a mark in either byte order; nothing (and the stream
// where it was, bar the mark) without a mark. A trailing odd byte is
// ignored. Too large a rest (or too many lines) is reported and read as
// nothing.
std::optional<std::u16string> ReadMarkedWideText(TStream& stream);

bool WriteCipheredWideText(TStream& stream, std::u16string_view text);
// Too large a rest (or too many lines) is reported and read as nothing.
std::optional<std::u16string> ReadCipheredWideText(TStream& stream);

}  // namespace corvane
