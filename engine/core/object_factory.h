// Objects made at run time: by class name, from an object file, and the
// mission an object belongs to. Objects made here carry csExternal: they
// live in the tree but are not written when their parent is saved.
#pragma once

#include <string>

namespace corvane {

class BaseObject;

// A new object of the registered class under the parent; nullptr (with
// "Can't found class <name>") when no class has that name. Not loaded: the
// caller names and registers it.
BaseObject* CreateObject(const std::string& className, BaseObject* parent);
// The object file loaded under the parent, through the parent's applet's
// resource manager (the engine's external one for a name with a colon).
BaseObject* CreateObjectFromFile(const std::u16string& fileName, BaseObject* parent, bool useCache);
// Whether objects may be made or loaded under the parent: not while it, or
// an object above it, is being freed, since handlers that run as a tree
// goes (onDestroy) would otherwise refill the list being emptied without
// end. A refusal writes "Can't make an object under <name>: it is being
// freed".
bool AcceptsNewChildren(const BaseObject* parent);
// The first object from obj up its parents that is a mission.
BaseObject* GetObjectMission(BaseObject* object);

}  // namespace corvane
