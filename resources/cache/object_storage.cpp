#include "resources/cache/object_storage.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <memory>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "base/streams/object_text.h"
#include "base/streams/resource_man.h"
#include "base/streams/source_stamp.h"
#include "base/streams/stamping_reader.h"
#include "base/streams/writer.h"
#include "base/system/failure_text.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"
#include "engine/core/object_loader.h"
#include "engine/core/applet_services.h"
#include "resources/cache/cache.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TSomeReader)

namespace {

std::string& LoadName() {
  static std::string name;
  return name;
}

// The load name for the duration of one load; a nested load puts the outer
// name back when it ends.
class TLoadNameScope {
 public:
  explicit TLoadNameScope(std::string name) : saved_(std::move(LoadName())) { LoadName() = std::move(name); }
  ~TLoadNameScope() { LoadName() = std::move(saved_); }
  TLoadNameScope(const TLoadNameScope&) = delete;
  TLoadNameScope& operator=(const TLoadNameScope&) = delete;

 private:
  std::string saved_;
};

bool IsObjectClass(TClass cls) { return cls && cls->InheritsFrom(BaseObject::StaticClass()) && cls->CanCreate(); }

std::int32_t Clamp32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

void ReportInFile(const std::u16string& what, const std::string& fileName) {
  EngineError(what + u" in file " + Utf8ToUtf16(fileName));
}

// Reads a whole root record into root from the stream's position.
void ReadRootInto(TStream& stream, BaseObject& root, const std::string& fileName) {
  TWeak<BaseObject> handle(&root);
  TSomeReader reader(stream, &root, fileName, true);
  reader.ReadRootComponent(&root);
  // A read stopped by the budget of the load was reported as that, and one
  // stopped by a close request is said to be.
  if (reader.Stopped()) LoadStopsForClose();
  else if (reader.Failed()) ReportInFile(u"Object stream damaged", fileName);
  if (BaseObject* loaded = handle.Get()) {
    const std::int32_t size = Clamp32(stream.Size());
    loaded->LoadProgress(size, size);
  }
}

// A new root from a binary stream: its class from the record header (an
// unknown one becomes a Dummy, silently), constructed under parent with the
// stream read between construction and AfterConstruction.
BaseObject* ReadObjectStream(TResourceMan* resMan, const std::string& fileName, TStream& stream, BaseObject* parent) {
  const std::int64_t start = stream.Position();
  std::string className;
  {
    TSomeReader header(stream, nullptr, fileName, false);
    header.ReadSignature();
    TGFilerFlags flags;
    std::int32_t childPos = 0;
    header.ReadPrefix(flags, childPos);
    className = header.ReadStr();
    if (header.Failed()) {
      stream.SetPosition(start);
      if (header.Stopped()) LoadStopsForClose();
      else ReportInFile(u"Object stream damaged", fileName);
      return nullptr;
    }
  }
  TClass cls = GetClass(className);
  if (!IsObjectClass(cls)) cls = DummyClass();
  if (!cls) {
    stream.SetPosition(start);
    EngineError(u"Class " + WidenLatin1(className) + u" not found.");
    return nullptr;
  }
  if (parent && !parent->TakesNewChild([&] { return WidenLatin1(cls->Name()) + u" of " + Utf8ToUtf16(fileName); })) {
    stream.SetPosition(start);
    return nullptr;
  }
  TCreateContext context(parent);
  if (parent) context.Applet = AppletObjectOf(parent);
  context.ResMan = resMan;
  context.LoadName = LoadName();
  context.Read = [&](TObject& object) {
    stream.SetPosition(start);
    ReadRootInto(stream, static_cast<BaseObject&>(object), fileName);
  };
  auto* result = static_cast<BaseObject*>(cls->CreateInstance(context));
  stream.SetPosition(start);
  return result;
}

BaseObject* ReadObjectInto(const std::string& fileName, TStream& stream, BaseObject* root) {
  const std::int64_t start = stream.Position();
  TWeak<BaseObject> handle(root);
  ReadRootInto(stream, *root, fileName);
  stream.SetPosition(start);
  return handle.Get();
}

BaseObject* LoadObjectBinary(TResourceMan* resMan, const std::string& fileName, TStream& stream, BaseObject* parent,
                             BaseObject* root) {
  if (TestStreamFormat(stream) != sofBinary) {
    ReportInFile(u"Invalid object stream", fileName);
    return nullptr;
  }
  TWeak<BaseObject> parentHandle(parent);
  BaseObject* result = root ? ReadObjectInto(fileName, stream, root) : ReadObjectStream(resMan, fileName, stream, parent);
  parent = parentHandle.Get();
  if (result && parent && parent->IndexOfChild(result) < 0) parent->AddChild(result);
  return result;
}

// Compiles the text into compiled (at position 0); false, logged with the
// file name, when it cannot be compiled. The parser reads the file in large
// blocks itself.
bool CompileText(TStream& text, const std::string& textName, TMemoryStream& compiled) {
  if (!ObjectTextToBinary(text, compiled)) {
    // A compilation stopped by a close request is no fault of the text.
    if (!LoadStopsForClose()) ReportInFile(u"Object text not compiled", textName);
    return false;
  }
  compiled.SetPosition(0);
  return true;
}

// CompileText, then the stamp of the text as it was compiled at the end,
// which the reader of the object never reaches; compiled is left at 0.
bool CompileStamped(TResourceMan* resMan, const std::string& textName, TMemoryStream& compiled) {
  std::unique_ptr<TStream> text = resMan->CreateStream(textName, 0);
  if (!text) return false;
  TStampingReader stamping(*resMan, textName, *text);
  if (!CompileText(stamping, textName, compiled)) return false;
  const std::optional<TSourceStamp> stamp = stamping.Stamp();
  if (stamp) {
    compiled.Seek(0, soEnd);
    WriteSourceStamp(compiled, *stamp);
    compiled.SetPosition(0);
  }
  return true;
}

}  // namespace

