#include "engine/register.h"

#include "base/class_registry.h"
#include "engine/applet.h"
#include "engine/base_object.h"
#include "engine/effect.h"
#include "engine/event.h"

namespace corvane {

void RegisterEngineClasses() {
  // The order is the registry's order, which later walks of the registered
  // classes (the script binding) follow.
  RegisterClasses({
      BaseObject::StaticClass(),
      Script::StaticClass(),
      ProxyObject::StaticClass(),
      Effect::StaticClass(),
  });
  RegisterClasses({Applet::StaticClass(), Event::StaticClass()});
}

}  // namespace corvane
