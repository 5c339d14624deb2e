#include "base/reflection/class_registry.h"

#include <algorithm>
#include <memory>

#include "base/reflection/component.h"
#include "base/streams/fixups.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

class TRegGroup {
 public:
  explicit TRegGroup(TClass groupClass) { groupClasses_.push_back(groupClass); }

  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  const std::vector<TClass>& GroupClasses() const { return groupClasses_; }
  void AddGroupClass(TClass cls) { groupClasses_.push_back(cls); }
  bool HasClassList() const { return hasClassList_; }
  std::vector<TClass>& Classes() { return classes_; }
  const std::vector<TClass>& Classes() const { return classes_; }

  // The most derived group class that cls descends from.
  TClass BestClass(TClass cls) const {
    TClass best = nullptr;
    for (TClass g : groupClasses_)
      if (cls->InheritsFrom(g) && (!best || g->InheritsFrom(best))) best = g;
    return best;
  }
  bool InGroup(TClass cls) const { return BestClass(cls) != nullptr; }
  bool Registered(TClass cls) const { return std::find(classes_.begin(), classes_.end(), cls) != classes_.end(); }

  TClass GetClass(std::string_view name) const {
    for (TClass c : classes_)
      if (SameText(c->Name(), name)) return c;
    for (const auto& [alias, c] : aliases_)
      if (SameText(alias, name)) return c;
    return nullptr;
  }

  // Appends; returns true when the group created its class list now.
  bool AddClass(TClass cls) {
    if (GetClass(cls->Name())) EngineLog(u"Duplicate class " + WidenLatin1(cls->Name()));
    const bool created = !hasClassList_;
    hasClassList_ = true;
    classes_.push_back(cls);
    return created;
  }
  void AddAlias(std::string_view alias, TClass cls) { aliases_.emplace_back(std::string(alias), cls); }
  void RemoveClass(TClass cls) {
    classes_.erase(std::remove(classes_.begin(), classes_.end(), cls), classes_.end());
    aliases_.erase(std::remove_if(aliases_.begin(), aliases_.end(), [&](const auto& a) { return a.second == cls; }),
                   aliases_.end());
  }

 private:
  std::vector<TClass> classes_;
  bool hasClassList_ = false;
  std::vector<std::pair<std::string, TClass>> aliases_;
  std::vector<TClass> groupClasses_;
  bool active_ = false;
};

namespace {

struct TRegGroups {
  TRegGroups() {
    groups.push_back(std::make_unique<TRegGroup>(TPersistent::StaticClass()));
    groups.back()->SetActive(true);
  }

  // The group whose best class for cls is the most derived; the later one
  // wins a tie.
  TRegGroup* FindGroup(TClass cls) const {
    TRegGroup* found = nullptr;
    TClass foundBest = nullptr;
    for (const auto& g : groups) {
      const TClass best = g->BestClass(cls);
      if (best && (!foundBest || best->InheritsFrom(foundBest))) {
        found = g.get();
        foundBest = best;
      }
    }
    return found;
  }
  bool Registered(TClass cls) const {
    return std::any_of(groups.begin(), groups.end(), [&](const auto& g) { return g->Registered(cls); });
  }
  void RegisterInGroup(TClass cls);

  std::vector<std::unique_ptr<TRegGroup>> groups;
  TClass activeClass = nullptr;
  std::vector<TClass>* globalClassList = nullptr;
};

std::unique_ptr<TRegGroups> gRegGroups;
std::vector<TFindGlobalComponent> gFindGlobalComponentProcs;

struct TIntConst {
  const TTypeInfo* IntegerType;
  TIdentToInt IdentToInt;
  TIntToIdent IntToIdent;
};
std::vector<TIntConst> gIntConsts;

std::unique_ptr<std::vector<TGComponent*>> gGlobalLoaded;
std::vector<std::unique_ptr<std::vector<TGComponent*>>> gGlobalLoadedStack;

TRegGroups& RegGroups() {
  if (!gRegGroups) gRegGroups = std::make_unique<TRegGroups>();
  return *gRegGroups;
}

void TRegGroups::RegisterInGroup(TClass cls) {
  TRegGroup* group = FindGroup(cls);
  if (!group) return;  // not a persistent: silently not registered
  if (group->AddClass(cls)) globalClassList = &group->Classes();
}

}  // namespace

