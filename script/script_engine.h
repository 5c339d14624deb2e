// The script-engine interface: the engine core reaches a script language
// only through these operations. One engine per applet, made from the class
// variable ScriptEngineClass (set when the program starts by the unit that
// implements it; nullptr: the applet runs without scripts).
#pragma once

#include <cstdint>
#include <string>

#include "base/reflection/persistent.h"

namespace corvane {

class TResourceMan;

// One loaded, compiled script. Only the applet's cache changes RefCount.
class TScript : public TSomePersistent {
  CORVANE_CLASS(TScript, TSomePersistent)
  using TSomePersistent::TSomePersistent;
  void* Handle = nullptr;  // the language's own handle of the compiled code
  std::int32_t RefCount = 0;
};

class TScriptEngine : public TSomePersistent {
  CORVANE_CLASS(TScriptEngine, TSomePersistent)
  // The owner is the applet.
  using TSomePersistent::TSomePersistent;

  // Runs handler text in the global scope; true when it ran without error.
  virtual bool CallScript(const std::u16string& text) = 0;
  // Loads (compiling or reading the precompiled form) and runs a script
  // file; nullptr when it cannot.
  virtual TScript* LoadScript(TResourceMan* resMan, const std::u16string& fileName) = 0;
  // Releases the compiled code and frees the script.
  virtual void FreeScript(TScript* script) = 0;
  // An object goes away: its script-side global disappears.
  virtual void ObjectDestroing(TObject* object) = 0;
  virtual void RegisterVariable(const std::u16string& name, const std::u16string& className, TObject* object) = 0;
  virtual void RegisterConst(const std::u16string& name, std::uint32_t value) = 0;
  // Makes a class known to scripts; calling it again does no harm.
  virtual void RegisterClass(TClass cls) = 0;
  virtual void ProcessGarbageColection() = 0;
  // The applet is ending: a script of it that is running (or waiting in a
  // frame) stops at its next step, whatever it does.
  virtual void InterruptScripts() {}
  virtual std::u16string GetVarValue(const std::u16string& name) = 0;
};

// The script-engine class the applet instantiates; nullptr when none.
extern TClass ScriptEngineClass;

// The most bytes the script heap may hold (one heap serves every applet's
// scripts); a script that would pass it gets "out of memory" and the
// engine goes on. The program's switch "-scriptheap=<MiB>" sets it before
// the first applet starts; values are kept within the bounds below.
inline constexpr std::uint64_t kDefaultScriptHeapBytes = std::uint64_t{512} << 20;
inline constexpr std::uint64_t kMinScriptHeapBytes = std::uint64_t{16} << 20;
inline constexpr std::uint64_t kMaxScriptHeapBytes = 0xFFFFFFFFu;
std::uint64_t ScriptHeapLimit();
void SetScriptHeapLimit(std::uint64_t bytes);

// The most characters of one text a script hands the engine at once: a
// property's value, a method's argument (an array's texts together), a
// file name. A longer one is refused with an error line and the script
// gets the error. The program's switch "-maxscripttext=<N>" sets it.
inline constexpr std::int64_t kDefaultScriptTextCharacters = std::int64_t{1} << 20;
std::int64_t ScriptTextLimit();
void SetScriptTextLimit(std::int64_t characters);

// The registry of script-engine classes by key (".js"). The engine in use
// is always ScriptEngineClass; the registry only records what the program
// registered. A key registered again keeps its first class.
void RegisterScript(const std::string& key, TClass cls);
// The class registered under the key (compared without case); nullptr when
// none.
TClass RegisteredScriptEngine(const std::string& key);

}  // namespace corvane
