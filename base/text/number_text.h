// Numbers to text and back, independent of the C locale (the engine's decimal
// separator is always ".").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// A single as fixed-point text with exactly 15 digits after the point and no
// exponent: 2 -> "2.000000000000000". NaN is "NAN", infinities "INF"/"-INF".
std::u16string FloatToStr(float value);
// The number parsed from text (narrowed to 8 bits), rounded to single
// precision. Accepts surrounding blanks, a sign, an exponent and, in any
// case, "NAN", "INF" and "-INF". Throws EConvertError for anything else.
float StrToFloat(std::u16string_view text);
std::optional<double> TryStrToDouble(std::string_view text);

// General text of a number: up to 15 significant digits, shortest form
// ("0.1", "100", "1e+20"); used where the text is read by people (the log).
std::string FloatToStrGeneral(double value);
// Fixed-point text with decimals digits after the point (0 to 20, clamped),
// rounded to nearest: (2.5, 2) -> "2.50", (-1, 0) -> "-1". NaN is "NAN",
// infinities "INF"/"-INF".
std::string FloatToStrFixed(double value, int decimals);

std::u16string IntToStr(std::int64_t value);
std::string IntToStr8(std::int64_t value);
// Decimal or "$"/"0x" hexadecimal, optional sign and surrounding blanks.
std::optional<std::int64_t> TryStrToInt64(std::string_view text);
std::optional<std::int64_t> TryStrToInt64(std::u16string_view text);
// Throws EConvertError when the text is not a 32-bit integer.
std::int32_t StrToInt(std::u16string_view text);

}  // namespace corvane
