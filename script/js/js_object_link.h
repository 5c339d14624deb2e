// How engine classes and objects stand in scripts. Every script object the
// engine makes carries a link record in its one reserved slot: a class's
// prototype (class record "object") names the class, an object's wrapper
// (class record "c") names the object through a weak handle, so a wrapper
// that outlives its object finds nothing. The wrapper's finalizer frees the
// record, and the object too when the wrapper owns it.
//
// What the prototypes and wrappers hold beyond the link (published
// properties and methods, constructors) comes from the object binding, a
// seam: the reflection binding by default, another installed with
// SetObjectBinding.
#pragma once

#include <memory>

#include <jsapi.h>

#include "base/reflection/object.h"

namespace corvane::js {

struct TJSObjectLink {
  TClass ClassRef = nullptr;  // the class of a prototype; null in wrappers
  TWeak<TObject> Instance;    // the object of a wrapper; empty in prototypes
  // The object's class, kept with it (an object's class never changes):
  // what every member checks its receiver against.
  TClass InstanceClass = nullptr;
  // The wrapper owns its object (a stream a script opened): finalizing the
  // wrapper frees the object when it still lives.
  bool Owned = false;
  void Link(TObject* object) {
    Instance = object;
    InstanceClass = object ? object->ClassType() : nullptr;
  }
};

// The class records of prototypes and of wrapped objects.
const JSClass* PrototypeClass();
const JSClass* WrapperClass();

// A new object of one of the two records with the given prototype, owning
// the link; nullptr with an exception pending when the library cannot.
JSObject* NewLinkedObject(JSContext* cx, const JSClass* record, JS::HandleObject proto,
                          std::unique_ptr<TJSObjectLink> link);
// The link of an object the engine made; nullptr for any other object.
TJSObjectLink* LinkOf(JSObject* object);
// The engine object a script object stands for; nullptr when none (also
// once the object is gone).
TObject* GetJSPrivateObject(JSObject* object);

// What a binding adds to the prototype of a class and to the wrapper of an
// object, and how prototypes and wrappers answer the library's hooks. False
// with an exception pending when it fails.
class TJSObjectBinding {
 public:
  virtual ~TJSObjectBinding() = default;
  virtual bool DescribeClass(JSContext* cx, JS::HandleObject prototype, TClass cls) = 0;
  virtual bool DescribeObject(JSContext* cx, JS::HandleObject wrapper, TObject* object) = 0;
  // A name not found on a prototype: define it there (setting *resolved)
  // or leave it.
  virtual bool ResolvePrototype(JSContext*, JS::HandleObject, JS::HandleId, bool*) { return true; }
  // `new` on a prototype.
  virtual bool Construct(JSContext*, JS::CallArgs& args) {
    args.rval().setUndefined();
    return true;
  }
  // A script adds a property of its own to a wrapper.
  virtual bool AddWrapperProperty(JSContext*, JS::HandleObject, JS::HandleId) { return true; }
};

// The binding in use: the reflection binding (js_object_binding.h) unless
// another is installed; nullptr restores it. Not owned.
TJSObjectBinding& ObjectBinding();
void SetObjectBinding(TJSObjectBinding* binding);

}  // namespace corvane::js
