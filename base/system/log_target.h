// The seams through which every subsystem writes the engine log and the
// debug board. The engine object installs itself as the target of both
// when it starts; until then (and in tools) log lines go to standard output
// in the log's own line format and board entries nowhere.
#pragma once

#include <cstdint>
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
  // The lines kept so far, oldest first, for the console to show: UTF-8,
  // as written to the log. A target that keeps none has none.
  virtual std::int32_t LineCount() const { return 0; }
  virtual std::string Line(std::int32_t) const { return {}; }
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

// The debug board: name=value entries, each replacing the value of its name.
class TInfoBoard {
 public:
  virtual ~TInfoBoard() = default;
  virtual void ShowInfo(std::u16string_view name, std::u16string_view value) = 0;
  // The entries in the order they were first posted, for the debug form.
  virtual std::int32_t InfoCount() const = 0;
  virtual void InfoEntry(std::int32_t index, std::u16string& name, std::u16string& value) const = 0;
};

// Installs a board (nullptr: none) and returns the previous one.
TInfoBoard* SetInfoBoard(TInfoBoard* board);
TInfoBoard* InfoBoard();
// What the rest of the engine calls: `Engine.ShowInfo`; nothing without a
// board.
void EngineShowInfo(std::u16string_view name, std::u16string_view value);

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
