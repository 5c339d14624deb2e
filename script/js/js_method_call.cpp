#include "script/js/js_method_call.h"

#include <array>
#include <string>

#include <jsfriendapi.h>

#include "base/reflection/class_info.h"
#include "base/reflection/persistent.h"
#include "base/reflection/variant.h"
#include "base/streams/resource_man.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "engine/core/event.h"
#include "platform/device.h"
#include "platform/media.h"
#include "script/js/js_main_hold.h"
#include "script/js/js_special_methods.h"
#include "script/js/js_values.h"

namespace corvane::js {

namespace {

constexpr std::size_t kMethodSlot = 0;
constexpr std::size_t kSpecialSlot = 1;

// The class itself or an ancestor of that name.
bool IsOfClassNamed(TClass cls, const char* name) {
  for (; cls; cls = cls->Parent())
    if (cls->Name() == name) return true;
  return false;
}

// The applet of a receiver: a tree object's, or a persistent's owner.
TObject* AppletOf(TObject& receiver) {
  TAppletServices* applet = nullptr;
  if (auto* base = dynamic_cast<BaseObject*>(&receiver))
    applet = base->GetApplet();
  else if (auto* persistent = dynamic_cast<TSomePersistent*>(&receiver))
    applet = dynamic_cast<TAppletServices*>(persistent->Owner());
  return applet ? applet->AppletObject() : nullptr;
}

TAppletServices* ServicesOf(TObject* applet) { return dynamic_cast<TAppletServices*>(applet); }

// Arguments by the method's parameter types; those past `given` are absent.
bool ConvertArguments(JSContext* cx, const TMethodInfo& method, const JS::CallArgs& args, unsigned given,
                      std::vector<Variant>& out) {
  const std::vector<const TTypeInfo*>& params = method.ParamTypes();
  out.resize(params.size());
  for (std::size_t i = 0; i < params.size(); ++i) {
    JS::RootedValue value(cx, i < given ? args[static_cast<unsigned>(i)] : JS::UndefinedValue());
    if (!ArgumentFor(cx, params[i], value, out[i])) return false;
  }
  return true;
}

void FillMissingParent(const TMethodInfo& method, TObject& receiver, std::vector<Variant>& arguments) {
  if (arguments.size() < 2 || !MissingParentIsApplet(method.Name()) || arguments[1].AsObject()) return;
  if (TObject* applet = AppletOf(receiver)) arguments[1] = Variant(applet);
}

bool CallTyped(JSContext* cx, TObject& target, const TMethodInfo& method, const JS::CallArgs& args,
               unsigned given) {
  std::vector<Variant> arguments;
  if (!ConvertArguments(cx, method, args, given, arguments)) return false;
  FillMissingParent(method, target, arguments);
  const Variant result = method.Invoke(target, arguments);
  return ResultFor(cx, method.ResultType(), result, args.rval());
}

// Whether the special applies to this receiver, and if so, runs it.
bool CallSpecial(JSContext* cx, const TSpecialMethod& special, TObject& receiver, const TMethodInfo& method,
                 const JS::CallArgs& args, bool& applied) {
  applied = false;
  if (special.Receiver && !IsOfClassNamed(receiver.ClassType(), special.Receiver)) return true;
  TObject* target = &receiver;
  if (special.Target == TSpecialTarget::ExternalResMan) {
    TEngineServices* engine = RunningEngine();
    target = engine ? dynamic_cast<TObject*>(engine->ExternalResMan()) : nullptr;
    if (!target) return true;
  }
  applied = true;
  TObject* applet = nullptr;
  if (special.Target == TSpecialTarget::Applet || special.Action != TSpecialAction::None)
    applet = AppletOf(receiver);
  if (special.Target == TSpecialTarget::Applet) {
    if (!applet) {
      EngineError(u"Incorrect Applet");
      return true;
    }
    target = applet;
  }
  const TMethodInfo* called = target == &receiver ? &method : target->ClassType()->FindMethod(method.Name());
  if (!called) {
    EngineError(u"Invalide function call " + WidenLatin1(method.Name()));
    return true;
  }
  std::vector<Variant> arguments;
  if (!ConvertArguments(cx, *called, args, static_cast<unsigned>(special.Arguments), arguments)) return false;
  if (special.Action == TSpecialAction::ClearFound) {
    if (TAppletServices* services = ServicesOf(applet); services && services->GetEvent())
      services->GetEvent()->ClearResults();
  }
  FillMissingParent(*called, receiver, arguments);
  const Variant result = called->Invoke(*target, arguments);
  if (special.Action == TSpecialAction::FreePixmap) {
    // The pixmap was loaded for its cached file alone.
    auto* pixmap = dynamic_cast<TPixmap*>(result.AsObject());
    TAppletServices* services = ServicesOf(applet);
    if (pixmap && services && services->Device()) services->Device()->DestroyPixmap(pixmap);
  }
  switch (special.Result) {
    case TSpecialResult::Typed:
      return ResultFor(cx, called->ResultType(), result, args.rval());
    case TSpecialResult::Null:
      args.rval().setNull();
      return true;
    case TSpecialResult::Unchanged:
      args.rval().setUndefined();
      return true;
  }
  return true;
}

bool Dispatch(JSContext* cx, const JS::CallArgs& args, const TMethodInfo* method, const TSpecialMethod* special) {
  TObject* receiver = nullptr;
  if (!ReceiverFor(cx, args.thisv(), method->OwnerClass(), method->Name(), receiver)) return false;
  if (!receiver)
    return ThrowTypeError(cx, u"Can't call " + WidenLatin1(method->Name()) + u": no engine object (it is gone)");
  const unsigned given = args.length();
  const int arguments = given >= 2 ? 2 : static_cast<int>(given);
  if (special && special->Arguments == arguments) {
    bool applied = false;
    if (!CallSpecial(cx, *special, *receiver, *method, args, applied)) return false;
    if (applied) return true;
  }
  // More than one argument reaches only the methods of the table.
  if (given >= 2) return true;
  return CallTyped(cx, *receiver, *method, args, given);
}

}  // namespace

JSObject* NewMethodFunction(JSContext* cx, const TMethodInfo& method) {
  JSFunction* function =
      ::js::NewFunctionWithReserved(cx, EngineNative<CallPublishedMethod>, 1, 0, method.Name().c_str());
  if (!function) return nullptr;
  JSObject* object = JS_GetFunctionObject(function);
  ::js::SetFunctionNativeReserved(object, kMethodSlot, JS::PrivateValue(const_cast<TMethodInfo*>(&method)));
  if (const TSpecialMethod* special = FindSpecialMethod(method.Name()))
    ::js::SetFunctionNativeReserved(object, kSpecialSlot, JS::PrivateValue(const_cast<TSpecialMethod*>(special)));
  return object;
}

bool CallPublishedMethod(JSContext* cx, unsigned argc, JS::Value* vp) {
  JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
  // The callee first: the result takes its place.
  JSObject& callee = args.callee();
  const auto* method = static_cast<const TMethodInfo*>(::js::GetFunctionNativeReserved(&callee, kMethodSlot).toPrivate());
  const JS::Value& specialSlot = ::js::GetFunctionNativeReserved(&callee, kSpecialSlot);
  const auto* special = specialSlot.isUndefined() ? nullptr : static_cast<const TSpecialMethod*>(specialSlot.toPrivate());
  args.rval().setUndefined();
  try {
    return Dispatch(cx, args, method, special);
  } catch (const std::exception& error) {
    return ThrowEngineError(cx, u"Can't call " + WidenLatin1(method->Name()), error);
  }
}

}  // namespace corvane::js
