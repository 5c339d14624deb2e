// The native of every published method. The function carries its method;
// the receiver is the wrapper it is called on, which must stand for an
// object of the method's class or a descendant (anything else is a
// TypeError). Arguments become Variants by the method's parameter types
// (absent ones empty, extra ones ignored), all of them before anything is
// called: a conversion may run script code, and a call whose receiver or
// object argument went meanwhile throws and does nothing. The result comes
// back by its type. A method with a parameter no script can pass (one it
// hands a value back through, an address) throws a TypeError naming it. Forty-six methods
// are called by name in a table of their own, when called with the number
// of arguments the table gives them: some on the receiver's applet or the
// engine's external resource manager, some with a result script code relies
// on (null where the method gives nothing, nothing where it gives
// something).
#pragma once

#include <jsapi.h>

namespace corvane {
class TMethodInfo;
}

namespace corvane::js {

// The script function of a published method; nullptr with an exception
// pending when the library cannot make it.
JSObject* NewMethodFunction(JSContext* cx, const TMethodInfo& method);
bool CallPublishedMethod(JSContext* cx, unsigned argc, JS::Value* vp);

}  // namespace corvane::js
