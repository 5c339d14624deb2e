#include "base/system/failure_text.h"

#include <new>

#include "base/text/text_convert.h"

namespace corvane {

std::u16string FailureText(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) return u"out of memory";
  return Utf8ToUtf16(error.what());
}

}  // namespace corvane
