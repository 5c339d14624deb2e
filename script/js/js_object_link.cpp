#include "script/js/js_object_link.h"

#include <js/Object.h>

namespace corvane::js {

namespace {

constexpr std::uint32_t kLinkSlot = 0;

void FinalizeLinked(JS::GCContext*, JSObject* object) {
  delete JS::GetMaybePtrFromReservedSlot<TJSObjectLink>(object, kLinkSlot);
}

constexpr JSClassOps kLinkedOps = {
    nullptr,         // addProperty
    nullptr,         // delProperty
    nullptr,         // enumerate
    nullptr,         // newEnumerate
    nullptr,         // resolve
    nullptr,         // mayResolve
    FinalizeLinked,  // finalize
    nullptr,         // call
    nullptr,         // construct
    nullptr,         // trace
};

// Finalized on the main thread: the link's weak handle is not thread-safe.
constexpr std::uint32_t kLinkedFlags = JSCLASS_HAS_RESERVED_SLOTS(1) | JSCLASS_FOREGROUND_FINALIZE;

constexpr JSClass kPrototypeClass = {"object", kLinkedFlags, &kLinkedOps, nullptr, nullptr, nullptr};
constexpr JSClass kWrapperClass = {"c", kLinkedFlags, &kLinkedOps, nullptr, nullptr, nullptr};

class TBareBinding final : public TJSObjectBinding {
 public:
  bool DescribeClass(JSContext*, JS::HandleObject, TClass) override { return true; }
  bool DescribeObject(JSContext*, JS::HandleObject, TObject*) override { return true; }
};

TBareBinding gBare;
TJSObjectBinding* gBinding = &gBare;

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

void SetObjectBinding(TJSObjectBinding* binding) { gBinding = binding ? binding : &gBare; }

}  // namespace corvane::js
