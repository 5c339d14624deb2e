// Filters turn files into device pixmaps and meshes and back. A filter
// class is registered per file kind; the applet's TFilter (script global
// "filter") picks the filter for a file name, keeps converted copies beside
// their sources and serves raw RGBA pictures. The cache loads every pixmap
// and mesh through TFilter::LoadPixmap and TFilter::LoadMesh.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/reflection/set.h"
#include "base/streams/source_stamp.h"
#include "engine/core/base_object.h"

namespace corvane {

class TDevice;
class TMesh;
class TPixmap;
class TResourceMan;

template <class C>
class TClassBuilder;

CORVANE_ENUM(TFilterOption, foCanLoad, foCanSave);
using TFilterOptions = TSet<TFilterOption>;

// A filter of one file kind. An instance is created with the applet as
// owner (through which it reaches the device) and lives for one load or
// save.
class TAbstractFilter : public TSomePersistent {
  CORVANE_CLASS(TAbstractFilter, TSomePersistent)
  using TSomePersistent::TSomePersistent;
  // The owner applet's rendering device; null without one.
  TDevice* Device() const;

  // Set on a filter about to write a file derived from a source: the
  // source's stamp, which the file then carries at its end
  // (base/streams/source_stamp.h).
  std::optional<TSourceStamp> DerivedFrom;
};

class TPixmapFilter : public TAbstractFilter {
  CORVANE_CLASS(TPixmapFilter, TAbstractFilter)
  using TAbstractFilter::TAbstractFilter;
  // Raw pictures: width x height 32-bit ARGB values (in memory the bytes
  // blue, green, red, alpha on a little-endian host), row after row from
  // the top; the caller owns them.
  virtual bool LoadRGBAFromFile(TResourceMan* resMan, const std::string& name, std::int32_t& width,
                                std::int32_t& height, std::vector<std::uint32_t>& pixels) = 0;
  virtual bool SaveRGBAToFile(TResourceMan* resMan, const std::string& name, std::int32_t width,
                              std::int32_t height, const std::vector<std::uint32_t>& pixels) = 0;
  virtual TPixmap* LoadFromFile(TResourceMan* resMan, const std::string& name) = 0;
  virtual void SaveToFile(TResourceMan* resMan, const std::string& name, TPixmap* pixmap) = 0;
};

class TMeshFilter : public TAbstractFilter {
  CORVANE_CLASS(TMeshFilter, TAbstractFilter)
  using TAbstractFilter::TAbstractFilter;
  virtual TMesh* LoadFromFile(TResourceMan* resMan, const std::string& name) = 0;
  virtual void SaveToFile(TResourceMan* resMan, const std::string& name, TMesh* mesh) = 0;
};

// A registered filter class: the class (a TPixmapFilter or a TMeshFilter),
// whether it takes a file name, and what it can do.
struct TFilterClass {
  TClass Class = nullptr;
  bool (*IsSupport)(std::string_view fileName) = nullptr;
  TFilterOptions (*Options)() = nullptr;
};

// The entry of a filter class F with static IsSupport and Options.
template <class F>
TFilterClass FilterClassOf() {
  return {F::StaticClass(), &F::IsSupport, &F::Options};
}

// The registered filter classes in registration order.
const std::vector<TFilterClass>& FilterList();
// Appends the class; a class already listed keeps its place (the register
// functions run again for every test world).
void RegisterFilter(const TFilterClass& filterClass);
// The first registered pixmap (mesh) filter that takes the name; null when
// none does.
const TFilterClass* FindPixmapFilter(std::string_view fileName);
const TFilterClass* FindMeshFilter(std::string_view fileName);
// Whether the lower-cased name contains the extension anywhere (".pixmap"
// also matches "a.pixmap.bak"): the test the registered filters use.
bool FileNameContains(std::string_view fileName, std::string_view extension);

// The applet's filter, one per applet. Each step that needs a file kind
// makes an instance of the registered filter class (owned by the applet),
// calls it and frees it. A picture or model "a.png" is converted once into
// "a.pixmap" ("a.mesh") beside it, and converted again whenever the source
// is newer than that derived file.
class TFilter : public BaseObject {
  CORVANE_CLASS(TFilter, BaseObject)
  static void Describe(TClassBuilder<TFilter>& c);
  using BaseObject::BaseObject;

  // A device pixmap (mesh) from the file, converted and cached beside its
  // source as needed; null when it cannot be loaded.
  virtual TPixmap* LoadPixmap(TResourceMan* resMan, const std::u16string& fileName);
  // Through the filter of the name when it can save; nothing otherwise.
  virtual void SavePixmap(TResourceMan* resMan, const std::u16string& fileName, TPixmap* pixmap);
  virtual TMesh* LoadMesh(TResourceMan* resMan, const std::u16string& fileName);
  virtual void SaveMesh(TResourceMan* resMan, const std::u16string& fileName, TMesh* mesh);
  // Raw pictures (see TPixmapFilter): the ".pixmap" beside the file when
  // there is one, else the file itself; false when no filter reads it.
  virtual bool LoadRGBAFile(TResourceMan* resMan, const std::string& fileName, std::int32_t& width,
                            std::int32_t& height, std::vector<std::uint32_t>& pixels);
  virtual bool SaveRGBAFile(TResourceMan* resMan, const std::string& fileName, std::int32_t width,
                            std::int32_t height, const std::vector<std::uint32_t>& pixels);

 private:
  // An instance of the registered class for the name, owned by the caller;
  // null when none is registered.
  template <class F>
  TOwned<F> MakeFilter(const TFilterClass* filterClass) const;
};

// The filter class the applet makes its TFilter from; nullptr while no
// filter unit has set it (the cache then loads no pixmaps or meshes).
// RegisterFilterClasses (platform/filters/register.h) sets it.
extern TClass FilterClass;

}  // namespace corvane
