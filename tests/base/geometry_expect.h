// Component-wise comparisons of vectors and matrices, within a tolerance.
#pragma once

#include <gtest/gtest.h>

#include "base/geometry/geometry.h"

namespace corvane::test {

inline void ExpectVector(const TSpaceVector& got, const TSpaceVector& want, float tolerance = 1e-6f) {
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "component " << i;
}

inline void ExpectPlaneVector(const TPlaneVector& got, const TPlaneVector& want, float tolerance = 1e-6f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "component " << i;
}

inline void ExpectMatrix(const TSpaceMatrix& got, const TSpaceMatrix& want, float tolerance = 1e-6f) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(got[i][j], want[i][j], tolerance) << "[" << i << "][" << j << "]";
}

}  // namespace corvane::test
