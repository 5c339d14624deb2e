#include "engine/shell/log_lines.h"

#include <utility>

namespace corvane {

std::string TLogLines::Get(std::int32_t index) const {
  if (index < 0 || index >= Count()) return {};
  return lines_[static_cast<std::size_t>(index)];
}

void TLogLines::Add(std::string line) {
  bytes_ += line.size();
  lines_.push_back(std::move(line));
  while (lines_.size() > 1 && (lines_.size() > kMaxLines || bytes_ > kMaxBytes)) {
    bytes_ -= lines_.front().size();
    lines_.pop_front();
  }
}

void TLogLines::Clear() {
  lines_.clear();
  bytes_ = 0;
}

std::string TLogLines::Text() const {
  std::string text;
  text.reserve(bytes_ + lines_.size());
  for (const std::string& line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace corvane
