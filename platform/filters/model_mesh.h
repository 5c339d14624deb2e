// What the model filters (3DS, MD3) share: the model as they build it in
// memory, and the road from the file to the device mesh made from it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/geometry/vertex_format.h"

namespace corvane {

class TAbstractFilter;
class TMemoryStream;
class TMesh;
class TResourceMan;

// Models share one vertex buffer with 16-bit indices.
inline constexpr std::int32_t kMaxModelVertices = 65535;

// A model in vfPixmapVertexNormal: FrameCount frames of VertexCount
// vertices one after the other, unscaled, and the indices.
struct TModelMesh {
  std::int32_t VertexCount = 0;
  std::int32_t FrameCount = 1;
  bool Animated = false;
  std::vector<TPixmapVertexNormal> Vertices;
  std::vector<std::uint16_t> Indices;
  // Starts inverted at +-65535 so that the first position sets it; a model
  // without vertices keeps these corners. The corners are points (w = 1),
  // as the ".mesh" reader gives them, so that matrices move them: a model
  // converted in this run bounds the same as its ".mesh" read in the next.
  TAABB Bounds{{65535, 65535, 65535, 1}, {-65535, -65535, -65535, 1}};

  void Widen(const TVertex& position);
};

// Builds a model from the bytes of a file; false, with the reason in
// error, for a file it refuses.
using TModelBuilder = std::function<bool(TMemoryStream& bytes, TModelMesh& model, std::string& error)>;

// What every model filter's LoadFromFile does: reads the file whole into
// memory once, builds the model from it, and makes the device mesh on the
// filter's applet: positions and bounds times the applet's ModelScale,
// static unless the model is animated. Null when the file cannot be opened
// (silently), without a device, and when the file is refused, cannot be
// read whole or the device does not take the mesh (one "Can't load mesh
// <name>: <why>" line; nothing is left on the device).
TMesh* LoadModelMesh(const TAbstractFilter& filter, TResourceMan* resMan, const std::string& name,
                     const TModelBuilder& build);

}  // namespace corvane
