// Run-time description of the types a published property or a published
// method parameter can have. `TTypeInfoOf<T>::Get()` gives the description of
// a C++ type; enumerations declared with CORVANE_ENUM carry their names,
// records described in TRecordOf (base/reflection/record_type.h) their fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/reflection/set.h"

namespace corvane {

class TObject;
class TClassInfo;
class TMethodInfo;
using TClass = const TClassInfo*;

// What a property holds. Ordinal kinds (integer, char, wide char,
// enumeration, set, Boolean) travel as 64-bit integers through the generic
// accessors; 64-bit integers too.
enum TPropKind : std::uint8_t {
  pkUnknown,
  pkInteger,
  pkInt64,
  pkChar,
  pkWChar,
  pkEnumeration,
  pkSet,
  pkBool,
  pkFloat,
  pkString,   // 8-bit string
  pkWString,  // UTF-16 string
  pkVariant,
  pkClass,    // object reference or persistent sub-object
  pkMethod,   // event: object plus published method
  // Method parameters and results only, never properties:
  pkRecord,   // a plain struct: its fields in order (Fields)
  pkArray,    // elements of CompType: ElementCount of them, or any number
  pkPointer,  // an untyped address (a locked store)
};

enum TOrdType : std::uint8_t { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType : std::uint8_t { ftSingle, ftDouble, ftExtended, ftComp, ftCurr, ftDate };

// The declared default of an ordinal property that has none: such a property
// is always written.
inline constexpr std::int64_t kNoDefault = -2147483648LL;

// Fixed-point currency: the amount times 10000.
struct TCurrency {
  std::int64_t Value = 0;
  static TCurrency FromDouble(double amount);
  double ToDouble() const { return static_cast<double>(Value) / 10000.0; }
  bool operator==(const TCurrency&) const = default;
};

// Days since 30 December 1899; the fraction is the time of day.
struct TDateTime {
  double Value = 0;
  bool operator==(const TDateTime&) const = default;
};

// An event pointer: an object and one of its class's published methods.
struct TMethod {
  TObject* Data = nullptr;
  const TMethodInfo* Code = nullptr;
  bool Assigned() const { return Code != nullptr; }
  bool operator==(const TMethod&) const = default;
};

class TTypeInfo;

// One field of a record type, in declaration order.
struct TRecordFieldInfo {
  std::string Name;
  const TTypeInfo* Type = nullptr;
};

class TTypeInfo {
 public:
  static TTypeInfo Ordinal(TPropKind kind, std::string name, TOrdType ordType, std::int64_t min,
                           std::int64_t max);
  static TTypeInfo Int64(std::string name);
  static TTypeInfo Float(std::string name, TFloatType floatType);
  static TTypeInfo Simple(TPropKind kind, std::string name);
  // names: "a, b, c" as the enumerators are written in source.
  static TTypeInfo Enumeration(std::string name, std::string_view names);
  static TTypeInfo Enumeration(std::string name, std::vector<std::string> names);
  static TTypeInfo SetOf(std::string name, const TTypeInfo* element);
  static TTypeInfo Class(TClass (*resolve)());
  static TTypeInfo Record(std::string name, std::vector<TRecordFieldInfo> fields);
  // count < 0: an open array, of any length. Without a name it is called
  // "array of <element>" or "array[0..<count - 1>] of <element>".
  static TTypeInfo ArrayOf(const TTypeInfo* element, std::int32_t count, std::string name = {});

  TPropKind Kind() const { return kind_; }
  const std::string& Name() const;
  bool IsOrdinal() const;
  TOrdType OrdType() const { return ordType_; }
  std::int64_t MinValue() const { return min_; }
  std::int64_t MaxValue() const { return max_; }
  TFloatType FloatType() const { return floatType_; }
  const std::vector<std::string>& EnumNames() const { return enumNames_; }
  // The element type of a set or an array.
  const TTypeInfo* CompType() const { return compType_; }
  TClass ClassType() const;
  const std::vector<TRecordFieldInfo>& Fields() const { return fields_; }
  // The length of a fixed array; -1 for an open one.
  std::int32_t ElementCount() const { return elementCount_; }

  // The name of an enumeration value; empty outside the enumeration.
  std::string EnumName(std::int64_t value) const;
  // The value of a name (compared without case); -1 when unknown.
  int EnumValue(std::string_view name) const;