// ------------------------------------------------------------------ reader

TSomeReader::TSomeReader(TStream& stream, BaseObject* loadParent, std::string fileName, bool progress)
    : TGReader(stream, 4096),
      loadParent_(loadParent),
      fileName_(std::move(fileName)),
      progressSize_(progress ? std::optional<std::int32_t>(Clamp32(stream.Size())) : std::nullopt) {
  // A long load (a large file, or one object of many properties) hears a
  // close request between its blocks.
  StopWhenAsked();
  OnError = [this](TGReader&, const std::string& message, bool& handled) { DoError(message, handled); };
  OnFindComponentClass = [this](TGReader&, const std::string& className, TClass& cls) {
    DoFindComponentClass(className, cls);
  };
  OnCreateComponent = [this](TGReader&, TClass cls, TGComponent*& component) { DoCreateComponent(cls, component); };
  OnFindComponentInstance = [this](TGReader&, const std::string& name, TGComponent*& instance) {
    DoFindComponentInstance(name, instance);
  };
}

void TSomeReader::DoError(const std::string& message, bool& handled) {
  ReportInFile(Utf8ToUtf16(message), fileName_);
  handled = true;
}

void TSomeReader::DoFindComponentClass(const std::string& className, TClass& cls) {
  cls = GetClass(className);
  if (cls) return;
  cls = DummyClass();
  EngineError(u"Class " + WidenLatin1(className) + u" not found.");
}

void TSomeReader::DoCreateComponent(TClass cls, TGComponent*& component) {
  if (!IsObjectClass(cls)) return;  // not an engine object: the reader's own way
  if (!ChargeLoadObject()) {
    Stop();
    return;
  }
  // Made in its place at once (the reader's current parent), knowing its
  // applet before its constructor runs.
  auto* owner = dynamic_cast<BaseObject*>(Parent());
  if (!owner) owner = loadParent_;
  if (owner && !owner->TakesNewChild([&] { return WidenLatin1(cls->Name()) + u" of " + Utf8ToUtf16(fileName_); })) {
    Stop();
    return;
  }
  TCreateContext context(owner);
  if (loadParent_) context.Applet = AppletObjectOf(loadParent_);
  context.InitialState.Include(csLoading);
  component = static_cast<TGComponent*>(cls->CreateInstance(context));
  if (progressSize_ && loadParent_) loadParent_->LoadProgress(Clamp32(GetPosition()), *progressSize_);
}

void TSomeReader::DoFindComponentInstance(const std::string& name, TGComponent*& instance) {
  Container* applet = AppletObjectOf(loadParent_);
  instance = applet ? applet->findByName(WidenLatin1(name)) : nullptr;
}

// ------------------------------------------------------------------ storage

TClass DummyClass() {
  const TClass cls = GetClass("Dummy");
  return IsObjectClass(cls) ? cls : nullptr;
}

const std::string& CurrentLoadName() { return LoadName(); }

namespace {

// A cached stream is read through a copy of its own: the handlers the read
// runs may load the same file again (which rewinds the cached stream) or
// free the object that holds it (which releases it).
BaseObject* LoadCachedObject(TResourceMan* resMan, const std::string& fileName, TStream& cached, BaseObject* parent,
                             BaseObject* root) {
  TMemoryStream copy;
  copy.CopyFrom(cached, 0);
  copy.SetPosition(0);
  return LoadObjectBinary(resMan, fileName, copy, parent, root);
}

}  // namespace

