#include "base/system/log_target.h"

#include <cstdio>

#include "base/text/text_convert.h"

namespace corvane {

namespace {

class TStdoutLog final : public TLogTarget {
 public:
  void Log(std::u16string_view text) override { Write(false, text); }
  void Error(std::u16string_view text) override { Write(true, text); }

 private:
  static void Write(bool isError, std::u16string_view text) {
    const std::string line = FormatLogLineNow(isError, text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  }
};

TStdoutLog gStdoutLog;
TLogTarget* gTarget = &gStdoutLog;
TInfoBoard* gBoard = nullptr;

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void TwoDigits(std::string& out, int v) {
  out += static_cast<char>('0' + (v / 10) % 10);
  out += static_cast<char>('0' + v % 10);
}

}  // namespace

TLogTarget* SetLogTarget(TLogTarget* target) {
  TLogTarget* previous = gTarget == &gStdoutLog ? nullptr : gTarget;
  gTarget = target ? target : &gStdoutLog;
  return previous;
}

TLogTarget& LogTarget() { return *gTarget; }

void EngineLog(std::u16string_view text) { gTarget->Log(text); }
void EngineError(std::u16string_view text) { gTarget->Error(text); }

TInfoBoard* SetInfoBoard(TInfoBoard* board) {
  TInfoBoard* previous = gBoard;
  gBoard = board;
  return previous;
}

TInfoBoard* InfoBoard() { return gBoard; }

void EngineShowInfo(std::u16string_view name, std::u16string_view value) {
  if (gBoard) gBoard->ShowInfo(name, value);
}

std::string LogLineText(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (!IsControl(c)) continue;
    out += Utf16ToUtf8(text.substr(run, i - run));
    run = i + 1;
    switch (c) {
      case u'\t': out += "\\t"; break;
      case u'\n': out += "\\n"; break;
      case u'\r': out += "\\r"; break;
      default:
        out += "\\x";
        out += "0123456789ABCDEF"[c >> 4];
        out += "0123456789ABCDEF"[c & 15];
    }
  }
  out += Utf16ToUtf8(text.substr(run));
  return out;
}

std::string FormatLogLine(std::tm t, bool isError, std::u16string_view text) {
  std::string line;
  line.reserve(16 + text.size());
  TwoDigits(line, t.tm_hour);
  line += ':';
  TwoDigits(line, t.tm_min);
  line += ':';
  TwoDigits(line, t.tm_sec);
  line += isError ? " (e) " : " (i) ";
  line += LogLineText(text);
  return line;
}

std::string FormatLogLineNow(bool isError, std::u16string_view text) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatLogLine(local, isError, text);
}

}  // namespace corvane
