#include "engine/core/applet_services.h"

#include "engine/core/base_object.h"

namespace corvane {

Container* AppletObjectOf(const BaseObject* object) {
  TAppletServices* applet = object ? object->GetApplet() : nullptr;
  return applet ? applet->AppletObject() : nullptr;
}

}  // namespace corvane
