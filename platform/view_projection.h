// The projections every device shares, as pure matrix arithmetic: the 3D
// scene's perspective, the ray under a window point that goes with it, and
// the 2D screen projection. The OpenGL device loads them; the test kit's
// recording device computes the same frustum and pick rays from them.
//
// The scene perspective is the right-handed builder MatrixPerspectiveFovRH
// turned to face the right-handed view: the look-at puts what lies in front
// of the camera at negative view z, while the builder takes clip w from
// +z. Flipping y and z between the two (diag(1, -1, -1, 1)) keeps what is in
// front, upright, and leaves the builder itself as it is.
#pragma once

#include <cstdint>

#include "base/geometry/geometry.h"

namespace corvane {

// S x diag(1, -1, -1, 1) x MatrixPerspectiveFovRH(pi/2 + pi/6, aspect, 1,
// 2000), S scaling x, y and z by scale. aspect is height / width.
TSpaceMatrix SceneProjection(float aspect, float scale);

// The world-space ray under the window point (x, y) in applet units, for the
// projection above (its [0][0] and [1][1]) and the view matrix: origin is
// the camera (w 1), direction normalised (w 1). offsetX and offsetY are the
// window's 2D offsets; a buffer side of 0 counts as 1.
void ScenePickRay(const TSpaceMatrix& projection, const TSpaceMatrix& view, float x, float y, float scale,
                  std::int32_t offsetX, std::int32_t offsetY, std::int32_t bufferWidth, std::int32_t bufferHeight,
                  TSpaceVector& origin, TSpaceVector& direction);

// The 2D projection: applet units (x right, y down, z 0 on the screen)
// onto a buffer w x h pixels, one unit a pixel at scale 1, moved by the 2D
// offsets and scaled by scale. Built step by step from the engine's
// orthographic and perspective builders, so that every device gets the
// same bits.
TSpaceMatrix ScreenProjection(float w, float h, float offsetX, float offsetY, float scale);

}  // namespace corvane
