#include "engine/shell/applet_collaborators.h"

#include <string>

#include "base/reflection/class_info.h"
#include "base/reflection/class_registry.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"

namespace corvane::collaborator {

namespace {

TClass ObjectClass(std::string_view className) {
  const TClass cls = GetClass(className);
  if (!cls || !cls->InheritsFrom(BaseObject::StaticClass()) || !cls->CanCreate()) return nullptr;
  return cls;
}

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

void Refuse(BaseObject* object, std::u16string_view role) {
  if (!object) return;
  EngineError(u"Class " + WidenLatin1(object->ClassName()) + u" is not a " + std::u16string(role));
  object->Free();
}

}  // namespace corvane::collaborator
