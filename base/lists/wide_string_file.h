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

// Whether the stream took every byte.
bool WriteMarkedWideText(TStream& stream, std::u16string_view text);
// The text after a mark in either byte order; nothing (and the stream
// where it was, bar the mark) without a mark. A trailing odd byte is
// ignored. Too large a rest is reported and read as nothing.
std::optional<std::u16string> ReadMarkedWideText(TStream& stream);

bool WriteCipheredWideText(TStream& stream, std::u16string_view text);
// Too large a rest is reported and read as nothing.
std::optional<std::u16string> ReadCipheredWideText(TStream& stream);

}  // namespace corvane
