// Fuzzes the names applets hand the folder and container managers: any
// bytes are a name. What is kept is a path below the root: no part of it
// is empty, "." or "..", and it never starts at a separator or a drive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "resources/contained_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> below = corvane::ContainedName(name);
  if (!below) return 0;
  std::string_view rest = *below;
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  if (rest.empty()) return 0;
  bool first = true;
  while (true) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    if (part.empty() || part == "." || part == ".." || part.find('\\') != std::string_view::npos) std::abort();
    if (first && part.size() == 2 && part[1] == ':') std::abort();
    first = false;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return 0;
}
