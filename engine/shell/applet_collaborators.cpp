#include "engine/shell/applet_collaborators.h"

#include <exception>
#include <string>

#include "base/lists/collection.h"
#include "base/reflection/class_info.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/prop_access.h"
#include "engine/core/base_object.h"
#include "engine/core/visual_object.h"
#include "engine/shell/applet.h"

namespace corvane::collaborator {

namespace {

TClass ObjectClass(std::string_view className) {
  const TClass cls = GetClass(className);
  if (!cls || !cls->InheritsFrom(BaseObject::StaticClass()) || !cls->CanCreate()) return nullptr;
  return cls;
}

// The set's text without the element: "[fsMoveable,fsSizeble]" less
// "fsMoveable" is "[fsSizeble]".
std::string WithoutElement(const std::string& text, std::string_view element) {
  std::string inner = text;
  if (!inner.empty() && inner.front() == '[') inner.erase(0, 1);
  if (!inner.empty() && inner.back() == ']') inner.pop_back();
  std::string result;
  std::size_t start = 0;
  while (start <= inner.size()) {
    std::size_t end = inner.find(',', start);
    if (end == std::string::npos) end = inner.size();
    std::string item = inner.substr(start, end - start);
    while (!item.empty() && item.front() == ' ') item.erase(0, 1);
    while (!item.empty() && item.back() == ' ') item.pop_back();
    if (!item.empty() && item != element) result += (result.empty() ? "" : ",") + item;
    start = end + 1;
  }
  return "[" + result + "]";
}

TCollection* Keys(BaseObject* effect) { return dynamic_cast<TCollection*>(Sub(effect, "keys")); }

}  // namespace

bool Registered(std::string_view className) { return ObjectClass(className) != nullptr; }

BaseObject* Make(std::string_view className, BaseObject* owner) {
  const TClass cls = ObjectClass(className);
  if (!cls) return nullptr;
  TCreateContext context(owner);
  if (owner) context.Applet = AppletObjectOf(owner);
  auto* object = static_cast<BaseObject*>(cls->CreateInstance(context));
  if (object) object->IncludeStyle(csExternal);
  return object;
}

VisualObject* MakeVisual(std::string_view className, BaseObject* owner) {
  const TClass cls = ObjectClass(className);
  if (!cls || !cls->InheritsFrom(VisualObject::StaticClass())) return nullptr;
  BaseObject* object = Make(className, owner);
  return object ? object->AsVisualObject() : nullptr;
}

bool Set(TObject* object, std::string_view property, const Variant& value) {
  if (!object) return false;
  const TPropInfo* prop = GetPropInfo(*object, property);
  if (!prop || !prop->Access().CanWrite()) return false;
  try {
    SetPropValue(*object, *prop, value);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

Variant Get(const TObject* object, std::string_view property) {
  if (!object) return {};
  const TPropInfo* prop = GetPropInfo(*object, property);
  if (!prop) return {};
  try {
    return GetPropValue(*object, *prop);
  } catch (const std::exception&) {
    return {};
  }
}

TObject* Sub(const TObject* object, std::string_view property) {
  return object ? GetObjectProp(*object, property) : nullptr;
}

Variant Call(TObject* object, std::string_view method, std::initializer_list<Variant> args) {
  if (!object) return {};
  const TMethodInfo* m = object->ClassType()->FindMethod(method);
  if (!m) return {};
  try {
    return m->Invoke(*object, std::span<const Variant>(args.begin(), args.size()));
  } catch (const std::exception&) {
    return {};
  }
}

void ExcludeFromSet(TObject* object, std::string_view property, std::string_view element) {
  if (!object) return;
  const TPropInfo* prop = GetPropInfo(*object, property);
  if (!prop || !prop->Access().CanWrite()) return;
  try {
    SetSetProp(*object, *prop, WithoutElement(GetSetProp(*object, *prop), element));
  } catch (const std::exception&) {
  }
}

void SetAnimationKey(BaseObject* effect, int index, std::int32_t frame) {
  TCollection* keys = Keys(effect);
  if (!keys || index < 0) return;
  while (keys->Count() <= index)
    if (!keys->Add()) return;
  Set(keys->Items(index), "key", Variant(frame));
}

void AddAnimationKey(BaseObject* effect, std::int32_t frame, float alpha) {
  if (!effect) return;
  if (effect->ClassType()->FindMethod("AddKey")) {
    Call(effect, "AddKey", {Variant(static_cast<float>(frame)), Variant(alpha), Variant(u""), Variant(u"")});
    return;
  }
  TCollection* keys = Keys(effect);
  TCollectionItem* key = keys ? keys->Add() : nullptr;
  if (!key) return;
  Set(key, "key", Variant(frame));
  Set(key, "alpha", Variant(alpha));
}

}  // namespace corvane::collaborator
