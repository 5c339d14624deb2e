#include "script/js/js_values.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include <js/Array.h>
#include <js/Conversions.h>
#include <js/ErrorReport.h>
#include <js/Exception.h>
#include <js/PropertyAndElement.h>
#include <js/String.h>

#include "base/reflection/class_info.h"
#include "base/reflection/type_info.h"
#include "base/system/failure_text.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/base_object.h"
#include "script/js/js_engine.h"
#include "script/js/js_error_report.h"
#include "script/js/js_main_hold.h"
#include "script/js/js_object_link.h"
#include "script/script_engine.h"

namespace corvane::js {

namespace {

// The characters of the texts converted so far for one argument: the
// elements of an array handed to a method share the text budget.
std::int64_t* gTextTally = nullptr;

class TTextTally {
 public:
  TTextTally() : outer_(gTextTally) { gTextTally = &spent_; }
  ~TTextTally() { gTextTally = outer_; }
  TTextTally(const TTextTally&) = delete;
  TTextTally& operator=(const TTextTally&) = delete;

 private:
  std::int64_t spent_ = 0;
  std::int64_t* outer_;
};


// Arrays handed to and from methods nest no deeper than records of arrays
// do; a script's self-containing array stops here.
constexpr int kMaxValueDepth = 8;
// And hold no more elements than a script could mean for a method.
constexpr std::uint32_t kMaxArrayLength = 1u << 20;

// Error messages of the engine's own: the text as given, of the kind the
// error number names.
constexpr JSErrorFormatString kErrorFormats[] = {
    {"EngineError", "{0}", 1, JSEXN_ERR},
    {"EngineTypeError", "{0}", 1, JSEXN_TYPEERR},
};

const JSErrorFormatString* EngineErrorFormat(void*, const unsigned number) {
  return number < std::size(kErrorFormats) ? &kErrorFormats[number] : nullptr;
}

// Thrown at the script's current place, which its report then names.
bool ThrowOfType(JSContext* cx, unsigned kind, const std::u16string& message) {
  JS_ReportErrorNumberUTF8(cx, EngineErrorFormat, nullptr, kind, Utf16ToUtf8(message).c_str());
  return false;
}

double ToDoubleOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

bool NaturalValue(JSContext* cx, JS::HandleValue value, Variant& out, int depth, THeldObjects& held);

bool NaturalArray(JSContext* cx, JS::HandleObject array, Variant& out, int depth, THeldObjects& held) {
  std::uint32_t length = 0;
  if (!JS::GetArrayLength(cx, array, &length)) return false;
  if (depth >= kMaxValueDepth || length > kMaxArrayLength)
    return ThrowTypeError(cx, u"The array is too large or too deep for an engine call");
  std::vector<Variant> items(length);
  JS::RootedValue element(cx);
  for (std::uint32_t i = 0; i < length; ++i) {
    if (!JS_GetElement(cx, array, i, &element) || !NaturalValue(cx, element, items[i], depth + 1, held))
      return false;
  }
  out = Variant(std::move(items));
  return true;
}

// A value as the Variant of its own kind.
bool NaturalValue(JSContext* cx, JS::HandleValue value, Variant& out, int depth, THeldObjects& held) {
  out = Variant();
  if (value.isUndefined()) return true;
  if (value.isNull()) {
    out = Variant::Null();
    return true;
  }
  if (value.isBoolean()) {
    out = Variant(value.toBoolean());
    return true;
  }
  if (value.isInt32()) {
    out = Variant(value.toInt32());
    return true;
  }
  if (value.isDouble()) {
    out = Variant(value.toDouble());
    return true;
  }
  if (value.isObject()) {
    if (LinkOf(&value.toObject())) {
      TObject* object = ObjectOfValue(value);
      held.Hold(object);
      out = Variant(object);
      return true;
    }
    JS::RootedObject object(cx, &value.toObject());
    bool isArray = false;
    if (!JS::IsArrayObject(cx, object, &isArray)) return false;
    if (isArray) return NaturalArray(cx, object, out, depth, held);
  }
  std::u16string text;
  if (!ValueToText(cx, value, text)) return false;
  out = Variant(std::move(text));
  return true;
}

bool NaturalResult(JSContext* cx, const Variant& value, JS::MutableHandleValue out, int depth) {
  switch (value.VarType()) {
    case varEmpty:
      out.setUndefined();
      return true;
    case varNull:
      out.setNull();
      return true;
    case varBoolean:
      out.setBoolean(value.AsBoolean());
      return true;
    case varString:
    case varWideString:
      return TextValue(cx, value.AsWideString(), out);
    case varObject:
      return WrapResult(cx, value.AsObject(), out);
    case varArray: {
      const std::vector<Variant>& items = value.AsArray();
      if (depth >= kMaxValueDepth) return ThrowTypeError(cx, u"The engine's result nests too deep");
      JS::RootedObject array(cx, JS::NewArrayObject(cx, items.size()));
      if (!array) return false;
      JS::RootedValue element(cx);
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (!NaturalResult(cx, items[i], &element, depth + 1) ||
            !JS_SetElement(cx, array, static_cast<std::uint32_t>(i), element))
          return false;
      }
      out.setObject(*array);
      return true;
    }
    case varUInt64:
      out.setNumber(static_cast<double>(value.AsUInt64()));
      return true;
    default:
      if (value.IsIntegerType()) {
        out.setNumber(static_cast<double>(value.AsInt64()));
        return true;
      }
      out.setNumber(value.AsDouble());
      return true;
  }
}

}  // namespace

