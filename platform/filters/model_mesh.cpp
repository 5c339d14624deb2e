#include "platform/filters/model_mesh.h"

#include <algorithm>
#include <cstring>

#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "platform/device.h"
#include "platform/filters/filter.h"
#include "platform/media.h"

namespace corvane {

void TModelMesh::Widen(const TVertex& p) {
  Bounds.min.x = std::min(Bounds.min.x, p.x);
  Bounds.min.y = std::min(Bounds.min.y, p.y);
  Bounds.min.z = std::min(Bounds.min.z, p.z);
  Bounds.max.x = std::max(Bounds.max.x, p.x);
  Bounds.max.y = std::max(Bounds.max.y, p.y);
  Bounds.max.z = std::max(Bounds.max.z, p.z);
}

namespace {

TSpaceVector Scaled(const TSpaceVector& v, float scale) { return {v.x * scale, v.y * scale, v.z * scale, v.w}; }

// The device mesh of the model; null (nothing left on the device) when the
// device refuses it.
TMesh* CreateModelMesh(TDevice& device, const TModelMesh& model, float scale) {
  const auto indexCount = static_cast<std::int32_t>(model.Indices.size());
  TMesh* mesh = device.CreateMesh(vfPixmapVertexNormal, model.VertexCount, true, indexCount, false, model.Animated,
                                  model.Animated ? model.FrameCount : 0);
  if (!mesh) return nullptr;
  mesh->Bounds = {Scaled(model.Bounds.min, scale), Scaled(model.Bounds.max, scale)};

  bool written = true;
  if (!model.Vertices.empty()) {
    void* data = nullptr;
    written = device.LockMeshVertex(mesh, static_cast<std::int32_t>(model.Vertices.size()), data);
    if (written) {
      auto* out = static_cast<TPixmapVertexNormal*>(data);
      for (const TPixmapVertexNormal& v : model.Vertices) {
        *out = v;
        out->position = {v.position.x * scale, v.position.y * scale, v.position.z * scale};
        ++out;
      }
      device.UnlockMeshVertex(mesh);
    }
  }
  if (written && indexCount > 0) {
    void* data = nullptr;
    written = device.LockMeshIndex(mesh, indexCount, data);
    if (written) {
      std::memcpy(data, model.Indices.data(), model.Indices.size() * sizeof(std::uint16_t));
      device.UnlockMeshIndex(mesh);
    }
  }
  if (!written) device.DestroyMesh(mesh);
  return mesh;
}

// The applet the filter works for (its owner); null without one.
TAppletServices* FilterApplet(const TAbstractFilter& filter) {
  const auto* owner = dynamic_cast<const BaseObject*>(filter.Owner());
  return owner ? owner->GetApplet() : nullptr;
}

// The whole file; null when it cannot be opened (no error) or read whole
// (error says why).
std::unique_ptr<TMemoryStream> ReadModelFile(TResourceMan* resMan, const std::string& name, std::string& error) {
  error.clear();
  if (!resMan) return nullptr;
  std::unique_ptr<TStream> file = resMan->CreateStream(name, 0);
  if (!file) return nullptr;
  auto bytes = std::make_unique<TMemoryStream>();
  if (!bytes->LoadFromStream(*file)) {
    error = "the file cannot be read whole";
    return nullptr;
  }
  return bytes;
}

}  // namespace

TMesh* LoadModelMesh(const TAbstractFilter& filter, TResourceMan* resMan, const std::string& name,
                     const TModelBuilder& build) {
  std::string error;
  std::unique_ptr<TMemoryStream> bytes = ReadModelFile(resMan, name, error);
  TModelMesh model;
  if (!bytes || !build(*bytes, model, error)) {
    if (!error.empty()) EngineError(u"Can't load mesh " + Utf8ToUtf16(name) + u": " + Utf8ToUtf16(error));
    return nullptr;
  }
  bytes.reset();
  TAppletServices* applet = FilterApplet(filter);
  TDevice* device = applet ? applet->Device() : nullptr;
  if (!device) return nullptr;
  TMesh* mesh = CreateModelMesh(*device, model, applet->ModelScale());
  if (!mesh) EngineError(u"Can't load mesh " + Utf8ToUtf16(name) + u": the device did not take it");
  return mesh;
}

}  // namespace corvane
