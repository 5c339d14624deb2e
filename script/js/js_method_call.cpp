#include "script/js/js_method_call.h"

#include <algorithm>
#include <array>
#include <string>

#include <jsfriendapi.h>

#include "base/reflection/class_info.h"
#include "base/reflection/persistent.h"
#include "base/reflection/variant.h"
#include "base/streams/resource_man.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "engine/core/event.h"
#include "engine/core/object_budget.h"
#include "base/streams/stream.h"
#include "platform/device.h"
#include "platform/media.h"
#include "script/js/js_engine.h"
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

// The first parameter a script cannot pass: a value the method hands back
// through it (a var parameter other than an object, which the method only
// takes and may clear), or an address. -1 when none.
int UnpassableParameter(const TMethodInfo& method) {
  const std::vector<const TTypeInfo*>& params = method.ParamTypes();
  for (std::size_t i = 0; i < params.size(); ++i) {
    const TPropKind kind = params[i] ? params[i]->Kind() : pkVariant;
    if ((method.IsVarParam(i) && kind != pkClass) || kind == pkPointer) return static_cast<int>(i);
  }
  return -1;
}

bool RefuseUnpassable(JSContext* cx, const TMethodInfo& method, int index) {
  const TTypeInfo* type = method.ParamTypes()[static_cast<std::size_t>(index)];
  const std::u16string what = method.IsVarParam(static_cast<std::size_t>(index))
                                  ? u"a variable the method writes back (" + WidenLatin1(type->Name()) + u")"
                                  : u"an address";
  return ThrowTypeError(cx, u"Can't call " + WidenLatin1(method.Name()) + u" from a script: its argument " +
                                IntToStr(index + 1) + u" is " + what + u", which a script cannot pass");
}

// Arguments by the method's parameter types; those past `given` are absent.
// Every object among them is held.
bool ConvertArguments(JSContext* cx, const TMethodInfo& method, const JS::CallArgs& args, unsigned given,
                      std::vector<Variant>& out, THeldObjects& held) {
  const std::vector<const TTypeInfo*>& params = method.ParamTypes();
  out.resize(params.size());
  for (std::size_t i = 0; i < params.size(); ++i) {
    JS::RootedValue value(cx, i < given ? args[static_cast<unsigned>(i)] : JS::UndefinedValue());
    if (!ArgumentFor(cx, params[i], value, out[i], held)) return false;
  }
  return true;
}

void FillMissingParent(const TMethodInfo& method, TObject& receiver, std::vector<Variant>& arguments) {
  if (arguments.size() < 2 || !MakesTreeObject(method.Name()) || arguments[1].AsObject()) return;
  if (TObject* applet = AppletOf(receiver)) arguments[1] = Variant(applet);
}

// Where a call goes: the method called, on which object, and what a
// special does around it.
struct TCallPlan {
  const TMethodInfo* called = nullptr;
  TObject* target = nullptr;
  TObject* applet = nullptr;  // the receiver's applet, for specials that need it
  const TSpecialMethod* special = nullptr;
  unsigned arguments = 0;  // how many of the script's arguments it takes
};

// Whether the special applies to this receiver; false with nothing
// planned when it does not. `done` is set when it applies and ends here
// (reported, nothing to call).
bool PlanSpecial(const TSpecialMethod& special, TObject& receiver, const TMethodInfo& method, TCallPlan& plan,
                 bool& done) {
  done = false;
  if (special.Receiver && !IsOfClassNamed(receiver.ClassType(), special.Receiver)) return false;
  TObject* target = &receiver;
  if (special.Target == TSpecialTarget::ExternalResMan) {
    TEngineServices* engine = RunningEngine();
    target = engine ? dynamic_cast<TObject*>(engine->ExternalResMan()) : nullptr;
    if (!target) return false;
  }
  TObject* applet = nullptr;
  if (special.Target == TSpecialTarget::Applet || special.Action != TSpecialAction::None)
    applet = AppletOf(receiver);
  if (special.Target == TSpecialTarget::Applet) {
    if (!applet) {
      EngineError(u"Incorrect Applet");
      done = true;
      return true;
    }
    target = applet;
  }
  const TMethodInfo* called = target == &receiver ? &method : target->ClassType()->FindMethod(method.Name());
  if (!called) {
    EngineError(u"Invalide function call " + WidenLatin1(method.Name()));
    done = true;
    return true;
  }
  plan = {called, target, applet, &special, static_cast<unsigned>(special.Arguments)};
  return true;
}

bool SpecialResult(JSContext* cx, const TCallPlan& plan, const Variant& result, const JS::CallArgs& args) {
  const TSpecialMethod& special = *plan.special;
  if (special.Action == TSpecialAction::FreePixmap) {
    // The pixmap was loaded for its cached file alone.
    auto* pixmap = dynamic_cast<TPixmap*>(result.AsObject());
    TAppletServices* services = ServicesOf(plan.applet);
    if (pixmap && services && services->Device()) services->Device()->DestroyPixmap(pixmap);
  }
  switch (special.Result) {
    case TSpecialResult::Typed:
      return ResultFor(cx, plan.called->ResultType(), result, args.rval());
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
  TCallPlan plan{method, receiver, nullptr, nullptr, given};
  if (special && special->Arguments == static_cast<int>(std::min(given, 2u))) {
    bool done = false;
    if (PlanSpecial(*special, *receiver, *method, plan, done) && done) return true;
  }
  if (const int refused = UnpassableParameter(*plan.called); refused >= 0)
    return RefuseUnpassable(cx, *plan.called, refused);
  // Every argument converts before anything is called, and nothing is
  // called once a conversion freed the receiver, the target or an object
  // argument.
  THeldObjects held;
  held.Hold(receiver);
  held.Hold(plan.target);
  held.Hold(plan.applet);
  std::vector<Variant> arguments;
  if (!ConvertArguments(cx, *plan.called, args, plan.arguments, arguments, held)) return false;
  if (!held.CheckAlive(cx, [&] { return u"Can't call " + WidenLatin1(method->Name()); })) return false;
  if (plan.special && plan.special->Action == TSpecialAction::ClearFound) {
    if (TAppletServices* services = ServicesOf(plan.applet); services && services->GetEvent())
      services->GetEvent()->ClearResults();
  }
  FillMissingParent(*plan.called, *receiver, arguments);
  if (MakesTreeObject(plan.called->Name()) && !ScriptMayMakeObject()) {
    args.rval().setNull();
    return true;
  }
  const Variant result = plan.called->Invoke(*plan.target, arguments);
  if (auto* stream = result.VarType() == varObject ? dynamic_cast<TStream*>(result.AsObject()) : nullptr) {
    // A stream the engine hands out is new and the script's to close.
    TJavaScriptEngine* engine = TJavaScriptEngine::EngineOf(cx);
    JSObject* wrapper = engine ? engine->AdoptedWrapper(cx, stream) : nullptr;
    if (!engine) stream->Free();
    if (wrapper) args.rval().setObject(*wrapper);
    else args.rval().setNull();
    return !JS_IsExceptionPending(cx);
  }
  if (plan.special) return SpecialResult(cx, plan, result, args);
  return ResultFor(cx, plan.called->ResultType(), result, args.rval());
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
