#include "base/system/failure_text.h"

#include <locale.h>
#include <string.h>

#include <new>

#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

std::u16string FailureText(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) return u"out of memory";
  return Utf8ToUtf16(error.what());
}

std::string SystemErrorText(int err) {
  // strerror follows LC_MESSAGES, whose words may come in another
  // encoding; the C locale's are plain ASCII.
  static const locale_t plain = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  if (plain == static_cast<locale_t>(nullptr)) return "error " + IntToStr8(err);
  return strerror_l(err, plain);
}

}  // namespace corvane
