// An applet on the test kit with the JavaScript engine as its script
// engine, and the helpers the script tests share.
#pragma once

#include <string>
#include <vector>

#include "engine/shell/applet.h"
#include "script/js/js_engine.h"
#include "tests/support/kit/applet_world.h"

namespace corvane::test {

inline TAppletWorld::TOptions JavaScriptOptions() {
  TAppletWorld::TOptions options;
  options.scriptClass = TJavaScriptEngine::StaticClass();
  return options;
}

class TJsWorld : public TAppletWorld {
 public:
  TJsWorld() : TAppletWorld(JavaScriptOptions()) {}
  // With other options: JavaScriptOptions() changed.
  explicit TJsWorld(const TOptions& options) : TAppletWorld(options) {}
  // Launches a bare applet (or the given main.object).
  Applet* Start(const std::string& mainObject = "object Game: Applet\nend\n") { return Launch(mainObject); }
  TJavaScriptEngine* Js() const { return Live() ? dynamic_cast<TJavaScriptEngine*>(Live()->ScriptEngine()) : nullptr; }
  // The error lines logged since the mark, without "(e) ".
  std::vector<std::string> ErrorsSince(std::size_t mark) const {
    std::vector<std::string> errors;
    for (const std::string& line : MessagesSince(mark))
      if (line.rfind("(e) ", 0) == 0) errors.push_back(line.substr(4));
    return errors;
  }
};

}  // namespace corvane::test
