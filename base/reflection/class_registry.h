// The registry of classes by name: every class that can appear in an object
// stream or that scripts may create is registered, explicitly, when the
// program starts (one register function per subsystem). Lookups compare
// names without case and never throw; failures go to the engine log.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/reflection/class_info.h"
#include "base/reflection/persistent.h"

namespace corvane {

class TGComponent;

// Registers the class, then each ancestor not yet registered, walking
// towards TPersistent. A class whose name is taken logs
// "Duplicate class <name>" and is appended all the same (lookups keep
// returning the first).
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void RegisterClassAlias(TClass cls, std::string_view alias);
void UnRegisterClass(TClass cls);
void UnRegisterClasses(std::initializer_list<TClass> classes);
// Drops the classes a loadable module brought. Every class is compiled into
// the program, none belongs to a module, so this changes nothing.
void UnRegisterModuleClasses(std::uintptr_t module);

// Registration groups.
void StartClassGroup(TClass cls);
void GroupDescendentsWith(TClass cls, TClass groupClass);
TClass ActivateClassGroup(TClass cls);
TClass ActiveClassGroup();
TClass ClassGroupOf(TClass cls);
TClass ClassGroupOf(const TPersistent* instance);

// The first class of that name in an active group; nullptr when none.
TClass GetClass(std::string_view name);
// GetClass, logging "Class not found <name>" when there is none.
TClass FindClass(std::string_view name);
// Every registered class of the default group, in registration order;
// nullptr before anything was registered.
const std::vector<TClass>* GlobalClassList();

// Frees the registry and the global component finders; the next
// registration starts an empty one. Called when the program ends.
void FinalizeClassRegistry();

class TRegGroup;

// Class lookup for one root read: the groups of a class, then (optionally)
// every active group.
class TClassFinder {
 public:
  explicit TClassFinder(TClass cls = nullptr, bool includeActiveGroups = false);
  TClass GetClass(std::string_view name) const;
  void GetClasses(const std::function<void(TClass)>& proc) const;

 private:
  std::vector<const TRegGroup*> groups_;
};

// Integer constants streamed by name.
struct TIdentMapEntry {
  std::int32_t Value;
  const char* Name;
};
using TIdentToInt = bool (*)(std::string_view ident, std::int32_t& value);
using TIntToIdent = bool (*)(std::int32_t value, std::string& ident);

void RegisterIntegerConsts(const TTypeInfo* integerType, TIdentToInt identToInt, TIntToIdent intToIdent);
void UnRegisterIntegerConsts(const TTypeInfo* integerType, TIdentToInt identToInt, TIntToIdent intToIdent);
TIdentToInt FindIdentToInt(const TTypeInfo* integerType);
TIntToIdent FindIntToIdent(const TTypeInfo* integerType);
bool IdentToInt(std::string_view ident, std::int32_t& value, std::span<const TIdentMapEntry> map);
bool IntToIdent(std::int32_t value, std::string& ident, std::span<const TIdentMapEntry> map);

// Finders of components of other roots, asked from the last registered.
using TFindGlobalComponent = TGComponent* (*)(std::string_view name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent proc);
void UnRegisterFindGlobalComponentProc(TFindGlobalComponent proc);
TGComponent* FindGlobalComponent(std::string_view name);
using TIsUniqueGlobalComponentName = bool (*)(std::string_view name);
extern TIsUniqueGlobalComponentName IsUniqueGlobalComponentNameProc;
bool IsUniqueGlobalComponentName(std::string_view name);

// Global loading: Loaded calls gathered over several root reads.
void BeginGlobalLoading();
void NotifyGlobalLoading();
void EndGlobalLoading();
// The current list, nullptr unless global loading was begun.
std::vector<TGComponent*>* GlobalLoaded();

}  // namespace corvane
