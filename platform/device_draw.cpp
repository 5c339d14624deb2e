// The device's own drawing on top of its abstract mesh operations: every
// call locks what it needs from the start of the scratch mesh, writes,
// unlocks and draws at once. A call that does not fit the scratch mesh
// draws nothing and asks for a larger one.
#include "base/geometry/vector_math.h"
#include "platform/device.h"
#include "platform/scratch_quads.h"

namespace corvane {

namespace {

// The texture rectangle of one texel of the default pixmap: fills bind it
// when there is one. Without one (or with an empty one) u and v stay 0.
TRect DefaultTexel(const TPixmap* pixmap) {
  if (!pixmap || pixmap->Width <= 0 || pixmap->Height <= 0) return {};
  return {0, 0, 1.0f / static_cast<float>(pixmap->Width), 1.0f / static_cast<float>(pixmap->Height)};
}

bool HasTexel(const TPixmap* pixmap) { return pixmap && pixmap->Width > 0 && pixmap->Height > 0; }

// Binds the default pixmap to stage 0 with nearest filtering when it has a
// texel to show; says whether it did.
bool BindDefaultPixmap(TDevice& device) {
  if (!HasTexel(device.DefaultPixmap)) return false;
  device.SetPixmap(0, device.DefaultPixmap);
  device.SetRenderState(rsTexNearest);
  return true;
}

}  // namespace

bool TDevice::ScratchFits(TVertexFormat format, std::int32_t vertices, std::int32_t indices) {
  const bool fits = DynamicMesh && vertices >= 0 && indices >= 0 && vertices <= MaxIndexedVertex &&
                    static_cast<std::int64_t>(vertices) * VertexSize(format) <= DynamicMesh->VertexStoreSize() &&
                    indices <= DynamicMesh->IndexCount;
  if (!fits) RequestToInsCreaseDynamicMesh();
  return fits;
}

void TDevice::FillRect(const TRect& rect, float z) {
  TScratchQuads quads(*this, 1, CorrectMeshVertexColor(Material.Diffuse));
  if (!quads.Fits()) return;
  // Bound as for the outlines, but the fill itself is drawn untextured.
  BindDefaultPixmap(*this);
  SetRenderState(rsTexDisable);
  if (!quads.Lock()) return;
  quads.Add(rect, DefaultTexel(DefaultPixmap), z);
  quads.Draw();
}

void TDevice::FillRect(float left, float top, float right, float bottom, float z) {
  FillRect(Rect(left, top, right, bottom), z);
}

void TDevice::DrawRect(const TRect& rect, float lineWidth, float z) {
  if (!(lineWidth > 0)) return;
  TScratchQuads quads(*this, 4, CorrectMeshVertexColor(Material.Diffuse));
  if (!quads.Fits()) return;
  SetRenderState(BindDefaultPixmap(*this) ? rsTexModulate : rsTexDisable);
  if (!quads.Lock()) return;
  const float w = lineWidth, l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
  const TRect texel = DefaultTexel(DefaultPixmap);
  quads.Add({l, t, r - w, t + w}, texel, z);  // top, short of the right corner
  quads.Add({l + w, b - w, r, b}, texel, z);  // bottom, short of the left corner
  quads.Add({l, t + w, l + w, b}, texel, z);  // left, below the top band
  quads.Add({r - w, t, r, b - w}, texel, z);  // right, above the bottom band
  quads.Draw();
}

void TDevice::FillBox(const TSpaceVector& min, const TSpaceVector& max) {
  const TDrawCall call(*this);
  const std::uint32_t color = CorrectMeshVertexColor(Material.Diffuse);
  if ((Material.Diffuse >> 24) == 0) return;
  constexpr std::int32_t kVertices = 24, kIndices = 36;
  if (!ScratchFits(vfColorPixmapVertexNormal, kVertices, kIndices)) return;

  SetRenderState(BindDefaultPixmap(*this) ? rsTexModulate : rsTexDisable);
  const TRect texel = DefaultTexel(DefaultPixmap);
  const float u = texel.right, v = texel.bottom;

  const float x0 = min.x, y0 = min.y, z0 = min.z, x1 = max.x, y1 = max.y, z1 = max.z;
  // Each face's corners as a screen rectangle's left-top, right-top,
  // right-bottom, left-bottom seen from outside (up is +y, or -z / +z on
  // the top and bottom faces).
  const TVertex faces[6][4] = {
      {{x0, y1, z1}, {x1, y1, z1}, {x1, y0, z1}, {x0, y0, z1}},  // +z
      {{x1, y1, z0}, {x0, y1, z0}, {x0, y0, z0}, {x1, y0, z0}},  // -z
      {{x1, y1, z1}, {x1, y1, z0}, {x1, y0, z0}, {x1, y0, z1}},  // +x
      {{x0, y1, z0}, {x0, y1, z1}, {x0, y0, z1}, {x0, y0, z0}},  // -x
      {{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}},  // +y
      {{x0, y0, z1}, {x1, y0, z1}, {x1, y0, z0}, {x0, y0, z0}},  // -y
  };
  const TTexVector tex[4] = {{0, 0}, {u, 0}, {u, v}, {0, v}};
  // Each face's outward normal from its edges. A box whose max lies above
  // its min on every axis gets the unit axes, which are what its edges
  // give, without the arithmetic.
  static constexpr TSpaceVector kAxes[6] = {{0, 0, 1, 0}, {0, 0, -1, 0}, {1, 0, 0, 0},
                                            {-1, 0, 0, 0}, {0, 1, 0, 0}, {0, -1, 0, 0}};
  const bool proper = x1 > x0 && y1 > y0 && z1 > z0;
  TSpaceVector normals[6];
  for (int f = 0; f < 6; ++f) {
    if (proper) {
      normals[f] = kAxes[f];
      continue;
    }
    const TSpaceVector lt = VertexToSpaceVector(faces[f][0]), rt = VertexToSpaceVector(faces[f][1]),
                       lb = VertexToSpaceVector(faces[f][3]);
    normals[f] = VectorSpaceNormalize(SpaceVectorCrossProduct(SpaceVectorSubtract(lb, lt), SpaceVectorSubtract(rt, lt)));
  }

  TMesh* mesh = DynamicMesh;
  const TVertexFormat format = mesh->VertexFormat;
  mesh->VertexFormat = vfColorPixmapVertexNormal;
  void* vertexData = nullptr;
  void* indexData = nullptr;
  if (LockMeshVertex(mesh, kVertices, vertexData)) {
    if (LockMeshIndex(mesh, kIndices, indexData)) {
      auto* out = static_cast<TColorPixmapVertexNormal*>(vertexData);
      auto* indices = static_cast<std::uint16_t*>(indexData);
      for (int f = 0; f < 6; ++f) {
        const TSpaceVector& n = normals[f];
        for (int c = 0; c < 4; ++c) {
          const TVertex& p = faces[f][c];
          out[4 * f + c] = ColorPixmapVertexNormal(p.x, p.y, p.z, color, n.x, n.y, n.z, tex[c].u, tex[c].v);
        }
        WriteQuadIndices(indices, f, mesh->BaseVertex);
      }
      UnlockMeshIndex(mesh);
      UnlockMeshVertex(mesh);
      DrawMeshRange(mesh, mesh->BaseVertex, mesh->BaseVertex + kVertices - 1);
    } else {
      UnlockMeshVertex(mesh);
    }
  }
  if (DynamicMesh == mesh) mesh->VertexFormat = format;
}

void TDevice::DrawBox(const TSpaceVector& min, const TSpaceVector& max, float lineWidth) {
  if (lineWidth < 0) return;
  const float x0 = min.x, y0 = min.y, z0 = min.z, x1 = max.x, y1 = max.y, z1 = max.z;
  const TSpaceVector c[8] = {{x0, y0, z0, 1}, {x1, y0, z0, 1}, {x1, y1, z0, 1}, {x0, y1, z0, 1},
                             {x0, y0, z1, 1}, {x1, y0, z1, 1}, {x1, y1, z1, 1}, {x0, y1, z1, 1}};
  const TSpaceVector points[24] = {c[0], c[1], c[1], c[2], c[2], c[3], c[3], c[0],   // the min-z square
                                   c[4], c[5], c[5], c[6], c[6], c[7], c[7], c[4],   // the max-z square
                                   c[0], c[4], c[1], c[5], c[2], c[6], c[3], c[7]};  // the four sides
  DrawLine(points, 24, lineWidth);
}

void TDevice::DrawLine2(const TSpaceVector& a, const TSpaceVector& b, float lineWidth) {
  const TSpaceVector points[2] = {a, b};
  DrawLine(points, 2, lineWidth);
}

}  // namespace corvane
