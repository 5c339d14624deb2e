// Rectangles written into the device's scratch mesh for one drawing call:
// four vfColorPixmapVertex vertices each (left-top, right-top, right-bottom,
// left-bottom) and six indices in the rectangle pattern. A call checks the
// room first, sets its states, locks, adds its quads and draws, all of it
// one draw call of the device; nothing is kept across calls.
#pragma once

#include <cstdint>

#include "base/geometry/geometry.h"
#include "base/geometry/vertex_format.h"
#include "platform/device.h"

namespace corvane {

// The rectangle pattern: quad k is drawn as 4k+1, 4k, 4k+3, 4k+3, 4k+2,
// 4k+1 from the base vertex.
inline void WriteQuadIndices(std::uint16_t* indices, std::int32_t quad, std::int32_t base) {
  const auto first = static_cast<std::uint16_t>(base + 4 * quad);
  constexpr std::uint16_t kPattern[6] = {1, 0, 3, 3, 2, 1};
  for (int i = 0; i < 6; ++i) indices[6 * quad + i] = static_cast<std::uint16_t>(first + kPattern[i]);
}

class TScratchQuads {
 public:
  // Count quads in the colour of the vertices (already in the byte order
  // vertex colours need). Count may come from a 64-bit sum: anything the
  // scratch mesh cannot take fails Fits.
  TScratchQuads(TDevice& device, std::int64_t count, std::uint32_t color);
  // Unlocks what is still locked, drawing nothing.
  ~TScratchQuads();
  TScratchQuads(const TScratchQuads&) = delete;
  TScratchQuads& operator=(const TScratchQuads&) = delete;

  // Whether the quads fit the scratch mesh; when they do not, a larger mesh
  // is requested for the next tick and the call must draw nothing.
  bool Fits();
  // Locks the vertices and indices from the start of the scratch mesh.
  bool Lock();
  // After a failed Lock: whether the vertices locked and the indices did not.
  bool IndexLockFailed() const { return indexLockFailed_; }
  // One rectangle at depth z with its texture rectangle (u from left to
  // right, v from top to bottom). Quads beyond the count are ignored.
  void Add(const TRect& rect, const TRect& texture, float z = 0);
  std::int32_t Added() const { return added_; }
  // Unlocks and draws the quads added.
  void Draw();

 private:
  void Unlock();

  TDevice& device_;
  TDevice::TDrawCall call_;
  std::int64_t count_;
  std::uint32_t color_;
  TColorPixmapVertex* vertices_ = nullptr;
  std::uint16_t* indices_ = nullptr;
  std::int32_t added_ = 0;
  bool vertexLocked_ = false;
  bool indexLocked_ = false;
  bool indexLockFailed_ = false;
};

}  // namespace corvane