TIsUniqueGlobalComponentName IsUniqueGlobalComponentNameProc = nullptr;

void RegisterClass(TClass cls) {
  TRegGroups& groups = RegGroups();
  const TClass persistent = TPersistent::StaticClass();
  while (cls && !groups.Registered(cls)) {
    groups.RegisterInGroup(cls);
    if (cls == persistent) break;
    cls = cls->Parent();
  }
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes) RegisterClass(c);
}

void RegisterClassAlias(TClass cls, std::string_view alias) {
  TRegGroups& groups = RegGroups();
  TRegGroup* group = groups.FindGroup(cls);
  if (!group) return;
  if (group->AddClass(cls)) groups.globalClassList = &group->Classes();
  group->AddAlias(alias, cls);
}

void UnRegisterClass(TClass cls) {
  if (!gRegGroups) return;
  for (const auto& g : gRegGroups->groups) g->RemoveClass(cls);
}

void UnRegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes) UnRegisterClass(c);
}

void UnRegisterModuleClasses(std::uintptr_t /*module*/) {}

void StartClassGroup(TClass cls) {
  TRegGroups& groups = RegGroups();
  for (const auto& g : groups.groups) {
    const auto& gc = g->GroupClasses();
    if (std::find(gc.begin(), gc.end(), cls) != gc.end()) return;
  }
  groups.groups.push_back(std::make_unique<TRegGroup>(cls));
}

void GroupDescendentsWith(TClass cls, TClass groupClass) {
  TRegGroups& groups = RegGroups();
  TRegGroup* target = groups.FindGroup(groupClass);
  if (!target) {
    EngineLog(u"SUnknownGroup" + WidenLatin1(groupClass->Name()));
    return;
  }
  target->AddGroupClass(cls);
  for (const auto& g : groups.groups) {
    if (g.get() == target || !g->HasClassList()) continue;
    auto& list = g->Classes();
    for (int i = static_cast<int>(list.size()) - 1; i >= 0; --i) {
      const TClass c = list[static_cast<std::size_t>(i)];
      if (c->InheritsFrom(cls) && groups.FindGroup(c) == target) {
        list.erase(list.begin() + i);
        if (target->AddClass(c)) groups.globalClassList = &target->Classes();
      }
    }
  }
}

TClass ActivateClassGroup(TClass cls) {
  TRegGroups& groups = RegGroups();
  const TClass previous = groups.activeClass;
  if (cls != previous) {
    groups.activeClass = cls;
    for (const auto& g : groups.groups) g->SetActive(cls && g->InGroup(cls));
  }
  return previous;
}

TClass ActiveClassGroup() { return gRegGroups ? gRegGroups->activeClass : nullptr; }

TClass ClassGroupOf(TClass cls) {
  if (!gRegGroups || !cls) return nullptr;
  const TRegGroup* group = gRegGroups->FindGroup(cls);
  return group ? group->GroupClasses().front() : nullptr;
}

TClass ClassGroupOf(const TPersistent* instance) {
  while (instance) {
    if (const TClass group = ClassGroupOf(instance->ClassType())) return group;
    instance = instance->GetOwner();
  }
  return nullptr;
}

TClass GetClass(std::string_view name) {
  if (!gRegGroups) return nullptr;
  for (const auto& g : gRegGroups->groups)
    if (g->Active())
      if (const TClass c = g->GetClass(name)) return c;
  return nullptr;
}

TClass FindClass(std::string_view name) {
  const TClass c = GetClass(name);
  if (!c) EngineLog(u"Class not found " + WidenLatin1(name));
  return c;
}

const std::vector<TClass>* GlobalClassList() { return gRegGroups ? gRegGroups->globalClassList : nullptr; }

void FinalizeClassRegistry() {
  RemoveFixupReferences(nullptr, "");
  gRegGroups.reset();
  gFindGlobalComponentProcs.clear();
}

