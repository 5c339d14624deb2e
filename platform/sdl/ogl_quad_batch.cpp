#include "platform/sdl/ogl_quad_batch.h"

#include <cstring>

namespace corvane {

namespace {

bool SameBits(const void* a, const void* b, std::size_t size) { return std::memcmp(a, b, size) == 0; }

// Rows 0 to 2 the identity and w 1: the matrix only moves.
bool IsTranslation(const TSpaceMatrix& m) {
  return SameBits(&m[0], &IdentitySpaceMatrix[0], 3 * sizeof(TSpaceVector)) &&
         SameBits(&m[3].w, &IdentitySpaceMatrix[3].w, sizeof(float));
}

}  // namespace

bool TQuadBatch::TKey::operator==(const TKey& other) const {
  return Pixmap == other.Pixmap && SameBits(&Matrix, &other.Matrix, sizeof Matrix);
}

TQuadBatch::TKey TQuadBatch::KeyOf(const TSpaceMatrix& model, bool pixmap, TVertex& offset) {
  TKey key{pixmap, model};
  offset = {};
  if (IsTranslation(model)) {
    offset = {model[3].x, model[3].y, model[3].z};
    key.Matrix = IdentitySpaceMatrix;
  }
  return key;
}

TQuadBatch::TQuadBatch()
    : vertices_(static_cast<std::size_t>(kVertexRoom)), indices_(static_cast<std::size_t>(kIndexRoom)) {}

bool TQuadBatch::Fits(std::int32_t vertices, std::int32_t indices) const {
  return vertices >= 0 && indices >= 0 && vertices <= kVertexRoom - vertexCount_ && indices <= kIndexRoom - indexCount_;
}

bool TQuadBatch::Add(const TKey& key, const TVertex& offset, const TPlaneMatrix& texture,
                     const TColorPixmapVertex* vertices, std::int32_t first, std::int32_t vertexCount,
                     const std::uint16_t* indices, std::int32_t indexCount) {
  if (!vertices || !indices || vertexCount <= 0 || indexCount <= 0 || first < 0 || !Fits(vertexCount, indexCount))
    return false;
  if (!Empty() && !(key == key_)) return false;
  for (std::int32_t i = 0; i < indexCount; ++i)
    if (indices[i] < first || indices[i] - first >= vertexCount) return false;

  // The renderer computes the same sums: the position moved by the model
  // matrix's translation, the texture coordinates through the texture
  // matrix (s, t, 0, 1).
  const bool moved = offset.x != 0 || offset.y != 0 || offset.z != 0;
  const bool mapped = !SameBits(&texture, &IdentityPlaneMatrix, sizeof texture);
  TColorPixmapVertex* out = vertices_.data() + vertexCount_;
  const TColorPixmapVertex* in = vertices + first;
  for (std::int32_t i = 0; i < vertexCount; ++i) {
    TColorPixmapVertex v = in[i];
    if (moved) v.position = {v.position.x + offset.x, v.position.y + offset.y, v.position.z + offset.z};
    if (mapped) {
      const float s = v.tex.u, t = v.tex.v;
      v.tex = {texture[0].x * s + texture[1].x * t + texture[2].x, texture[0].y * s + texture[1].y * t + texture[2].y};
    }
    out[i] = v;
  }
  const auto shift = static_cast<std::int32_t>(vertexCount_) - first;
  std::uint16_t* indexOut = indices_.data() + indexCount_;
  for (std::int32_t i = 0; i < indexCount; ++i) indexOut[i] = static_cast<std::uint16_t>(indices[i] + shift);
  key_ = key;
  vertexCount_ += vertexCount;
  indexCount_ += indexCount;
  return true;
}

void TQuadBatch::Clear() {
  vertexCount_ = 0;
  indexCount_ = 0;
}

}  // namespace corvane
