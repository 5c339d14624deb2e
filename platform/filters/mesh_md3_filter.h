// TMeshMD3Filter: the mesh filter of ".md3" models. All surfaces merge into
// one indexed mesh in vfPixmapVertexNormal; a model of one frame is static,
// one of several frames an animated mesh whose named ranges come from the
// ".aaf" list beside the model. It only loads.
#pragma once

#include <string>
#include <string_view>

#include "platform/filters/filter.h"

namespace corvane {

class TFileMD3;
struct TModelMesh;

class TMeshMD3Filter : public TMeshFilter {
  CORVANE_CLASS(TMeshMD3Filter, TMeshFilter)
  using TMeshFilter::TMeshFilter;

  static bool IsSupport(std::string_view fileName) { return FileNameContains(fileName, ".md3"); }
  static TFilterOptions Options() { return {foCanLoad}; }

  // Null when the file cannot be opened (silently), when it is refused
  // (one error line) or without a device.
  TMesh* LoadFromFile(TResourceMan* resMan, const std::string& name) override;
  void SaveToFile(TResourceMan*, const std::string&, TMesh*) override {}
};

// The model of a loaded MD3 file, unscaled: surface after surface, each
// triangle's winding reversed, positions over 64, normals unpacked. False,
// with the reason in error, when it does not fit one mesh.
bool BuildMD3Model(const TFileMD3& file, TModelMesh& model, std::string& error);

}  // namespace corvane
