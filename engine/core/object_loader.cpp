#include "engine/core/object_loader.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "base/streams/stream_nesting.h"
#include "base/streams/value_type.h"
#include "base/system/log_target.h"
#include "base/text/good_text.h"
#include "base/text/number_text.h"
#include "engine/core/close_request.h"
#include "engine/core/object_factory.h"

namespace corvane {

namespace {

TObjectLoader& Loader() {
  static TObjectLoader loader;
  return loader;
}

struct TLoading {
  TResourceMan* ResMan;
  std::u16string FileName;
};

std::vector<TLoading>& Loading() {
  static std::vector<TLoading> loading;
  return loading;
}

// What the load in progress has read so far.
struct TLoadBudget {
  std::u16string FileName;  // the file the load began with
  int Files = 0;
  std::int64_t Bytes = 0;
  std::int64_t Objects = 0;
  bool Spent = false;
  std::vector<std::u16string> SelfIncluding;  // reported already
};

TLoadLimits& Limits() {
  static TLoadLimits limits;
  return limits;
}

TLoadBudget& Budget() {
  static TLoadBudget budget;
  return budget;
}

// Stops the load; the first refusal says why.
bool Spend(const std::u16string& what) {
  TLoadBudget& budget = Budget();
  if (!budget.Spent) EngineError(u"Loading of " + budget.FileName + u" stopped: more than " + what);
  budget.Spent = true;
  return false;
}

}  // namespace

const TLoadLimits& LoadLimits() { return Limits(); }

void SetLoadLimits(const TLoadLimits& limits) { Limits() = limits; }

void SetObjectLoader(TObjectLoader loader) { Loader() = std::move(loader); }

bool HasObjectLoader() { return static_cast<bool>(Loader()); }

BaseObject* LoadObject(TResourceMan* resMan, const std::u16string& fileName, BaseObject* parent, BaseObject* root,
                       bool useCache) {
  if (!Loader()) {
    EngineError(u"No object loader for " + fileName);
    return nullptr;
  }
  if (!AcceptsNewChildren(root ? root : parent)) return nullptr;
  std::vector<TLoading>& loading = Loading();
  if (loading.empty()) {
    Budget() = TLoadBudget();
    Budget().FileName = fileName;
  } else if (Budget().Spent) {
    return nullptr;  // said once already
  }
  const bool repeat = std::any_of(loading.begin(), loading.end(), [&](const TLoading& l) {
    return l.ResMan == resMan && GOODCompareText(l.FileName, fileName) == 0;
  });
  if (repeat) {
    // Once per file and load: files that name one another meet themselves
    // at every turn.
    std::vector<std::u16string>& reported = Budget().SelfIncluding;
    if (std::none_of(reported.begin(), reported.end(),
                     [&](const std::u16string& name) { return GOODCompareText(name, fileName) == 0; })) {
      reported.push_back(fileName);
      EngineError(u"Object file " + fileName + u" includes itself");
    }
    return nullptr;
  }
  if (static_cast<int>(loading.size()) >= kMaxLoadDepth) {
    EngineError(u"Object files nested deeper than " + IntToStr(kMaxLoadDepth) + u" levels at " + fileName);
    return nullptr;
  }
  // A file included while another is read nests in it; the first does not.
  std::optional<TStreamNestingLevel> level;
  if (!loading.empty()) level.emplace();
  if (level && !level->Entered()) {
    EngineError(u"Object stream nested deeper than " + IntToStr(kMaxStreamDepth) + u" levels at " + fileName);
    return nullptr;
  }
  if (Budget().Files >= Limits().Files) {
    Spend(IntToStr(Limits().Files) + u" object files");
    return nullptr;
  }
  ++Budget().Files;
  loading.push_back({resMan, fileName});
  struct Pop {
    ~Pop() { Loading().pop_back(); }
  } pop;
  return Loader()(resMan, fileName, parent, root, useCache);
}

BaseObject* LoadOwnObject(TResourceMan* resMan, const std::u16string& fileName, BaseObject* parent) {
  // The load in progress steps aside and comes back however this one ends.
  struct TAside {
    std::vector<TLoading> loading = std::exchange(Loading(), {});
    TLoadBudget budget = std::exchange(Budget(), {});
    ~TAside() {
      Loading() = std::move(loading);
      Budget() = std::move(budget);
    }
  } aside;
  return LoadObject(resMan, fileName, parent, nullptr, false);
}

bool ChargeLoadBytes(std::int64_t bytes) {
  if (Loading().empty()) return true;
  TLoadBudget& budget = Budget();
  if (budget.Spent) return false;
  budget.Bytes += std::max<std::int64_t>(bytes, 0);
  if (budget.Bytes > Limits().Bytes) return Spend(IntToStr(Limits().Bytes) + u" bytes of object files");
  return true;
}

bool ChargeLoadObject() {
  if (Loading().empty()) return true;
  TLoadBudget& budget = Budget();
  if (budget.Spent) return false;
  if (++budget.Objects > Limits().Objects) return Spend(IntToStr(Limits().Objects) + u" objects");
  return !LoadStopsForClose();
}

bool LoadStopsForClose() {
  if (Loading().empty() || !CloseRequestHeard()) return false;
  TLoadBudget& budget = Budget();
  if (!budget.Spent) EngineLog(u"Loading of " + budget.FileName + u" stopped: the program is closing");
  budget.Spent = true;
  return true;
}

}  // namespace corvane
