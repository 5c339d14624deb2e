// Key-framed meshes drawn through the scratch mesh: the frame at a time
// (or the blend of two) is copied into the scratch mesh in the mesh's own
// vertex format, with the mesh's indices.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/geometry/scalar_math.h"
#include "platform/device.h"
#include "platform/mesh_animation.h"

namespace corvane {

namespace {

std::int64_t Wrap(std::int64_t value, std::int64_t span) {
  const std::int64_t r = value % span;
  return r < 0 ? r + span : r;
}

std::int32_t ClampFrame(std::int64_t frame, std::int32_t top) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(frame, 0, top));
}

TVertex LerpVertex(const TVertex& a, const TVertex& b, float t) {
  return {Lerp(a.x, b.x, t), Lerp(a.y, b.y, t), Lerp(a.z, b.z, t)};
}

}  // namespace

TAnimationFrame AnimationFrame(float time, float frameTime, std::int32_t first, std::int32_t last, bool loop,
                               std::int32_t frameCount) {
  const std::int32_t top = std::max(frameCount, 1) - 1;
  first = std::clamp(first, 0, top);
  last = std::clamp(last, 0, top);
  TAnimationFrame shown{first, first, 0, false};
  // A frame time of 0 would divide by 0 and a loop without room take a
  // modulo by 0: both hold the first frame.
  if (time == 0 || !(frameTime > 0) || (loop && last <= first)) return shown;
  const double frames = static_cast<double>(time) / frameTime;
  if (!std::isfinite(frames)) return shown;
  constexpr double kFar = 4e18;  // far beyond any range, still a 64-bit value
  const double whole = std::clamp(std::trunc(frames), -kFar, kFar);
  const auto n = static_cast<std::int64_t>(whole);
  std::int64_t frame = first + n, next = frame + 1;
  if (!loop) {
    // Last itself is a frame of the range: frame Last - 1 still blends
    // towards it (a pose at the last key shows that key).
    if (frame > last || next > last) {
      shown.Frame = shown.Next = last;
      return shown;
    }
  } else {
    const std::int64_t span = last - first;
    frame = first + Wrap(frame - first, span);
    next = first + Wrap(next - first, span);
    if (frame >= last) frame = first;
    if (next >= last) next = first;
  }
  shown.Frame = ClampFrame(frame, top);
  shown.Next = ClampFrame(next, top);
  shown.Weight = static_cast<float>(std::clamp(frames - whole, 0.0, 1.0));
  shown.Blend = true;
  return shown;
}

void TDevice::DrawAnimatedMesh(TMesh* mesh, float time, float frameTime, std::int32_t first, std::int32_t last,
                               bool loop) {
  const TDrawCall call(*this);
  TMesh* scratch = DynamicMesh;
  if (!mesh || !scratch || mesh == scratch) return;
  const std::int32_t frameCount = mesh->Animated ? mesh->FrameCount : 1;
  const std::int32_t vertexCount = mesh->VertexCount;
  const std::int32_t vertexSize = VertexSize(mesh->VertexFormat);
  if (frameCount < 1 || vertexCount <= 0 || vertexSize == 0) return;
  // A mesh without indices is drawn as its vertices in order.
  const std::int32_t indexCount = mesh->Indexed ? mesh->IndexCount : vertexCount;
  if (mesh->Indexed && (indexCount <= 0 || mesh->IndexData.size() < static_cast<std::size_t>(indexCount))) return;
  if (!ScratchFits(mesh->VertexFormat, vertexCount, indexCount)) return;

  const TAnimationFrame shown = AnimationFrame(time, frameTime, first, last, loop, frameCount);
  const std::size_t frameBytes = static_cast<std::size_t>(vertexCount) * static_cast<std::size_t>(vertexSize);
  const std::size_t highest = static_cast<std::size_t>(std::max(shown.Frame, shown.Blend ? shown.Next : 0));
  if (mesh->VertexData.size() < (highest + 1) * frameBytes) return;  // frames not held in memory
  const std::uint8_t* frame = mesh->VertexData.data() + static_cast<std::size_t>(shown.Frame) * frameBytes;
  const std::uint8_t* next = mesh->VertexData.data() + static_cast<std::size_t>(shown.Next) * frameBytes;

  const TVertexFormat scratchFormat = scratch->VertexFormat;
  scratch->VertexFormat = mesh->VertexFormat;
  void* vertexData = nullptr;
  void* indexData = nullptr;
  bool complete = false;
  if (LockMeshVertex(scratch, vertexCount, vertexData)) {
    if (shown.Blend && mesh->VertexFormat == vfPixmapVertexNormal) {
      const auto* a = reinterpret_cast<const TPixmapVertexNormal*>(frame);
      const auto* b = reinterpret_cast<const TPixmapVertexNormal*>(next);
      auto* out = static_cast<TPixmapVertexNormal*>(vertexData);
      for (std::int32_t i = 0; i < vertexCount; ++i) {
        out[i].position = LerpVertex(a[i].position, b[i].position, shown.Weight);
        out[i].normal = LerpVertex(a[i].normal, b[i].normal, shown.Weight);
        out[i].tex = a[i].tex;
      }
    } else {
      std::memcpy(vertexData, frame, frameBytes);
    }
    if (LockMeshIndex(scratch, indexCount, indexData)) {
      auto* out = static_cast<std::uint16_t*>(indexData);
      const std::int32_t base = scratch->BaseVertex;
      // An index past the frame's vertices would read beyond what was
      // written: such a mesh is not drawn.
      complete = true;
      for (std::int32_t i = 0; i < indexCount; ++i) {
        const std::int32_t index = mesh->Indexed ? mesh->IndexData[static_cast<std::size_t>(i)] : i;
        if (index >= vertexCount) complete = false;
        out[i] = static_cast<std::uint16_t>(base + index);
      }
      UnlockMeshIndex(scratch);
    }
    UnlockMeshVertex(scratch);
    if (complete) DrawMeshRange(scratch, scratch->BaseVertex, scratch->BaseVertex + vertexCount - 1);
  }
  if (DynamicMesh == scratch) scratch->VertexFormat = scratchFormat;
}

}  // namespace corvane
