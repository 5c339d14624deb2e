// The applet's small data files beside it: the preferences (".prefs") and
// the score table (".score"). Each is named after the engine's log file,
// which carries the applet's own name, holds a wide-string list in the
// ciphered text form, and goes through the engine's external resource
// manager, whose folder is the applet's folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

class TWideStrings;

// The log file's name without folder and extension, followed by extension:
// a log "/games/x/main.log" and ".prefs" give "main.prefs".
std::string AppletDataFileName(std::string_view extension);

// One object's data file. Its name is fixed by the first Load or Store, so
// that the list is stored where it was loaded from even when the log file
// is renamed meanwhile. A file that is there but could not be read (too
// large, not a regular file, no access) is never written over: its content
// is the player's, and a fresh list would lose it.
class TAppletDataFile {
 public:
  explicit TAppletDataFile(std::string_view extension) : extension_(extension) {}

  const std::string& Name();
  // Replaces the list by the file's lines. False, the list untouched, when
  // the engine has no external manager or there is no file (nothing
  // reported), or when the file is there but cannot be read (reported; the
  // file is then kept from Store until a later Load reads it).
  bool Load(TWideStrings& list);
  // Replaces the file whole: it is created in the managers' create mode,
  // which writes beside the file and puts the new one in place only on a
  // clean close. False when the engine has no external manager or the file
  // cannot be created (nothing reported), when the file was not read
  // (reported, untouched) or when the write failed (reported, and the
  // previous file stays as it was).
  bool Store(const TWideStrings& list);

 private:
  std::string extension_;
  std::optional<std::string> name_;
  bool unread_ = false;
};

}  // namespace corvane
