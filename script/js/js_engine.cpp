#include "script/js/js_engine.h"

#include <chrono>
#include <limits>

#include <js/CallAndConstruct.h>
#include <js/CompilationAndEvaluation.h>
#include <js/GCAPI.h>
#include <js/SliceBudget.h>
#include <js/Conversions.h>
#include <js/GlobalObject.h>
#include <js/PropertyAndElement.h>
#include <js/PropertyDescriptor.h>
#include <js/Realm.h>
#include <js/SourceText.h>
#include <js/String.h>

#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/failure_text.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "script/js/js_compiled_script.h"
#include "script/js/js_context.h"
#include "script/js/js_error_report.h"
#include "script/js/js_job_queue.h"
#include "script/js/js_main_hold.h"
#include "script/js/js_object_link.h"
#include "script/js/js_source_text.h"
#include "script/js/js_values.h"
#include "script/js/js_watchdog.h"

namespace corvane {

using js::TJSObjectLink;

CORVANE_IMPLEMENT_CLASS(TJavaScriptEngine)

namespace {

constexpr JSClass kGlobalClass = {"global", JSCLASS_GLOBAL_FLAGS, &JS::DefaultGlobalClassOps, nullptr, nullptr, nullptr};

// On the shared context one collection collects every applet: once per
// engine frame is enough.
std::uint64_t gLastCollectedFrame = std::numeric_limits<std::uint64_t>::max();
double gCollectionSlice = 0;
double gLastCollectionSeconds = 0;

// The whole stream into bytes; false when it is larger than a script file
// may be (or cannot be read).
bool ReadWhole(TStream& stream, std::string& bytes) {
  const std::int64_t size = stream.Size() - stream.Position();
  if (size < 0 || size > js::kMaxScriptFileBytes) return false;
  bytes.resize(static_cast<std::size_t>(size));
  std::int64_t done = 0;
  while (done < size) {
    const std::int64_t got = stream.Read(bytes.data() + done, size - done);
    if (got <= 0) break;
    done += got;
  }
  bytes.resize(static_cast<std::size_t>(done));
  return true;
}

std::u16string Seconds(double value) { return Utf8ToUtf16(FloatToStrFixed(value, 6)); }

}  // namespace

namespace {

// The objects scripts were handed to own, of every engine: freed by their
// wrappers' finalizers, or with their engine.
struct TAdopted {
  const TJavaScriptEngine* engine;
  TWeak<TObject> object;
};

std::vector<TAdopted>& AdoptedObjects() {
  static std::vector<TAdopted> adopted;
  return adopted;
}

std::size_t LiveAdopted() {
  std::erase_if(AdoptedObjects(), [](const TAdopted& adopted) { return !adopted.object.Get(); });
  return AdoptedObjects().size();
}

// What an engine's scripts opened and still hold is closed with it.
void FreeAdopted(const TJavaScriptEngine* engine) {
  std::vector<TAdopted> held;
  std::erase_if(AdoptedObjects(), [&](TAdopted& adopted) {
    if (adopted.engine != engine) return false;
    held.push_back(std::move(adopted));
    return true;
  });
  for (const TAdopted& adopted : held)
    if (TObject* object = adopted.object.Get()) object->Free();
}

}  // namespace

// One wrapped object: the names it was registered under and its wrapper,
// rooted while the object is registered.
struct TJavaScriptEngine::TWrapped {
  TWrapped(JSContext* cx, JSObject* object) : wrapper(cx, object) {}
  TWeak<TObject> object;
  std::vector<std::u16string> names;
  JS::PersistentRootedObject wrapper;
};

// Every call into the library: in the engine's realm, watched, and with its
// failure reported. The promise jobs it queued run before it ends.
class TJavaScriptEngine::TEntry {
 public:
  explicit TEntry(const TJavaScriptEngine& engine)
      : cx_(engine.cx_), realm_(engine.cx_, engine.global_->get()), watched_(engine.Applet()), jobs_(js::JobMark()) {}
  ~TEntry() {
    try {
      RunJobs();
    } catch (const std::exception& error) {
      js::DropJobsSince(jobs_);
      EngineError(u"Promise jobs dropped: " + FailureText(error));
    }
  }
  TEntry(const TEntry&) = delete;
  TEntry& operator=(const TEntry&) = delete;
  // The result of the call, its failure logged: the pending exception, or
  // (when there is none and the guard did not stop it) that the script
  // stopped.
  bool Done(bool ok) {
    if (!ok && !js::ReportPendingException(cx_) && !watched_.Stopped()) EngineError(u"Script stopped");
    return ok;
  }
  JSContext* Context() const { return cx_; }

