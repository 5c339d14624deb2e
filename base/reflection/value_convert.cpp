#include "base/reflection/value_convert.h"

#include <cmath>

#include "base/reflection/class_info.h"
#include "base/reflection/exceptions.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

std::int64_t CheckRange(std::int64_t v, const TTypeInfo& type) {
  if (v < type.MinValue() || v > type.MaxValue())
    throw EConvertError("Value " + IntToStr8(v) + " out of range for " + type.Name());
  return v;
}

std::int64_t CharCode(const Variant& v, const TTypeInfo& type) {
  if (v.IsStringType()) {
    const std::u16string text = v.AsWideString();
    if (text.size() != 1) throw EConvertError("A single character expected for " + type.Name());
    return CheckRange(type.Kind() == pkChar ? static_cast<unsigned char>(NarrowLatin1(text)[0]) : text[0], type);
  }
  return CheckRange(v.AsInt64(), type);
}

}  // namespace

std::int64_t VariantToOrdinal(const Variant& v, const TTypeInfo& type) {
  switch (type.Kind()) {
    case pkBool:
      return v.AsBoolean() ? 1 : 0;
    case pkChar:
    case pkWChar:
      return CharCode(v, type);
    case pkEnumeration:
      if (v.IsStringType()) {
        const int value = type.EnumValue(v.AsString());
        if (value < 0) throw EConvertError("Invalid enumeration name " + v.AsString() + " for " + type.Name());
        return value;
      }
      return CheckRange(v.AsInt64(), type);
    case pkSet:
      if (v.IsStringType()) return StringToSet(type, v.AsString());
      return CheckRange(v.AsInt64(), *TTypeInfoOf<std::uint32_t>::Get());
    case pkInteger:
      return CheckRange(v.AsInt64(), type);
    case pkInt64:
      return v.AsInt64();
    default:
      throw EConvertError("Not an ordinal type: " + type.Name());
  }
}

double VariantToFloat(const Variant& v, const TTypeInfo& type) {
  if (type.FloatType() == ftCurr) return v.AsCurrency().ToDouble();
  return v.AsDouble();
}

std::string VariantToString8(const Variant& v) { return v.AsString(); }

std::u16string VariantToWideString(const Variant& v) { return v.AsWideString(); }

TObject* VariantToObject(const Variant& v, const TTypeInfo& type) {
  TObject* object = v.AsObject();
  if (object && type.ClassType() && !object->InheritsFrom(type.ClassType()))
    throw EConvertError("A " + object->ClassName() + " is not a " + type.ClassType()->Name());
  return object;
}

const std::vector<Variant>& VariantItems(const Variant& v, std::ptrdiff_t count, const TTypeInfo& type) {
  static const std::vector<Variant> kNone;
  if (v.IsEmpty()) return kNone;
  if (v.VarType() != varArray) {
    throw EConvertError("An array expected for " + type.Name() + ", not a " + VarTypeName(v.VarType()));
  }
  const std::vector<Variant>& items = v.AsArray();
  if (count >= 0 && static_cast<std::ptrdiff_t>(items.size()) != count) {
    throw EConvertError(type.Name() + " takes " + IntToStr8(count) + " values, not " +
                        IntToStr8(static_cast<std::int64_t>(items.size())));
  }
  return items;
}

Variant OrdinalToVariant(std::int64_t value, const TTypeInfo& type, bool preferStrings) {
  switch (type.Kind()) {
    case pkBool:
      return Variant(value != 0);
    case pkEnumeration:
      if (preferStrings) return Variant(type.EnumName(value));
      return Variant(static_cast<std::int32_t>(value));
    case pkSet:
      if (preferStrings) return Variant(SetToString(type, static_cast<std::uint32_t>(value)));
      return Variant(static_cast<std::uint32_t>(value));
    case pkChar:
      return Variant(std::string(1, static_cast<char>(value)));
    case pkWChar:
      return Variant(std::u16string(1, static_cast<char16_t>(value)));
    case pkInteger:
      switch (type.OrdType()) {
        case otSByte: return Variant::OfInteger(varShortInt, value);
        case otUByte: return Variant::OfInteger(varByte, value);
        case otSWord: return Variant::OfInteger(varSmallInt, value);
        case otUWord: return Variant::OfInteger(varWord, value);
        case otULong: return Variant(static_cast<std::uint32_t>(value));
        case otSLong: break;
      }
      return Variant(static_cast<std::int32_t>(value));
    default:
      return Variant(value);
  }
}

std::string SetElementName(const TTypeInfo& element, int bit) {
  switch (element.Kind()) {
    case pkInteger:
      return IntToStr8(bit + element.MinValue());
    case pkChar:
    case pkWChar:
      return "#" + IntToStr8(bit + element.MinValue());
    default:
      return element.EnumName(bit);
  }
}

int SetElementBit(const TTypeInfo& element, std::string_view name) {
  std::int64_t number;
  switch (element.Kind()) {
    case pkInteger: {
      const auto v = TryStrToInt64(name);
      if (!v) return -1;
      number = *v - element.MinValue();
      break;
    }
    case pkChar:
    case pkWChar: {
      if (name.size() < 2 || name[0] != '#') return -1;
      const auto v = TryStrToInt64(name.substr(1));
      if (!v) return -1;
      number = *v - element.MinValue();
      break;
    }
    default:
      number = element.EnumValue(name);
  }
  return number >= 0 && number < 32 ? static_cast<int>(number) : -1;
}

std::string SetToString(const TTypeInfo& setType, std::uint32_t mask, bool brackets) {
  std::string text;
  for (int bit = 0; bit < 32; ++bit) {
    if ((mask & (std::uint32_t{1} << bit)) == 0) continue;
    if (!text.empty()) text += ',';
    text += SetElementName(*setType.CompType(), bit);
  }
  return brackets ? "[" + text + "]" : text;
}

std::uint32_t StringToSet(const TTypeInfo& setType, std::string_view text) {
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (!s.empty() && s.front() == '[') s.remove_prefix(1);
  if (!s.empty() && s.back() == ']') s.remove_suffix(1);
  std::uint32_t mask = 0;
  while (!s.empty()) {
    const auto comma = s.find(',');
    std::string_view name = s.substr(0, comma);
    s = comma == std::string_view::npos ? std::string_view() : s.substr(comma + 1);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty()) continue;
    const int bit = SetElementBit(*setType.CompType(), name);
    if (bit < 0) throw EConvertError("Invalid set element " + std::string(name) + " for " + setType.Name());
    mask |= std::uint32_t{1} << bit;
  }
  return mask;
}

}  // namespace corvane