void ReportUnfitInteger(JSContext* cx, JS::HandleValue value) {
  if (!value.isDouble()) return;
  const double number = value.toDouble();
  if (std::isfinite(number) && std::fabs(number) < 4294967296.0) return;
  EngineError(ScriptPlace(cx) + u" number " + Utf8ToUtf16(FloatToStrGeneral(number)) +
              u" does not fit a 32-bit integer");
}

bool ThrowTypeError(JSContext* cx, const std::u16string& message) { return ThrowOfType(cx, 1, message); }

bool ThrowScriptError(JSContext* cx, const std::u16string& message) { return ThrowOfType(cx, 0, message); }

bool THeldObjects::RefuseFreedWhileConverting(JSContext* cx, const std::u16string& what) {
  return ThrowScriptError(cx, what + u": an object it was given was freed while its arguments were converted");
}

bool ThrowEngineError(JSContext* cx, const std::u16string& where, const std::exception& error) {
  const std::u16string message = where + u": " + FailureText(error);
  EngineError(message);
  return ThrowOfType(cx, 0, message);
}

std::u16string StringChars(JSContext* cx, JSString* string) {
  std::u16string text(JS_GetStringLength(string), u'\0');
  if (!JS_CopyStringChars(cx, mozilla::Range<char16_t>(text.data(), text.size()), string)) return {};
  return text;
}

bool ValueToText(JSContext* cx, JS::HandleValue value, std::u16string& text) {
  JS::RootedString string(cx);
  {
    // A script's toString may sit in the library as long as any handler.
    const TLibraryCode libraryCode;
    string = JS::ToString(cx, value);
  }
  if (!string) return false;
  // Measured before a character is copied: a text past the budget would
  // cost the engine its copy, and every call it is handed to.
  const std::int64_t length = static_cast<std::int64_t>(JS_GetStringLength(string)) + (gTextTally ? *gTextTally : 0);
  if (length > ScriptTextLimit()) {
    const std::u16string message = u"A text of " + IntToStr(length) + u" characters is refused: scripts hand the engine at most " +
                                   IntToStr(ScriptTextLimit()) + u" at once";
    EngineError(ScriptPlace(cx) + u" " + message);
    return ThrowOfType(cx, 0, message);
  }
  if (gTextTally) *gTextTally = length;
  text = StringChars(cx, string);
  return true;
}

bool TextValue(JSContext* cx, const std::u16string& text, JS::MutableHandleValue out) {
  JSString* string = JS_NewUCStringCopyN(cx, text.data(), text.size());
  if (!string) return false;
  out.setString(string);
  return true;
}

TObject* ObjectOfValue(const JS::Value& value) {
  return value.isObject() ? GetJSPrivateObject(&value.toObject()) : nullptr;
}

