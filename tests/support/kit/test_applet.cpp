#include "tests/support/kit/test_applet.h"

#include "base/class_builder.h"
#include "engine/event.h"
#include "resources/cache.h"
#include "tests/support/kit/test_script_engine.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TTestApplet)

TTestApplet::TTestApplet(const TCreateContext& context, bool withScripts) : Applet(context) {
  if (withScripts) scriptEngine_ = Create<TTestScriptEngine>(TCreateContext(this));
  cache_ = Create<TCache>(TCreateContext(this));
  event_ = Create<Event>(TCreateContext(this));
  ready_ = true;
}

TTestScriptEngine* TTestApplet::Scripts() const { return dynamic_cast<TTestScriptEngine*>(ScriptEngine()); }

}  // namespace corvane::test
