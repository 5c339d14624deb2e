// The JavaScript engine's registration: makes TJavaScriptEngine the script
// engine every applet creates (ScriptEngineClass) and records it under
// ".js". Called once at program start.
#pragma once

namespace corvane {

void RegisterJavaScriptEngine();

}  // namespace corvane
