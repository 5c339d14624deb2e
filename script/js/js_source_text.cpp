#include "script/js/js_source_text.h"

#include "base/text/text_convert.h"

namespace corvane::js {

std::u16string ScriptSourceText(std::string_view bytes) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  return IsValidUtf8(bytes) ? Utf8ToUtf16(bytes) : WidenLatin1(bytes);
}

}  // namespace corvane::js
