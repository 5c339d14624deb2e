#include "script/js/js_object_binding.h"

#include <cmath>
#include <string>
#include <unordered_set>

#include <js/Conversions.h>
#include <js/PropertyAndElement.h>
#include <js/PropertyDescriptor.h>
#include <js/String.h>
#include <jsfriendapi.h>

#include "base/reflection/class_info.h"
#include "base/reflection/prop_access.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"
#include "engine/core/object_budget.h"
#include "engine/core/object_factory.h"
#include "script/js/js_engine.h"
#include "script/js/js_main_hold.h"
#include "script/js/js_method_call.h"
#include "script/js/js_values.h"

namespace corvane::js {

namespace {

constexpr std::size_t kDescriptionSlot = 0;
// The longest property key copied: longer than any engine name.
constexpr std::size_t kLongestName = 255;

template <class T>
const T* DescriptionOfCallee(const JS::CallArgs& args) {
  return static_cast<const T*>(::js::GetFunctionNativeReserved(&args.callee(), kDescriptionSlot).toPrivate());
}

std::u16string PropName(const TPropInfo& prop) { return WidenLatin1(prop.Name()); }

// The name of a property key; false for symbols and names no engine name
// can match (beyond Latin-1).
bool KeyName(JSContext* cx, JS::HandleId id, std::u16string& name) {
  // No engine name is longer; a script's longer key is not copied.
  if (!id.isString() || JS_GetStringLength(id.toString()) > kLongestName) return false;
  name = StringChars(cx, id.toString());
  for (char16_t c : name)
    if (c > 0xFF) return false;
  return true;
}

bool ReadProperty(JSContext* cx, TObject& instance, const TPropInfo& prop, JS::MutableHandleValue out) {
  switch (prop.Kind()) {
    case pkInteger:
    case pkChar:
    case pkWChar:
    case pkEnumeration:
      out.setNumber(static_cast<double>(GetOrdProp(instance, prop)));
      return true;
    case pkInt64:
      out.setNumber(static_cast<double>(GetInt64Prop(instance, prop)));
      return true;
    case pkBool:
      out.setBoolean(GetOrdProp(instance, prop) >= 1);
      return true;
    case pkFloat:
      out.setNumber(GetFloatProp(instance, prop));
      return true;
    case pkString:
    case pkWString:
      return TextValue(cx, GetWideStrProp(instance, prop), out);
    case pkClass:
      // Read anew each time: a nested object may have been replaced.
      return WrapResult(cx, GetObjectProp(instance, prop), out);
    default:
      out.setNull();
      return true;
  }
}

// An enumeration or boolean written as text: a value's name (without
// case), else a number in text; anything else is a TypeError rather than a
// silent 0.
bool OrdinalOfText(JSContext* cx, const TPropInfo& prop, JS::HandleValue value, std::int32_t& out) {
  const TTypeInfo& type = *prop.PropType();
  std::u16string text;
  if (!ValueToText(cx, value, text)) return false;
  if (const int named = type.EnumValue(NarrowLatin1(text)); named >= 0) {
    out = named;
    return true;
  }
  double number = 0;
  if (!JS::ToNumber(cx, value, &number)) return false;
  if (std::isfinite(number) && !text.empty()) {
    out = static_cast<std::int32_t>(number);
    return true;
  }
  std::u16string names;
  if (type.Kind() == pkBool) {
    names = u"true, false";
  } else {
    for (const std::string& name : type.EnumNames()) names += (names.empty() ? u"" : u", ") + WidenLatin1(name);
  }
  return ThrowTypeError(cx, u"\"" + text + u"\" is not a value of " + PropName(prop) + u" (" + names + u")");
}

// The value a property write stores, converted before the object is
// touched: a conversion may run script code that frees it. Empty for a
// kind no script writes (reported). False with an exception pending.
bool PropertyValue(JSContext* cx, const TPropInfo& prop, JS::HandleValue value, Variant& out, THeldObjects& held) {
  switch (prop.Kind()) {
    case pkInteger:
    case pkChar:
    case pkEnumeration:
    case pkBool: {
      if ((prop.Kind() == pkEnumeration || prop.Kind() == pkBool) && value.isString()) {
        std::int32_t named = 0;
        if (!OrdinalOfText(cx, prop, value, named)) return false;
        out = Variant(named);
        return true;
      }
      if (prop.Kind() != pkBool) ReportUnfitInteger(cx, value);
      if (prop.Kind() == pkInteger && prop.PropType()->OrdType() == otULong) {
        std::uint32_t number = 0;
        if (!JS::ToUint32(cx, value, &number)) return false;
        out = Variant(number);
        return true;
      }
      std::int32_t number = 0;
      if (!JS::ToInt32(cx, value, &number)) return false;
      out = Variant(number);
      return true;
    }
    case pkInt64:
    case pkFloat:
      if (!ArgumentFor(cx, prop.PropType(), value, out, held)) return false;
      if (out.IsEmpty()) out = Variant(0.0);  // undefined stores 0
      return true;
    case pkString:
    case pkWString: {
      std::u16string text;
      if (!ValueToText(cx, value, text)) return false;
      out = Variant(std::move(text));
      return true;
    }
    case pkClass: {
      // Only a tree object of the property's class is stored. A reference
      // to a tree object is cleared by null; anything else set to one is
      // refused, so a script learns that nothing changed. An object the
      // property owns (a picture, a position) is never replaced.
      const TClass wanted = prop.PropType()->ClassType();
      auto* object = dynamic_cast<BaseObject*>(ObjectOfValue(value));
      if (object && object->InheritsFrom(wanted)) {
        held.Hold(object);
        out = Variant(static_cast<TObject*>(object));
        return true;
      }
      if (!wanted->InheritsFrom(BaseObject::StaticClass())) return true;
      if (value.isNull()) {
        out = Variant::Null();
        return true;
      }
      return ThrowTypeError(cx, u"Property " + PropName(prop) + u" takes an object of class " +
                                    WidenLatin1(wanted->Name()) + u" or null");
    }
    default:
      EngineError(u"invalide propert type " + PropName(prop));
      return true;
  }
}

void StoreProperty(TObject& instance, const TPropInfo& prop, const Variant& value) {
  if (value.IsEmpty()) return;
  switch (prop.Kind()) {
    case pkInteger:
    case pkChar:
    case pkEnumeration:
    case pkBool:
      SetOrdProp(instance, prop, value.AsInt64());
      return;
    case pkInt64:
      SetInt64Prop(instance, prop, value.AsInt64());
      return;
    case pkFloat:
      SetFloatProp(instance, prop, value.AsDouble());
      return;
    case pkString:
    case pkWString:
      SetWideStrProp(instance, prop, value.AsWideString());
      return;
    case pkClass:
      SetObjectProp(instance, prop, value.IsNull() ? nullptr : value.AsObject());
      return;
    default:
      return;
  }
}

bool GetPublishedProperty(JSContext* cx, unsigned argc, JS::Value* vp) {
  JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
  const TPropInfo& prop = *DescriptionOfCallee<TPropInfo>(args);
  args.rval().setUndefined();
  TObject* instance = nullptr;
  if (!ReceiverFor(cx, args.thisv(), prop.OwnerClass(), prop.Name(), instance)) return false;
  if (!instance) return true;
  try {
    return ReadProperty(cx, *instance, prop, args.rval());
  } catch (const std::exception& error) {
    return ThrowEngineError(cx, u"Can't read property " + PropName(prop), error);
  }
}

bool SetPublishedProperty(JSContext* cx, unsigned argc, JS::Value* vp) {
  JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
  const TPropInfo& prop = *DescriptionOfCallee<TPropInfo>(args);
  args.rval().setUndefined();
  TObject* instance = nullptr;
  if (!ReceiverFor(cx, args.thisv(), prop.OwnerClass(), prop.Name(), instance)) return false;
  if (!instance) return true;
  if (!prop.CanWrite())
    return ThrowTypeError(cx, u"Property " + PropName(prop) + u" of " + WidenLatin1(instance->ClassName()) +
                                  u" is read-only");
  try {
    THeldObjects held;
    held.Hold(instance);
    Variant value;
    if (!PropertyValue(cx, prop, args.get(0), value, held)) return false;
    if (!held.CheckAlive(cx, [&] { return u"Can't set property " + PropName(prop); })) return false;
    StoreProperty(*instance, prop, value);
    return true;
  } catch (const std::exception& error) {
    return ThrowEngineError(cx, u"Can't set property " + PropName(prop), error);
  }
}

// A function of the binding carrying its description.
JSObject* DescribedFunction(JSContext* cx, JSNative native, unsigned arity, const std::string& name,
                            const void* description) {
  JSFunction* function = ::js::NewFunctionWithReserved(cx, native, arity, 0, name.c_str());
  if (!function) return nullptr;
  JSObject* object = JS_GetFunctionObject(function);
  ::js::SetFunctionNativeReserved(object, kDescriptionSlot, JS::PrivateValue(const_cast<void*>(description)));
  return object;
}

bool DefineMethods(JSContext* cx, JS::HandleObject prototype, TClass cls) {
  // Most derived first: a method a descendant publishes again is its own.
  std::unordered_set<std::string> defined;
  for (TClass walk = cls; walk; walk = walk->Parent()) {
    for (const std::unique_ptr<TMethodInfo>& method : walk->OwnMethods()) {
      if (!defined.insert(method->Name()).second) continue;
      JS::RootedObject function(cx, NewMethodFunction(cx, *method));
      if (!function || !JS_DefineProperty(cx, prototype, method->Name().c_str(), function, 0)) return false;
    }
  }
  return true;
}

bool DefineProperties(JSContext* cx, JS::HandleObject prototype, TClass cls) {
  for (const TPropInfo* prop : cls->Properties()) {
    JS::RootedObject getter(cx, DescribedFunction(cx, EngineNative<GetPublishedProperty>, 0, prop->Name(), prop));
    JS::RootedObject setter(
        cx, getter ? DescribedFunction(cx, EngineNative<SetPublishedProperty>, 1, prop->Name(), prop) : nullptr);
    if (!setter) return false;
    // A property shadows a method of its name, as reads find properties first.
    if (!JS_DefineProperty(cx, prototype, prop->Name().c_str(), getter, setter, JSPROP_ENUMERATE)) {
      JS_ClearPendingException(cx);
      EngineError(u"Can't export property " + PropName(*prop));
    }
  }
  return true;
}

class TReflectionBinding final : public TJSObjectBinding {
 public:
  bool DescribeClass(JSContext* cx, JS::HandleObject prototype, TClass cls) override {
    if (!DefineMethods(cx, prototype, cls) || !DefineProperties(cx, prototype, cls)) return false;
    JS::RootedValue self(cx, JS::ObjectValue(*prototype));
    return JS_DefineProperty(cx, prototype, "prototype", self, 0);
  }

