#include "scene/owner_applet.h"

#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"

namespace corvane {

TOwnerApplet::TOwnerApplet(TObject* owner) : owner_(owner) {
  const auto* object = dynamic_cast<const BaseObject*>(owner);
  applet_ = object ? object->GetApplet() : nullptr;
}

}  // namespace corvane
