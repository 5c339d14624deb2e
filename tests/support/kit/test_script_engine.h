// A script engine for tests, before JavaScript exists. Handler texts are a
// tiny command language, commands separated by ";":
//   log <text>            a log line
//   dispose [name]        dispose the current object (or the named one)
//   terminate             terminate the applet
//   set <prop> <value>    set a published property of the current object
//   call <method> [arg]   call a published method of the current object
//   new <Class> [name]    create an object under the current object
//   wait <seconds>        wait (nested frames) on the current object
//   at <name> <command>   run the command with the named object as current
// "Current" is the event's paramThis. Every handler text is recorded.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "script/script_engine.h"

namespace corvane {
class BaseObject;
}

namespace corvane::test {

class TTestScriptEngine : public TScriptEngine {
  CORVANE_CLASS(TTestScriptEngine, TScriptEngine)
  using TScriptEngine::TScriptEngine;
  ~TTestScriptEngine() override;

  bool CallScript(const std::u16string& text) override;
  TScript* LoadScript(TResourceMan* resMan, const std::u16string& fileName) override;
  void FreeScript(TScript* script) override;
  void ObjectDestroing(TObject*) override {}
  void RegisterVariable(const std::u16string& name, const std::u16string& className, TObject* object) override;
  void RegisterConst(const std::u16string& name, std::uint32_t value) override { consts.emplace_back(name, value); }
  void RegisterClass(TClass cls) override { classes.push_back(cls); }
  void ProcessGarbageColection() override {}
  std::u16string GetVarValue(const std::u16string&) override { return {}; }

  // What happened, for the tests to read.
  std::vector<std::u16string> calls;                  // every handler text
  std::vector<std::u16string> variables;              // registered names
  std::vector<std::pair<std::u16string, std::uint32_t>> consts;
  std::vector<TClass> classes;
  std::vector<std::u16string> freedScripts;
  // Script files LoadScript finds.
  std::set<std::u16string> scriptFiles;

 private:
  void Run(BaseObject* current, std::u16string command);
  std::vector<TScript*> live_;
};

}  // namespace corvane::test
