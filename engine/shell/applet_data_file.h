// The applet's small data files beside it: the preferences (".prefs") and
// the score table (".score"). Each is named after the engine's log file,
// which carries the applet's own name, holds a wide-string list in the
// ciphered text form, and goes through the engine's external resource
// manager, whose folder is the applet's folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

class BaseObject;
class TWideStrings;

// The log file's name without folder and extension, followed by extension:
// a log "/games/x/main.log" and ".prefs" give "main.prefs". An applet
// nested in another (in its tree) has files of its own, so that neither
// overwrites what the other stored: the names of the nested applets from
// the outermost down come between, "main.inner.prefs" (characters other
// than letters, digits, "_" and "-" become "_"; an unnamed one is
// "applet").
std::string AppletDataFileName(std::string_view extension, const BaseObject* applet = nullptr);

// One object's data file. Its name is fixed by the first Load or Store, so
// that the list is stored where it was loaded from even when the log file
// is renamed meanwhile. A file that is there but could not be read (too
// large, no access) is never written over: its content is the player's,
// and a fresh list would lose it. What a load read but could not take
// into lines (the text after a NUL, a last odd byte) is stored again
// after the lines, so a store never drops bytes of the file.
class TAppletDataFile {
 public:
  // holder: the object whose applet the file belongs to (none: the
  // outermost applet).
  explicit TAppletDataFile(std::string_view extension, const BaseObject* holder = nullptr)
      : extension_(extension), holder_(holder) {}

  const std::string& Name();
  // Replaces the list by the file's lines. False, the list untouched, when
  // the engine has no external manager or there is no file (nothing
  // reported), or when the file is there but cannot be read (reported; a
  // file that cannot be taken in is then kept from Store until a later
  // Load reads it).
  bool Load(TWideStrings& list);
  // Replaces the file whole: it is created in the managers' create mode,
  // which writes beside the file and puts the new one in place only on a
  // clean close. False when the engine has no external manager, when the
  // file cannot be created (reported by the manager), when the file was
  // not read (reported, untouched) or when the write failed (reported, and
  // the previous file stays as it was).
  bool Store(const TWideStrings& list);
  // Why a list of that many lines, holding that many units with their
  // CR LF, could not be stored so that a later Load reads it back (the
  // reader's limits, base/lists/wide_string_file.h); empty when it can.
  // What grows a list asks first, so that no store loses the whole file.
  std::u16string Refusal(std::int64_t lines, std::int64_t units) const;
  // The file just loaded is not taken by its list: until a later Load it
  // is never written over. why: what the refusal to store says of it.
  void Keep(std::u16string why);

 private:
  std::string extension_;
  const BaseObject* holder_;
  std::optional<std::string> name_;
  // Why the file is kept from Store ("could not be read"); empty when not.
  std::u16string kept_;
  // The bytes of the loaded file beyond its lines.
  std::string tail_;
};

}  // namespace corvane
