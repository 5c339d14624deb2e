#include "script/js/js_error_report.h"

#include <js/ErrorReport.h>
#include <js/Exception.h>
#include <jsapi.h>

#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "script/js/js_main_hold.h"
#include "script/js/js_watchdog.h"
#include "script/script_engine.h"

namespace corvane::js {

std::u16string ScriptPlace(JSContext* cx) {
  JS::AutoFilename file;
  unsigned line = 0;
  unsigned column = 0;
  JS::DescribeScriptedCaller(cx, &file, &line, &column);
  return Utf8ToUtf16(file.get() ? file.get() : "") + u"(" + IntToStr(line) + u":" + IntToStr(column) + u")";
}

namespace {

// A script's message as much of a log line as a text a script may hand the
// engine: a thrown error of a hundred megabytes would otherwise cost
// seconds and gigabytes on its way to the log. Cut between characters.
std::u16string Message(const char* utf8) {
  std::string_view text(utf8);
  const auto limit = static_cast<std::size_t>(ScriptTextLimit());
  if (text.size() <= limit) return Utf8ToUtf16(text);
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return Utf8ToUtf16(text.substr(0, cut)) + u"...";
}

}  // namespace

std::u16string FormatReport(const JSErrorReport& report) {
  // Only the parser quotes the source line; everything else counts from 1.
  const bool fromParser = report.linebuf() != nullptr;
  std::uint32_t column = report.column;
  if (!fromParser && column > 0) --column;
  std::u16string line = Utf8ToUtf16(report.filename ? report.filename : "");
  line += u'(';
  line += IntToStr(report.lineno);
  line += u':';
  line += IntToStr(column);
  line += u") ";
  if (report.message()) line += Message(report.message().c_str());
  line += u" \"";
  if (fromParser) {
    std::u16string_view source(report.linebuf(), report.linebufLength());
    // The library keeps the line's end with it.
    while (!source.empty() && (source.back() == u'\n' || source.back() == u'\r')) source.remove_suffix(1);
    line += source.substr(0, static_cast<std::size_t>(ScriptTextLimit()));
  }
  line += u"\"";
  return line;
}

bool ReportPendingException(JSContext* cx) {
  if (!JS_IsExceptionPending(cx)) return false;
  JS::ExceptionStack stack(cx);
  if (!JS::StealPendingExceptionStack(cx, &stack)) {
    JS_ClearPendingException(cx);
    EngineError(u"Script error");
    return true;
  }
  JS::ErrorReportBuilder builder(cx);
  if (!builder.init(cx, stack, JS::ErrorReportBuilder::WithSideEffects) || !builder.report()) {
    JS_ClearPendingException(cx);
    EngineError(u"Script error");
    return true;
  }
  // Building the report may run script (a thrown object's toString); what
  // that leaves behind is not this error's.
  JS_ClearPendingException(cx);
  EngineError(FormatReport(*builder.report()));
  return true;
}

void ReportWarning(JSContext*, JSErrorReport* report) {
  const TEngineCode engineCode;
  if (TakeStopWarning()) return;
  if (report) EngineError(FormatReport(*report));
}

}  // namespace corvane::js
