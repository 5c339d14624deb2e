// Captures the engine log for a test: every line as "(i) text" or
// "(e) text" in UTF-8, without the time. Restores the previous target when
// it goes out of scope.
#pragma once

#include <string>
#include <vector>

#include "base/system/log_target.h"

namespace corvane::test {

class TCaptureLog final : public TLogTarget {
 public:
  TCaptureLog();
  ~TCaptureLog() override;
  TCaptureLog(const TCaptureLog&) = delete;
  TCaptureLog& operator=(const TCaptureLog&) = delete;

  void Log(std::u16string_view text) override;
  void Error(std::u16string_view text) override;

  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }
  // Lines that are exactly "(i) text" / "(e) text".
  int CountInfo(const std::string& text) const;
  int CountError(const std::string& text) const;
  // Every "(e) " line, whatever it says.
  int ErrorCount() const;
  // Whether some line contains the text.
  bool Contains(const std::string& text) const;
  // All lines joined with "\n", for failure messages.
  std::string Text() const;

 private:
  std::vector<std::string> lines_;
  TLogTarget* previous_;
};

}  // namespace corvane::test
