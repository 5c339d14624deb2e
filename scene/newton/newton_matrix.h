// Matrices and vectors between the engine and the library: the library's
// 16 floats are the TSpaceMatrix layout (rows right, direction, up,
// position), copied rather than aliased.
#pragma once

#include <cstring>
#include <type_traits>

#include "base/geometry/geometry.h"

namespace corvane {

static_assert(sizeof(TSpaceMatrix) == 16 * sizeof(float) && std::is_trivially_copyable_v<TSpaceMatrix>);

inline void MatrixToFloats(const TSpaceMatrix& m, float out[16]) { std::memcpy(out, m.data(), sizeof m); }

inline TSpaceMatrix MatrixFromFloats(const float in[16]) {
  TSpaceMatrix m;
  for (int row = 0; row < 4; ++row) m[row] = {in[4 * row], in[4 * row + 1], in[4 * row + 2], in[4 * row + 3]};
  return m;
}

}  // namespace corvane
