// The text of a script file: its bytes read whole, as UTF-8 when they are
// well-formed UTF-8 and as Latin-1 otherwise (older files saved by 8-bit
// editors), without a leading byte-order mark.
#pragma once

#include <string>
#include <string_view>

namespace corvane::js {

std::u16string ScriptSourceText(std::string_view bytes);

}  // namespace corvane::js
