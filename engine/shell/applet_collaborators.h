// How the applet reaches the scene and GUI classes it makes for itself (the
// fade screen, the inspector, the debug form, the console, the message box,
// the particle renderers, the cursor sprite, the skin): by class name
// through the registry, and through their published members, as scripts
// do. A class that is not registered gives no object, a member a class
// does not publish is skipped, and the applet runs on without them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "base/reflection/variant.h"

namespace corvane {

class BaseObject;
class TObject;
class VisualObject;

namespace collaborator {

// Whether a class of that name is registered (and makes engine objects).
bool Registered(std::string_view className);
// A new object of the registered class under owner, marked csExternal so
// that it is never saved with its parent; nullptr when the class is
// missing.
BaseObject* Make(std::string_view className, BaseObject* owner);
VisualObject* MakeVisual(std::string_view className, BaseObject* owner);
// Sets a published property; false when the object does not publish it or
// the value does not convert (nothing is logged).
bool Set(TObject* object, std::string_view property, const Variant& value);
// Reads a published property; an empty value when there is none.
Variant Get(const TObject* object, std::string_view property);
// A published object property; nullptr when there is none.
TObject* Sub(const TObject* object, std::string_view property);
// Calls a published method; an empty value when there is none.
Variant Call(TObject* object, std::string_view method, std::initializer_list<Variant> args = {});
// Removes one element from a published set property.
void ExcludeFromSet(TObject* object, std::string_view property, std::string_view element);
// Sets key index of an animation effect's "keys" collection to the frame,
// adding keys up to it as needed, with the value as the key's alpha when
// given.
void SetAnimationKey(BaseObject* effect, int index, std::int32_t frame);
void AddAnimationKey(BaseObject* effect, std::int32_t frame, float alpha);

}  // namespace collaborator
}  // namespace corvane
