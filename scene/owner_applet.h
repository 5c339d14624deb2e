// The applet a property object serves: its owner, when that is an object
// of an applet's tree (normally the applet itself). Property objects reach
// the applet's device, cache and resource manager through it, each call
// anew, so that a service the applet drops is never used afterwards; the
// owner is held weakly, so that a property object that outlives its applet
// (an object left out of every tree) finds none rather than a freed one.
#pragma once

#include "base/reflection/object.h"

namespace corvane {

class TAppletServices;

class TOwnerApplet {
 public:
  explicit TOwnerApplet(TObject* owner);
  // Null once the owner is gone, or when it is in no applet.
  TAppletServices* Get() const { return owner_.Get() ? applet_ : nullptr; }

 private:
  TWeak<TObject> owner_;
  TAppletServices* applet_ = nullptr;
};

}  // namespace corvane
