#include "engine/shell/preferences.h"

#include <cmath>
#include <limits>
#include <set>
#include <string_view>

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/applet_data_file.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Preferences)

namespace {

constexpr std::u16string_view kCurrentUser = u"currentuser";

// Where a line of user K sits: a user line "user" K "=" name, or a setting
// "user" K "." key "=" value.
struct TUserLineRef {
  std::int64_t number = 0;
  std::size_t digitsBegin = 0;
  std::size_t digitsEnd = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the user number of a line as the store's look-ups see it: line
// names match by the low byte of each unit, letters without case, so
// "USER2.left" is a setting of user 2. The number is written plainly
// ("user02" is not user 2, as no look-up of user 2 would find it).
std::optional<TUserLineRef> ParseUserLine(std::u16string_view line) {
  const std::size_t equals = line.find(u'=');
  if (equals == std::u16string_view::npos) return std::nullopt;
  const std::string name = NarrowLowByte(line.substr(0, equals));
  if (name.size() < 5 || !SameText(std::string_view(name).substr(0, 4), "user")) return std::nullopt;
  std::size_t end = 4;
  while (end < name.size() && IsDigit(name[end])) ++end;
  const std::size_t digits = end - 4;
  // More digits than any count can reach: not a user line.
  if (digits == 0 || digits > 10 || (digits > 1 && name[4] == '0')) return std::nullopt;
  if (end < name.size() && name[end] != '.') return std::nullopt;
  std::int64_t number = 0;
  for (std::size_t i = 4; i < end; ++i) number = number * 10 + (name[i] - '0');
  return TUserLineRef{number, 4, end};
}

std::optional<std::int32_t> ToInt32(std::u16string_view text) {
  const std::optional<std::int64_t> value = TryStrToInt64(text);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() || *value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

}  // namespace

void Preferences::Describe(TClassBuilder<Preferences>& c) {
  c.Property("user", &Preferences::UserName, &Preferences::SetUser);
  c.Property("userCount", &Preferences::GetUserCount, [](Preferences&, std::int32_t) {}).Stored(false);
  c.Method("store", &Preferences::Store);
  c.Method("load", &Preferences::Load);
  c.Method("addUser", &Preferences::AddUser);
  c.Method("deleteUser", &Preferences::DeleteUser);
  c.Method("renameUser", &Preferences::RenameUser);
  c.Method("setValue", &Preferences::SetValue);
  c.Method("users", &Preferences::Users);
  c.Method("getValue", &Preferences::GetValue);
  c.Method("getBoolValue", &Preferences::GetBoolValue);
  c.Method("getIntValue", &Preferences::GetIntValue);
}

Preferences::Preferences(const TCreateContext& context) : BaseObject(context) { entries_.Add(u"0"); }

// ---------------------------------------------------------------- the file

std::string Preferences::DataFileName() { return file_.Name(); }

void Preferences::Load() {
  if (file_.Load(entries_)) userName_ = entries_.getValue(kCurrentUser);
}

void Preferences::Store() { file_.Store(entries_); }

// ------------------------------------------------------------------- users

std::u16string Preferences::UserLineName(std::int64_t k) { return u"user" + IntToStr(k); }

std::u16string Preferences::SettingName(const std::u16string& key) const {
  return UserLineName(GetUserIndex(userName_)) + u"." + key;
}

int Preferences::UserLine(std::int64_t k) const { return entries_.IndexOfName(UserLineName(k)); }

void Preferences::SetUser(const std::u16string& name) {
  userName_ = name;
  entries_.setValue(kCurrentUser, name);
}

std::int32_t Preferences::GetUserCount() const {
  if (entries_.Count() == 0) return 0;
  return ToInt32(entries_.Get(0)).value_or(0);
}

std::optional<std::int32_t> Preferences::FindUser(const std::u16string& name) const {
  const std::int32_t count = GetUserCount();
  if (count < 1) return std::nullopt;
  // One pass over the lines rather than one look-up per number: a stored
  // count is not to be trusted to be small. Only the first line of each
  // number counts, as a look-up by name would find it.
  std::set<std::int64_t> seen;
  std::optional<std::int32_t> found;
  for (int i = 0; i < entries_.Count(); ++i) {
    const std::u16string line = entries_.Get(i);
    const std::optional<TUserLineRef> ref = ParseUserLine(line);
    if (!ref || ref->digitsEnd != line.find(u'=') || ref->number < 1 || ref->number > count) continue;
    if (!seen.insert(ref->number).second) continue;
    if (line.substr(ref->digitsEnd + 1) == name && (!found || ref->number < *found))
      found = static_cast<std::int32_t>(ref->number);
  }
  return found;
}

std::int32_t Preferences::GetUserIndex(const std::u16string& name) const { return FindUser(name).value_or(1); }

std::u16string Preferences::Users(std::int32_t index) const {
  return entries_.getValue(UserLineName(std::int64_t{index} + 1));
}

void Preferences::AddUser(const std::u16string& name) {
  if (entries_.Count() == 0) return;
  // A first line that is no count leaves the store as it is.
  const std::optional<std::int32_t> count = ToInt32(entries_.Get(0));
  if (!count || *count == std::numeric_limits<std::int32_t>::max()) return;
  const std::int32_t number = *count + 1;
  entries_.Put(0, IntToStr(number));
  entries_.Insert(1, UserLineName(number) + u"=" + name);
  SetUser(name);
}

void Preferences::RenameUser(const std::u16string& oldName, const std::u16string& newName) {
  const std::optional<std::int32_t> k = FindUser(oldName);
  if (!k) return;
  const int line = UserLine(*k);
  // The line keeps its place even for an empty new name (setting an empty
  // value would remove the user's line and leave the count wrong).
  entries_.Put(line, entries_.GetName(line) + u"=" + newName);
  EngineLog(u"ok! user name chaged from " + oldName + u" to " + newName);
}

void Preferences::DeleteUser(const std::u16string& name) {
  if (entries_.Count() == 0) return;
  const std::int32_t count = GetUserCount();
  if (count < 1) return;
  const std::optional<std::int32_t> k = FindUser(name);
  if (!k) return;
  // The user's own lines go; every later user moves down one number with
  // its settings, so numbers 1 .. count - 1 stay in use. Lines of numbers
  // beyond the count were unreachable before and stay as they are.
  for (int i = entries_.Count() - 1; i >= 1; --i) {
    std::u16string line = entries_.Get(i);
    const std::optional<TUserLineRef> ref = ParseUserLine(line);
    if (!ref) continue;
    if (ref->number == *k) {
      entries_.Delete(i);
    } else if (ref->number > *k && ref->number <= count) {
      line.replace(ref->digitsBegin, ref->digitsEnd - ref->digitsBegin, IntToStr(ref->number - 1));
      entries_.Put(i, line);
    }
  }
  entries_.Put(0, IntToStr(count - 1));
}

// ---------------------------------------------------------------- settings

std::u16string Preferences::GetValue(const std::u16string& key) const { return entries_.getValue(SettingName(key)); }

void Preferences::SetValue(const std::u16string& key, const std::u16string& value) {
  entries_.setValue(SettingName(key), value);
}

bool Preferences::HasValue(const std::u16string& key) const { return entries_.IndexOfName(SettingName(key)) >= 0; }

bool Preferences::GetBoolValue(const std::u16string& key) const {
  const std::u16string value = GetValue(key);
  return value == u"1" || value == u"true" || value == u"-1" || value == u"on";
}

std::int32_t Preferences::GetIntValue(const std::u16string& key) const {
  const std::u16string value = GetValue(key);
  if (value.empty()) return 0;
  const std::optional<std::int32_t> number = ToInt32(value);
  if (!number) {
    EngineError(u"Preference " + key + u" is not a number: " + value);
    return 0;
  }
  return *number;
}

float Preferences::GetFloatValue(const std::u16string& key, float defaultValue) const {
  const std::u16string value = GetValue(key);
  if (value.empty()) return defaultValue;
  const std::optional<double> number = TryStrToDouble(NarrowLatin1(value));
  // Beyond the single range (or NAN, INF) is no usable setting either.
  if (!number || !std::isfinite(*number) || std::fabs(*number) > std::numeric_limits<float>::max()) {
    EngineError(u"Preference " + key + u" is not a number: " + value);
    return defaultValue;
  }
  return static_cast<float>(*number);
}

}  // namespace corvane
