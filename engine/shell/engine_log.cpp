#include "engine/shell/engine_log.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "base/streams/file_stream.h"
#include "base/system/file_utils.h"
#include "base/text/text_convert.h"

namespace corvane {

bool StoreLog = true;

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
// for the file.
bool WriteLine(TFileStream& file, const std::string& line) {
  const auto size = static_cast<std::int64_t>(line.size());
  return file.Write(line.data(), size) == size && file.Write(kLineEnd, 2) == 2;
}

}  // namespace

TEngineLog::TEngineLog() : clock_(LocalTimeNow) {}

TEngineLog::~TEngineLog() {
  if (&LogTarget() == this) SetLogTarget(nullptr);
  if (InfoBoard() == this) SetInfoBoard(nullptr);
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

void TEngineLog::AppendToFile(const std::string& line) const {
  if (!StoreLog || LogFileName.empty() || IsFileReadOnly(LogFileName)) return;
  const auto file = TFileStream::Open(LogFileName, fmOpenWrite);
  if (!file) return;
  if (file->Seek(0, soEnd) >= 0 && WriteLine(*file, line)) {
    file->Close();
  } else {
    file->Abandon();
  }
}

void TEngineLog::ClearLog() {
  if (!StoreLog || LogFileName.empty()) return;
  if (const auto file = TFileStream::Open(LogFileName, fmCreate)) file->Close();
}

void TEngineLog::SetLogFileName(const std::string& name) {
  LogFileName = name;
  const std::string line = FormatLogLine(clock_(), false, Utf8ToUtf16(name));
  WriteStdout(line);
  LogList.Add(line);
  ReplayToFile();
}

void TEngineLog::ReplayToFile() {
  // The file starts over with every line of the run, each once, in the order
  // logged; written beside and renamed, so it is whole or as it was.
  if (!StoreLog || LogFileName.empty()) return;
  const auto file = TFileStream::Open(LogFileName, fmCreate);
  if (!file) return;
  bool written = true;
  for (int i = 0; written && i < LogList.Count(); ++i) written = WriteLine(*file, LogList.Get(i));
  if (written) {
    file->Close();
  } else {
    file->Abandon();
  }
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
