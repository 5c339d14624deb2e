#include "base/reflection/prop_access.h"

#include "base/reflection/exceptions.h"
#include "base/reflection/value_convert.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

void CheckWritable(const TPropInfo& prop) {
  if (!prop.CanWrite()) throw EPropertyError("Property " + prop.Name() + " is read-only");
}

}  // namespace

const TPropInfo* GetPropInfo(const TObject& instance, std::string_view name) {
  return instance.ClassType()->FindProperty(name);
}

const TPropInfo& PropByName(const TObject& instance, std::string_view name) {
  const TPropInfo* prop = GetPropInfo(instance, name);
  if (!prop) throw EPropertyError("Unknown property " + std::string(name));
  return *prop;
}

std::int64_t GetOrdProp(const TObject& instance, const TPropInfo& prop) {
  return prop.Access().GetOrd(instance);
}

void SetOrdProp(TObject& instance, const TPropInfo& prop, std::int64_t value) {
  CheckWritable(prop);
  prop.Access().SetOrd(instance, value);
}

std::int64_t GetInt64Prop(const TObject& instance, const TPropInfo& prop) {
  return prop.Access().GetOrd(instance);
}

void SetInt64Prop(TObject& instance, const TPropInfo& prop, std::int64_t value) {
  CheckWritable(prop);
  prop.Access().SetOrd(instance, value);
}

double GetFloatProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetFloat(instance); }

void SetFloatProp(TObject& instance, const TPropInfo& prop, double value) {
  CheckWritable(prop);
  prop.Access().SetFloat(instance, value);
}

std::string GetStrProp(const TObject& instance, const TPropInfo& prop) {
  if (prop.Kind() == pkWString) return NarrowLatin1(prop.Access().GetWStr(instance));
  return prop.Access().GetStr(instance);
}

void SetStrProp(TObject& instance, const TPropInfo& prop, const std::string& value) {
  CheckWritable(prop);
  if (prop.Kind() == pkWString) prop.Access().SetWStr(instance, WidenLatin1(value));
  else prop.Access().SetStr(instance, value);
}

std::u16string GetWideStrProp(const TObject& instance, const TPropInfo& prop) {
  if (prop.Kind() == pkString) return WidenLatin1(prop.Access().GetStr(instance));
  return prop.Access().GetWStr(instance);
}

void SetWideStrProp(TObject& instance, const TPropInfo& prop, const std::u16string& value) {
  CheckWritable(prop);
  if (prop.Kind() == pkString) prop.Access().SetStr(instance, NarrowLatin1(value));
  else prop.Access().SetWStr(instance, value);
}

Variant GetVariantProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetVariant(instance); }

void SetVariantProp(TObject& instance, const TPropInfo& prop, const Variant& value) {
  CheckWritable(prop);
  prop.Access().SetVariant(instance, value);
}

TObject* GetObjectProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetObject(instance); }

TObject* GetObjectProp(const TObject& instance, std::string_view name) {
  const TPropInfo* prop = GetPropInfo(instance, name);
  if (!prop || prop->Kind() != pkClass || !prop->CanRead()) return nullptr;
  return GetObjectProp(instance, *prop);
}

void SetObjectProp(TObject& instance, const TPropInfo& prop, TObject* value) {
  CheckWritable(prop);
  prop.Access().SetObject(instance, value);
}

TMethod GetMethodProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetMethod(instance); }

void SetMethodProp(TObject& instance, const TPropInfo& prop, const TMethod& value) {
  CheckWritable(prop);
  prop.Access().SetMethod(instance, value);
}

std::string GetEnumProp(const TObject& instance, const TPropInfo& prop) {
  return prop.PropType()->EnumName(GetOrdProp(instance, prop));
}

void SetEnumProp(TObject& instance, const TPropInfo& prop, std::string_view name) {
  SetOrdProp(instance, prop, VariantToOrdinal(Variant(std::string(name)), *prop.PropType()));
}

std::string GetSetProp(const TObject& instance, const TPropInfo& prop, bool brackets) {
  return SetToString(*prop.PropType(), static_cast<std::uint32_t>(GetOrdProp(instance, prop)), brackets);
}

void SetSetProp(TObject& instance, const TPropInfo& prop, std::string_view text) {
  SetOrdProp(instance, prop, StringToSet(*prop.PropType(), text));
}

Variant GetPropValue(const TObject& instance, const TPropInfo& prop, bool preferStrings) {
  const TTypeInfo& type = *prop.PropType();
  if (type.IsOrdinal()) return OrdinalToVariant(GetOrdProp(instance, prop), type, preferStrings);
  switch (prop.Kind()) {
    case pkInt64:
      return Variant(GetInt64Prop(instance, prop));
    case pkFloat:
      switch (type.FloatType()) {
        case ftSingle: return Variant(static_cast<float>(GetFloatProp(instance, prop)));
        case ftCurr: return Variant(TCurrency::FromDouble(GetFloatProp(instance, prop)));
        case ftDate: return Variant(TDateTime{GetFloatProp(instance, prop)});
        default: return Variant(GetFloatProp(instance, prop));
      }
    case pkString:
      return Variant(prop.Access().GetStr(instance));
    case pkWString:
      return Variant(prop.Access().GetWStr(instance));
    case pkVariant:
      return GetVariantProp(instance, prop);
    case pkClass:
      return Variant(GetObjectProp(instance, prop));
    case pkMethod: {
      const TMethod m = GetMethodProp(instance, prop);
      return m.Code ? Variant(m.Code->Name()) : Variant();
    }
    default:  // pkUnknown; the ordinal kinds are answered above
      break;
  }
  throw EPropertyError("Property " + prop.Name() + " has no value");
}

Variant GetPropValue(const TObject& instance, std::string_view name, bool preferStrings) {
  return GetPropValue(instance, PropByName(instance, name), preferStrings);
}

void SetPropValue(TObject& instance, const TPropInfo& prop, const Variant& value) {
  CheckWritable(prop);
  const TTypeInfo& type = *prop.PropType();
  if (type.IsOrdinal() || prop.Kind() == pkInt64) {
    prop.Access().SetOrd(instance, VariantToOrdinal(value, type));
    return;
  }
  switch (prop.Kind()) {
    case pkFloat:
      prop.Access().SetFloat(instance, VariantToFloat(value, type));
      return;
    case pkString:
      prop.Access().SetStr(instance, VariantToString8(value));
      return;
    case pkWString:
      prop.Access().SetWStr(instance, VariantToWideString(value));
      return;
    case pkVariant:
      prop.Access().SetVariant(instance, value);
      return;
    case pkClass:
      prop.Access().SetObject(instance, VariantToObject(value, type));
      return;
    case pkMethod:
      if (value.IsEmpty() || value.IsNull()) {
        prop.Access().SetMethod(instance, TMethod{});
        return;
      }
      break;
    default:  // pkUnknown; the ordinal kinds and pkInt64 are set above
      break;
  }
  throw EConvertError("Cannot assign a " + std::string(VarTypeName(value.VarType())) + " to property " + prop.Name());
}

void SetPropValue(TObject& instance, std::string_view name, const Variant& value) {
  SetPropValue(instance, PropByName(instance, name), value);
}

bool IsStoredProp(const TObject& instance, const TPropInfo& prop) { return prop.IsStored(instance); }

}  // namespace corvane
