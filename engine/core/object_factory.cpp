#include "engine/core/object_factory.h"

#include "base/reflection/class_registry.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "engine/core/object_loader.h"

namespace corvane {

bool AcceptsNewChildren(const BaseObject* parent) {
  for (const BaseObject* above = parent; above; above = above->Parent()) {
    if (!above->Freeing()) continue;
    EngineError(u"Can't make an object under " + (parent->Name().empty() ? WidenLatin1(parent->ClassName()) : parent->Name()) +
                u": it is being freed");
    return false;
  }
  return true;
}

BaseObject* CreateObject(const std::string& className, BaseObject* parent) {
  if (!AcceptsNewChildren(parent)) return nullptr;
  const TClass cls = GetClass(className);
  if (!cls || !cls->InheritsFrom(BaseObject::StaticClass()) || !cls->CanCreate()) {
    EngineError(u"Can't found class " + WidenLatin1(className));
    return nullptr;
  }
  if (parent && !parent->TakesNewChild([&] { return WidenLatin1(cls->Name()); })) return nullptr;
  TCreateContext context(parent);
  if (parent) context.Applet = AppletObjectOf(parent);
  auto* object = static_cast<BaseObject*>(cls->CreateInstance(context));
  if (object) object->IncludeStyle(csExternal);
  return object;
}

BaseObject* CreateObjectFromFile(const std::u16string& fileName, BaseObject* parent, bool useCache) {
  TResourceMan* resMan = parent && parent->GetApplet() ? parent->GetApplet()->ResMan() : nullptr;
  if (fileName.find(u"main.object") == std::u16string::npos && fileName.find(u':') != std::u16string::npos &&
      RunningEngine()) {
    resMan = RunningEngine()->ExternalResMan();
    EngineLog(u"Use external resource for file " + fileName);
  }
  if (!resMan) {
    EngineError(u"Application's resource manager not exists");
    return nullptr;
  }
  const std::string base = FileNameWithoutExt(Utf16ToUtf8(fileName));
  if (!resMan->StreamExists(base + ".object") && !resMan->StreamExists(base + ".bin")) {
    EngineError(u"file " + fileName + u" file not exists");
    return nullptr;
  }
  BaseObject* object = LoadObject(resMan, fileName, parent, nullptr, useCache);
  if (object) object->IncludeStyle(csExternal);
  return object;
}

BaseObject* GetObjectMission(BaseObject* object) {
  for (BaseObject* o = object; o; o = o->Parent())
    if (o->IsMission()) return o;
  return nullptr;
}

}  // namespace corvane
