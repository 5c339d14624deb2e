// Keeping an applet's names inside its files. Applets are downloaded
// games: a name they hand a manager ("../../x/pwn.png", "//etc/passwd",
// "..\..\x") must never reach a file outside the folder or container the
// manager serves. Names are checked by their parts, "/" and "\" alike,
// before any file is looked at. A folder of the applet that links
// elsewhere is read through (the author's choice), but the folder manager
// writes nothing into it (WritesInside, resources/resource_paths.h).
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace corvane {

// The name as a path below a root: its parts joined with "/", without
// ".", "..", or empty parts, and with the trailing "/" it had. One leading
// separator is allowed ("/x" and "x" are the same resource). Nothing when
// a ".." climbs above the root or the name is absolute: a second leading
// separator, or a drive ("c:") as its first part.
std::optional<std::string> ContainedName(std::string_view name);

// Reports refused names, one error line per name:
//   "Refused <name>: it leads outside <what>"
// A manager asked again and again for one name (exists, then open, each
// frame) writes its line once; the names remembered are bounded, and
// beyond them every refusal gets its line.
class TRefusedNames {
 public:
  explicit TRefusedNames(std::u16string what) : what_(std::move(what)) {}
  // ContainedName(name), reporting a refusal.
  std::optional<std::string> Check(std::string_view name);
  // Reports the name as refused, once as Check does; nothing.
  std::nullopt_t Refuse(std::string_view name);

  static constexpr std::size_t kRemembered = 256;

 private:
  std::u16string what_;
  std::set<std::string> reported_;
};

}  // namespace corvane
