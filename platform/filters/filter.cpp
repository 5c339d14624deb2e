#include "platform/filters/filter.h"

#include <new>
#include <utility>

#include "base/reflection/class_builder.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "platform/media.h"
#include "platform/script_made_media.h"

namespace corvane {

TClass FilterClass = nullptr;

CORVANE_IMPLEMENT_CLASS(TAbstractFilter)
CORVANE_IMPLEMENT_CLASS(TPixmapFilter)
CORVANE_IMPLEMENT_CLASS(TMeshFilter)
CORVANE_IMPLEMENT_CLASS(TFilter)

namespace {

std::vector<TFilterClass>& Registry() {
  static std::vector<TFilterClass> list;
  return list;
}

const TFilterClass* FindFilter(TClass kind, std::string_view fileName) {
  for (const TFilterClass& entry : Registry())
    if (entry.Class && entry.Class->InheritsFrom(kind) && entry.IsSupport && entry.IsSupport(fileName))
      return &entry;
  return nullptr;
}

}  // namespace

const std::vector<TFilterClass>& FilterList() { return Registry(); }

void RegisterFilter(const TFilterClass& filterClass) {
  for (const TFilterClass& entry : Registry())
    if (entry.Class == filterClass.Class) return;
  Registry().push_back(filterClass);
}

const TFilterClass* FindPixmapFilter(std::string_view fileName) {
  return FindFilter(TPixmapFilter::StaticClass(), fileName);
}

const TFilterClass* FindMeshFilter(std::string_view fileName) {
  return FindFilter(TMeshFilter::StaticClass(), fileName);
}

bool FileNameContains(std::string_view fileName, std::string_view extension) {
  return AsciiLowerCase(fileName).find(AsciiLowerCase(extension)) != std::string::npos;
}

TDevice* TAbstractFilter::Device() const {
  TAppletServices* applet = dynamic_cast<TAppletServices*>(Owner());
  if (!applet)
    if (auto* object = dynamic_cast<BaseObject*>(Owner())) applet = object->GetApplet();
  return applet ? applet->Device() : nullptr;
}

// ------------------------------------------------------------------ TFilter

namespace {

// What tells pixmap and mesh loading apart: the filter kind, its object
// and the extension of the derived file.
template <class Kind>
struct TKind;
template <>
struct TKind<TPixmapFilter> {
  using Object = TPixmap;
  static constexpr std::string_view kDerived = ".pixmap";
  static const TFilterClass* Find(std::string_view name) { return FindPixmapFilter(name); }
};
template <>
struct TKind<TMeshFilter> {
  using Object = TMesh;
  static constexpr std::string_view kDerived = ".mesh";
  static const TFilterClass* Find(std::string_view name) { return FindMeshFilter(name); }
};

}  // namespace

template <class F>
TOwned<F> TFilter::MakeFilter(const TFilterClass* filterClass) const {
  if (!filterClass || !filterClass->Class || !filterClass->Class->CanCreate()) return nullptr;
  TObject* owner = GetApplet() ? GetApplet()->AppletObject() : nullptr;
  TOwned<TObject> made(filterClass->Class->CreateInstance(TCreateContext(owner)));
  auto* filter = dynamic_cast<F*>(made.get());
  if (!filter) return nullptr;
  made.release();
  return TOwned<F>(filter);
}

namespace {

// Loads through the filter of the name, converting the source into the
// derived file beside it unless that file was made from the source as it
// is now (base/streams/source_stamp.h); the file made carries the stamp.
template <class Kind, class MakeFn>
typename TKind<Kind>::Object* LoadDerived(TResourceMan* resMan, const std::string& name, MakeFn make) {
  using K = TKind<Kind>;
  if (!resMan) return nullptr;
  const std::string derived = FileNameWithoutExt(name) + std::string(K::kDerived);
  const auto loadDerived = [&]() -> typename K::Object* {
    TOwned<Kind> filter = make(K::Find(derived));
    return filter ? filter->LoadFromFile(resMan, derived) : nullptr;
  };
  // A derived file named itself is read as it is.
  if (derived == name) return ResourceThere(*resMan, name, u"load") ? loadDerived() : nullptr;
  const TFilterClass* sourceClass = K::Find(name);
  const bool derivedExists = resMan->StreamExists(derived);
  // A name that gives nothing to read says why: no file, a folder or a
  // FIFO in its place, or a kind no filter reads.
  if (!derivedExists && !ResourceThere(*resMan, name, u"load")) return nullptr;
  if (!sourceClass) {
    if (!derivedExists) EngineError(u"Can't load " + Utf8ToUtf16(name) + u": no filter reads this kind of file");
    return derivedExists ? loadDerived() : nullptr;
  }
  if (resMan->StreamExists(name) && (!derivedExists || !MadeFromSource(*resMan, derived, name))) {
    // Stamped before it is read: a change meanwhile then shows as another
    // source next time.
    const bool keep = resMan->KeepsDerivedFiles(name);
    std::optional<TSourceStamp> stamp = keep ? StampOfSource(*resMan, name) : std::nullopt;
    TOwned<Kind> source = make(sourceClass);
    typename K::Object* object = source ? source->LoadFromFile(resMan, name) : nullptr;
    source.reset();
    if (object && keep) {
      // A read-only applet converts in memory on each run, quietly.
      TDerivedStores quiet(*resMan);
      if (TOwned<Kind> target = make(K::Find(derived))) {
        target->DerivedFrom = std::move(stamp);
        target->SaveToFile(resMan, derived, object);
      }
    }
    return object;
  }
  return derivedExists ? loadDerived() : nullptr;
}

// Saves through the filter of the name when it can save.
template <class Kind, class MakeFn>
void SaveThrough(TResourceMan* resMan, const std::string& name, typename TKind<Kind>::Object* object, MakeFn make) {
  const TFilterClass* filterClass = TKind<Kind>::Find(name);
  if (!resMan || !object || !filterClass || !filterClass->Options || !filterClass->Options().Contains(foCanSave))
    return;
  if (TOwned<Kind> filter = make(filterClass)) filter->SaveToFile(resMan, name, object);
}

// A picture that the memory left cannot hold fails as a damaged one does,
// with its line: std::bad_alloc never leaves a picture's load or save.
template <class Step>
auto WithinMemory(std::u16string_view what, const std::string& name, decltype(std::declval<Step>()()) failed,
                  Step step) {
  try {
    return step();
  } catch (const std::bad_alloc&) {
    EngineError(u"Can't " + std::u16string(what) + u" picture " + Utf8ToUtf16(name) + u": out of memory");
    return failed;
  }
}

}  // namespace

TPixmap* TFilter::LoadPixmap(TResourceMan* resMan, const std::u16string& fileName) {
  const std::string name = Utf16ToUtf8(fileName);
  return WithinMemory(u"load", name, static_cast<TPixmap*>(nullptr), [&] {
    return LoadDerived<TPixmapFilter>(resMan, name,
                                      [this](const TFilterClass* c) { return MakeFilter<TPixmapFilter>(c); });
  });
}

void TFilter::SavePixmap(TResourceMan* resMan, const std::u16string& fileName, TPixmap* pixmap) {
  const std::string name = Utf16ToUtf8(fileName);
  WithinMemory(u"save", name, true, [&] {
    SaveThrough<TPixmapFilter>(resMan, name, pixmap,
                               [this](const TFilterClass* c) { return MakeFilter<TPixmapFilter>(c); });
    return true;
  });
}

TMesh* TFilter::LoadMesh(TResourceMan* resMan, const std::u16string& fileName) {
  return LoadDerived<TMeshFilter>(resMan, Utf16ToUtf8(fileName),
                                  [this](const TFilterClass* c) { return MakeFilter<TMeshFilter>(c); });
}

void TFilter::SaveMesh(TResourceMan* resMan, const std::u16string& fileName, TMesh* mesh) {
  SaveThrough<TMeshFilter>(resMan, Utf16ToUtf8(fileName), mesh,
                           [this](const TFilterClass* c) { return MakeFilter<TMeshFilter>(c); });
}

bool TFilter::LoadRGBAFile(TResourceMan* resMan, const std::string& fileName, std::int32_t& width,
                           std::int32_t& height, std::vector<std::uint32_t>& pixels) {
  if (!resMan) return false;
  const std::string derived = FileNameWithoutExt(fileName) + ".pixmap";
  const TFilterClass* derivedClass = FindPixmapFilter(derived);
  const bool useDerived = derivedClass && resMan->StreamExists(derived);
  return WithinMemory(u"load", fileName, false, [&] {
    TOwned<TPixmapFilter> filter = MakeFilter<TPixmapFilter>(useDerived ? derivedClass : FindPixmapFilter(fileName));
    return filter && filter->LoadRGBAFromFile(resMan, useDerived ? derived : fileName, width, height, pixels);
  });
}

bool TFilter::SaveRGBAFile(TResourceMan* resMan, const std::string& fileName, std::int32_t width,
                           std::int32_t height, const std::vector<std::uint32_t>& pixels) {
  if (!resMan) return false;
  return WithinMemory(u"save", fileName, false, [&] {
    TOwned<TPixmapFilter> filter = MakeFilter<TPixmapFilter>(FindPixmapFilter(fileName));
    return filter && filter->SaveRGBAToFile(resMan, fileName, width, height, pixels);
  });
}

void TFilter::Describe(TClassBuilder<TFilter>& c) {
  c.Method("loadPixmap", &TFilter::LoadPixmap);
  c.Method("savePixmap", &TFilter::SavePixmap);
  // A mesh loaded by a script is the script's: the one kind its
  // DestroyMesh may free.
  c.Method("loadMesh", [](TFilter& filter, TResourceMan* resMan, const std::u16string& fileName) {
    return MarkMadeForScript(filter.LoadMesh(resMan, fileName));
  });
  c.Method("saveMesh", &TFilter::SaveMesh);
  c.Method("loadRGBAFile", &TFilter::LoadRGBAFile);
  c.Method("saveRGBAFile", &TFilter::SaveRGBAFile);
}

}  // namespace corvane
