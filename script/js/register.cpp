#include "script/js/register.h"

#include "script/js/js_engine.h"

namespace corvane {

void RegisterJavaScriptEngine() {
  ScriptEngineClass = TJavaScriptEngine::StaticClass();
  RegisterScript(".js", TJavaScriptEngine::StaticClass());
}

}  // namespace corvane
