#include "resources/container/container_format.h"

#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

bool IsVFSSeparator(char c) { return c == '\\' || c == '/'; }

std::string CutFirstPathItem(std::string& path) {
  std::size_t start = !path.empty() && IsVFSSeparator(path[0]) ? 1 : 0;
  std::size_t end = start;
  while (end < path.size() && !IsVFSSeparator(path[end])) ++end;
  std::string item = path.substr(start, end - start);
  path.erase(0, end < path.size() ? end + 1 : end);
  return item;
}

std::string ExtractVFSPath(std::string_view path) {
  const std::size_t last = path.find_last_of("\\/");
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string ExtractVFSName(std::string_view path) {
  const std::size_t last = path.find_last_of("\\/");
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  // Greedy matching that backtracks only to the last "*": linear in
  // practice and never exponential, whatever the mask.
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t starMask = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == '?' || AsciiUpper(mask[m]) == AsciiUpper(name[n]))) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

void VFSError(std::string_view message) { EngineError(Utf8ToUtf16(message)); }

}  // namespace corvane
