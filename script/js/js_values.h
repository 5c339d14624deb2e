// Values crossing between scripts and engine objects: script values as the
// Variants a published method takes (by its parameter types), results and
// property values back as script values, engine objects as this engine's
// wrappers, and the catchable errors natives and hooks throw.
#pragma once

#include <array>
#include <exception>
#include <string>
#include <vector>

#include <jsapi.h>

#include "base/reflection/class_info.h"
#include "base/reflection/object.h"
#include "base/reflection/variant.h"
#include "script/js/js_object_link.h"

namespace corvane {
class TObject;
class TTypeInfo;
}  // namespace corvane

namespace corvane::js {

// Throws a TypeError with the message in the script; always false.
bool ThrowTypeError(JSContext* cx, const std::u16string& message);
// Throws an Error with the message in the script; always false.
bool ThrowScriptError(JSContext* cx, const std::u16string& message);
// A C++ exception out of a property access or a call: its text goes to the
// log, and an Error with that text is thrown in the script; always false.
bool ThrowEngineError(JSContext* cx, const std::u16string& where, const std::exception& error);

// The characters of a string.
std::u16string StringChars(JSContext* cx, JSString* string);
// Any value as text (JS::ToString); false with an exception pending.
bool ValueToText(JSContext* cx, JS::HandleValue value, std::u16string& text);
// A new string value; false with an exception pending.
bool TextValue(JSContext* cx, const std::u16string& text, JS::MutableHandleValue out);

// The engine object a value names: a wrapper's living object, else nullptr.
TObject* ObjectOfValue(const JS::Value& value);

// The engine objects a native holds while it converts script values: each
// conversion may run script code (toString, valueOf, getters, proxies) that
// frees one. The native holds its receiver and every object argument here,
// converts everything, and touches none of them unless all still live.
class THeldObjects {
 public:
  void Hold(TObject* object) {
    if (!object) return;
    if (count_ < inline_.size()) inline_[count_++] = object;
    else more_.emplace_back(object);
  }
  bool AllAlive() const {
    for (std::size_t i = 0; i < count_; ++i)
      if (!inline_[i].Get()) return false;
    for (const TWeak<TObject>& object : more_)
      if (!object.Get()) return false;
    return true;
  }
  // AllAlive, or the script error of what() (a call, a property: its text
  // is made only then) whose objects went while its values converted;
  // changes nothing either way.
  template <typename TWhat>
  bool CheckAlive(JSContext* cx, const TWhat& what) const {
    return AllAlive() || RefuseFreedWhileConverting(cx, what());
  }

 private:
  [[gnu::cold]] static bool RefuseFreedWhileConverting(JSContext* cx, const std::u16string& what);

  // A call holds its receiver, target, applet and an object argument or
  // two: those need no allocation.
  std::array<TWeak<TObject>, 6> inline_;
  std::size_t count_ = 0;
  std::vector<TWeak<TObject>> more_;
};

// Throws the TypeError of a member of `owner` used on `object` (nullptr:
// on something that is no engine object); always false.
[[gnu::cold]] bool RefuseReceiver(JSContext* cx, const TObject* object, TClass owner, const std::string& member);

// The receiver of a published member of `owner`, checked before the member
// touches it (a script can put any prototype under any object, or call an
// accessor with any `this`). True with the object when `thisv` wraps an
// object of `owner` or a descendant; true with nullptr for a class's
// prototype or the wrapper of a gone object, which the member treats as
// inert; false with a TypeError thrown for anything else. Inline: every
// property access and call runs it.
inline bool ReceiverFor(JSContext* cx, const JS::Value& thisv, TClass owner, const std::string& member,
                        TObject*& receiver) {
  TJSObjectLink* link = thisv.isObject() ? LinkOf(&thisv.toObject()) : nullptr;
  receiver = link ? link->Instance.Get() : nullptr;
  if (receiver && (link->InstanceClass == owner || link->InstanceClass->InheritsFrom(owner))) return true;
  if (link && !receiver) return true;
  TObject* const refused = receiver;
  receiver = nullptr;
  return RefuseReceiver(cx, refused, owner, member);
}

// An engine object as a script value in the current realm: null for none,
// the object's wrapper in this engine when it is registered, null with
// "Need to create object" for an unregistered tree object, and a new
// wrapper for anything else (nested and listed objects). False with an
// exception pending.
bool WrapResult(JSContext* cx, TObject* object, JS::MutableHandleValue out);

// A script argument as the Variant a parameter of this type takes; an
// absent argument (undefined) is empty. Integers truncate (ToInt32), text
// parameters take the text of any value. Every engine object the Variant
// names (also inside arrays) is held in `held`. False with an exception
// pending.
bool ArgumentFor(JSContext* cx, const TTypeInfo* type, JS::HandleValue value, Variant& out, THeldObjects& held);

// The library's 32-bit conversion wraps any number: 1e30 becomes 0, and so
// does Infinity, which would reach the engine as a plausible value (a font
// of size 0). A number that no 32-bit integer holds is reported where the
// script gave it, "file(line:column) number <n> does not fit a 32-bit
// integer"; the value goes on as the library makes it.
void ReportUnfitInteger(JSContext* cx, JS::HandleValue value);
// A method's result by its declared type (nullptr: a procedure, undefined).
bool ResultFor(JSContext* cx, const TTypeInfo* type, const Variant& result, JS::MutableHandleValue out);

}  // namespace corvane::js
