#include "engine/shell/preferences.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_set>

#include "base/lists/wide_string_file.h"
#include "base/reflection/class_builder.h"
#include "base/streams/restore.h"
#include "base/system/log_target.h"
#include "base/text/good_text.h"
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

// Whether the text holds a line break (or a NUL, which ends the file's
// text): stored, it would come back as other lines.
bool HoldsBreak(std::u16string_view text) { return std::any_of(text.begin(), text.end(), IsWideTextBreak); }

// What a line takes in the file: its units and a CR LF.
std::int64_t LineUnits(std::u16string_view line) { return static_cast<std::int64_t>(line.size()) + 2; }

// Marks a removed line until its hole is closed: the store's lines carry
// no objects of their own.
TObject* HoleMark() {
  static char mark;
  return reinterpret_cast<TObject*>(&mark);
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

Preferences::Preferences(const TCreateContext& context) : BaseObject(context) {
  entries_.Add(u"0");
  // Any change but the index's own (a load, the calls on users, a caller
  // of Entries) makes it build anew at the next look-up.
  entries_.OnChange = [this](TObject*) {
    if (!ownChange_) indexed_ = false;
  };
}

// --------------------------------------------------------------- the lines

void Preferences::Index() const {
  if (indexed_) return;
  names_.clear();
  users_.clear();
  holes_ = 0;
  units_ = 0;
  const std::int32_t count = GetUserCount();
  // Only the first line of each user number counts, as a look-up of the
  // number by name finds it.
  std::unordered_set<std::int64_t> numbers;
  for (int i = 0; i < entries_.Count(); ++i) {
    if (entries_.GetObject(i) == HoleMark()) {
      ++holes_;
      continue;
    }
    const std::u16string& line = entries_.GetRef(i);
    units_ += LineUnits(line);
    const std::size_t equals = line.find(u'=');
    if (equals == std::u16string::npos) continue;
    names_[GOODTextKey(std::u16string_view(line).substr(0, equals))].Lines.push_back(i);
    const std::optional<TUserLineRef> ref = ParseUserLine(line);
    if (!ref || ref->digitsEnd != equals || ref->number < 1 || ref->number > count) continue;
    if (!numbers.insert(ref->number).second) continue;
    const auto [user, added] = users_.emplace(line.substr(equals + 1), static_cast<std::int32_t>(ref->number));
    if (!added) user->second = std::min(user->second, static_cast<std::int32_t>(ref->number));
  }
  indexed_ = true;
}

void Preferences::Compact() const {
  Index();
  if (holes_ == 0) return;
  {
    TRestore<bool> own(ownChange_);
    ownChange_ = true;
    TWideStringList live;
    live.SetCapacity(entries_.Count() - holes_);
    for (int i = 0; i < entries_.Count(); ++i)
      if (entries_.GetObject(i) != HoleMark()) live.Add(entries_.GetRef(i));
    entries_.BeginUpdate();
    entries_.Clear();
    entries_.AddStrings(live);
    entries_.EndUpdate();
  }
  indexed_ = false;
  Index();
}

TWideStringList& Preferences::Entries() {
  Compact();
  return entries_;
}

const TWideStringList& Preferences::Entries() const {
  Compact();
  return entries_;
}

int Preferences::FindLine(std::u16string_view name) const {
  Index();
  const auto named = names_.find(GOODTextKey(name));
  if (named == names_.end() || named->second.First >= named->second.Lines.size()) return -1;
  return named->second.Lines[named->second.First];
}

std::u16string Preferences::Refusal(std::int64_t lines, std::int64_t units) const {
  return file_.Refusal(lines, units);
}

bool Preferences::SetLine(std::u16string_view name, std::u16string_view value, const std::u16string& what) {
  Index();
  const int line = FindLine(name);
  const std::int64_t lines = entries_.Count() - holes_;
  if (value.empty()) {
    if (line < 0) return true;
    if (line == 0) {  // the count's place: the next line takes it at once
      entries_.Delete(0);
      return true;
    }
    {
      TRestore<bool> own(ownChange_);
      ownChange_ = true;
      entries_.PutObject(line, HoleMark());
    }
    ++names_[GOODTextKey(name)].First;
    ++holes_;
    units_ -= LineUnits(entries_.GetRef(line));
    // Closed once they are as many as the live lines: each removal then
    // pays a constant share of the closing.
    if (holes_ > 64 && holes_ >= lines - 1) Compact();
    return true;
  }
  std::u16string text(name);
  text += u'=';
  text += value;
  const std::int64_t units = units_ + LineUnits(text) - (line < 0 ? 0 : LineUnits(entries_.GetRef(line)));
  if (const std::u16string refused = Refusal(line < 0 ? lines + 1 : lines, units); !refused.empty()) {
    EngineError(what + u" not set: " + refused);
    return false;
  }
  // A user's own line (or the count's) changes the users: built anew.
  const std::optional<TUserLineRef> ref = ParseUserLine(text);
  const bool userLine = line == 0 || (ref && ref->digitsEnd == name.size());
  {
    TRestore<bool> own(ownChange_);
    ownChange_ = true;
    if (line >= 0) {
      entries_.Put(line, text);
    } else {
      names_[GOODTextKey(name)].Lines.push_back(entries_.Add(text));
    }
  }
  units_ = units;
  if (userLine) indexed_ = false;
  return true;
}

// ---------------------------------------------------------------- the file

std::string Preferences::DataFileName() { return file_.Name(); }

void Preferences::Load() {
  if (file_.Load(entries_)) userName_ = entries_.getValue(kCurrentUser);
}

void Preferences::Store() { file_.Store(Entries()); }

// ------------------------------------------------------------------- users

std::u16string Preferences::UserLineName(std::int64_t k) { return u"user" + IntToStr(k); }

std::u16string Preferences::SettingName(const std::u16string& key) const {
  return UserLineName(GetUserIndex(userName_)) + u"." + key;
}

int Preferences::UserLine(std::int64_t k) const { return FindLine(UserLineName(k)); }

void Preferences::SetUser(const std::u16string& name) {
  if (HoldsBreak(name)) {
    EngineError(u"User not set: the name holds a line break");
    return;
  }
  if (SetLine(kCurrentUser, name, u"User " + name)) userName_ = name;
}

std::int32_t Preferences::GetUserCount() const {
  if (entries_.Count() == 0) return 0;
  return ToInt32(entries_.GetRef(0)).value_or(0);
}

std::optional<std::int32_t> Preferences::FindUser(const std::u16string& name) const {
  Index();
  const auto user = users_.find(name);
  if (user == users_.end()) return std::nullopt;
  return user->second;
}

std::int32_t Preferences::GetUserIndex(const std::u16string& name) const { return FindUser(name).value_or(1); }

std::u16string Preferences::Users(std::int32_t index) const {
  const int line = FindLine(UserLineName(std::int64_t{index} + 1));
  return line < 0 ? std::u16string() : entries_.GetValueFromIndex(line);
}

void Preferences::AddUser(const std::u16string& name) {
  if (HoldsBreak(name)) {
    EngineError(u"User not added: the name holds a line break");
    return;
  }
  Compact();
  if (entries_.Count() == 0) return;
  // A first line that is no count leaves the store as it is.
  const std::optional<std::int32_t> count = ToInt32(entries_.Get(0));
  if (!count || *count == std::numeric_limits<std::int32_t>::max()) return;
  const std::int32_t number = *count + 1;
  const std::u16string line = UserLineName(number) + u"=" + name;
  const std::int64_t units = units_ + LineUnits(line) + LineUnits(IntToStr(number)) - LineUnits(entries_.GetRef(0));
  if (const std::u16string refused = Refusal(entries_.Count() + 1, units); !refused.empty()) {
    EngineError(u"User " + name + u" not added: " + refused);
    return;
  }
  entries_.Put(0, IntToStr(number));
  entries_.Insert(1, line);
  SetUser(name);
}

void Preferences::RenameUser(const std::u16string& oldName, const std::u16string& newName) {
  if (HoldsBreak(newName)) {
    EngineError(u"User not renamed: the new name holds a line break");
    return;
  }
  const std::optional<std::int32_t> k = FindUser(oldName);
  if (!k) return;
  Compact();
  const int line = UserLine(*k);
  // The line keeps its place even for an empty new name (setting an empty
  // value would remove the user's line and leave the count wrong).
  const std::u16string text = entries_.GetName(line) + u"=" + newName;
  const std::int64_t units = units_ + LineUnits(text) - LineUnits(entries_.GetRef(line));
  if (const std::u16string refused = Refusal(entries_.Count(), units); !refused.empty()) {
    EngineError(u"User " + oldName + u" not renamed: " + refused);
    return;
  }
  entries_.Put(line, text);
  EngineLog(u"ok! user name chaged from " + oldName + u" to " + newName);
}

void Preferences::DeleteUser(const std::u16string& name) {
  Compact();
  if (entries_.Count() == 0) return;
  const std::int32_t count = GetUserCount();
  if (count < 1) return;
  const std::optional<std::int32_t> k = FindUser(name);
  if (!k) return;
  // The user's own lines go; every later user moves down one number with
  // its settings, so numbers 1 .. count - 1 stay in use. Lines of numbers
  // beyond the count were unreachable before and stay as they are. Built
  // anew in one pass rather than deleted line by line.
  TWideStringList kept;
  kept.SetCapacity(entries_.Count());
  kept.Add(IntToStr(count - 1));
  for (int i = 1; i < entries_.Count(); ++i) {
    std::u16string line = entries_.Get(i);
    const std::optional<TUserLineRef> ref = ParseUserLine(line);
    if (ref && ref->number == *k) continue;
    if (ref && ref->number > *k && ref->number <= count)
      line.replace(ref->digitsBegin, ref->digitsEnd - ref->digitsBegin, IntToStr(ref->number - 1));
    kept.Add(line);
  }
  entries_.BeginUpdate();
  entries_.Clear();
  entries_.AddStrings(kept);
  entries_.EndUpdate();
}

// ---------------------------------------------------------------- settings

std::u16string Preferences::GetValue(const std::u16string& key) const {
  const int line = FindLine(SettingName(key));
  return line < 0 ? std::u16string() : entries_.GetValueFromIndex(line);
}

void Preferences::SetValue(const std::u16string& key, const std::u16string& value) {
  // A key with "=" would never be found again (the line's name ends at its
  // first "="), and every set would add a line.
  if (HoldsBreak(key) || key.find(u'=') != std::u16string::npos) {
    EngineError(u"Preference not set: its key holds \"=\" or a line break");
    return;
  }
  if (HoldsBreak(value)) {
    EngineError(u"Preference " + key + u" not set: its value holds a line break");
    return;
  }
  SetLine(SettingName(key), value, u"Preference " + key);
}

bool Preferences::HasValue(const std::u16string& key) const { return FindLine(SettingName(key)) >= 0; }

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
