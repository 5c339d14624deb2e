#include "script/js/js_object_link.h"

#include <js/Object.h>

#include "script/js/js_main_hold.h"
#include "script/js/js_object_binding.h"

namespace corvane::js {

namespace {

constexpr std::uint32_t kLinkSlot = 0;

// Each hook is a step of the main thread into the engine's code.
void FinalizeLinked(JS::GCContext*, JSObject* object) {
  const TEngineCode engineCode;
  auto* link = JS::GetMaybePtrFromReservedSlot<TJSObjectLink>(object, kLinkSlot);
  if (link && link->Owned) {
    if (TObject* owned = link->Instance.Get()) owned->Free();
  }
  delete link;
}

bool ResolvePrototype(JSContext* cx, JS::HandleObject object, JS::HandleId id, bool* resolved) {
  const TEngineCode engineCode;
  *resolved = false;
  return ObjectBinding().ResolvePrototype(cx, object, id, resolved);
}

bool ConstructObject(JSContext* cx, unsigned argc, JS::Value* vp) {
  const TEngineCode engineCode;
  JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
  return ObjectBinding().Construct(cx, args);
}

bool AddWrapperProperty(JSContext* cx, JS::HandleObject object, JS::HandleId id, JS::HandleValue) {
  const TEngineCode engineCode;
  return ObjectBinding().AddWrapperProperty(cx, object, id);
}

// Prototypes resolve other spellings of property names and serve `new`;
// wrappers take no properties of their own.
constexpr JSClassOps kPrototypeOps = {
    nullptr,           // addProperty
    nullptr,           // delProperty
    nullptr,           // enumerate
    nullptr,           // newEnumerate
    ResolvePrototype,  // resolve
    nullptr,           // mayResolve
    FinalizeLinked,    // finalize
    nullptr,           // call
    ConstructObject,   // construct
    nullptr,           // trace
};

constexpr JSClassOps kWrapperOps = {
    AddWrapperProperty,  // addProperty
    nullptr,             // delProperty
    nullptr,             // enumerate
    nullptr,             // newEnumerate
    nullptr,             // resolve
    nullptr,             // mayResolve
    FinalizeLinked,      // finalize
    nullptr,             // call
    nullptr,             // construct
    nullptr,             // trace
};

// Finalized on the main thread: the link's weak handle is not thread-safe.
constexpr std::uint32_t kLinkedFlags = JSCLASS_HAS_RESERVED_SLOTS(1) | JSCLASS_FOREGROUND_FINALIZE;

constexpr JSClass kPrototypeClass = {"object", kLinkedFlags, &kPrototypeOps, nullptr, nullptr, nullptr};
constexpr JSClass kWrapperClass = {"c", kLinkedFlags, &kWrapperOps, nullptr, nullptr, nullptr};

TJSObjectBinding* gBinding = &ReflectionBinding();

}  // namespace

const JSClass* PrototypeClass() { return &kPrototypeClass; }
const JSClass* WrapperClass() { return &kWrapperClass; }

JSObject* NewLinkedObject(JSContext* cx, const JSClass* record, JS::HandleObject proto,
                          std::unique_ptr<TJSObjectLink> link) {
  JSObject* object = JS_NewObjectWithGivenProto(cx, record, proto);
  if (!object) return nullptr;
  JS::SetReservedSlot(object, kLinkSlot, JS::PrivateValue(link.release()));
  return object;
}

TJSObjectLink* LinkOf(JSObject* object) {
  if (!object) return nullptr;
  const JSClass* record = JS::GetClass(object);
  if (record != &kPrototypeClass && record != &kWrapperClass) return nullptr;
  return JS::GetMaybePtrFromReservedSlot<TJSObjectLink>(object, kLinkSlot);
}

TObject* GetJSPrivateObject(JSObject* object) {
  TJSObjectLink* link = LinkOf(object);
  return link ? link->Instance.Get() : nullptr;
}

TJSObjectBinding& ObjectBinding() { return *gBinding; }

void SetObjectBinding(TJSObjectBinding* binding) { gBinding = binding ? binding : &ReflectionBinding(); }

}  // namespace corvane::js
