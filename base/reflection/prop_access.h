// Generic access to published properties by description or by name: what
// streaming, scripts and the inspector use. Writes through a property that
// has no setter, or of the wrong kind, throw EPropertyError; values that
// cannot take the property's type throw EConvertError.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/reflection/class_info.h"
#include "base/reflection/variant.h"

namespace corvane {

const TPropInfo* GetPropInfo(const TObject& instance, std::string_view name);
// Throws EPropertyError when the class publishes no such property.
const TPropInfo& PropByName(const TObject& instance, std::string_view name);

std::int64_t GetOrdProp(const TObject& instance, const TPropInfo& prop);
void SetOrdProp(TObject& instance, const TPropInfo& prop, std::int64_t value);
std::int64_t GetInt64Prop(const TObject& instance, const TPropInfo& prop);
void SetInt64Prop(TObject& instance, const TPropInfo& prop, std::int64_t value);
double GetFloatProp(const TObject& instance, const TPropInfo& prop);
void SetFloatProp(TObject& instance, const TPropInfo& prop, double value);
// 8-bit and wide string properties read and write either way; 8-bit text is
// Latin-1 (narrowed with "?" above U+00FF).
std::string GetStrProp(const TObject& instance, const TPropInfo& prop);
void SetStrProp(TObject& instance, const TPropInfo& prop, const std::string& value);
std::u16string GetWideStrProp(const TObject& instance, const TPropInfo& prop);
void SetWideStrProp(TObject& instance, const TPropInfo& prop, const std::u16string& value);
Variant GetVariantProp(const TObject& instance, const TPropInfo& prop);
void SetVariantProp(TObject& instance, const TPropInfo& prop, const Variant& value);
TObject* GetObjectProp(const TObject& instance, const TPropInfo& prop);
// nullptr when the class publishes no such class property or it holds none.
TObject* GetObjectProp(const TObject& instance, std::string_view name);
void SetObjectProp(TObject& instance, const TPropInfo& prop, TObject* value);
TMethod GetMethodProp(const TObject& instance, const TPropInfo& prop);
void SetMethodProp(TObject& instance, const TPropInfo& prop, const TMethod& value);
std::string GetEnumProp(const TObject& instance, const TPropInfo& prop);
void SetEnumProp(TObject& instance, const TPropInfo& prop, std::string_view name);
std::string GetSetProp(const TObject& instance, const TPropInfo& prop, bool brackets = true);
void SetSetProp(TObject& instance, const TPropInfo& prop, std::string_view text);

// Any property as a Variant: enumerations and sets as text when
// preferStrings, objects as objects, methods as the method's name.
Variant GetPropValue(const TObject& instance, const TPropInfo& prop, bool preferStrings = true);
Variant GetPropValue(const TObject& instance, std::string_view name, bool preferStrings = true);
// Converts the Variant to the property's type and stores it.
void SetPropValue(TObject& instance, const TPropInfo& prop, const Variant& value);
void SetPropValue(TObject& instance, std::string_view name, const Variant& value);

bool IsStoredProp(const TObject& instance, const TPropInfo& prop);

}  // namespace corvane
