#include "engine/shell/register.h"

#include "base/reflection/class_registry.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"
#include "engine/core/dummy.h"
#include "engine/core/effect.h"
#include "engine/core/event.h"
#include "engine/core/mission.h"
#include "engine/core/position_object.h"
#include "engine/core/trigger.h"
#include "engine/core/visual_object.h"
#include "engine/shell/applet.h"
#include "engine/shell/preferences.h"
#include "engine/shell/score_table.h"

namespace corvane {

void RegisterEngineClasses() {
  // The order is the registry's order, which later walks of the registered
  // classes (the script binding) follow.
  RegisterClasses({
      BaseObject::StaticClass(),
      Script::StaticClass(),
      ProxyObject::StaticClass(),
      Mission::StaticClass(),
      Effect::StaticClass(),
      VisualObject::StaticClass(),
      Container::StaticClass(),
      PositionObject::StaticClass(),
      Dummy::StaticClass(),
      Trigger::StaticClass(),
  });
  // The applet unit's own classes, after the ten.
  RegisterClasses(
      {Applet::StaticClass(), Event::StaticClass(), ScoreTable::StaticClass(), Preferences::StaticClass()});
}

}  // namespace corvane
