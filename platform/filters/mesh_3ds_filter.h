// TMesh3DSFilter: the mesh filter of ".3ds" files. The visible triangle
// meshes of the file merge into one static, indexed mesh in
// vfPixmapVertexNormal, normals taken from the faces. It only loads.
#pragma once

#include <string>
#include <string_view>

#include "platform/filters/filter.h"

namespace corvane {

class TFile3DS;
struct TModelMesh;

class TMesh3DSFilter : public TMeshFilter {
  CORVANE_CLASS(TMesh3DSFilter, TMeshFilter)
  using TMeshFilter::TMeshFilter;

  static bool IsSupport(std::string_view fileName) { return FileNameContains(fileName, ".3ds"); }
  static TFilterOptions Options() { return {foCanLoad}; }

  // Null when the file cannot be opened (silently), when the reader fails
  // on it (one error line) or without a device. A file without usable
  // meshes gives an empty mesh.
  TMesh* LoadFromFile(TResourceMan* resMan, const std::string& name) override;
  void SaveToFile(TResourceMan*, const std::string&, TMesh*) override {}
};

// The model of a loaded 3DS file, unscaled. Hidden objects and objects of
// fewer than 3 vertices are left out; faces naming missing vertices are
// skipped; objects that would take the model past kMaxModelVertices are
// left out with all that follow. Each of the last two is reported once,
// naming the file. Throws what the reader throws (E3DSError). False when a
// close request stopped it between two objects (the model is incomplete).
bool Build3DSModel(TFile3DS& file, const std::string& name, TModelMesh& model);

}  // namespace corvane
