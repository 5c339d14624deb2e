#include "platform/filters/filter.h"

#include "base/reflection/class_builder.h"
#include "base/streams/resource_man.h"
#include "base/text/text_convert.h"
#include "platform/media.h"

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

void RegisterFilter(const TFilterClass& filterClass) { Registry().push_back(filterClass); }

const TFilterClass* FindPixmapFilter(std::string_view fileName) {
  return FindFilter(TPixmapFilter::StaticClass(), fileName);
}

const TFilterClass* FindMeshFilter(std::string_view fileName) {
  return FindFilter(TMeshFilter::StaticClass(), fileName);
}

bool FileNameContains(std::string_view fileName, std::string_view extension) {
  return AsciiLowerCase(fileName).find(AsciiLowerCase(extension)) != std::string::npos;
}

void TFilter::Describe(TClassBuilder<TFilter>& c) {
  c.Method("loadPixmap", &TFilter::LoadPixmap);
  c.Method("savePixmap", &TFilter::SavePixmap);
  c.Method("loadMesh", &TFilter::LoadMesh);
  c.Method("saveMesh", &TFilter::SaveMesh);
}

}  // namespace corvane
