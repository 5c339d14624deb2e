// The geometry records as the reflection layer sees them, for methods that
// take or give vectors and matrices by name: a space vector is [x, y, z,
// w], a plane vector [x, y, w], a matrix an array of its rows.
#pragma once

#include <tuple>

#include "base/geometry/geometry.h"
#include "base/reflection/record_type.h"

namespace corvane {

template <>
struct TRecordOf<TSpaceVector> {
  static constexpr const char* kName = "TSpaceVector";
  static constexpr auto kFields =
      std::make_tuple(RecordField("x", &TSpaceVector::x), RecordField("y", &TSpaceVector::y),
                      RecordField("z", &TSpaceVector::z), RecordField("w", &TSpaceVector::w));
};

template <>
struct TRecordOf<TPlaneVector> {
  static constexpr const char* kName = "TPlaneVector";
  static constexpr auto kFields = std::make_tuple(
      RecordField("x", &TPlaneVector::x), RecordField("y", &TPlaneVector::y), RecordField("w", &TPlaneVector::w));
};

// The matrices are arrays of rows with the names they are known by.
template <>
struct TTypeInfoOf<TSpaceMatrix> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info = TTypeInfo::ArrayOf(TTypeInfoOf<TSpaceVector>::Get(), 4, "TSpaceMatrix");
    return &info;
  }
};

template <>
struct TTypeInfoOf<TPlaneMatrix> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info = TTypeInfo::ArrayOf(TTypeInfoOf<TPlaneVector>::Get(), 3, "TPlaneMatrix");
    return &info;
  }
};

}  // namespace corvane