TClassFinder::TClassFinder(TClass cls, bool includeActiveGroups) {
  TRegGroups& groups = RegGroups();
  if (!cls) cls = groups.activeClass;
  if (cls)
    for (const auto& g : groups.groups)
      if (g->InGroup(cls)) groups_.push_back(g.get());
  if (includeActiveGroups)
    for (const auto& g : groups.groups)
      if (g->Active()) groups_.push_back(g.get());
}

TClass TClassFinder::GetClass(std::string_view name) const {
  for (const TRegGroup* g : groups_)
    if (const TClass c = g->GetClass(name)) return c;
  return nullptr;
}

void TClassFinder::GetClasses(const std::function<void(TClass)>& proc) const {
  for (const TRegGroup* g : groups_)
    for (TClass c : g->Classes()) proc(c);
}

void RegisterIntegerConsts(const TTypeInfo* integerType, TIdentToInt identToInt, TIntToIdent intToIdent) {
  gIntConsts.push_back({integerType, identToInt, intToIdent});
}

void UnRegisterIntegerConsts(const TTypeInfo* integerType, TIdentToInt identToInt, TIntToIdent intToIdent) {
  std::erase_if(gIntConsts, [&](const TIntConst& c) {
    return c.IntegerType == integerType && c.IdentToInt == identToInt && c.IntToIdent == intToIdent;
  });
}

TIdentToInt FindIdentToInt(const TTypeInfo* integerType) {
  for (auto it = gIntConsts.rbegin(); it != gIntConsts.rend(); ++it)
    if (it->IntegerType == integerType) return it->IdentToInt;
  return nullptr;
}

TIntToIdent FindIntToIdent(const TTypeInfo* integerType) {
  for (auto it = gIntConsts.rbegin(); it != gIntConsts.rend(); ++it)
    if (it->IntegerType == integerType) return it->IntToIdent;
  return nullptr;
}

bool IdentToInt(std::string_view ident, std::int32_t& value, std::span<const TIdentMapEntry> map) {
  for (const TIdentMapEntry& e : map)
    if (SameText(e.Name, ident)) {
      value = e.Value;
      return true;
    }
  return false;
}

bool IntToIdent(std::int32_t value, std::string& ident, std::span<const TIdentMapEntry> map) {
  for (const TIdentMapEntry& e : map)
    if (e.Value == value) {
      ident = e.Name;
      return true;
    }
  return false;
}

void RegisterFindGlobalComponentProc(TFindGlobalComponent proc) {
  if (std::find(gFindGlobalComponentProcs.begin(), gFindGlobalComponentProcs.end(), proc) ==
      gFindGlobalComponentProcs.end())
    gFindGlobalComponentProcs.push_back(proc);
}

void UnRegisterFindGlobalComponentProc(TFindGlobalComponent proc) { std::erase(gFindGlobalComponentProcs, proc); }

TGComponent* FindGlobalComponent(std::string_view name) {
  for (auto it = gFindGlobalComponentProcs.rbegin(); it != gFindGlobalComponentProcs.rend(); ++it)
    if (TGComponent* c = (*it)(name)) return c;
  return nullptr;
}

bool IsUniqueGlobalComponentName(std::string_view name) {
  if (IsUniqueGlobalComponentNameProc) return IsUniqueGlobalComponentNameProc(name);
  return FindGlobalComponent(name) == nullptr;
}

void BeginGlobalLoading() {
  gGlobalLoadedStack.push_back(std::move(gGlobalLoaded));
  gGlobalLoaded = std::make_unique<std::vector<TGComponent*>>();
}

void NotifyGlobalLoading() {
  if (!gGlobalLoaded) return;
  for (TGComponent* c : *gGlobalLoaded)
    if (!c->IsLoaded() && !c->HasState(csLoadingProps)) c->Loaded();
}

void EndGlobalLoading() {
  gGlobalLoaded.reset();
  if (gGlobalLoadedStack.empty()) return;
  gGlobalLoaded = std::move(gGlobalLoadedStack.back());
  gGlobalLoadedStack.pop_back();
}

std::vector<TGComponent*>* GlobalLoaded() { return gGlobalLoaded.get(); }

}  // namespace corvane
