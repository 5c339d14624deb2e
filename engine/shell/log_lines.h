// TLogLines: the log lines the engine keeps in memory for the console and
// the running marker, oldest first. Only the newest are kept, up to a
// count and a size in bytes, so a long run (or a handler failing every
// frame) costs the same memory as a short one; the newest line is always
// kept, however long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace corvane {

class TLogLines {
 public:
  static constexpr std::size_t kMaxLines = 10000;
  static constexpr std::size_t kMaxBytes = 4 << 20;

  std::int32_t Count() const { return static_cast<std::int32_t>(lines_.size()); }
  // The line at index, oldest first; "" outside.
  std::string Get(std::int32_t index) const;
  // Appends, dropping the oldest lines beyond the bounds.
  void Add(std::string line);
  void Clear();
  // Every kept line, each ended by a LF.
  std::string Text() const;

 private:
  std::deque<std::string> lines_;
  std::size_t bytes_ = 0;
};

}  // namespace corvane
