#include "engine/register.h"

#include "base/reflection/class_registry.h"
#include "engine/applet.h"
#include "engine/base_object.h"
#include "engine/container.h"
#include "engine/dummy.h"
#include "engine/effect.h"
#include "engine/event.h"
#include "engine/mission.h"
#include "engine/position_object.h"
#include "engine/preferences.h"
#include "engine/score_table.h"
#include "engine/trigger.h"
#include "engine/visual_object.h"

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
