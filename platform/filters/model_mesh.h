// What the model filters (3DS, MD3) share: the model as they build it in
// memory, the device mesh made from it, the file read whole, and the
// applet a filter works for.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/geometry/vertex_format.h"

namespace corvane {

class TAbstractFilter;
class TAppletServices;
class TDevice;
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
  // without vertices keeps these corners.
  TAABB Bounds{{65535, 65535, 65535, 0}, {-65535, -65535, -65535, 0}};

  void Widen(const TVertex& position);
};

// The device mesh of the model: positions and bounds times scale; static
// unless the model is animated. Null (nothing left on the device) when the
// device refuses it.
TMesh* CreateModelMesh(TDevice& device, const TModelMesh& model, float scale);

// The applet the filter works for (its owner); null without one.
TAppletServices* FilterApplet(const TAbstractFilter& filter);

// The whole file in memory, read once. Null when it cannot be opened (no
// error) or read whole (error says why).
std::unique_ptr<TMemoryStream> ReadModelFile(TResourceMan* resMan, const std::string& name, std::string& error);

// Reports a file the filter refused: one "Can't load mesh <name>: <why>"
// line.
void ModelFileError(const std::string& name, const std::string& reason);

}  // namespace corvane
