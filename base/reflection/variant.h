// A value of any published kind: what scripts and the inspector hand to
// properties and methods, and what a variant property holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/reflection/type_info.h"

namespace corvane {

class TObject;

enum TVarType : std::uint8_t {
  varEmpty,  // unassigned
  varNull,
  varShortInt,  // 8-bit signed
  varSmallInt,  // 16-bit signed
  varInteger,   // 32-bit signed
  varByte,
  varWord,
  varLongWord,
  varInt64,
  varUInt64,
  varSingle,
  varDouble,
  varCurrency,
  varDate,
  varBoolean,
  varString,      // 8-bit
  varWideString,  // UTF-16
  varObject,
  varArray,
};

class Variant {
 public:
  Variant() = default;
  Variant(bool v) : type_(varBoolean), value_(v) {}
  Variant(std::int32_t v) : type_(varInteger), value_(std::int64_t{v}) {}
  Variant(std::int64_t v) : type_(varInt64), value_(v) {}
  Variant(std::uint32_t v) : type_(varLongWord), value_(std::int64_t{v}) {}
  Variant(std::uint64_t v) : type_(varUInt64), value_(v) {}
  Variant(float v) : type_(varSingle), value_(double{v}) {}
  Variant(double v) : type_(varDouble), value_(v) {}
  Variant(TCurrency v) : type_(varCurrency), value_(v.Value) {}
  Variant(TDateTime v) : type_(varDate), value_(v.Value) {}
  Variant(std::u16string v) : type_(varWideString), value_(std::move(v)) {}
  Variant(const char16_t* v) : Variant(std::u16string(v)) {}
  Variant(std::string v) : type_(varString), value_(std::move(v)) {}
  explicit Variant(const char* v) : Variant(std::string(v)) {}
  Variant(TObject* v) : type_(varObject), value_(v) {}
  Variant(std::vector<Variant> items);

  static Variant Null();
  // An integer of a given integer variant type (varShortInt ... varLongWord).
  static Variant OfInteger(TVarType type, std::int64_t value);

  TVarType VarType() const { return type_; }
  bool IsEmpty() const { return type_ == varEmpty; }
  bool IsNull() const { return type_ == varNull; }
  bool IsIntegerType() const;
  bool IsFloatType() const;
  bool IsStringType() const { return type_ == varString || type_ == varWideString; }

  // Conversions. Empty converts to zero, empty text, false and no object;
  // Null and text that is not a number throw EConvertError, as does a
  // number out of the target's range.
  std::int64_t AsInt64() const;
  // The bits of an unsigned 64-bit value; other types as AsInt64.
  std::uint64_t AsUInt64() const;
  std::int32_t AsInteger() const;
  double AsDouble() const;
  bool AsBoolean() const;
  TCurrency AsCurrency() const;
  // 8-bit variant text is Latin-1, as 8-bit string properties are: wide
  // text narrows with "?" above U+00FF and widens back byte to unit.
  std::string AsString() const;
  std::u16string AsWideString() const;
  TObject* AsObject() const;
  const std::vector<Variant>& AsArray() const;

  // Same type and value.
  bool operator==(const Variant& o) const;

 private:
  using Items = std::shared_ptr<const std::vector<Variant>>;
  TVarType type_ = varEmpty;
  std::variant<std::monostate, std::int64_t, std::uint64_t, double, bool, std::string, std::u16string,
               TObject*, Items>
      value_;
};

// Printable name of a variant type ("Integer", "WideString", ...).
const char* VarTypeName(TVarType type);

CORVANE_SIMPLE_TYPE_INFO(Variant, TTypeInfo::Simple(pkVariant, "Variant"));

}  // namespace corvane
