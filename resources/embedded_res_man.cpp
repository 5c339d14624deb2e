#include "resources/embedded_res_man.h"

#include <algorithm>
#include <vector>

#include "base/lists/hashed_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TEmbeddedResMan)

void TEmbeddedResMan::Describe(TClassBuilder<TEmbeddedResMan>& c) {
  c.Method("IntFindFilesInDir", &TEmbeddedResMan::IntFindFilesInDir);
  c.Method("IntFindDirInDir", &TEmbeddedResMan::IntFindDirInDir);
}

namespace {

// The list owns the streams its items point at.
struct TEmbeddedResources {
  THashedStringList Names;
  std::vector<TOwned<TMemoryStream>> Streams;
};

std::unique_ptr<TEmbeddedResources>& Resources() {
  static std::unique_ptr<TEmbeddedResources> resources;
  return resources;
}

TMemoryStream* FindResource(const std::string& name) {
  const std::unique_ptr<TEmbeddedResources>& resources = Resources();
  if (!resources) return nullptr;
  const int index = resources->Names.IndexOf(Utf8ToUtf16(ResourceNameToKey(name)));
  return index < 0 ? nullptr : static_cast<TMemoryStream*>(resources->Names.GetObject(index));
}

}  // namespace

void AddResource(const std::string& name, std::span<const std::uint8_t> data) {
  std::unique_ptr<TEmbeddedResources>& resources = Resources();
  if (!resources) resources = std::make_unique<TEmbeddedResources>();
  TOwned<TMemoryStream> stream(new TMemoryStream(data));
  resources->Names.AddObject(Utf8ToUtf16(name), stream.get());
  resources->Streams.push_back(std::move(stream));
}

void ClearEmbeddedResources() { Resources().reset(); }

std::string ResourceNameToKey(std::string_view name) {
  std::string key(name);
  std::replace(key.begin(), key.end(), '.', '_');
  return key;
}

TEmbeddedResMan::TEmbeddedResMan(const TCreateContext& context, std::string root)
    : TResourceMan(context, std::move(root)) {
  LogLifeLines();
}

void TEmbeddedResMan::AfterConstruction() {
  TResourceMan::AfterConstruction();
  EngineLog(u"Embedded resource manager started " + WidenLatin1(ClassName()));
}

void TEmbeddedResMan::BeforeDestruction() {
  EngineLog(u"Embedded resource manager closed " + WidenLatin1(ClassName()));
  TResourceMan::BeforeDestruction();
}

bool TEmbeddedResMan::StreamExists(const std::string& name) { return FindResource(name) != nullptr; }

std::unique_ptr<TStream> TEmbeddedResMan::CreateStream(const std::string& name, std::uint16_t mode) {
  if (mode == fmCreate || (mode & 1) != 0) return nullptr;  // read-only
  TMemoryStream* stored = FindResource(name);
  if (!stored) return nullptr;
  return std::make_unique<TMemoryStream>(
      std::span<const char>(stored->Memory(), static_cast<std::size_t>(stored->Size())));
}

}  // namespace corvane
