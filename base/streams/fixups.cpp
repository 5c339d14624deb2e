#include "base/streams/fixups.h"

#include <algorithm>
#include <memory>

#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "base/reflection/exceptions.h"
#include "base/reflection/prop_access.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

std::vector<std::unique_ptr<TPropFixup>>& GlobalFixups() {
  static std::vector<std::unique_ptr<TPropFixup>> list;
  return list;
}

template <class Pred>
void EraseGlobal(Pred pred) {
  auto& list = GlobalFixups();
  for (std::size_t i = list.size(); i-- > 0;)
    if (pred(*list[i])) list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
}

}  // namespace

TPropFixup::TPropFixup(TPersistent* instance, TGComponent* instanceRoot, const TPropInfo* prop, std::string rootName,
                       std::string name)
    : Instance(instance),
      InstanceHandle(instance),
      InstanceRoot(instanceRoot),
      PropInfo(prop),
      RootName(std::move(rootName)),
      Name(std::move(name)) {}

void TPropFixup::ResolveReference(TGComponent* reference) {
  if (!InstanceHandle.Get()) return;
  try {
    SetObjectProp(*Instance, *PropInfo, reference);
  } catch (const EConvertError&) {
    SetObjectProp(*Instance, *PropInfo, nullptr);
  }
}

bool TPropFixup::MakeGlobalReference() {
  const auto dot = Name.find('.');
  if (dot == std::string::npos) return false;
  RootName = Name.substr(0, dot);
  Name = Name.substr(dot + 1);
  return true;
}

TGComponent* FindNestedComponent(TGComponent* root, std::string_view namePath) {
  if (namePath.empty()) return nullptr;
  TGComponent* current = root;
  std::size_t i = 0;
  while (i < namePath.size()) {
    std::size_t end = i;
    while (end < namePath.size() && namePath[end] != '.' && namePath[end] != '-') ++end;
    const std::string_view name = namePath.substr(i, end - i);
    TGComponent* found = current ? current->FindComponent(WidenLatin1(name)) : nullptr;
    if (!found && SameText(name, "Owner")) found = current;
    if (!found) return nullptr;
    current = found;
    i = end;
    if (i < namePath.size() && namePath[i] == '.') ++i;
    if (i < namePath.size() && namePath[i] == '-') ++i;
    if (i < namePath.size() && namePath[i] == '>') ++i;
  }
  return current;
}

void AddGlobalFixup(std::unique_ptr<TPropFixup> fixup) { GlobalFixups().push_back(std::move(fixup)); }

void RemoveGlobalFixupsFor(TPersistent* instance, const TPropInfo* prop) {
  EraseGlobal([&](const TPropFixup& f) { return f.Instance == instance && f.PropInfo == prop; });
}

void GlobalFixupReferences() {
  auto& list = GlobalFixups();
  if (list.empty()) return;
  std::vector<TPersistent*> finished, unfinished;
  auto markUnfinished = [&](TPersistent* i) {
    std::erase(finished, i);
    if (std::find(unfinished.begin(), unfinished.end(), i) == unfinished.end()) unfinished.push_back(i);
  };
  auto markFinished = [&](TPersistent* i) {
    if (std::find(unfinished.begin(), unfinished.end(), i) != unfinished.end() &&
        std::find(finished.begin(), finished.end(), i) == finished.end())
      finished.push_back(i);
  };
  std::size_t i = 0;
  while (i < list.size()) {
    TPropFixup& f = *list[i];
    TGComponent* root = FindGlobalComponent(f.RootName);
    if (root && !root->HasState(csReading)) {
      f.ResolveReference(FindNestedComponent(root, f.Name));
      markFinished(f.Instance);
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    } else if (root) {
      markUnfinished(f.Instance);
      ++i;
    } else if (GetObjectProp(*f.Instance, *f.PropInfo)) {
      markFinished(f.Instance);
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      markUnfinished(f.Instance);
      ++i;
    }
  }
  for (TPersistent* instance : finished)
    if (auto* c = dynamic_cast<TGComponent*>(instance)) c->ExcludeState(csFixups);
}

void GetFixupReferenceNames(TGComponent* root, std::vector<std::string>& names) {
  for (const auto& f : GlobalFixups()) {
    if (root && f->InstanceRoot != root) continue;
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, f->RootName); }))
      names.push_back(f->RootName);
  }
}

void RedirectFixupReferences(TGComponent* root, std::string_view oldRootName, std::string_view newRootName) {
  for (const auto& f : GlobalFixups())
    if ((!root || f->InstanceRoot == root) && SameText(f->RootName, oldRootName)) f->RootName = std::string(newRootName);
  GlobalFixupReferences();
}

void RemoveFixupReferences(TGComponent* root, std::string_view rootName) {
  EraseGlobal([&](const TPropFixup& f) {
    return (!root || f.InstanceRoot == root) && (rootName.empty() || SameText(f.RootName, rootName));
  });
}

void RemoveFixups(TPersistent* instance) {
  EraseGlobal([&](const TPropFixup& f) { return f.Instance == instance; });
}

void GetFixupInstanceNames(TGComponent* root, std::string_view referenceRootName, std::vector<std::string>& names) {
  for (const auto& f : GlobalFixups()) {
    if (f->InstanceRoot != root || !SameText(f->RootName, referenceRootName)) continue;
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, f->Name); }))
      names.push_back(f->Name);
  }
}

int GlobalFixupCount() { return static_cast<int>(GlobalFixups().size()); }

void ForgetFixupsOf(const TPersistent* object) {
  auto& list = GlobalFixups();
  if (list.empty()) return;
  EraseGlobal([&](const TPropFixup& f) { return f.Instance == object || f.InstanceRoot == object; });
}

}  // namespace corvane
