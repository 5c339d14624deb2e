// The applet a property object serves: its owner, when that is an object
// of an applet's tree (normally the applet itself). Property objects reach
// the applet's device, cache and resource manager through it, each call
// anew, so that a service the applet drops is never used afterwards.
#pragma once

#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"

namespace corvane {

inline TAppletServices* OwnerApplet(const TObject* owner) {
  const auto* object = dynamic_cast<const BaseObject*>(owner);
  return object ? object->GetApplet() : nullptr;
}

}  // namespace corvane
