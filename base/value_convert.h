// Conversions between C++ values, the generic transports of the property
// accessors (64-bit ordinals, doubles, strings, objects) and Variants. One
// place decides how a Variant becomes a value of a published type, for
// properties and method parameters alike.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "base/object.h"
#include "base/set.h"
#include "base/type_info.h"
#include "base/variant.h"

namespace corvane {

// Variant -> value of a described type. Throw EConvertError when the value
// cannot take the type (text that is no number, a number out of range, an
// unknown enumeration name, an object of another class).
std::int64_t VariantToOrdinal(const Variant& v, const TTypeInfo& type);
double VariantToFloat(const Variant& v, const TTypeInfo& type);
std::string VariantToString8(const Variant& v);
std::u16string VariantToWideString(const Variant& v);
TObject* VariantToObject(const Variant& v, const TTypeInfo& type);

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
  } else if constexpr (std::is_pointer_v<T>) {
    return static_cast<T>(VariantToObject(v, *TTypeInfoOf<T>::Get()));
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
  } else if constexpr (std::is_pointer_v<T>) {
    return Variant(static_cast<TObject*>(v));
  } else {
    static_assert(sizeof(T) == 0, "no Variant conversion for this type");
  }
}

}  // namespace corvane
