// The engine log and the debug board. The engine object owns one and
// installs it as the log target, so every EngineLog / EngineError of every
// subsystem lands here.
//
// A log line is "HH:MM:SS (i) message" (or "(e)" for an error), in UTF-8,
// control characters of the message written as visible escapes
// (LogLineText). It
// goes to standard output with a LF, to LogList without a line end, and,
// once the log file is named, to the end of that file with CR LF. Lines
// logged before the file is named wait in LogList and are written to the
// file when it is named.
//
// Budgets: LogList keeps only the newest lines (TLogLines). The file stays
// open while its name stands, each line reaching it in one write, so a
// crash loses nothing the engine logged; a run writes at most
// MaxLogFileBytes into it, then one line saying so, and nothing more. A
// line repeating the one before (the time aside) is counted instead of
// written, and the count written when another line comes.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/lists/hashed_string_list.h"
#include "base/system/log_target.h"
#include "engine/shell/log_lines.h"

namespace corvane {

// Whether the log file is written at all ("-storelog" sets it, "-nostorelog"
// clears it). When false no log file is created, truncated or appended to;
// the list and standard output still get every line.
extern bool StoreLog;
// The most bytes one run writes into the log file ("-maxlogsize=N", in
// megabytes).
inline constexpr std::int64_t kDefaultMaxLogFileBytes = std::int64_t{16} << 20;
extern std::int64_t MaxLogFileBytes;

class TFileStream;

class TEngineLog final : public TLogTarget, public TInfoBoard {
 public:
  // The local time of day used for the time stamps; tests fix it.
  using TClock = std::function<std::tm()>;

  TEngineLog();
  // Stops being the log target and the board when it still is one; writes
  // a repeat count still pending.
  ~TEngineLog() override;
  TEngineLog(const TEngineLog&) = delete;
  TEngineLog& operator=(const TEngineLog&) = delete;

  // One time-stamped line, "(i)" or "(e)"; the message is taken as it is.
  void Log(std::u16string_view message) override;
  void Error(std::u16string_view message) override;
  // Stores an already formatted line (its control characters escaped as in
  // every line): in LogList and at the end of the log file; no time stamp,
  // no standard output.
  void LogWOFormat(std::u16string_view line);
  // Truncates the log file (creates it empty).
  void ClearLog();

  // Names the log file: LogFileName takes the name, the name is logged, and
  // the file is rewritten with every line of LogList in order, so that the
  // lines logged before it had a name come first with their own times.
  void SetLogFileName(const std::string& name);
  // Rewrites the log file with every line of LogList in order (nothing
  // when StoreLog is off or the file has no name).
  void ReplayToFile();

  // Sets name=value on the debug board: replaces the value of the line of
  // that name in place, or adds the line.
  void ShowInfo(std::u16string_view name, std::u16string_view value) override;
  std::int32_t InfoCount() const override { return Info.GetCount(); }
  void InfoEntry(std::int32_t index, std::u16string& name, std::u16string& value) const override;
  std::int32_t LineCount() const override { return LogList.Count(); }
  std::string Line(std::int32_t index) const override;

  void SetClock(TClock clock);

  // The newest lines of the run, in order, UTF-8 without line ends.
  TLogLines LogList;
  // UTF-8 path of the log file; empty until an applet path is known. The
  // engine may set it directly; the lines then go to that file as they come.
  std::string LogFileName;
  // The debug board: name=value lines.
  THashedStringList Info;

 private:
  void Write(bool isError, std::u16string_view message);
  void Store(const std::string& line);
  void AppendToFile(const std::string& line);
  // Writes the count of lines held back as repeats, when there are any.
  void WriteRepeats();
  // One line into the open file, within the run's budget.
  void WriteToFile(const std::string& line);
  // The file open at its end under LogFileName; false when it cannot be.
  bool OpenFile();
  void CloseFile();
  // The log file cannot be written (a link, a folder, a FIFO in its
  // place): one error line for the name, and no more tries of it.
  void Refused(const std::string& reason);

  TClock clock_;
  std::unique_ptr<TFileStream> file_;
  std::string fileName_;  // what file_ was opened as
  std::string refusedName_;   // a name the file is not tried under again
  std::string reportedName_;  // a name whose failure has had its line
  std::int64_t fileBytes_ = 0;  // written into log files this run
  bool fileFull_ = false;
  // The last line written to the file, without its time, and how many
  // times it came again since.
  std::string lastText_;
  std::int64_t repeats_ = 0;
};

}  // namespace corvane
