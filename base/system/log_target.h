// The seam through which every subsystem writes the engine log. The engine
// object installs itself as the target when it starts; until then (and in
// tools) lines go to standard output in the log's own line format.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace corvane {

class TLogTarget {
 public:
  virtual ~TLogTarget() = default;
  // One information line.
  virtual void Log(std::u16string_view text) = 0;
  // One error line; never throws.
  virtual void Error(std::u16string_view text) = 0;
};

// Drops every line: for benchmarks and fuzzers, where the log would only
// cost time.
class TSilentLog final : public TLogTarget {
 public:
  void Log(std::u16string_view) override {}
  void Error(std::u16string_view) override {}
};

// Installs a target (nullptr restores the standard-output default) and
// returns the previous one.
TLogTarget* SetLogTarget(TLogTarget* target);
TLogTarget& LogTarget();

// What the rest of the engine calls: `Engine.Log` and `Engine.Error`.
void EngineLog(std::u16string_view text);
void EngineError(std::u16string_view text);

// The text of a log line in UTF-8, with every control character written as
// a visible escape: a line read from a file can neither split a log line
// nor send the terminal an escape sequence. Tab, LF and CR become "\t",
// "\n" and "\r"; the other controls below U+0020, U+007F and the C1
// controls U+0080..U+009F become "\x" and two upper-case hexadecimal
// digits ("\x1B"). A backslash stays as it is (paths keep their look).
std::string LogLineText(std::u16string_view text);

// "HH:MM:SS (i) text" or "HH:MM:SS (e) text", in UTF-8, without a line end;
// the text through LogLineText.
std::string FormatLogLine(std::tm localTime, bool isError, std::u16string_view text);
// The same for the current local time.
std::string FormatLogLineNow(bool isError, std::u16string_view text);

}  // namespace corvane
