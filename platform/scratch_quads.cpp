#include "platform/scratch_quads.h"

#include <algorithm>
#include <limits>

#include "platform/device.h"

namespace corvane {

TScratchQuads::TScratchQuads(TDevice& device, std::int64_t count, std::uint32_t color)
    : device_(device), call_(device), count_(count), color_(color) {}

TScratchQuads::~TScratchQuads() { Unlock(); }

bool TScratchQuads::Fits() {
  // Far past any scratch mesh, yet still a valid 32-bit count of indices.
  constexpr std::int64_t kTooMany = std::numeric_limits<std::int32_t>::max() / 8;
  const std::int64_t quads = count_ < 0 ? kTooMany : std::min(count_, kTooMany);
  return device_.ScratchFits(vfColorPixmapVertex, static_cast<std::int32_t>(4 * quads),
                             static_cast<std::int32_t>(6 * quads));
}

bool TScratchQuads::Lock() {
  TMesh* mesh = device_.DynamicMesh;
  if (!mesh || count_ < 0 || count_ > std::numeric_limits<std::int32_t>::max() / 8) return false;
  const auto quads = static_cast<std::int32_t>(count_);
  void* vertexData = nullptr;
  void* indexData = nullptr;
  vertexLocked_ = device_.LockMeshVertex(mesh, 4 * quads, vertexData);
  if (!vertexLocked_) return false;
  indexLocked_ = device_.LockMeshIndex(mesh, 6 * quads, indexData);
  if (!indexLocked_) {
    indexLockFailed_ = true;
    Unlock();
    return false;
  }
  vertices_ = static_cast<TColorPixmapVertex*>(vertexData);
  indices_ = static_cast<std::uint16_t*>(indexData);
  return true;
}

void TScratchQuads::Add(const TRect& rect, const TRect& texture, float z) {
  if (!vertices_ || added_ >= count_) return;
  TColorPixmapVertex* v = vertices_ + 4 * added_;
  v[0] = ColorPixmapVertex(rect.left, rect.top, z, color_, texture.left, texture.top);
  v[1] = ColorPixmapVertex(rect.right, rect.top, z, color_, texture.right, texture.top);
  v[2] = ColorPixmapVertex(rect.right, rect.bottom, z, color_, texture.right, texture.bottom);
  v[3] = ColorPixmapVertex(rect.left, rect.bottom, z, color_, texture.left, texture.bottom);
  WriteQuadIndices(indices_, added_, device_.DynamicMesh->BaseVertex);
  ++added_;
}

void TScratchQuads::Draw() {
  if (!vertices_) return;
  TMesh* mesh = device_.DynamicMesh;
  Unlock();
  // Only what was written is drawn; its indices lie within its vertices.
  mesh->LockedVertexCount = 4 * added_;
  mesh->LockedIndexCount = 6 * added_;
  device_.DrawMeshRange(mesh, mesh->BaseVertex, mesh->BaseVertex + mesh->LockedVertexCount - 1);
}

void TScratchQuads::Unlock() {
  vertices_ = nullptr;
  indices_ = nullptr;
  if (indexLocked_) device_.UnlockMeshIndex(device_.DynamicMesh);
  if (vertexLocked_) device_.UnlockMeshVertex(device_.DynamicMesh);
  indexLocked_ = vertexLocked_ = false;
}

}  // namespace corvane
