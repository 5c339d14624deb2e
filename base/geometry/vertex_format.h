// The vertex records of meshes and the device. Fields lie packed in the
// order position, normal, colour (32-bit ARGB), texture coordinates, as
// present; the constructors take their arguments in the order position,
// colour, normal, texture.
#pragma once

#include <cstdint>

#include "base/geometry/geometry.h"
#include "base/reflection/type_info.h"

namespace corvane {

// Named, so that scripts can pass a format by name.
CORVANE_ENUM(TVertexFormat, vfVertex, vfVertexNormal, vfPixmapVertexNormal, vfPixmapVertex, vfColorVertex,
             vfColorVertexNormal, vfColorPixmapVertex, vfColorPixmapVertexNormal, vfNone);

struct TVertex {
  float x = 0, y = 0, z = 0;
  bool operator==(const TVertex&) const = default;
};

struct TVertexNormal {
  TVertex position, normal;
};
struct TPixmapVertexNormal {
  TVertex position, normal;
  TTexVector tex;
};
struct TPixmapVertex {
  TVertex position;
  TTexVector tex;
};
struct TColorVertex {
  TVertex position;
  std::uint32_t color = 0;
};
struct TColorVertexNormal {
  TVertex position, normal;
  std::uint32_t color = 0;
};
struct TColorPixmapVertex {
  TVertex position;
  std::uint32_t color = 0;
  TTexVector tex;
};
struct TColorPixmapVertexNormal {
  TVertex position, normal;
  std::uint32_t color = 0;
  TTexVector tex;
};

static_assert(sizeof(TVertex) == 12 && sizeof(TVertexNormal) == 24 && sizeof(TPixmapVertexNormal) == 32 &&
              sizeof(TPixmapVertex) == 20 && sizeof(TColorVertex) == 16 && sizeof(TColorVertexNormal) == 28 &&
              sizeof(TColorPixmapVertex) == 24 && sizeof(TColorPixmapVertexNormal) == 36);

// The size in bytes of one vertex of the format; 0 for vfNone.
constexpr std::int32_t VertexSize(TVertexFormat format) {
  switch (format) {
    case vfVertex: return sizeof(TVertex);
    case vfVertexNormal: return sizeof(TVertexNormal);
    case vfPixmapVertexNormal: return sizeof(TPixmapVertexNormal);
    case vfPixmapVertex: return sizeof(TPixmapVertex);
    case vfColorVertex: return sizeof(TColorVertex);
    case vfColorVertexNormal: return sizeof(TColorVertexNormal);
    case vfColorPixmapVertex: return sizeof(TColorPixmapVertex);
    case vfColorPixmapVertexNormal: return sizeof(TColorPixmapVertexNormal);
    case vfNone: return 0;
  }
  return 0;
}

inline TVertex Vertex(float x, float y, float z) { return {x, y, z}; }
inline TVertexNormal VertexNormal(float x, float y, float z, float nx, float ny, float nz) {
  return {{x, y, z}, {nx, ny, nz}};
}
inline TPixmapVertexNormal PixmapVertexNormal(float x, float y, float z, float nx, float ny, float nz, float u,
                                              float v) {
  return {{x, y, z}, {nx, ny, nz}, {u, v}};
}
inline TPixmapVertex PixmapVertex(float x, float y, float z, float u, float v) { return {{x, y, z}, {u, v}}; }
inline TColorVertex ColorVertex(float x, float y, float z, std::uint32_t color) { return {{x, y, z}, color}; }
inline TColorVertexNormal ColorVertexNormal(float x, float y, float z, std::uint32_t color, float nx, float ny,
                                            float nz) {
  return {{x, y, z}, {nx, ny, nz}, color};
}
inline TColorPixmapVertex ColorPixmapVertex(float x, float y, float z, std::uint32_t color, float u, float v) {
  return {{x, y, z}, color, {u, v}};
}
inline TColorPixmapVertexNormal ColorPixmapVertexNormal(float x, float y, float z, std::uint32_t color, float nx,
                                                        float ny, float nz, float u, float v) {
  return {{x, y, z}, {nx, ny, nz}, color, {u, v}};
}
// The colour comes before the normal among the arguments, though after it in
// memory; a call with the normal first would silently turn a colour into a
// float, so it does not compile.
TColorPixmapVertexNormal ColorPixmapVertexNormal(float x, float y, float z, float nx, float ny, float nz,
                                                 std::uint32_t color, float u, float v) = delete;

}  // namespace corvane
