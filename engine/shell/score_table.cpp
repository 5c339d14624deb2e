#include "engine/shell/score_table.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "base/reflection/class_builder.h"
#include "base/lists/wide_string_file.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/applet_data_file.h"

namespace corvane {

std::int32_t MaxScores = kDefaultMaxScores;

CORVANE_IMPLEMENT_CLASS(ScoreTable)

namespace {

// A score travels as its line's object: the 32-bit value in the low bits
// of the slot, never dereferenced.
TObject* ScoreSlot(std::int32_t score) {
  return reinterpret_cast<TObject*>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(score)));
}

std::int32_t SlotScore(const TObject* slot) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(slot)));
}

// Added lines wait for at least this many before they are placed unread.
constexpr std::size_t kMergeAtLeast = 64;

// The split of a line: the score is what follows the last "=", so a name
// may hold "=" itself. A line without "=" is all name.
std::size_t ScoreSeparator(std::u16string_view line) { return line.rfind(u'='); }

// What a line takes in the file: its units and a CR LF.
std::int64_t LineUnits(std::u16string_view line) { return static_cast<std::int64_t>(line.size()) + 2; }

std::int32_t ParseScore(std::u16string_view line) {
  const std::size_t equals = ScoreSeparator(line);
  if (equals == std::u16string_view::npos) return 0;
  const std::optional<std::int64_t> value = TryStrToInt64(line.substr(equals + 1));
  if (!value || *value < std::numeric_limits<std::int32_t>::min() || *value > std::numeric_limits<std::int32_t>::max())
    return 0;
  return static_cast<std::int32_t>(*value);
}

}  // namespace

void ScoreTable::Describe(TClassBuilder<ScoreTable>& c) {
  c.Property("count", &ScoreTable::ScoreCount, [](ScoreTable&, std::int32_t) {}).Stored(false);
  c.Method("store", &ScoreTable::Store);
  c.Method("load", &ScoreTable::Load);
  c.Method("addScore", &ScoreTable::AddScore);
  c.Method("names", &ScoreTable::Names);
  c.Method("scores", &ScoreTable::Scores);
}

ScoreTable::ScoreTable(const TCreateContext& context) : BaseObject(context) {
  // The table keeps its order itself, placing each new line: a list kept
  // sorted would sort all of it again for every score.
  entries_.SetSortByObject(true);
}

void ScoreTable::AddScore(const std::u16string& name, std::int32_t score) {
  // The same line for every refused add, so that the log counts repeats.
  const std::u16string refused = u"Score not added: ";
  if (std::any_of(name.begin(), name.end(), IsWideTextBreak)) {
    EngineError(refused + u"its name holds a line break");
    return;
  }
  const std::int32_t placed = entries_.Count();
  const auto lines = static_cast<std::int64_t>(placed) + static_cast<std::int64_t>(added_.size());
  if (lines >= MaxScores) {
    EngineError(refused + u"the score table holds its limit of " + IntToStr(MaxScores) + u" lines (-maxscores)");
    return;
  }
  // Measured before it is made: a refused name of any length costs no copy.
  const std::u16string number = IntToStr(score);
  const std::int64_t units = units_ + static_cast<std::int64_t>(name.size() + 1) + LineUnits(number);
  if (const std::u16string full = file_.Refusal(lines + 1, units); !full.empty()) {
    EngineError(refused + full);
    return;
  }
  units_ = units;
  added_.push_back({name + u"=" + number, score});
  // Placed once they are as many as the lines already there: the merge
  // then costs each add a constant share, and the added lines stay bounded.
  if (added_.size() >= std::max<std::size_t>(static_cast<std::size_t>(placed), kMergeAtLeast)) Placed();
}

TWideStringList& ScoreTable::Placed() const {
  if (added_.empty()) return entries_;
  if (!ordered_) entries_.Sort();
  ordered_ = true;
  // Highest first, the lines added later below the ones of the same score
  // already there and below those added before them.
  std::stable_sort(added_.begin(), added_.end(), [](const TAdded& a, const TAdded& b) { return a.Score > b.Score; });
  std::vector<TAdded> merged;
  merged.reserve(static_cast<std::size_t>(entries_.Count()) + added_.size());
  std::size_t old = 0;
  std::size_t next = 0;
  const std::size_t oldCount = static_cast<std::size_t>(entries_.Count());
  while (old < oldCount || next < added_.size()) {
    const std::int32_t oldScore = old < oldCount ? SlotScore(entries_.GetObject(static_cast<int>(old))) : 0;
    if (old < oldCount && (next == added_.size() || oldScore >= added_[next].Score)) {
      merged.push_back({entries_.Get(static_cast<int>(old)), oldScore});
      ++old;
    } else {
      merged.push_back(std::move(added_[next++]));
    }
  }
  added_.clear();
  entries_.BeginUpdate();
  entries_.Clear();
  for (TAdded& line : merged) entries_.AddObject(std::move(line.Line), ScoreSlot(line.Score));
  entries_.EndUpdate();
  return entries_;
}

std::u16string ScoreTable::Names(std::int32_t index) const {
  if (index < 0 || index >= Placed().Count()) return {};
  const std::u16string line = entries_.Get(index);
  const std::size_t equals = ScoreSeparator(line);
  return equals == std::u16string::npos ? line : line.substr(0, equals);
}

std::int32_t ScoreTable::Scores(std::int32_t index) const {
  if (index < 0 || index >= Placed().Count()) return 0;
  return SlotScore(entries_.GetObject(index));
}

std::string ScoreTable::DataFileName() { return file_.Name(); }

void ScoreTable::Load() {
  // The file replaces the table, the lines added since its last read too.
  if (!file_.Load(entries_)) return;
  added_.clear();
  ordered_ = true;
  units_ = 0;
  // More lines than the budget: left out whole, never cut, and the file is
  // not written over while this run holds something else.
  if (entries_.Count() > MaxScores) {
    EngineError(u"Score table " + Utf8ToUtf16(file_.Name()) + u" holds " + IntToStr(entries_.Count()) +
                u" lines, more than the limit of " + IntToStr(MaxScores) +
                u" (-maxscores): not loaded, the file is kept as it is");
    entries_.Clear();
    file_.Keep(u"holds more lines than the score table takes");
    return;
  }
  // The lines stay in file order; the scores are read back from the text.
  for (int i = 0; i < entries_.Count(); ++i) {
    const std::u16string& line = entries_.GetRef(i);
    units_ += LineUnits(line);
    entries_.PutObject(i, ScoreSlot(ParseScore(line)));
    if (i > 0 && Scores(i - 1) < Scores(i)) ordered_ = false;
  }
}

void ScoreTable::Store() {
  if (Placed().Count() == 0) return;
  file_.Store(entries_);
}

}  // namespace corvane