BaseObject* LoadStoredObject(TResourceMan* resMan, const std::u16string& fileName, BaseObject* parent,
                             BaseObject* root, bool useCache) {
  if (!resMan) return nullptr;
  const std::string name = Utf16ToUtf8(fileName);
  TLoadNameScope scope(name);
  const std::string base = FileNameWithoutExt(name);
  const std::string textName = base + ".object";
  const std::string binName = base + ".bin";
  const std::u16string cacheKey = Utf8ToUtf16(textName);
  TCache* cache = nullptr;
  if (useCache && parent && parent->GetApplet()) cache = parent->GetApplet()->Cache();
  try {
    if (cache) {
      if (TStream* cached = cache->LoadStream(resMan, cacheKey)) {
        if (!ChargeLoadBytes(cached->Size())) return nullptr;
        return LoadCachedObject(resMan, textName, *cached, parent, root);
      }
    }
    // The ".bin" serves only while it was compiled from the text as it is
    // now (base/streams/source_stamp.h); one alone serves as it is.
    const bool textExists = resMan->StreamExists(textName);
    bool useText = textExists && !MadeFromSource(*resMan, binName, textName);
    std::unique_ptr<TStream> binary;
    if (!useText) {
      binary = resMan->CreateStream(binName, 0);
      // A ".bin" that is not one (cut short by a crash, say) gives way to
      // its text.
      if (binary && textExists && TestStreamFormat(*binary) != sofBinary) {
        binary.reset();
        useText = true;
      }
    }
    TMemoryStream compiled;
    TStream* source = binary.get();
    if (useText) {
      if (!CompileStamped(resMan, textName, compiled)) return nullptr;
      // Not being able to store the ".bin" (embedded defaults, read-only
      // folders and containers) is no error: the memory serves.
      TDerivedStores derived(*resMan);
      StoreResource(*resMan, binName, compiled.Memory(), compiled.Size());
      source = &compiled;
    }
    if (!source) {
      // Neither form could be read: an include, a mission or the applet
      // itself says why its text is not there (a ".bin" that could not be
      // opened has had its own line).
      ResourceThere(*resMan, textName, u"load");
      return nullptr;
    }
    if (!ChargeLoadBytes(source->Size())) return nullptr;
    if (cache) {
      cache->AddStream(resMan, cacheKey, *source);
      if (TStream* cached = cache->LoadStream(resMan, cacheKey)) {
        return LoadCachedObject(resMan, textName, *cached, parent, root);
      }
    }
    // Messages name the file the bytes came from.
    return LoadObjectBinary(resMan, useText ? textName : binName, *source, parent, root);
  } catch (const std::exception& e) {
    ReportInFile(FailureText(e), textName);
    return nullptr;
  }
}

BaseObject* LoadObjectFromStream(TResourceMan* resMan, TStream& stream, BaseObject* parent, BaseObject* root) {
  TLoadNameScope scope{std::string()};
  try {
    return LoadObjectBinary(resMan, std::string(), stream, parent, root);
  } catch (const std::exception& e) {
    EngineError(FailureText(e));
    return nullptr;
  }
}

bool SaveObjectToStream(TStream& stream, BaseObject* obj) {
  if (!obj) return false;
  TGWriter writer(stream, 4096);
  writer.WriteDescendent(obj, nullptr);
  return true;
}

bool SaveObjectAsText(TStream& stream, BaseObject* obj) {
  if (!obj) return false;
  TWeak<BaseObject> handle(obj);
  obj->BeforeSave();
  TMemoryStream binary;
  bool written = true;
  try {
    TGWriter writer(binary, 4096);
    writer.WriteDescendent(obj, nullptr);
  } catch (const std::exception& e) {
    EngineError(Utf8ToUtf16(e.what()));
    written = false;
  }
  if (BaseObject* alive = handle.Get()) alive->AfterSave();
  if (!written) return false;
  binary.SetPosition(0);
  return ObjectBinaryToText(binary, stream);
}

bool SaveObject(TResourceMan* resMan, const std::string& fileName, BaseObject* obj) {
  if (!resMan || !obj) return false;
  // Rendered whole first: a failure leaves the old file as it was.
  TMemoryStream text;
  if (!SaveObjectAsText(text, obj)) {
    EngineError(u"Object not saved to " + Utf8ToUtf16(fileName));
    return false;
  }
  return StoreResource(*resMan, fileName, text.Memory(), text.Size());
}

bool CreateBin(TResourceMan* resMan, const std::string& fileName) {
  if (!resMan) return false;
  TMemoryStream compiled;
  return CompileStamped(resMan, fileName, compiled) &&
         StoreResource(*resMan, FileNameWithoutExt(fileName) + ".bin", compiled.Memory(), compiled.Size());
}

}  // namespace corvane