 private:
  TTypeInfo() = default;
  TPropKind kind_ = pkUnknown;
  mutable std::string name_;
  TOrdType ordType_ = otSLong;
  std::int64_t min_ = 0;
  std::int64_t max_ = 0;
  TFloatType floatType_ = ftSingle;
  std::vector<std::string> enumNames_;
  const TTypeInfo* compType_ = nullptr;
  std::vector<TRecordFieldInfo> fields_;
  std::int32_t elementCount_ = -1;
  // Classes may refer to each other's pointer types while they are being
  // described, so the class is resolved on first use.
  TClass (*resolveClass_)() = nullptr;
};

template <class T, class Enable = void>
struct TTypeInfoOf;  // no description: not a publishable type

#define CORVANE_SIMPLE_TYPE_INFO(Type, Expr)              \
  template <>                                            \
  struct TTypeInfoOf<Type> {                             \
    static const TTypeInfo* Get() {                      \
      static const TTypeInfo info = Expr;                \
      return &info;                                      \
    }                                                    \
  }

CORVANE_SIMPLE_TYPE_INFO(std::int8_t, TTypeInfo::Ordinal(pkInteger, "ShortInt", otSByte, -128, 127));
CORVANE_SIMPLE_TYPE_INFO(std::uint8_t, TTypeInfo::Ordinal(pkInteger, "Byte", otUByte, 0, 255));
CORVANE_SIMPLE_TYPE_INFO(std::int16_t, TTypeInfo::Ordinal(pkInteger, "SmallInt", otSWord, -32768, 32767));
CORVANE_SIMPLE_TYPE_INFO(std::uint16_t, TTypeInfo::Ordinal(pkInteger, "Word", otUWord, 0, 65535));
CORVANE_SIMPLE_TYPE_INFO(std::int32_t, TTypeInfo::Ordinal(pkInteger, "Integer", otSLong, -2147483648LL, 2147483647));
CORVANE_SIMPLE_TYPE_INFO(std::uint32_t, TTypeInfo::Ordinal(pkInteger, "Cardinal", otULong, 0, 4294967295LL));
CORVANE_SIMPLE_TYPE_INFO(std::int64_t, TTypeInfo::Int64("Int64"));
CORVANE_SIMPLE_TYPE_INFO(bool, TTypeInfo::Ordinal(pkBool, "Boolean", otUByte, 0, 1));
CORVANE_SIMPLE_TYPE_INFO(char, TTypeInfo::Ordinal(pkChar, "AnsiChar", otUByte, 0, 255));
CORVANE_SIMPLE_TYPE_INFO(char16_t, TTypeInfo::Ordinal(pkWChar, "WideChar", otUWord, 0, 65535));
CORVANE_SIMPLE_TYPE_INFO(float, TTypeInfo::Float("Single", ftSingle));
CORVANE_SIMPLE_TYPE_INFO(double, TTypeInfo::Float("Double", ftDouble));
CORVANE_SIMPLE_TYPE_INFO(TCurrency, TTypeInfo::Float("Currency", ftCurr));
CORVANE_SIMPLE_TYPE_INFO(TDateTime, TTypeInfo::Float("TDateTime", ftDate));
CORVANE_SIMPLE_TYPE_INFO(std::string, TTypeInfo::Simple(pkString, "AnsiString"));
CORVANE_SIMPLE_TYPE_INFO(std::u16string, TTypeInfo::Simple(pkWString, "WideString"));
CORVANE_SIMPLE_TYPE_INFO(TMethod, TTypeInfo::Simple(pkMethod, "TMethod"));
CORVANE_SIMPLE_TYPE_INFO(void*, TTypeInfo::Simple(pkPointer, "Pointer"));

template <class E>
struct TTypeInfoOf<TSet<E>> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info =
        TTypeInfo::SetOf("set of " + TTypeInfoOf<E>::Get()->Name(), TTypeInfoOf<E>::Get());
    return &info;
  }
};

// Arrays of described elements: a fixed std::array, an open std::vector.
template <class E, std::size_t N>
struct TTypeInfoOf<std::array<E, N>> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info = TTypeInfo::ArrayOf(TTypeInfoOf<E>::Get(), static_cast<std::int32_t>(N));
    return &info;
  }
};
template <class E>
struct TTypeInfoOf<std::vector<E>> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info = TTypeInfo::ArrayOf(TTypeInfoOf<E>::Get(), -1);
    return &info;
  }
};

// Whether T has a description.
template <class T, class = void>
struct THasTypeInfo : std::false_type {};
template <class T>
struct THasTypeInfo<T, std::void_t<decltype(TTypeInfoOf<T>::Get())>> : std::true_type {};

// Declares an enumeration (values 0..n-1, one byte) together with its
// description, so that its values stream and script by name. Use at
// namespace scope inside namespace corvane.
#define CORVANE_ENUM(Type, ...)                                           \
  enum Type : std::uint8_t { __VA_ARGS__ };                               \
  template <>                                                             \
  struct TTypeInfoOf<Type> {                                              \
    static const TTypeInfo* Get() {                                       \
      static const TTypeInfo info = TTypeInfo::Enumeration(#Type, #__VA_ARGS__); \
      return &info;                                                       \
    }                                                                     \
  }

}  // namespace corvane
