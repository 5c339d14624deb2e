#include "resources/contained_name.h"

#include <vector>

#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::optional<std::string> ContainedName(std::string_view name) {
  if (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
  if (!name.empty() && IsSeparator(name.front())) return std::nullopt;  // "//host/..." or "\\server\..."
  const bool trailing = !name.empty() && IsSeparator(name.back());
  std::vector<std::string_view> parts;
  while (!name.empty()) {
    std::size_t end = 0;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    const std::string_view part = name.substr(0, end);
    name.remove_prefix(end < name.size() ? end + 1 : end);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  if (!parts.empty() && parts.front().size() == 2 && parts.front()[1] == ':') return std::nullopt;  // a drive
  std::string result;
  for (const std::string_view part : parts) {
    if (!result.empty()) result += '/';
    result += part;
  }
  if (trailing && !result.empty()) result += '/';
  return result;
}

std::optional<std::string> TRefusedNames::Check(std::string_view name) {
  std::optional<std::string> contained = ContainedName(name);
  if (contained) return contained;
  return Refuse(name);
}

std::nullopt_t TRefusedNames::Refuse(std::string_view name) {
  const std::string key(name);
  if (reported_.contains(key)) return std::nullopt;
  if (reported_.size() < kRemembered) reported_.insert(key);
  EngineError(u"Refused " + Utf8ToUtf16(key) + u": it leads outside " + what_);
  return std::nullopt;
}

}  // namespace corvane
