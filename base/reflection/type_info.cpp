#include "base/reflection/type_info.h"

#include <cmath>

#include "base/reflection/class_info.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

TCurrency TCurrency::FromDouble(double amount) {
  return TCurrency{static_cast<std::int64_t>(std::llround(amount * 10000.0))};
}

TTypeInfo TTypeInfo::Ordinal(TPropKind kind, std::string name, TOrdType ordType, std::int64_t min,
                             std::int64_t max) {
  TTypeInfo t = Simple(kind, std::move(name));
  t.ordType_ = ordType;
  t.min_ = min;
  t.max_ = max;
  return t;
}

TTypeInfo TTypeInfo::Int64(std::string name) {
  TTypeInfo t = Simple(pkInt64, std::move(name));
  t.min_ = INT64_MIN;
  t.max_ = INT64_MAX;
  return t;
}

TTypeInfo TTypeInfo::Float(std::string name, TFloatType floatType) {
  TTypeInfo t = Simple(pkFloat, std::move(name));
  t.floatType_ = floatType;
  return t;
}

TTypeInfo TTypeInfo::Simple(TPropKind kind, std::string name) {
  TTypeInfo t;
  t.kind_ = kind;
  t.name_ = std::move(name);
  return t;
}

TTypeInfo TTypeInfo::Enumeration(std::string name, std::string_view names) {
  std::vector<std::string> list;
  std::string current;
  for (char c : names) {
    if (c == ',') {
      list.push_back(current);
      current.clear();
    } else if (static_cast<unsigned char>(c) > ' ') {
      current += c;
    }
  }
  if (!current.empty()) list.push_back(current);
  return Enumeration(std::move(name), std::move(list));
}

TTypeInfo TTypeInfo::Enumeration(std::string name, std::vector<std::string> names) {
  TTypeInfo t = Simple(pkEnumeration, std::move(name));
  t.ordType_ = otUByte;
  t.min_ = 0;
  t.max_ = static_cast<std::int64_t>(names.size()) - 1;
  t.enumNames_ = std::move(names);
  return t;
}

TTypeInfo TTypeInfo::SetOf(std::string name, const TTypeInfo* element) {
  TTypeInfo t = Simple(pkSet, std::move(name));
  t.ordType_ = otULong;
  t.compType_ = element;
  return t;
}

TTypeInfo TTypeInfo::Record(std::string name, std::vector<TRecordFieldInfo> fields) {
  TTypeInfo t = Simple(pkRecord, std::move(name));
  t.fields_ = std::move(fields);
  return t;
}

TTypeInfo TTypeInfo::ArrayOf(const TTypeInfo* element, std::int32_t count, std::string name) {
  if (name.empty())
    name = (count < 0 ? std::string("array") : "array[0.." + IntToStr8(count - 1) + "]") + " of " + element->Name();
  TTypeInfo t = Simple(pkArray, std::move(name));
  t.compType_ = element;
  t.elementCount_ = count < 0 ? -1 : count;
  return t;
}

TTypeInfo TTypeInfo::Class(TClass (*resolve)()) {
  TTypeInfo t;
  t.kind_ = pkClass;
  t.resolveClass_ = resolve;
  return t;
}

const std::string& TTypeInfo::Name() const {
  if (name_.empty() && resolveClass_) name_ = resolveClass_()->Name();
  return name_;
}

bool TTypeInfo::IsOrdinal() const {
  switch (kind_) {
    case pkInteger:
    case pkChar:
    case pkWChar:
    case pkEnumeration:
    case pkSet:
    case pkBool:
      return true;
    default:
      return false;
  }
}

TClass TTypeInfo::ClassType() const { return resolveClass_ ? resolveClass_() : nullptr; }

std::string TTypeInfo::EnumName(std::int64_t value) const {
  if (kind_ == pkBool) return value == 0 ? "False" : value == 1 ? "True" : std::string();
  if (value < 0 || value >= static_cast<std::int64_t>(enumNames_.size())) return {};
  return enumNames_[static_cast<std::size_t>(value)];
}

int TTypeInfo::EnumValue(std::string_view name) const {
  if (kind_ == pkBool) {
    if (SameText(name, "False")) return 0;
    if (SameText(name, "True")) return 1;
    return -1;
  }
  for (std::size_t i = 0; i < enumNames_.size(); ++i)
    if (SameText(enumNames_[i], name)) return static_cast<int>(i);
  return -1;
}

}  // namespace corvane
