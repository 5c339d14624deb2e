#include "engine/shell/engine_log.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "base/streams/file_stream.h"
#include "base/system/file_utils.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

bool StoreLog = true;
std::int64_t MaxLogFileBytes = kDefaultMaxLogFileBytes;

namespace {

constexpr char kLineEnd[] = "\r\n";

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

void WriteStdout(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// The log must never log about itself: a failure here only loses the line
// for the file. One write a line, so that the line is whole in the file or
// not there.
bool WriteLine(TFileStream& file, const std::string& line) {
  const std::string ended = line + kLineEnd;
  const auto size = static_cast<std::int64_t>(ended.size());
  return file.Write(ended.data(), size) == size;
}

// A line's text without its time stamp; a preformatted line whole.
std::string_view TextOf(std::string_view line) {
  const bool stamped = line.size() >= 9 && line[2] == ':' && line[5] == ':' && line[8] == ' ';
  return stamped ? line.substr(9) : line;
}

std::u16string SizeText(std::int64_t bytes) {
  if (bytes > 0 && bytes % (1 << 20) == 0) return IntToStr(bytes >> 20) + u" MB";
  return IntToStr(bytes) + u" bytes";
}

// A line repeated this often has its count written and starts counting
// again, so a file followed live shows the repeats go on.
constexpr std::int64_t kRepeatsPerNote = 1000;

}  // namespace

TEngineLog::TEngineLog() : clock_(LocalTimeNow) {}

TEngineLog::~TEngineLog() {
  if (&LogTarget() == this) SetLogTarget(nullptr);
  if (InfoBoard() == this) SetInfoBoard(nullptr);
  WriteRepeats();
  CloseFile();
}

void TEngineLog::SetClock(TClock clock) { clock_ = clock ? std::move(clock) : TClock(LocalTimeNow); }

void TEngineLog::Log(std::u16string_view message) { Write(false, message); }

void TEngineLog::Error(std::u16string_view message) { Write(true, message); }

void TEngineLog::Write(bool isError, std::u16string_view message) {
  const std::string line = FormatLogLine(clock_(), isError, message);
  WriteStdout(line);
  Store(line);
}

void TEngineLog::LogWOFormat(std::u16string_view line) { Store(LogLineText(line)); }

void TEngineLog::Store(const std::string& line) {
  LogList.Add(line);
  AppendToFile(line);
}

void TEngineLog::AppendToFile(const std::string& line) {
  if (!StoreLog || LogFileName.empty() || fileFull_) return;
  const std::string_view text = TextOf(line);
  if (text == lastText_ && !line.empty()) {
    if (++repeats_ == kRepeatsPerNote) WriteRepeats();
    return;
  }
  WriteRepeats();
  lastText_ = text;
  WriteToFile(line);
}

void TEngineLog::WriteRepeats() {
  if (repeats_ == 0) return;
  const std::int64_t count = repeats_;
  repeats_ = 0;
  WriteToFile(FormatLogLine(clock_(), false, u"Last line repeated " + IntToStr(count) + u" more times"));
}

void TEngineLog::WriteToFile(const std::string& line) {
  if (fileFull_ || !OpenFile()) return;
  const auto size = static_cast<std::int64_t>(line.size()) + 2;
  if (fileBytes_ + size > MaxLogFileBytes) {
    // One last line says why the file ends here; the list and standard
    // output go on.
    fileFull_ = true;
    const std::u16string why = u"Log file " + Utf8ToUtf16(LogFileName) + u" reached its limit of " +
                               SizeText(MaxLogFileBytes) + u" for this run: later lines are not written to it";
    WriteLine(*file_, FormatLogLine(clock_(), true, why));
    CloseFile();
    Error(why);
    return;
  }
  if (WriteLine(*file_, line)) {
    fileBytes_ += size;
    return;
  }
  const std::string reason = file_->LastError().empty() ? "the file could not be written" : file_->LastError();
  CloseFile();
  Refused(reason);
}

bool TEngineLog::OpenFile() {
  if (file_ && fileName_ == LogFileName) return true;
  CloseFile();
  // A file not there yet gets the lines when it is named (the replay).
  struct stat info {};
  if (refusedName_ == LogFileName || ::lstat(LogFileName.c_str(), &info) != 0) return false;
  std::string reason;
  file_ = TFileStream::Open(LogFileName, fmOpenWrite, &reason);
  if (!file_) {
    Refused(reason);
    return false;
  }
  if (file_->Seek(0, soEnd) < 0) {
    CloseFile();
    return false;
  }
  fileName_ = LogFileName;
  return true;
}

void TEngineLog::CloseFile() {
  if (!file_) return;
  file_->Close();
  file_.reset();
  fileName_.clear();
}

void TEngineLog::Refused(const std::string& reason) {
  // Said once for a name; the lines go on to the list and standard output,
  // and the file is not tried again until it is written anew (the replay,
  // which replaces a link or a file with other hard links). A file that is
  // gone, or in a missing folder, loses its lines quietly; one that is
  // read-only, in a read-only folder, or that a write failed on says so.
  refusedName_ = LogFileName;
  struct stat info {};
  const std::string folder = LogFileName.substr(0, LogFileName.rfind('/') + 1);
  const bool gone = ::lstat(LogFileName.c_str(), &info) != 0 && ::stat(folder.empty() ? "." : folder.c_str(), &info) != 0;
  if (reportedName_ == LogFileName || gone) return;
  reportedName_ = LogFileName;
  Error(u"Can't write the log file " + Utf8ToUtf16(LogFileName) + u": " + Utf8ToUtf16(reason));
}

void TEngineLog::ClearLog() {
  if (!StoreLog || LogFileName.empty()) return;
  CloseFile();
  std::string reason;
  const auto file = TFileStream::Open(LogFileName, fmCreate, &reason);
  if (file && !file->Close()) reason = file->LastError();
  else if (file) return;
  Refused(reason);
}

void TEngineLog::SetLogFileName(const std::string& name) {
  LogFileName = name;
  const std::string line = FormatLogLine(clock_(), false, Utf8ToUtf16(name));
  WriteStdout(line);
  LogList.Add(line);
  ReplayToFile();
}

void TEngineLog::ReplayToFile() {
  // The file starts over with every kept line of the run, each once, in the
  // order logged; written beside and renamed, so it is whole or as it was.
  if (!StoreLog || LogFileName.empty() || fileFull_) return;
  CloseFile();
  repeats_ = 0;
  std::string reason;
  const auto file = TFileStream::Open(LogFileName, fmCreate, &reason);
  if (!file) {
    Refused(reason);
    return;
  }
  bool written = true;
  std::int64_t bytes = 0;
  for (int i = 0; written && i < LogList.Count(); ++i) {
    const std::string line = LogList.Get(i);
    bytes += static_cast<std::int64_t>(line.size()) + 2;
    // What does not fit the budget waits for the budget's own line.
    if (fileBytes_ + bytes > MaxLogFileBytes) break;
    written = WriteLine(*file, line);
    lastText_ = TextOf(line);
  }
  if (written && file->Close()) {
    refusedName_.clear();
    fileBytes_ += std::min(bytes, MaxLogFileBytes - fileBytes_);
    return;
  }
  file->Abandon();
  Refused(file->LastError().empty() ? std::string("the file could not be written") : file->LastError());
}

void TEngineLog::ShowInfo(std::u16string_view name, std::u16string_view value) {
  std::u16string line(name);
  line += u'=';
  line += value;
  const int index = Info.IndexOfName(name);
  if (index >= 0) {
    Info.Put(index, line);
  } else {
    Info.Add(line);
  }
}

void TEngineLog::InfoEntry(std::int32_t index, std::u16string& name, std::u16string& value) const {
  name.clear();
  value.clear();
  if (index < 0 || index >= Info.GetCount()) return;
  const std::u16string line = Info.Get(index);
  const std::size_t equals = line.find(u'=');
  name = line.substr(0, equals);
  if (equals != std::u16string::npos) value = line.substr(equals + 1);
}

std::string TEngineLog::Line(std::int32_t index) const {
  if (index < 0 || index >= LogList.Count()) return {};
  return LogList.Get(index);
}

}  // namespace corvane
