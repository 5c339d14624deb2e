// Every crossing between wide (UTF-16) text and 8-bit text goes through one of
// these named helpers. Two 8-bit encodings exist and are never mixed:
//  - UTF-8 for file names, paths, the log and 8-bit string lists;
//  - Latin-1 where wide text is narrowed inside a format or a comparison
//    (characters above U+00FF become "?"), and the low byte of each unit where
//    a comparison says so. Widening such text back is byte to unit.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// UTF-16 -> UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 -> UTF-16. Malformed sequences become U+FFFD, one per bad byte.
std::u16string Utf8ToUtf16(std::string_view text);
// Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// Wide -> Latin-1: units above U+00FF become '?'.
std::string NarrowLatin1(std::u16string_view text);
// Wide -> the low 8 bits of every unit.
std::string NarrowLowByte(std::u16string_view text);
// 8-bit -> wide, one unit per byte (the inverse of both narrowings above).
std::u16string WidenLatin1(std::string_view text);

// ASCII-only helpers for identifiers and keys (never locale dependent).
char AsciiUpper(char c);
char AsciiLower(char c);
char16_t AsciiUpper(char16_t c);
char16_t AsciiLower(char16_t c);
std::string AsciiUpperCase(std::string_view text);
std::string AsciiLowerCase(std::string_view text);
// Case-insensitive (ASCII) equality of 8-bit names: class and property names.
bool SameText(std::string_view a, std::string_view b);
// Case-insensitive (ASCII) equality of wide names.
bool SameText(std::u16string_view a, std::u16string_view b);

}  // namespace corvane
