// A run of the OpenGL device's scratch-mesh drawing gathered into one draw.
// Pictures, glyph runs, rectangles and outlines come a few quads at a time,
// each through the scratch mesh; drawn one by one, the renderer's cost per
// draw is most of a frame of widgets. Consecutive draws in the same states,
// picture and model matrix are copied here instead, and the device draws
// the run as one when anything else is about to happen (a state, picture
// or material change, another kind of draw, an upload, a read-back, the
// end of the frame). The triangles and their order stay the same, so the
// pixels do.
//
// A model matrix that is a plain translation (every widget's and most
// sprites') is taken into the vertices, so that runs go on across objects;
// the texture matrix is taken into the texture coordinates the same way,
// and the run is drawn with an identity texture matrix. Any other model
// matrix keeps a run to draws under that very matrix.
#pragma once

#include <cstdint>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/geometry/vertex_format.h"

namespace corvane {

class TQuadBatch {
 public:
  // Room for one run: a draw that does not fit an empty run is drawn alone.
  static constexpr std::int32_t kVertexRoom = 16384;
  static constexpr std::int32_t kIndexRoom = kVertexRoom / 4 * 6;

  // What a run shares beyond the device's states: whether stage 0 holds a
  // picture (texture coordinates are drawn), and the model matrix it is
  // drawn with (the identity when the translation went into the vertices).
  struct TKey {
    bool Pixmap = false;
    TSpaceMatrix Matrix = IdentitySpaceMatrix;
    // Bit for bit, as the device compares matrices.
    bool operator==(const TKey& other) const;
  };
  // The key of a draw under the model matrix; offset receives what moves
  // its vertices (zero when the matrix stays in the key).
  static TKey KeyOf(const TSpaceMatrix& model, bool pixmap, TVertex& offset);

  // Both arrays are made here once: gathering allocates nothing.
  TQuadBatch();

  bool Empty() const { return indexCount_ == 0; }
  const TKey& Key() const { return key_; }
  // Whether a draw of that many vertices and indices fits beside the run.
  bool Fits(std::int32_t vertices, std::int32_t indices) const;
  // Appends vertices first .. first + vertexCount - 1 of a draw, moved by
  // offset, their texture coordinates through the texture matrix, and its
  // indices, which must lie within those vertices; false (nothing added)
  // when they do not or the draw does not fit.
  bool Add(const TKey& key, const TVertex& offset, const TPlaneMatrix& texture, const TColorPixmapVertex* vertices,
           std::int32_t first, std::int32_t vertexCount, const std::uint16_t* indices, std::int32_t indexCount);
  void Clear();

  const TColorPixmapVertex* Vertices() const { return vertices_.data(); }
  std::int32_t VertexCount() const { return vertexCount_; }
  const std::uint16_t* Indices() const { return indices_.data(); }
  std::int32_t IndexCount() const { return indexCount_; }

 private:
  std::vector<TColorPixmapVertex> vertices_;
  std::vector<std::uint16_t> indices_;
  std::int32_t vertexCount_ = 0;
  std::int32_t indexCount_ = 0;
  TKey key_;
};

}  // namespace corvane
