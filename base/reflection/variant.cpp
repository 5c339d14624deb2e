#include "base/reflection/variant.h"

#include <cmath>
#include <limits>

#include "base/reflection/exceptions.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

[[noreturn]] void CastError(TVarType from, const char* to) {
  throw EConvertError(std::string("Could not convert variant of type (") + VarTypeName(from) +
                      ") into type (" + to + ")");
}

}  // namespace

Variant::Variant(std::vector<Variant> items)
    : type_(varArray), value_(std::make_shared<const std::vector<Variant>>(std::move(items))) {}

Variant Variant::Null() {
  Variant v;
  v.type_ = varNull;
  return v;
}

Variant Variant::OfInteger(TVarType type, std::int64_t value) {
  Variant v(value);
  v.type_ = type;
  return v;
}

bool Variant::IsIntegerType() const {
  switch (type_) {
    case varShortInt:
    case varSmallInt:
    case varInteger:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
      return true;
    default:
      return false;
  }
}

bool Variant::IsFloatType() const {
  return type_ == varSingle || type_ == varDouble || type_ == varCurrency || type_ == varDate;
}

std::int64_t Variant::AsInt64() const {
  switch (type_) {
    case varEmpty:
      return 0;
    case varBoolean:
      return std::get<bool>(value_) ? 1 : 0;
    case varUInt64: {
      const auto u = std::get<std::uint64_t>(value_);
      if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) CastError(type_, "Int64");
      return static_cast<std::int64_t>(u);
    }
    case varCurrency:
      return std::llround(static_cast<double>(std::get<std::int64_t>(value_)) / 10000.0);
    case varSingle:
    case varDouble:
    case varDate: {
      const double d = std::get<double>(value_);
      // Round half to even, as the runtime's variant conversion does.
      if (!std::isfinite(d) || d >= 9.2233720368547758e18 || d < -9.2233720368547758e18)
        CastError(type_, "Int64");
      return static_cast<std::int64_t>(std::nearbyint(d));
    }
    case varString:
    case varWideString: {
      const auto v = type_ == varString ? TryStrToInt64(std::get<std::string>(value_))
                                        : TryStrToInt64(std::get<std::u16string>(value_));
      if (v) return *v;
      // Text holding a float ("2.5") or a Boolean word converts too.
      const std::string text = AsString();
      if (SameText(text, "True")) return 1;
      if (SameText(text, "False")) return 0;
      if (const auto d = TryStrToDouble(text); d && std::isfinite(*d)) return Variant(*d).AsInt64();
      CastError(type_, "Int64");
    }
    default:
      if (IsIntegerType()) return std::get<std::int64_t>(value_);
      CastError(type_, "Int64");
  }
}

std::uint64_t Variant::AsUInt64() const {
  if (type_ == varUInt64) return std::get<std::uint64_t>(value_);
  return static_cast<std::uint64_t>(AsInt64());
}

std::int32_t Variant::AsInteger() const {
  const std::int64_t v = AsInt64();
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    CastError(type_, "Integer");
  return static_cast<std::int32_t>(v);
}

double Variant::AsDouble() const {
  switch (type_) {
    case varEmpty:
      return 0;
    case varBoolean:
      return std::get<bool>(value_) ? 1 : 0;
    case varUInt64:
      return static_cast<double>(std::get<std::uint64_t>(value_));
    case varCurrency:
      return static_cast<double>(std::get<std::int64_t>(value_)) / 10000.0;
    case varSingle:
    case varDouble:
    case varDate:
      return std::get<double>(value_);
    case varString:
    case varWideString: {
      const auto d = TryStrToDouble(AsString());
      if (!d) CastError(type_, "Double");
      return *d;
    }
    default:
      if (IsIntegerType()) return static_cast<double>(std::get<std::int64_t>(value_));
      CastError(type_, "Double");
  }
}

bool Variant::AsBoolean() const {
  switch (type_) {
    case varEmpty:
      return false;
    case varBoolean:
      return std::get<bool>(value_);
    case varString:
    case varWideString: {
      const std::string text = AsString();
      if (SameText(text, "True")) return true;
      if (SameText(text, "False")) return false;
      if (const auto d = TryStrToDouble(text)) return *d != 0;
      CastError(type_, "Boolean");
    }
    default:
      if (IsIntegerType() || IsFloatType()) return AsDouble() != 0;
      CastError(type_, "Boolean");
  }
}

TCurrency Variant::AsCurrency() const {
  if (type_ == varCurrency) return TCurrency{std::get<std::int64_t>(value_)};
  const double d = AsDouble();
  if (!std::isfinite(d) || std::fabs(d) > 9.2e14) CastError(type_, "Currency");
  return TCurrency::FromDouble(d);
}

std::string Variant::AsString() const {
  switch (type_) {
    case varEmpty:
    case varNull:
      return {};
    case varBoolean:
      return std::get<bool>(value_) ? "True" : "False";
    case varUInt64:
      return std::to_string(std::get<std::uint64_t>(value_));
    case varCurrency:
      return FloatToStrGeneral(static_cast<double>(std::get<std::int64_t>(value_)) / 10000.0);
    case varSingle:
      return FloatToStrGeneral(static_cast<float>(std::get<double>(value_)));
    case varDouble:
    case varDate:
      return FloatToStrGeneral(std::get<double>(value_));
    case varString:
      return std::get<std::string>(value_);
    case varWideString:
      return NarrowLatin1(std::get<std::u16string>(value_));
    default:
      if (IsIntegerType()) return IntToStr8(std::get<std::int64_t>(value_));
      CastError(type_, "String");
  }
}

std::u16string Variant::AsWideString() const {
  if (type_ == varWideString) return std::get<std::u16string>(value_);
  return WidenLatin1(AsString());
}

TObject* Variant::AsObject() const {
  if (type_ == varEmpty || type_ == varNull) return nullptr;
  if (type_ == varObject) return std::get<TObject*>(value_);
  CastError(type_, "Object");
}

const std::vector<Variant>& Variant::AsArray() const {
  if (type_ != varArray) CastError(type_, "Array");
  return *std::get<Items>(value_);
}

bool Variant::operator==(const Variant& o) const {
  if (type_ != o.type_) return false;
  if (type_ == varArray) return AsArray() == o.AsArray();
  return value_ == o.value_;
}

const char* VarTypeName(TVarType type) {
  switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varShortInt: return "ShortInt";
    case varSmallInt: return "SmallInt";
    case varInteger: return "Integer";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varUInt64: return "UInt64";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varBoolean: return "Boolean";
    case varString: return "String";
    case varWideString: return "WideString";
    case varObject: return "Object";
    case varArray: return "Array";
  }
  return "Unknown";
}

}  // namespace corvane