  bool DescribeObject(JSContext*, JS::HandleObject, TObject*) override { return true; }

  bool ResolvePrototype(JSContext* cx, JS::HandleObject prototype, JS::HandleId id, bool* resolved) override {
    TJSObjectLink* link = LinkOf(prototype);
    std::u16string name;
    if (!link || !link->ClassRef || !KeyName(cx, id, name)) return true;
    // Names in another case than the published one: the published
    // spelling is defined when the prototype is described, so only a miss
    // comes here, and the alias defined now answers the next look-up. A
    // property shadows a method of its name, as there.
    const std::string narrow = NarrowLatin1(name);
    const TPropInfo* prop = link->ClassRef->FindProperty(narrow);
    const TMethodInfo* method = prop ? nullptr : link->ClassRef->FindMethod(narrow);
    const std::string* published = prop ? &prop->Name() : method ? &method->Name() : nullptr;
    if (!published || *published == narrow) return true;
    JS::Rooted<mozilla::Maybe<JS::PropertyDescriptor>> descriptor(cx);
    if (!JS_GetOwnPropertyDescriptor(cx, prototype, published->c_str(), &descriptor)) return false;
    if (descriptor.isNothing()) return true;
    if (prop) {
      if (!descriptor->isAccessorDescriptor()) return true;
      JS::RootedObject getter(cx, descriptor->getter());
      JS::RootedObject setter(cx, descriptor->setter());
      if (!JS_DefinePropertyById(cx, prototype, id, getter, setter, 0)) return false;
    } else {
      if (!descriptor->isDataDescriptor()) return true;
      JS::RootedValue function(cx, descriptor->value());
      if (!JS_DefinePropertyById(cx, prototype, id, function, 0)) return false;
    }
    *resolved = true;
    return true;
  }

