// Conversions between C++ values, the generic transports of the property
// accessors (64-bit ordinals, doubles, strings, objects) and Variants. One
// place decides how a Variant becomes a value of a published type, for
// properties and method parameters alike.
//
// What only method parameters and results carry: a record or a fixed array
// is a Variant array of exactly its fields or elements (an empty Variant is
// the zero value); an open array (std::vector) is a Variant array of any
// length. A pointer goes out as its address, an unsigned 64-bit number, and
// never comes back in: a pointer parameter always starts null, so no
// caller can hand the engine an address to write through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "base/reflection/object.h"
#include "base/reflection/record_type.h"
#include "base/reflection/set.h"
#include "base/reflection/type_info.h"
#include "base/reflection/variant.h"

namespace corvane {

// Variant -> value of a described type. Throw EConvertError when the value
// cannot take the type (text that is no number, a number out of range, an
// unknown enumeration name, an object of another class).
std::int64_t VariantToOrdinal(const Variant& v, const TTypeInfo& type);
double VariantToFloat(const Variant& v, const TTypeInfo& type);
std::string VariantToString8(const Variant& v);
std::u16string VariantToWideString(const Variant& v);
TObject* VariantToObject(const Variant& v, const TTypeInfo& type);
// The items of a Variant array for a record or an array type: exactly
// `count` of them (any number when count < 0). Throws EConvertError for
// anything else; an empty Variant has no items.
const std::vector<Variant>& VariantItems(const Variant& v, std::ptrdiff_t count, const TTypeInfo& type);

// Ordinal transport -> Variant: Booleans as Booleans, enumerations and sets
// by name when preferStrings, else as numbers; integers as integers.
Variant OrdinalToVariant(std::int64_t value, const TTypeInfo& type, bool preferStrings);

// Set text: "[a,b]" (brackets optional when reading); element names as the
// stream writes them.
std::string SetToString(const TTypeInfo& setType, std::uint32_t mask, bool brackets = true);
std::uint32_t StringToSet(const TTypeInfo& setType, std::string_view text);
// The name of set element number `bit`: the enumeration name, the decimal
// number (bit + minimum) for integers, "#" and the code for characters.
std::string SetElementName(const TTypeInfo& element, int bit);
// The element number of a name; -1 when it names no element.
int SetElementBit(const TTypeInfo& element, std::string_view name);

template <class T>
constexpr bool kIsSet = false;
template <class E>
constexpr bool kIsSet<TSet<E>> = true;

template <class T>
constexpr bool kIsOrdinalType = std::is_integral_v<T> || std::is_enum_v<T> || kIsSet<T>;

template <class T>
std::int64_t ToOrd(const T& v) {
  if constexpr (kIsSet<T>) return v.Mask();
  else if constexpr (std::is_same_v<T, char>) return static_cast<unsigned char>(v);
  else if constexpr (std::is_same_v<T, bool>) return v ? 1 : 0;
  else return static_cast<std::int64_t>(v);
}

template <class T>
T FromOrd(std::int64_t v) {
  if constexpr (kIsSet<T>) return T::FromMask(static_cast<std::uint32_t>(v));
  else if constexpr (std::is_same_v<T, bool>) return v != 0;
  else return static_cast<T>(v);
}

template <class T>
double ToFloat(const T& v) {
  if constexpr (std::is_same_v<T, TCurrency>) return v.ToDouble();
  else if constexpr (std::is_same_v<T, TDateTime>) return v.Value;
  else return static_cast<double>(v);
}

template <class T>
T FromFloat(double v) {
  if constexpr (std::is_same_v<T, TCurrency>) return TCurrency::FromDouble(v);
  else if constexpr (std::is_same_v<T, TDateTime>) return TDateTime{v};
  else return static_cast<T>(v);
}

template <class T>
constexpr bool kIsFloatType = std::is_floating_point_v<T> || std::is_same_v<T, TCurrency> ||
                              std::is_same_v<T, TDateTime>;

template <class T>
constexpr bool kIsFixedArray = false;
template <class E, std::size_t N>
constexpr bool kIsFixedArray<std::array<E, N>> = true;
template <class T>
constexpr bool kIsOpenArray = false;
template <class E>
constexpr bool kIsOpenArray<std::vector<E>> = true;

// The kinds a property never has (see the top of this file).
template <class T>
constexpr bool kIsCallOnlyType = CRecord<T> || kIsFixedArray<T> || kIsOpenArray<T> || std::is_same_v<T, void*>;

template <class T>
T VariantTo(const Variant& v);
template <class T>
Variant ToVariant(const T& v);

namespace detail {

template <class T>
T RecordFromVariant(const Variant& v) {
  T record{};
  const std::vector<Variant>& items = VariantItems(v, kRecordFieldCount<T>, *TTypeInfoOf<T>::Get());
  if (items.empty()) return record;
  std::size_t i = 0;
  std::apply(
      [&](const auto&... field) {
        ((record.*field.Member = VariantTo<typename std::decay_t<decltype(field)>::Type>(items[i++])), ...);
      },
      TRecordOf<T>::kFields);
  return record;
}

template <class T>
Variant RecordToVariant(const T& record) {
  return std::apply(
      [&](const auto&... field) { return Variant(std::vector<Variant>{ToVariant(record.*field.Member)...}); },
      TRecordOf<T>::kFields);
}

template <class T>
T ArrayFromVariant(const Variant& v) {
  T array{};
  std::ptrdiff_t count = -1;
  if constexpr (kIsFixedArray<T>) count = static_cast<std::ptrdiff_t>(std::tuple_size_v<T>);
  const std::vector<Variant>& items = VariantItems(v, count, *TTypeInfoOf<T>::Get());
  if constexpr (kIsOpenArray<T>) array.resize(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) array[i] = VariantTo<typename T::value_type>(items[i]);
  return array;
}

template <class T>
Variant ArrayToVariant(const T& array) {
  std::vector<Variant> items;
  items.reserve(array.size());
  for (const auto& element : array) items.push_back(ToVariant(element));
  return Variant(std::move(items));
}

}  // namespace detail

template <class T>
T VariantTo(const Variant& v) {
  if constexpr (std::is_same_v<T, Variant>) {
    return v;
  } else if constexpr (std::is_same_v<T, std::int64_t>) {
    return v.AsInt64();
  } else if constexpr (kIsOrdinalType<T>) {
    return FromOrd<T>(VariantToOrdinal(v, *TTypeInfoOf<T>::Get()));
  } else if constexpr (kIsFloatType<T>) {
    return FromFloat<T>(VariantToFloat(v, *TTypeInfoOf<T>::Get()));
  } else if constexpr (std::is_same_v<T, std::string>) {
    return VariantToString8(v);
  } else if constexpr (std::is_same_v<T, std::u16string>) {
    return VariantToWideString(v);
  } else if constexpr (std::is_same_v<T, void*>) {
    return nullptr;
  } else if constexpr (std::is_pointer_v<T>) {
    return static_cast<T>(VariantToObject(v, *TTypeInfoOf<T>::Get()));
  } else if constexpr (CRecord<T>) {
    return detail::RecordFromVariant<T>(v);
  } else if constexpr (kIsFixedArray<T> || kIsOpenArray<T>) {
    return detail::ArrayFromVariant<T>(v);
  } else {
    static_assert(sizeof(T) == 0, "no Variant conversion for this type");
  }
}

template <class T>
Variant ToVariant(const T& v) {
  if constexpr (std::is_same_v<T, Variant>) {
    return v;
  } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::int64_t> ||
                       std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::uint32_t> ||
                       std::is_same_v<T, std::uint64_t> || std::is_same_v<T, float> ||
                       std::is_same_v<T, double> || std::is_same_v<T, TCurrency> ||
                       std::is_same_v<T, TDateTime> || std::is_same_v<T, std::string> ||
                       std::is_same_v<T, std::u16string>) {
    return Variant(v);
  } else if constexpr (kIsOrdinalType<T>) {
    return OrdinalToVariant(ToOrd(v), *TTypeInfoOf<T>::Get(), false);
  } else if constexpr (std::is_same_v<T, void*>) {
    return Variant(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(v)));
  } else if constexpr (std::is_pointer_v<T>) {
    return Variant(static_cast<TObject*>(v));
  } else if constexpr (CRecord<T>) {
    return detail::RecordToVariant(v);
  } else if constexpr (kIsFixedArray<T> || kIsOpenArray<T>) {
    return detail::ArrayToVariant(v);
  } else {
    static_assert(sizeof(T) == 0, "no Variant conversion for this type");
  }
}

}  // namespace corvane
