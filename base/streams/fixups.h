// Reference fixups: a class property stored as a component name is
// resolved once the whole tree is read. A reference into another root
// ("Root.Name") that cannot be resolved locally waits in a global list.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/reflection/object.h"

namespace corvane {

class TGComponent;
class TPersistent;
class TPropInfo;

class TPropFixup {
 public:
  TPropFixup(TPersistent* instance, TGComponent* instanceRoot, const TPropInfo* prop, std::string rootName,
             std::string name);
  virtual ~TPropFixup() = default;

  // Sets the property to the component (nullptr: none). A component of a
  // class the property cannot hold counts as none.
  virtual void ResolveReference(TGComponent* reference);
  // "Root.Rest": RootName := "Root", Name := "Rest"; false without a dot.
  bool MakeGlobalReference();

  TPersistent* Instance;
  // Local fixups outlive nothing, but an instance may die while its read
  // goes on (a record dropped on error): resolution skips dead instances.
  TWeak<TPersistent> InstanceHandle;
  TGComponent* InstanceRoot;
  const TPropInfo* PropInfo;
  std::string RootName;
  std::string Name;
};

// The component reached from root along a path whose steps are separated by
// ".", "-" or "->"; "Owner" names the current component. nullptr for an
// empty path or a missing step.
TGComponent* FindNestedComponent(TGComponent* root, std::string_view namePath);

// The global list.
void AddGlobalFixup(std::unique_ptr<TPropFixup> fixup);
// Frees the global fixups of the same instance and property.
void RemoveGlobalFixupsFor(TPersistent* instance, const TPropInfo* prop);
void GlobalFixupReferences();
void GetFixupReferenceNames(TGComponent* root, std::vector<std::string>& names);
void RedirectFixupReferences(TGComponent* root, std::string_view oldRootName, std::string_view newRootName);
// root nullptr: any root; empty rootName: any root name.
void RemoveFixupReferences(TGComponent* root, std::string_view rootName);
void RemoveFixups(TPersistent* instance);
void GetFixupInstanceNames(TGComponent* root, std::string_view referenceRootName, std::vector<std::string>& names);
int GlobalFixupCount();
// Called when an object is destroyed: its pending references go, so the
// list never holds a dead instance or root.
void ForgetFixupsOf(const TPersistent* object);

}  // namespace corvane
