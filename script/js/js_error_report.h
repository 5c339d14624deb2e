// Script errors and warnings as engine log lines:
//   file(line:column) message "source line"
// The file is the one the library names (the script file, or "" for a
// handler text). Columns count from 0: a syntax error gives the offset of
// the offending token in its line; the library counts the columns of
// run-time errors from 1, so those are moved down by one.
#pragma once

#include <string>

struct JSContext;
class JSErrorReport;

namespace corvane::js {

// The log line of a report.
std::u16string FormatReport(const JSErrorReport& report);

// Where the running script stands, "file(line:column)", for a line the
// engine writes about what the script did there.
std::u16string ScriptPlace(JSContext* cx);

// After a call into the library failed: reports its pending exception
// through Engine.Error and clears it. False when there was none (the
// script was stopped, not thrown out of).
bool ReportPendingException(JSContext* cx);

// The library's warning reporter: the same line as an error.
void ReportWarning(JSContext* cx, JSErrorReport* report);

}  // namespace corvane::js
