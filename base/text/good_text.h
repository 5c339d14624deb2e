// The engine's own case rules for wide text: only ASCII letters change case,
// and comparisons without case look at the low 8 bits of each unit.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// "true" or "false".
std::u16string BoolToStr(bool value);
// Narrowed to Latin-1 ("?" above U+00FF), ASCII letters changed, widened back.
std::u16string GOODUpperCase(std::u16string_view text);
std::u16string GOODLowerCase(std::u16string_view text);
// Compares the low byte of each unit, ASCII upper-cased; at the first
// difference +1 or -1, otherwise the shorter text is smaller; 0 when equal.
int GOODCompareText(std::u16string_view a, std::u16string_view b);
// A key equal for exactly the texts GOODCompareText finds equal: the low
// byte of each unit, ASCII upper-cased. What a hashed look-up goes by.
std::string GOODTextKey(std::u16string_view text);

}  // namespace corvane
