// Preferences: the applet's store of named settings, kept per user of the
// game (script global "preferences") and saved beside the applet in a
// ".prefs" file. One user is the current one; getValue and setValue read
// and write that user's settings.
//
// The store is a list of lines, the same lines as the file's:
//   N                       the number of users (line 0)
//   userK=name              user number K, 1 <= K <= N; the newest first
//   currentuser=name        the current user
//   userK.key=value         a setting of user K
// Line names match without case; user names match exactly. No name, key or
// value may hold a line break (nor a key "="): it would split into other
// lines in the file, so it is refused with an error line, as is a change
// that would make the file larger than its reader takes back.
//
// Settings are found by name through an index beside the lines, so that
// reading and writing one costs the same in a store of any size; a removed
// setting leaves a hole that is closed once holes are many, or when the
// lines are read whole (Entries, Store, the calls on users).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "engine/core/base_object.h"
#include "engine/shell/applet_data_file.h"

namespace corvane {

class Preferences : public BaseObject {
  CORVANE_CLASS(Preferences, BaseObject)
  static void Describe(TClassBuilder<Preferences>& c);

  // A new store holds the single line "0" and no current user.
  explicit Preferences(const TCreateContext& context);

  // The file through the engine's external manager. Without one, or when
  // the file cannot be opened or created, nothing happens; a file that is
  // there but could not be read is kept (TAppletDataFile).
  void Load();
  void Store();
  // The file's name: the applet's name (from the log file's) + ".prefs".
  // Fixed by the first Load or Store, so that the store is saved under the
  // name it was loaded from even when the log file is renamed meanwhile.
  std::string DataFileName();

  // user: the current user.
  const std::u16string& UserName() const { return userName_; }
  // Also sets the line currentuser (an empty name removes it).
  void SetUser(const std::u16string& name);
  // userCount: line 0 as an integer; 0 when it is missing or no number.
  std::int32_t GetUserCount() const;
  // The smallest K whose user line holds exactly name; 1 when none does.
  std::int32_t GetUserIndex(const std::u16string& name) const;
  // The name of user index + 1 (users counted from 0 here); "" when none.
  std::u16string Users(std::int32_t index) const;

  // A new user number N + 1, listed first, becomes the current user. A
  // name already listed is added again.
  void AddUser(const std::u16string& name);
  // The first user (by number) named oldName is named newName; its
  // settings follow it. The current user is not changed.
  void RenameUser(const std::u16string& oldName, const std::u16string& newName);
  // Removes the first user (by number) named name with its settings, and
  // numbers every later user one lower, so that users 1 .. N - 1 stay
  // reachable. The current-user line is left as it is.
  void DeleteUser(const std::u16string& name);

  // The current user's settings ("" when absent; an empty value removes
  // the setting).
  std::u16string GetValue(const std::u16string& key) const;
  void SetValue(const std::u16string& key, const std::u16string& value);
  bool HasValue(const std::u16string& key) const;
  // True exactly for "1", "true", "-1" and "on".
  bool GetBoolValue(const std::u16string& key) const;
  // 0 when absent; a value that is no 32-bit integer is reported and
  // reads 0.
  std::int32_t GetIntValue(const std::u16string& key) const;
  // The setting as a number: defaultValue when absent; a value that is no
  // finite number is reported and reads defaultValue.
  float GetFloatValue(const std::u16string& key, float defaultValue) const;

  // The lines, every removed one taken out.
  TWideStringList& Entries();
  const TWideStringList& Entries() const;

 private:
  // The live lines of one name, in list order from `first` on.
  struct TNamed {
    std::vector<int> Lines;
    std::size_t First = 0;
  };
  // Builds the index when the lines changed other than through it.
  void Index() const;
  // Takes the removed lines out (the index is then built again).
  void Compact() const;
  // The line index of the first line named name; -1 when none.
  int FindLine(std::u16string_view name) const;
  // The line name := value, as TWideStrings::setValue does, through the
  // index; refused with an error line (naming what) when the file could
  // not take it. False when refused.
  bool SetLine(std::u16string_view name, std::u16string_view value, const std::u16string& what);
  // Why the file could not take a change to lines and units; empty when
  // it can.
  std::u16string Refusal(std::int64_t lines, std::int64_t units) const;
  // "user" K, and the name of a setting of user K.
  static std::u16string UserLineName(std::int64_t k);
  std::u16string SettingName(const std::u16string& key) const;
  // The line index of the first line of user k's name; -1 when none.
  int UserLine(std::int64_t k) const;
  // The smallest K in 1 .. N whose user line holds exactly name; nothing
  // when none does. Found through the index.
  std::optional<std::int32_t> FindUser(const std::u16string& name) const;

  mutable TWideStringList entries_;
  std::u16string userName_;
  // The index, by GOODTextKey of the line names, and the users by name
  // (the smallest number of each), valid while indexed_.
  mutable std::unordered_map<std::string, TNamed> names_;
  mutable std::unordered_map<std::u16string, std::int32_t> users_;
  mutable bool indexed_ = false;
  // Set while the index makes a change itself, so that the list's change
  // event leaves the index standing.
  mutable bool ownChange_ = false;
  // The removed lines still in the list, and the units of the live ones
  // with their CR LF.
  mutable int holes_ = 0;
  mutable std::int64_t units_ = 0;
  TAppletDataFile file_{".prefs", this};
};

}  // namespace corvane
