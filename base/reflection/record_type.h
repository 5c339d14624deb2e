// Plain structs as records of the reflection layer: a method parameter or
// result of a record type travels as a Variant array of its fields in
// declaration order, nested records and arrays as nested arrays
// (base/reflection/value_convert.h). A record type describes itself once, in a
// specialisation of TRecordOf visible wherever it is published:
//
//   template <>
//   struct TRecordOf<TTexVector> {
//     static constexpr const char* kName = "TTexVector";
//     static constexpr auto kFields = std::make_tuple(RecordField("u", &TTexVector::u),
//                                                     RecordField("v", &TTexVector::v));
//   };
//
// Records are parameters and results only: a property never has one.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/reflection/type_info.h"

namespace corvane {

template <class R>
struct TRecordOf;  // specialised by each record type

template <class R, class M>
struct TRecordField {
  using Record = R;
  using Type = M;
  const char* Name;
  M R::*Member;
};

template <class R, class M>
constexpr TRecordField<R, M> RecordField(const char* name, M R::*member) {
  return {name, member};
}

template <class T>
concept CRecord = requires { TRecordOf<T>::kFields; };

template <class T>
constexpr std::size_t kRecordFieldCount = std::tuple_size_v<std::remove_cv_t<decltype(TRecordOf<T>::kFields)>>;

template <CRecord T>
struct TTypeInfoOf<T> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info = TTypeInfo::Record(TRecordOf<T>::kName, FieldInfos());
    return &info;
  }

 private:
  static std::vector<TRecordFieldInfo> FieldInfos() {
    return std::apply(
        [](const auto&... field) {
          return std::vector<TRecordFieldInfo>{
              TRecordFieldInfo{field.Name, TTypeInfoOf<typename std::decay_t<decltype(field)>::Type>::Get()}...};
        },
        TRecordOf<T>::kFields);
  }
};

}  // namespace corvane
