// How the applet makes the scene and GUI objects it keeps for itself (the
// fade screen, the inspector, the debug form, the console, the message box,
// the particle renderers, the cursor sprite, the materials, the skin): by
// class name through the registry, so that a subsystem whose classes are
// not registered is left out and the applet runs on without it. What it
// asks of each object goes through the object's class (GuiObject,
// Materials) or a role interface of the scene or the GUI
// (scene/applet_roles.h, gui/applet_roles.h); a registered class that does
// not provide it is logged and its object freed.
#pragma once

#include <string_view>

namespace corvane {

class BaseObject;

namespace collaborator {

// Whether a class of that name is registered (and makes engine objects).
bool Registered(std::string_view className);
// A new object of the registered class under owner, marked csExternal so
// that it is never saved with its parent; nullptr when the class is
// missing.
BaseObject* Make(std::string_view className, BaseObject* owner);
// Logs "Class <class> is not a <role>" and frees the object.
void Refuse(BaseObject* object, std::u16string_view role);

// The object as a T; nullptr for none, and for an object that is no T
// (refused: logged and freed).
template <class T>
T* As(BaseObject* object, std::u16string_view role) {
  if (!object) return nullptr;
  if (auto* typed = dynamic_cast<T*>(object)) return typed;
  Refuse(object, role);
  return nullptr;
}

// A new object of the registered class as a T: nullptr when the class is
// missing (nothing logged) or makes no T (refused).
template <class T>
T* MakeAs(std::string_view className, BaseObject* owner, std::u16string_view role) {
  return As<T>(Make(className, owner), role);
}

}  // namespace collaborator
}  // namespace corvane