 private:
  // Under the call's own guard, each in its realm, those they queue after
  // them; none once the guard stopped the call or its applet began to end
  // while it ran.
  void RunJobs() {
    js::ReportPendingException(cx_);
    JS::RootedObject job(cx_);
    auto goOn = [this] { return !watched_.Stopped() && !watched_.AppletEnded(); };
    while (goOn() && js::TakeJob(jobs_, &job)) {
      JSAutoRealm realm(cx_, job);
      JS::RootedValue ignored(cx_);
      bool ok = false;
      {
        const js::TLibraryCode libraryCode;
        ok = JS::Call(cx_, JS::UndefinedHandleValue, job, JS::HandleValueArray::empty(), &ignored);
      }
      Done(ok);
    }
    if (goOn()) js::ReportUnhandledRejections(cx_, jobs_);
    js::DropJobsSince(jobs_);
  }

  JSContext* cx_;
  JSAutoRealm realm_;
  js::TWatchedCall watched_;
  std::uint64_t jobs_;
};

TJavaScriptEngine::TJavaScriptEngine(const TCreateContext& context) : TScriptEngine(context) {}

TJavaScriptEngine::~TJavaScriptEngine() = default;

void TJavaScriptEngine::AfterConstruction() {
  TScriptEngine::AfterConstruction();
  EngineLog(u"Mozzila Spider Monkey scripting engine started " + WidenLatin1(ClassName()));
  JSContext* cx = js::AcquireContext();
  if (!cx) return;
  JS::RealmOptions options;
  // Weak references and shared memory stay off: their callbacks and
  // waits would run beside the job queue, outside every guard.
  options.creationOptions()
      .setNewCompartmentAndZone()
      .setWeakRefsEnabled(JS::WeakRefSpecifier::Disabled)
      .setSharedMemoryAndAtomicsEnabled(false);
  JS::RootedObject global(cx, JS_NewGlobalObject(cx, &kGlobalClass, nullptr, JS::FireOnNewGlobalHook, options));
  bool ok = global != nullptr;
  if (ok) {
    JSAutoRealm realm(cx, global);
    JS::SetRealmPrivate(JS::GetObjectRealmOrNull(global), this);
    ok = JS::InitRealmStandardClasses(cx);
  }
  if (!ok) {
    js::ReportPendingException(cx);
    EngineError(u"The script engine's global object could not be made");
    js::ReleaseContext();
    return;
  }
  cx_ = cx;
  global_ = std::make_unique<JS::PersistentRootedObject>(cx, global);
}

void TJavaScriptEngine::BeforeDestruction() {
  // Wrappers may outlive the engine in the collector's heap: none of them
  // may still reach an object, and no object its wrapper.
  for (auto& [object, wrapped] : wrapped_) {
    if (TJSObjectLink* link = js::LinkOf(wrapped->wrapper)) link->Instance.Reset();
    auto* base = dynamic_cast<BaseObject*>(wrapped->object.Get());
    if (base && base->ScriptObject() == wrapped.get()) base->SetScriptObject(nullptr);
  }
  wrapped_.clear();
  FreeAdopted(this);
  classTable_.clear();
  objectCount_ = 0;
  js::DropJobsOf(this);
  if (global_) {
    JS::SetRealmPrivate(JS::GetObjectRealmOrNull(*global_), nullptr);
    global_.reset();
  }
  EngineLog(u"Mozzila Spider Monkey scripting engine finished " + WidenLatin1(ClassName()));
  if (cx_) {
    cx_ = nullptr;
    js::ReleaseContext();
  }
  TScriptEngine::BeforeDestruction();
}

TJavaScriptEngine* TJavaScriptEngine::EngineOf(JSContext* cx) {
  JS::Realm* realm = cx ? JS::GetCurrentRealmOrNull(cx) : nullptr;
  return realm ? static_cast<TJavaScriptEngine*>(JS::GetRealmPrivate(realm)) : nullptr;
}

double TJavaScriptEngine::CollectionSlice() { return gCollectionSlice; }

void TJavaScriptEngine::SetCollectionSlice(double milliseconds) {
  gCollectionSlice = milliseconds > 0 ? milliseconds : 0;
}

TAppletServices* TJavaScriptEngine::Applet() const { return dynamic_cast<TAppletServices*>(Owner()); }

void TJavaScriptEngine::InterruptScripts() {
  // The applet ends: what its scripts left waiting never runs.
  js::DropJobsOf(this);
  js::RequestStopCheck();
}

// ------------------------------------------------------------- handlers

bool TJavaScriptEngine::CallScript(const std::u16string& text) {
  if (text.empty()) return true;
  if (!cx_) return false;
  TEntry entry(*this);
  JS::SourceText<char16_t> source;
  if (!source.init(cx_, text.data(), text.size(), JS::SourceOwnership::Borrowed)) return entry.Done(false);
  // Handler texts have no file and count their lines from 0.
  JS::CompileOptions options(cx_);
  options.setFileAndLine("", 0);
  JS::RootedValue result(cx_);
  bool ok = false;
  {
    const js::TLibraryCode libraryCode;
    ok = JS::Evaluate(cx_, options, source, &result);
  }
  return entry.Done(ok);
}

// ---------------------------------------------------------- script files

RefPtr<JS::Stencil> TJavaScriptEngine::CompileSource(const std::string& bytes, const std::string& jsName) {
  const std::u16string name = Utf8ToUtf16(jsName);
  const std::u16string text = js::ScriptSourceText(bytes);
  JS::SourceText<char16_t> source;
  RefPtr<JS::Stencil> stencil;
  if (source.init(cx_, text.data(), text.size(), JS::SourceOwnership::Borrowed)) {
    // Lines count from 1, as editors count them.
    JS::CompileOptions options(cx_);
    options.setFileAndLine(jsName.c_str(), 1);
    const js::TLibraryCode libraryCode;
    stencil = JS::CompileGlobalScriptToStencil(cx_, options, source);
  }
  if (!stencil) {
    js::ReportPendingException(cx_);
    EngineError(u"Can't compile " + name + u" script");
    return nullptr;
  }
  EngineLog(name + u" was compiled successful");
  return stencil;
}

void TJavaScriptEngine::SaveCompiled(TResourceMan* resMan, const std::string& binName, JS::Stencil* stencil,
                                     const TSha256Digest& source, const TUserSecret& key) {
  std::string bytes;
  if (!js::EncodeCompiledScript(cx_, stencil, source, key, bytes)) {
    EngineError(u"The compiled script code may be corrupted; unable to save it to disk.");
    return;
  }
  // A read-only folder or container is no error: the script runs.
  TDerivedStores derived(*resMan);
  StoreResource(*resMan, binName, bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

TScript* TJavaScriptEngine::LoadScript(TResourceMan* resMan, const std::u16string& fileName) {
  if (!cx_ || !resMan) return nullptr;
  const std::string base = FileNameWithoutExt(Utf16ToUtf8(fileName));
  const std::string jsName = base + ".js";
  const std::string binName = base + ".jsbin";
  const std::u16string name = Utf8ToUtf16(jsName);
  const bool hasSource = resMan->StreamExists(jsName);
  const bool hasCompiled = resMan->StreamExists(binName);
  if (!hasSource && !hasCompiled) return nullptr;

  TEntry entry(*this);
  // The source, when it opens, decides whether the compiled file still
  // stands for it: by its digest, never by file dates.
  std::string source;
  bool sourceRead = false;
  if (hasSource) {
    if (std::unique_ptr<TStream> in = resMan->CreateStream(jsName, 0)) {
      if (!ReadWhole(*in, source)) {
        EngineError(name + u" is larger than " + IntToStr(js::kMaxScriptFileBytes) + u" bytes");
        EngineError(u"Can't compile " + name + u" script");
        return nullptr;
      }
      sourceRead = true;
    }
  }
  const TSha256Digest digest = sourceRead ? Sha256(source) : TSha256Digest{};
  TUserSecret key{};
  const bool keyed = js::CompiledScriptKey(key);
  RefPtr<JS::Stencil> stencil;
  if (hasCompiled && keyed) {
    JS::CompileOptions options(cx_);
    options.setFileAndLine(jsName.c_str(), 1);
    std::string bytes;
    if (std::unique_ptr<TStream> in = resMan->CreateStream(binName, 0); in && ReadWhole(*in, bytes))
      stencil = js::DecodeCompiledScript(cx_, options, bytes, sourceRead ? &digest : nullptr, key);
  }
  // A compiled file that is not this user's own, was built from another
  // source, or does not decode is compiled again from its source, and
  // replaced.
  if (!stencil && sourceRead) {
    stencil = CompileSource(source, jsName);
    if (!stencil) return nullptr;
    if (keyed) SaveCompiled(resMan, binName, stencil, digest, key);
  }
  if (!stencil) {
    // No source to compile, or one that cannot be opened.
    EngineError(hasCompiled ? u"Can't load compiled script " + Utf8ToUtf16(binName)
                            : u"Can't compile " + name + u" script");
    return nullptr;
  }

  // The file's top level runs once now: its functions and globals.
  JS::CompileOptions options(cx_);
  options.setFileAndLine(jsName.c_str(), 1);
  JS::InstantiateOptions instantiate(options);
  JS::RootedScript script(cx_);
  JS::RootedValue result(cx_);
  bool ran = false;
  {
    const js::TLibraryCode libraryCode;
    script = JS::InstantiateGlobalStencil(cx_, instantiate, stencil);
    ran = script && JS_ExecuteScript(cx_, script, &result);
  }
  if (!entry.Done(ran)) {
    EngineError(u"Can't execute script " + name);
    return nullptr;
  }
  auto* loaded = Create<js::TJSScript>(TCreateContext(Owner()));
  loaded->SetStencil(std::move(stencil));
  return loaded;
}

void TJavaScriptEngine::FreeScript(TScript* script) {
  if (script) script->Free();
}

// ----------------------------------------------------------- the globals

bool TJavaScriptEngine::DefineGlobal(JSContext* cx, const std::u16string& name, JS::HandleValue value) {
  JS::RootedObject global(cx, *global_);
  bool exists = false;
  if (!JS_AlreadyHasOwnUCProperty(cx, global, name.data(), name.size(), &exists)) return false;
  if (exists) return JS_SetUCProperty(cx, global, name.data(), name.size(), value);
  return JS_DefineUCProperty(cx, global, name.data(), name.size(), value, 0);
}

JSObject* TJavaScriptEngine::IntRegisterClass(TClass cls) {
  if (!cls || !cx_) return nullptr;
  if (auto found = classTable_.find(cls); found != classTable_.end()) return found->second->get();
  TEntry entry(*this);
  JSObject* prototype = ClassPrototype(cx_, cls);
  if (!prototype) entry.Done(false);
  return prototype;
}

JSObject* TJavaScriptEngine::ClassPrototype(JSContext* cx, TClass cls) {
  if (!cls || !cx_) return nullptr;
  if (auto found = classTable_.find(cls); found != classTable_.end()) return found->second->get();
  auto link = std::make_unique<TJSObjectLink>();
  link->ClassRef = cls;
  // Under Object.prototype, so that wrappers convert to text as any object.
  JS::RootedObject base(cx, JS::GetRealmObjectPrototype(cx));
  JS::RootedObject prototype(cx, base ? js::NewLinkedObject(cx, js::PrototypeClass(), base, std::move(link)) : nullptr);
  if (!prototype) return nullptr;
  // Rooted and listed before it is described, which may collect.
  classTable_[cls] = std::make_unique<JS::PersistentRootedObject>(cx, prototype);
  JS::RootedValue value(cx, JS::ObjectValue(*prototype));
  if (!js::ObjectBinding().DescribeClass(cx, prototype, cls) || !DefineGlobal(cx, WidenLatin1(cls->Name()), value))
    return nullptr;
  return prototype;
}

JSObject* TJavaScriptEngine::NewWrapper(JSContext* cx, TObject* object) {
  if (!object) return nullptr;
  JS::RootedObject prototype(cx, ClassPrototype(cx, object->ClassType()));
  if (!prototype) return nullptr;
  auto link = std::make_unique<TJSObjectLink>();
  link->Link(object);
  JS::RootedObject wrapper(cx, js::NewLinkedObject(cx, js::WrapperClass(), prototype, std::move(link)));
  if (!wrapper || !js::ObjectBinding().DescribeObject(cx, wrapper, object)) return nullptr;
  return wrapper;
}

JSObject* TJavaScriptEngine::AdoptedWrapper(JSContext* cx, TObject* object) {
  if (!object) return nullptr;
  if (LiveAdopted() >= kMaxAdopted) {
    // Those the scripts dropped go with their wrappers.
    JS_GC(cx);
  }
  if (LiveAdopted() >= kMaxAdopted) {
    EngineError(u"Can't open another " + WidenLatin1(object->ClassName()) + u": scripts hold " +
                IntToStr(static_cast<std::int64_t>(kMaxAdopted)) + u" open already");
    object->Free();
    return nullptr;
  }
  JSObject* wrapper = NewWrapper(cx, object);
  if (!wrapper) {
    object->Free();
    return nullptr;
  }
  js::LinkOf(wrapper)->Owned = true;
  AdoptedObjects().push_back({this, object});
  return wrapper;
}

JSObject* TJavaScriptEngine::WrapperOf(const TObject* object) const {
  auto found = wrapped_.find(object);
  return found != wrapped_.end() && found->second->object.Get() == object ? found->second->wrapper.get() : nullptr;
}

JSObject* TJavaScriptEngine::AddObject(JSObject* prototypeObject, TObject* object, std::u16string name) {
  if (!object || !cx_) return nullptr;
  if (name.empty())
    name = WidenLatin1(AsciiLowerCase(object->ClassName())) +
           IntToStr(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(object)));
  TEntry entry(*this);
  auto found = wrapped_.find(object);
  if (found != wrapped_.end() && found->second->object.Get() != object) {
    // A freed object's address, taken by a new one: the old wrapper keeps
    // its globals but reaches nothing.
    if (TJSObjectLink* link = js::LinkOf(found->second->wrapper)) link->Instance.Reset();
    wrapped_.erase(found);
    --objectCount_;
    found = wrapped_.end();
  }
  if (found == wrapped_.end()) {
    auto link = std::make_unique<TJSObjectLink>();
    link->Link(object);
    JS::RootedObject prototype(cx_, prototypeObject);
    JS::RootedObject wrapper(cx_, js::NewLinkedObject(cx_, js::WrapperClass(), prototype, std::move(link)));
    if (!wrapper) {
      entry.Done(false);
      return nullptr;
    }
    auto wrapped = std::make_unique<TWrapped>(cx_, wrapper);
    wrapped->object = object;
    if (auto* base = dynamic_cast<BaseObject*>(object)) base->SetScriptObject(wrapped.get());
    found = wrapped_.emplace(object, std::move(wrapped)).first;
    ++objectCount_;
    if (!js::ObjectBinding().DescribeObject(cx_, wrapper, object)) entry.Done(false);
  }
  JS::RootedObject wrapper(cx_, found->second->wrapper);
  JS::RootedValue value(cx_, JS::ObjectValue(*wrapper));
  // Overwriting a global runs a setter a script put there, which may free
  // the object (and with it its entry here): it is then registered nowhere.
  TWeak<TObject> alive(object);
  const bool defined = DefineGlobal(cx_, name, value);
  if (!alive.Get()) {
    if (defined) EngineError(u"Object " + name + u" was freed while it was registered");
    entry.Done(defined);
    return nullptr;
  }
  found = wrapped_.find(object);
  if (!defined || found == wrapped_.end()) {
    entry.Done(defined);
    return wrapper;
  }
  TWrapped& wrapped = *found->second;
  bool known = false;
  for (const std::u16string& registered : wrapped.names) known = known || registered == name;
  if (!known) wrapped.names.push_back(name);
  return wrapper;
}

void TJavaScriptEngine::RegisterVariable(const std::u16string& name, const std::u16string&, TObject* object) {
  if (!object) return;
  if (JSObject* prototype = IntRegisterClass(object->ClassType())) AddObject(prototype, object, name);
}

void TJavaScriptEngine::RegisterConst(const std::u16string& name, std::uint32_t value) {
  if (name.empty() || !cx_) return;
  TEntry entry(*this);
  JS::RootedObject global(cx_, *global_);
  // Every 32-bit value as it is (a number, not a 31-bit integer).
  entry.Done(JS_DefineUCProperty(cx_, global, name.data(), name.size(), static_cast<double>(value), JSPROP_ENUMERATE));
}

void TJavaScriptEngine::RegisterClass(TClass cls) {
  if (cls) IntRegisterClass(cls);
}

void TJavaScriptEngine::ObjectDestroing(TObject* object) {
  auto found = wrapped_.find(object);
  if (found == wrapped_.end()) return;
  std::unique_ptr<TWrapped> wrapped = std::move(found->second);
  wrapped_.erase(found);
  --objectCount_;
  // While the applet that owns this engine is being freed its globals go
  // with the engine: an object is only detached, not looked up and deleted
  // name by name (a large part of ending a large applet).
  const TObject* owner = Owner();
  const bool ownerGoing = owner && owner->Freeing();
  if (cx_ && !ownerGoing) {
    TEntry entry(*this);
    JS::RootedObject global(cx_, *global_);
    for (const std::u16string& name : wrapped->names) {
      // Only while the global still holds this object's wrapper: a script
      // may have put something else there, or another object taken the name.
      JS::Rooted<mozilla::Maybe<JS::PropertyDescriptor>> descriptor(cx_);
      if (!JS_GetOwnUCPropertyDescriptor(cx_, global, name.data(), name.size(), &descriptor)) {
        JS_ClearPendingException(cx_);
        continue;
      }
      if (descriptor.isNothing() || !descriptor->hasValue() || !descriptor->value().isObject() ||
          &descriptor->value().toObject() != wrapped->wrapper.get())
        continue;
      JS::ObjectOpResult result;
      if (!JS_DeleteUCProperty(cx_, global, name.data(), name.size(), result) || !result.ok()) {
        JS_ClearPendingException(cx_);
        EngineError(u"Object can't deleted " + name);
      }
    }
  }
  if (TJSObjectLink* link = js::LinkOf(wrapped->wrapper)) link->Instance.Reset();
  auto* base = dynamic_cast<BaseObject*>(wrapped->object.Get());
  if (base && base->ScriptObject() == wrapped.get()) base->SetScriptObject(nullptr);
}

std::u16string TJavaScriptEngine::GetVarValue(const std::u16string& name) {
  if (!cx_) return {};
  TEntry entry(*this);
  JS::RootedObject global(cx_, *global_);
  bool exists = false;
  if (!entry.Done(JS_HasUCProperty(cx_, global, name.data(), name.size(), &exists)) || !exists) return {};
  JS::RootedValue value(cx_);
  if (!entry.Done(JS_GetUCProperty(cx_, global, name.data(), name.size(), &value))) return {};
  std::u16string text;
  if (!entry.Done(js::ValueToText(cx_, value, text))) return {};
  return text;
}

// ------------------------------------------------------------ collection

void TJavaScriptEngine::ProcessGarbageColection() {
  if (!cx_) return;
  const TEngineServices* running = RunningEngine();
  const bool collect = !running || running->FrameCount() != gLastCollectedFrame;
  if (collect) {
    if (running) gLastCollectedFrame = running->FrameCount();
    const auto start = std::chrono::steady_clock::now();
    Collect();
    gLastCollectionSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  // Every applet showing its board sees the frame's one collection.
  TAppletServices* applet = Applet();
  if (!applet || !applet->DebugFormVisible()) return;
  std::u16string elapsed = Seconds(gLastCollectionSeconds);
  while (elapsed.size() < 8) elapsed.insert(elapsed.begin(), u' ');
  EngineShowInfo(u"JS GC:", elapsed);
  EngineShowInfo(u"JS Objects:", IntToStr(objectCount_));
}

void TJavaScriptEngine::Collect() {
  if (gCollectionSlice <= 0) {
    JS_GC(cx_);
    return;
  }
  const ::js::SliceBudget budget{::js::TimeBudget(static_cast<std::int64_t>(std::max(1.0, gCollectionSlice)))};
  JS_SetGCParameter(cx_, JSGC_INCREMENTAL_GC_ENABLED, 1);
  if (JS::IsIncrementalGCInProgress(cx_)) {
    JS::PrepareForIncrementalGC(cx_);
    JS::IncrementalGCSlice(cx_, JS::GCReason::API, budget);
  } else {
    JS::PrepareForFullGC(cx_);
    JS::StartIncrementalGC(cx_, JS::GCOptions::Normal, JS::GCReason::API, budget);
  }
}

}  // namespace corvane
