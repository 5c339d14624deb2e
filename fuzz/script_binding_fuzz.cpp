// Runs generated scripts against the real object binding: short programs
// built from the published properties and methods of every registered
// class (the registry walked once), with arguments of every kind, members
// called on receivers of other classes and on non-engine values, swapped
// prototypes, objects used after they were disposed, and handlers that
// run further statements when the applet's frames run them. Arguments
// call back while they convert (toString, valueOf, getters, proxies) and
// free, dispose or move objects meanwhile; setters put on globals run when
// an object registers under that name; objects loaded from a file run
// onCreate and onDestroy hooks, and the applet its onFree hook when it
// ends; promises and async functions queue jobs. Every statement is
// caught, so a program goes on to its end. No crash, no sanitizer report.
// The applet lives on the test kit's null platform: no window opens. An
// input that starts with "//" is a script itself (the seeds are written
// so), run over the same objects.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/reflection/class_registry.h"
#include "base/text/text_convert.h"
#include "engine/core/base_object.h"
#include "engine/shell/applet.h"
#include "fuzz/script_fuzz_setup.h"
#include "scene/register.h"
#include "script/js/js_engine.h"
#include "tests/support/kit/applet_world.h"

namespace {

using namespace corvane;

// What would stop the run rather than test the binding: real sleeps and
// loops that wait for input no one gives.
bool Excluded(const std::string& method) {
  for (const char* name : {"sleep", "waitForEvents", "enterModal", "showMessage", "terminate", "fadeHideWait",
                           "fadeShowWait", "fadeScreenToColorWait", "hideScreenWait", "runEffectWait"})
    if (method == name) return true;
  return false;
}

struct TVocabulary {
  std::vector<std::string> classes;     // every registered class with a prototype
  std::vector<std::string> makeable;    // tree classes scripts may make with new
  std::vector<std::string> properties;  // every published property name
  std::vector<std::string> handlers;    // the "on..." ones
  std::vector<std::string> methods;     // every published method name
};

TVocabulary Walk() {
  TVocabulary words;
  const std::vector<TClass>* classes = GlobalClassList();
  if (!classes) return words;
  for (TClass cls : *classes) {
    words.classes.push_back(cls->Name());
    if (cls->InheritsFrom(BaseObject::StaticClass()) && cls->CanCreate() && !cls->InheritsFrom(Applet::StaticClass()))
      words.makeable.push_back(cls->Name());
    for (const TPropInfo* prop : cls->Properties()) {
      words.properties.push_back(prop->Name());
      if (prop->Name().rfind("on", 0) == 0) words.handlers.push_back(prop->Name());
    }
    for (const auto& method : cls->OwnMethods())
      if (!Excluded(method->Name())) words.methods.push_back(method->Name());
  }
  return words;
}

// The input, read a byte at a time; zeros once it runs out.
class TBytes {
 public:
  TBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool More() const { return at_ < size_; }
  unsigned Next() { return at_ < size_ ? data_[at_++] : 0; }
  const std::string& Pick(const std::vector<std::string>& from) {
    static const std::string kNone = "x";
    const unsigned index = Next() << 8 | Next();
    return from.empty() ? kNone : from[index % from.size()];
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// A file the programs load: every object in it runs the program's hooks
// as it is made and as it goes (one level of hooks within hooks).
constexpr const char* kPieceFile =
    "object piece: Dummy\n"
    "  onCreate = 'RunHook(\"create\")'\n"
    "  onDestroy = 'RunHook(\"destroy\")'\n"
    "  object part: Box\n"
    "    onCreate = 'RunHook(\"create\")'\n"
    "    onDestroy = 'RunHook(\"destroy\")'\n"
    "  end\n"
    "end\n";
constexpr const char* kHookRunner =
    "hooks = {}; hookDepth = 0;"
    "function RunHook(name) {"
    "  if (typeof hooks[name] != 'function' || hookDepth > 1) return;"
    "  hookDepth++; try { hooks[name](); } catch (e) {} finally { hookDepth--; } }";

const std::vector<std::string> kGlobals = {"applet", "engine", "device", "event", "filter", "resMan",
                                           "preferences", "scoreTable", "materials", "mostTop", "inspector",
                                           "externalResMan", "embeddedResMan"};

class TProgram {
 public:
  TProgram(TBytes& in, const TVocabulary& words) : in_(in), words_(words) {}

  // A statement that frees, disposes or moves objects.
  std::string Upheaval() {
    switch (in_.Next() % 5) {
      case 0: return Target() + ".deleteChildren()";
      case 1: return Target() + ".dispose()";
      case 2: return Target() + ".moveTo(" + Target() + ")";
      case 3: return "applet.deleteChildren()";
      default: return "o.length = 0";
    }
  }

  // A value that runs script code while the engine converts it.
  std::string CallingBack() {
    const std::string upheaval = Upheaval();
    switch (in_.Next() % 4) {
      case 0: return "{toString: function () { " + upheaval + "; return 'x'; }}";
      case 1: return "{valueOf: function () { " + upheaval + "; return 1; }}";
      case 2:
        return "Object.defineProperty({}, 'valueOf', {get: function () { " + upheaval +
               "; return function () { return 2; }; }})";
      default:
        return "new Proxy({}, {get: function (t, k) { " + upheaval + "; return function () { return 'p'; }; }})";
    }
  }

  std::string Value(int depth = 0) {
    switch (in_.Next() % 18) {
      case 16:
      case 17: return CallingBack();
      case 0: return "0";
      case 1: return "-1";
      case 2: return "2.5";
      case 3: return "1e10";
      case 4: return "NaN";
      case 5: return "''";
      case 6: return "'x'";
      case 7: return "'main.object'";
      case 8: return "'" + std::string(in_.Next() % 64, 'w') + "'";
      case 9: return in_.Next() % 2 ? "true" : "false";
      case 10: return in_.Next() % 2 ? "null" : "undefined";
      case 11: return "{}";
      case 12: return depth < 2 ? "[" + Value(depth + 1) + ", [" + Value(depth + 1) + "]]" : "[]";
      case 13: return in_.Pick(words_.classes);
      case 14: return "function () { return 1; }";
      default: return Target();
    }
  }

  std::string Target() {
    switch (in_.Next() % 4) {
      case 0: return in_.Pick(kGlobals);
      case 1: return "v";
      default: return "o[" + std::to_string(in_.Next()) + " % o.length]";
    }
  }

  std::string Arguments() {
    std::string list;
    for (unsigned n = in_.Next() % 4, i = 0; i < n; ++i) list += (i ? ", " : "") + Value();
    return list;
  }

  std::string Statement(int depth) {
    const std::string target = Target();
    switch (in_.Next() % 16) {
      case 0: return "v = " + target + "." + in_.Pick(words_.properties);
      case 1: return target + "." + in_.Pick(words_.properties) + " = " + Value();
      case 2: return "v = " + target + "." + in_.Pick(words_.methods) + "(" + Arguments() + ")";
      case 3: return "Object.setPrototypeOf(" + target + ", " + Value() + ")";
      case 4: {
        const std::string accessor = "Object.getOwnPropertyDescriptor(" + in_.Pick(words_.classes) + ", '" +
                                     in_.Pick(words_.properties) + "')";
        return in_.Next() % 2 ? "v = " + accessor + ".get.call(" + Value() + ")"
                              : accessor + ".set.call(" + Value() + ", " + Value() + ")";
      }
      case 5: {
        const std::string args = Arguments();
        return "v = " + in_.Pick(words_.classes) + "." + in_.Pick(words_.methods) + ".call(" + Value() +
               (args.empty() ? "" : ", " + args) + ")";
      }
      case 6: return target + ".dispose()";
      case 7: {
        // A handler that runs more of the program when the frames run it.
        std::string text = depth < 2 ? Statement(depth + 1) : "v = 1";
        for (char& c : text)
          if (c == '\'') c = '"';
        return target + "." + in_.Pick(words_.handlers) + " = '" + text + "'";
      }
      case 8: return "o.push(new " + in_.Pick(words_.makeable) + "(" + Arguments() + "))";
      case 9: return "for (var k in " + target + ") v = " + target + "[k]";
      case 10: {
        static const std::vector<std::string> kHooks = {"create", "destroy", "free"};
        return "hooks." + in_.Pick(kHooks) + " = function () { " + (depth < 2 ? Statement(depth + 1) : "v = 1") +
               " }";
      }
      case 11:
        switch (in_.Next() % 3) {
          case 0: return "o.push(new Dummy(" + target + ", 'piece.object'))";
          case 1: return "v = applet.newFromFile('piece.object', " + target + ")";
          default: return target + ".fileName = 'piece.object'";
        }
      case 12: {
        // A setter on the global an object registers under.
        static const std::vector<std::string> kNames = {"piece", "part"};
        return "Object.defineProperty(globalThis, '" + in_.Pick(kNames) + "', {set: function (x) { " + Upheaval() +
               " }, configurable: true})";
      }
      case 13: {
        // Promises and async functions queue jobs that run after the
        // script that queued them.
        const std::string then = depth < 2 ? Statement(depth + 1) : "v = 1";
        switch (in_.Next() % 3) {
          case 0: return "Promise.resolve().then(function () { " + then + " })";
          case 1: return "(async function () { await null; " + then + " })()";
          default: return "v = " + CallingBack();
        }
      }
      default: return "v = " + target;
    }
  }

 private:
  TBytes& in_;
  const TVocabulary& words_;
};

struct TFuzzState {
  std::unique_ptr<test::TAppletWorld> world;
  TVocabulary words;
  int runs = 0;
};

TFuzzState& State() {
  static auto* state = new TFuzzState;  // lives to the end of the process
  return *state;
}

// A fresh applet with one object of every class scripts may make: the
// scene's classes too (boxes, mirrors, meshes, timers...), as the program
// registers them; the kit's world alone has only a few.
TJavaScriptEngine* Relaunch(TFuzzState& state) {
  if (state.world && state.world->Live()) state.world->FreeApplet();
  state.world.reset();
  test::TAppletWorld::TOptions options;
  options.scriptClass = TJavaScriptEngine::StaticClass();
  state.world = std::make_unique<test::TAppletWorld>(options);
  RegisterSceneClasses();
  state.world->Put("piece.object", kPieceFile);
  Applet* applet = state.world->Launch("object Game: Applet\n  onFree = 'RunHook(\"free\")'\nend\n");
  auto* js = applet ? dynamic_cast<TJavaScriptEngine*>(applet->ScriptEngine()) : nullptr;
  if (!js) return nullptr;
  if (state.words.classes.empty()) state.words = Walk();
  js->CallScript(Utf8ToUtf16(kHookRunner));
  std::u16string make = u"o = []; v = null;";
  for (const std::string& name : state.words.makeable)
    make += u"try { o.push(new " + WidenLatin1(name) + u"()) } catch (e) {}";
  js->CallScript(make + u"base = o.slice();");
  return js;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartScriptFuzzing();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzState& state = State();
  // A fresh applet now and then, so that made objects do not pile up.
  TJavaScriptEngine* js = nullptr;
  if (state.world && state.world->Live() && state.runs++ % 32 != 0)
    js = dynamic_cast<TJavaScriptEngine*>(state.world->Live()->ScriptEngine());
  else
    js = Relaunch(state);
  if (!js || state.words.methods.empty()) return 0;
  TBytes in(data, size);
  TProgram program(in, state.words);
  std::string text = "o = base.slice(); hooks = {};\n";
  if (size >= 2 && data[0] == '/' && data[1] == '/')
    text.append(reinterpret_cast<const char*>(data), size);
  else
    for (int i = 0; i < 24 && in.More(); ++i) text += "try { " + program.Statement(0) + " } catch (e) {}\n";
  js->CallScript(Utf8ToUtf16(text));
  // Handlers run, disposed objects go.
  if (state.world->Live()) state.world->Steps(2);
  return 0;
}
