// The resources carried inside the executable: one process-wide list of
// named byte blocks, filled at start-up (RegisterEmbeddedDefaults and any
// AddResource), and TEmbeddedResMan, the read-only manager that serves
// them. Names are looked up without case, with every "." read as "_", so
// the key "logo_png" is found as "logo.png", "LOGO.PNG" and "logo_png".
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/streams/resource_man.h"

namespace corvane {

// Adds a copy of the bytes under the name as given. Adding a name twice
// keeps both (a lookup finds the later one).
void AddResource(const std::string& name, std::span<const std::uint8_t> data);
// Frees the list (at program end, and between tests).
void ClearEmbeddedResources();
// The name with every "." turned into "_"; nothing else changes.
std::string ResourceNameToKey(std::string_view name);

class TEmbeddedResMan : public TResourceMan {
  CORVANE_CLASS(TEmbeddedResMan, TResourceMan)
  static void Describe(TClassBuilder<TEmbeddedResMan>& c);
  // root (the executable's folder) is kept in ResourceFile and used for
  // nothing else; the manager is never Active.
  explicit TEmbeddedResMan(const TCreateContext& context, std::string root = {});
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // Read mode only: a new memory stream holding a full copy, at position 0,
  // owned by the caller. nullptr for write and create modes and for names
  // not in the list.
  std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) override;
  bool StreamExists(const std::string& name) override;
  // The defaults are the build's own: a build without one runs without it,
  // and its loaders say nothing of it.
  std::string NoFileReason(const std::string&) override { return {}; }
  // Always kNoFileDate: the resources have no date.
  std::int32_t FileDate(const std::string& name) override { return kNoFileDate; }
  // The resources lie in no folder: both add nothing, so FindFiles lists
  // none and FindDirs only "/" (published, so public here).
  void IntFindFilesInDir(const std::string& dir, const std::string& masks) override {}
  void IntFindDirInDir(const std::string& dir) override {}
};

}  // namespace corvane