  bool Construct(JSContext* cx, JS::CallArgs& args) override {
    try {
      return ConstructObject(cx, args);
    } catch (const std::exception& error) {
      return ThrowEngineError(cx, u"Can't create object", error);
    }
  }

  bool AddWrapperProperty(JSContext* cx, JS::HandleObject wrapper, JS::HandleId id) override {
    std::u16string name = u"(symbol)";
    if (id.isString())
      name = JS_GetStringLength(id.toString()) <= kLongestName ? StringChars(cx, id.toString()) : u"(a long name)";
    TObject* object = GetJSPrivateObject(wrapper);
    return ThrowTypeError(cx, name + u" is not a published property of " +
                                  (object ? WidenLatin1(object->ClassName()) : std::u16string(u"a gone object")));
  }

 private:
  static bool ConstructObject(JSContext* cx, JS::CallArgs& args) {
    TJSObjectLink* link = LinkOf(&args.callee());
    TClass cls = link ? link->ClassRef : nullptr;
    if (!cls) return ThrowTypeError(cx, u"Not a class of the engine");
    const std::u16string className = WidenLatin1(cls->Name());
    if (!cls->InheritsFrom(BaseObject::StaticClass())) {
      EngineError(u"Create invalide object " + className);
      return ThrowTypeError(cx, u"Create invalide object " + className);
    }
    TJavaScriptEngine* engine = TJavaScriptEngine::EngineOf(cx);
    TAppletServices* applet = engine ? engine->Applet() : nullptr;
    Container* appletObject = applet ? applet->AppletObject() : nullptr;
    if (!appletObject) {
      EngineError(u"Incorrect Applet");
      return ThrowTypeError(cx, u"Incorrect Applet");
    }
    // A parent object and a file name, in either order; the later of a kind
    // counts. No parent, or null, is the applet.
    BaseObject* parent = appletObject;
    std::u16string fileName;
    for (unsigned i = 0; i < 2 && i < args.length(); ++i) {
      if (args[i].isObject()) {
        auto* object = dynamic_cast<BaseObject*>(ObjectOfValue(args[i]));
        parent = object ? object : appletObject;
      } else if (args[i].isString()) {
        if (!ValueToText(cx, args[i], fileName)) return false;
      }
    }
    if (!ScriptMayMakeObject())
      return ThrowScriptError(cx, u"Can't create " + className + u": the object budget of " + IntToStr(ObjectBudget) +
                                      u" is reached");
    BaseObject* object = fileName.empty() ? CreateObject(cls->Name(), parent)
                                          : CreateObjectFromFile(fileName, parent, true);
    TWeak<BaseObject> alive(object);
    // An object that registered itself while it loaded keeps that wrapper;
    // any other is named first, so that its global goes with it.
    if (object && !engine->WrapperOf(object)) {
      if (object->Name().empty()) object->SetName(object->AutomaticName());
      engine->RegisterVariable(object->Name(), className, object);
    }
    JSObject* wrapper = alive.Get() ? engine->WrapperOf(alive.Get()) : nullptr;
    if (!wrapper) {
      if (JS_IsExceptionPending(cx)) return false;
      return ThrowTypeError(cx, u"Can't create " + className + (fileName.empty() ? u"" : u" from " + fileName));
    }
    args.rval().setObject(*wrapper);
    return true;
  }
};

}  // namespace

TJSObjectBinding& ReflectionBinding() {
  static TReflectionBinding binding;
  return binding;
}

}  // namespace corvane::js