bool RefuseReceiver(JSContext* cx, const TObject* object, TClass owner, const std::string& member) {
  const std::u16string what = WidenLatin1(member) + u" of " + WidenLatin1(owner->Name());
  if (!object) return ThrowTypeError(cx, what + u" used on no engine object");
  return ThrowTypeError(cx, what + u" used on a " + WidenLatin1(object->ClassName()));
}


bool WrapResult(JSContext* cx, TObject* object, JS::MutableHandleValue out) {
  out.setNull();
  TJavaScriptEngine* engine = TJavaScriptEngine::EngineOf(cx);
  if (!object || !engine) return true;
  if (JSObject* wrapper = engine->WrapperOf(object)) {
    out.setObject(*wrapper);
    return true;
  }
  if (dynamic_cast<BaseObject*>(object)) {
    // Tree objects stand in scripts only under the names they registered.
    EngineError(u"Need to create object");
    return true;
  }
  JSObject* wrapper = engine->NewWrapper(cx, object);
  if (!wrapper) return false;
  out.setObject(*wrapper);
  return true;
}

bool ArgumentFor(JSContext* cx, const TTypeInfo* type, JS::HandleValue value, Variant& out, THeldObjects& held) {
  out = Variant();
  if (value.isUndefined()) return true;
  const TPropKind kind = type ? type->Kind() : pkVariant;
  switch (kind) {
    case pkChar:
    case pkWChar:
      if (value.isString()) {
        // The first character is all a character takes.
        char16_t first = 0;
        if (JS_GetStringLength(value.toString()) > 0 && !JS_GetStringCharAt(cx, value.toString(), 0, &first))
          return false;
        out = Variant(static_cast<std::int32_t>(first));
        return true;
      }
      [[fallthrough]];
    case pkInteger:
    case pkEnumeration: {
      if (kind == pkEnumeration && value.isString()) return NaturalValue(cx, value, out, 0, held);
      ReportUnfitInteger(cx, value);
      if (kind == pkInteger && type->OrdType() == otULong) {
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
    case pkInt64: {
      double number = 0;
      if (!JS::ToNumber(cx, value, &number)) return false;
      number = std::trunc(ToDoubleOrZero(number));
      out = Variant(static_cast<std::int64_t>(std::clamp(number, -9.2e18, 9.2e18)));
      return true;
    }
    case pkBool:
      out = Variant(JS::ToBoolean(value));
      return true;
    case pkFloat: {
      double number = 0;
      if (!JS::ToNumber(cx, value, &number)) return false;
      out = Variant(number);
      return true;
    }
    case pkString:
    case pkWString: {
      std::u16string text;
      if (!ValueToText(cx, value, text)) return false;
      out = Variant(std::move(text));
      return true;
    }
    case pkClass: {
      TObject* object = ObjectOfValue(value);
      held.Hold(object);
      out = Variant(object);
      return true;
    }
    case pkPointer:
      // No script hands the engine an address.
      return true;
    default: {
      const TTextTally tally;
      return NaturalValue(cx, value, out, 0, held);
    }
  }
}

bool ResultFor(JSContext* cx, const TTypeInfo* type, const Variant& result, JS::MutableHandleValue out) {
  if (!type) {
    out.setUndefined();
    return true;
  }
  switch (type->Kind()) {
    case pkInteger:
    case pkChar:
    case pkWChar:
    case pkEnumeration:
    case pkInt64:
      out.setNumber(static_cast<double>(result.AsInt64()));
      return true;
    case pkBool:
      out.setBoolean(result.AsBoolean());
      return true;
    case pkFloat:
      out.setNumber(result.AsDouble());
      return true;
    case pkString:
    case pkWString:
      return TextValue(cx, result.AsWideString(), out);
    case pkClass:
      return WrapResult(cx, result.AsObject(), out);
    case pkPointer:
      out.setNumber(static_cast<double>(result.AsUInt64()));
      return true;
    case pkSet:
    case pkMethod:
    case pkUnknown:
      out.setNull();
      return true;
    default:
      return NaturalResult(cx, result, out, 0);
  }
}

}  // namespace corvane::js
