// TJavaScriptEngine: the script engine on SpiderMonkey. Each engine (one
// per applet) has its own global object, its own realm, found again
// through the realm's private pointer; all engines share the process's one
// context (js_context.h). Handler texts are evaluated in the global on every
// call; script files are compiled once and kept as ".jsbin" beside their
// source (js_compiled_script.h). Errors go to the log as
// "file(line:column) message "source line"" (js_error_report.h), and a
// script that runs without a frame for too long is stopped
// (js_watchdog.h).
//
// Engine objects reach scripts as wrappers held in globals named after them,
// classes as prototypes named after the class (js_object_link.h). The
// engine keeps, per wrapped object, the names it registered and the rooted
// wrapper: a destroyed object's global is deleted only while it still holds
// that wrapper, and its link is always detached.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <js/experimental/JSStencil.h>
#include <jsapi.h>

#include "base/system/sha256.h"
#include "base/system/user_data.h"
#include "script/script_engine.h"

namespace corvane {

class TAppletServices;

class TJavaScriptEngine : public TScriptEngine {
  CORVANE_CLASS(TJavaScriptEngine, TScriptEngine)
  explicit TJavaScriptEngine(const TCreateContext& context);
  ~TJavaScriptEngine() override;
  void AfterConstruction() override;
  // Detaches every link and the objects' script pointers, releases every
  // root, then the shared context.
  void BeforeDestruction() override;

  bool CallScript(const std::u16string& text) override;
  TScript* LoadScript(TResourceMan* resMan, const std::u16string& fileName) override;
  void FreeScript(TScript* script) override;
  void ObjectDestroing(TObject* object) override;
  void RegisterVariable(const std::u16string& name, const std::u16string& className, TObject* object) override;
  void RegisterConst(const std::u16string& name, std::uint32_t value) override;
  void RegisterClass(TClass cls) override;
  void ProcessGarbageColection() override;
  void InterruptScripts() override;
  std::u16string GetVarValue(const std::u16string& name) override;

  // The per-frame collection: a full one (0, the default), or an
  // incremental slice of about this many milliseconds, for applets whose
  // many live objects make a full collection too long for a frame.
  static double CollectionSlice();
  static void SetCollectionSlice(double milliseconds);

  // Engine objects wrapped as globals now.
  std::int32_t ObjectCount() const { return objectCount_; }
  // For the object binding: the context, the global, the prototype of a
  // class (made on first need; nullptr without a context) and the wrapper
  // of a registered object (nullptr when it has none).
  JSContext* Context() const { return cx_; }
  JSObject* GlobalObject() const { return global_ ? global_->get() : nullptr; }
  JSObject* IntRegisterClass(TClass cls);
  JSObject* WrapperOf(const TObject* object) const;
  // Inside a call into the library (natives, hooks): the prototype of a
  // class, made on first need, and a new wrapper of an object that is not
  // registered (a nested or listed object), owned by the collector. Both
  // nullptr with an exception pending when the library fails.
  JSObject* ClassPrototype(JSContext* cx, TClass cls);
  JSObject* NewWrapper(JSContext* cx, TObject* object);
  // A new wrapper that owns the object the engine handed the script (a
  // stream it opened): the object is freed when the collector finalizes
  // the wrapper or when this engine ends, whichever comes first. At most
  // kMaxAdopted such objects live at once in the process; past that a
  // collection runs, and when they still live the object is freed at once
  // and nullptr returned, with an error line.
  JSObject* AdoptedWrapper(JSContext* cx, TObject* object);
  static constexpr std::size_t kMaxAdopted = 256;
  // The applet the engine belongs to; nullptr when it has none.
  TAppletServices* Applet() const;
  // The engine whose global the context is in now; nullptr in none.
  static TJavaScriptEngine* EngineOf(JSContext* cx);

 private:
  struct TWrapped;
  class TEntry;

  // A full collection, or a slice of one (CollectionSlice).
  void Collect();
  JSObject* AddObject(JSObject* prototype, TObject* object, std::u16string name);
  bool DefineGlobal(JSContext* cx, const std::u16string& name, JS::HandleValue value);
  RefPtr<JS::Stencil> CompileSource(const std::string& bytes, const std::string& jsName);
  void SaveCompiled(TResourceMan* resMan, const std::string& binName, JS::Stencil* stencil,
                    const TSha256Digest& source, const TUserSecret& key);

  JSContext* cx_ = nullptr;
  std::unique_ptr<JS::PersistentRootedObject> global_;
  std::unordered_map<TClass, std::unique_ptr<JS::PersistentRootedObject>> classTable_;
  std::unordered_map<const TObject*, std::unique_ptr<TWrapped>> wrapped_;
  std::int32_t objectCount_ = 0;
};

}  // namespace corvane
