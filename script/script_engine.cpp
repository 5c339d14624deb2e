#include "script/script_engine.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TScript)
CORVANE_IMPLEMENT_CLASS(TScriptEngine)

TClass ScriptEngineClass = nullptr;

}  // namespace corvane
