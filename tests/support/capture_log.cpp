#include "tests/support/capture_log.h"

#include <algorithm>

#include "base/text/text_convert.h"

namespace corvane::test {

TCaptureLog::TCaptureLog() : previous_(SetLogTarget(this)) {}

TCaptureLog::~TCaptureLog() { SetLogTarget(previous_); }

void TCaptureLog::Log(std::u16string_view text) { lines_.push_back("(i) " + Utf16ToUtf8(text)); }

void TCaptureLog::Error(std::u16string_view text) { lines_.push_back("(e) " + Utf16ToUtf8(text)); }

int TCaptureLog::CountInfo(const std::string& text) const {
  return static_cast<int>(std::count(lines_.begin(), lines_.end(), "(i) " + text));
}

int TCaptureLog::CountError(const std::string& text) const {
  return static_cast<int>(std::count(lines_.begin(), lines_.end(), "(e) " + text));
}

int TCaptureLog::ErrorCount() const {
  return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [](const std::string& l) { return l.starts_with("(e) "); }));
}

bool TCaptureLog::Contains(const std::string& text) const {
  return std::any_of(lines_.begin(), lines_.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

std::string TCaptureLog::Text() const {
  std::string all;
  for (const auto& l : lines_) all += l + "\n";
  return all;
}

}  // namespace corvane::test
