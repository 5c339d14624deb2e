#include "base/streams/writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "base/lists/collection.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/value_convert.h"
#include "base/reflection/variant.h"
#include "base/streams/memory_stream.h"
#include "base/streams/restore.h"
#include "base/streams/stream.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TGWriter)

namespace {

bool HasUnpairedSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        ++i;
        continue;
      }
      return true;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) return true;
  }
  return false;
}

}  // namespace

TGWriter::TGWriter(TStream& stream, int bufferSize) : TGFiler(stream, bufferSize) {}

TGWriter::~TGWriter() { FlushBuffer(); }

void TGWriter::Write(const void* buffer, std::int64_t count) {
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  while (count > 0) {
    if (bufPos_ == static_cast<int>(buffer_.size())) FlushBuffer();
    const std::int64_t room = static_cast<std::int64_t>(buffer_.size()) - bufPos_;
    const std::int64_t n = count < room ? count : room;
    std::memcpy(buffer_.data() + bufPos_, bytes, static_cast<std::size_t>(n));
    bufPos_ += static_cast<int>(n);
    bytes += n;
    count -= n;
  }
}

void TGWriter::FlushBuffer() {
  if (bufPos_ > 0) stream_.Write(buffer_.data(), bufPos_);
  bufPos_ = 0;
}

std::int64_t TGWriter::GetPosition() { return stream_.Position() + bufPos_; }

void TGWriter::SetPosition(std::int64_t position) {
  const std::int64_t start = stream_.Position();
  if (position >= start && position <= start + bufPos_) {
    bufPos_ = static_cast<int>(position - start);
  } else {
    FlushBuffer();
    stream_.SetPosition(position);
  }
}

void TGWriter::WriteLE(const void* value, int size) {
  std::uint8_t bytes[16];
  std::memcpy(bytes, value, static_cast<std::size_t>(size));
  if constexpr (std::endian::native == std::endian::big)
    for (int i = 0; i < size / 2; ++i) std::swap(bytes[i], bytes[size - 1 - i]);
  Write(bytes, size);
}

void TGWriter::WriteInteger(std::int64_t value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    WriteByte(static_cast<std::uint8_t>(static_cast<std::int8_t>(value)));
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    const auto v = static_cast<std::int16_t>(value);
    WriteLE(&v, 2);
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    WriteValue(vaInt32);
    const auto v = static_cast<std::int32_t>(value);
    WriteLE(&v, 4);
  } else {
    WriteValue(vaInt64);
    WriteLE(&value, 8);
  }
}

void TGWriter::WriteSingle(float value) {
  WriteValue(vaSingle);
  WriteLE(&value, 4);
}

void TGWriter::WriteDouble(double value) {
  WriteValue(vaDouble);
  WriteLE(&value, 8);
}

void TGWriter::WriteCurrency(TCurrency value) {
  WriteValue(vaCurrency);
  WriteLE(&value.Value, 8);
}

void TGWriter::WriteDate(TDateTime value) {
  WriteValue(vaDate);
  WriteLE(&value.Value, 8);
}

void TGWriter::WriteIdent(std::string_view ident) {
  if (SameText(ident, "False")) WriteValue(vaFalse);
  else if (SameText(ident, "True")) WriteValue(vaTrue);
  else if (SameText(ident, "Null")) WriteValue(vaNull);
  else if (SameText(ident, "nil")) WriteValue(vaNil);
  else {
    WriteValue(vaIdent);
    WriteStr(ident);
  }
}

void TGWriter::WriteStr(std::string_view text) {
  const std::size_t length = text.size() < 255 ? text.size() : 255;
  WriteByte(static_cast<std::uint8_t>(length));
  Write(text.data(), static_cast<std::int64_t>(length));
}

void TGWriter::WritePropName(std::string_view name) {
  if (propPath_.empty()) {
    WriteStr(name);
  } else {
    std::string full = propPath_;
    full += name;
    WriteStr(full);
  }
}

void TGWriter::WriteString(std::string_view text) {
  // 8-bit text is Latin-1: ASCII stays as it is, anything else goes as UTF-8.
  const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) {
    const std::string utf8 = Utf16ToUtf8(WidenLatin1(text));
    WriteValue(vaUTF8String);
    const auto length = static_cast<std::uint32_t>(utf8.size());
    WriteLE(&length, 4);
    Write(utf8.data(), static_cast<std::int64_t>(utf8.size()));
    return;
  }
  const auto length = static_cast<std::uint32_t>(text.size());
  if (length > 255) {
    WriteValue(vaLString);
    WriteLE(&length, 4);
  } else {
    WriteValue(vaString);
    WriteByte(static_cast<std::uint8_t>(length));
  }
  Write(text.data(), static_cast<std::int64_t>(length));
}

void TGWriter::WriteWideString(std::u16string_view text) {
  bool ascii = true;
  for (char16_t c : text)
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) {
    // The common case: the UTF-8 form is the text itself.
    std::string narrow(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) narrow[i] = static_cast<char>(text[i]);
    if (!text.empty()) {
      WriteString(narrow);
      return;
    }
  }
  const std::string utf8 = Utf16ToUtf8(text);
  // Text that UTF-8 would not shorten stays UTF-16, and so does text with an
  // unpaired surrogate, which UTF-8 cannot carry.
  if (utf8.size() >= 2 * text.size() || HasUnpairedSurrogate(text)) {
    WriteValue(vaWString);
    const auto count = static_cast<std::uint32_t>(text.size());
    WriteLE(&count, 4);
    for (char16_t c : text) WriteLE(&c, 2);
    return;
  }
  WriteValue(vaUTF8String);
  const auto length = static_cast<std::uint32_t>(utf8.size());
  WriteLE(&length, 4);
  Write(utf8.data(), static_cast<std::int64_t>(utf8.size()));
}

void TGWriter::WriteBinary(const TStreamProc& writeData) {
  TMemoryStream data;
  writeData(data);
  WriteBinary(data.Memory(), data.Size());
}

void TGWriter::WriteBinary(const void* data, std::int64_t count) {
  WriteValue(vaBinary);
  const auto length = static_cast<std::uint32_t>(count);
  WriteLE(&length, 4);
  Write(data, count);
}

void TGWriter::WritePrefix(TGFilerFlags flags, std::int32_t childPos) {
  if (flags.Empty()) return;
  WriteByte(static_cast<std::uint8_t>(0xF0 | (flags.Mask() & 0x0F)));
  if (flags.Contains(ffChildPos)) WriteInteger(childPos);
}

bool TGWriter::CanWriteVariant(const Variant& value) {
  return value.VarType() != varArray && value.VarType() != varObject;
}

void TGWriter::WriteVariant(const Variant& value) {
  switch (value.VarType()) {
    case varEmpty: WriteValue(vaNil); break;
    case varNull: WriteValue(vaNull); break;
    case varShortInt:
    case varSmallInt:
    case varInteger:
    case varByte:
    case varWord: WriteInteger(value.AsInt64()); break;
    case varLongWord:
    case varInt64: WriteInteger(value.AsInt64()); break;
    case varUInt64:  // beyond Int64 the bits travel as Int64
      WriteInteger(static_cast<std::int64_t>(value.AsUInt64()));
      break;
    case varSingle: WriteSingle(static_cast<float>(value.AsDouble())); break;
    case varDouble: WriteDouble(value.AsDouble()); break;
    case varCurrency: WriteCurrency(value.AsCurrency()); break;
    case varDate: WriteDate(TDateTime{value.AsDouble()}); break;
    case varBoolean: WriteBoolean(value.AsBoolean()); break;
    case varString: WriteString(value.AsString()); break;
    case varWideString: WriteWideString(value.AsWideString()); break;
    case varObject:
    case varArray: EngineLog(u"Write error 1"); break;
  }
}

void TGWriter::SetRoot(TGComponent* root) {
  TGFiler::SetRoot(root);
  lookupRoot_ = root;
}

void TGWriter::WriteDescendent(TGComponent* root, TGComponent* ancestor) {
  rootAncestor_ = ancestor;
  ancestor_ = ancestor;
  SetRoot(root);
  WriteSignature();
  WriteComponent(root);
}

void TGWriter::WriteComponent(TGComponent* component) {
  TRestore<TPersistent*> keepAncestor(ancestor_);
  TRestore<TGComponent*> keepRootAncestor(rootAncestor_);
  std::vector<TGComponent*> subComponents;
  for (TGComponent* c : component->ComponentList())
    if (c->HasStyle(csSubComponent)) subComponents.push_back(c);
  component->IncludeState(csWriting);
  for (TGComponent* c : subComponents) c->IncludeState(csWriting);
  struct ClearWriting {
    TGComponent* component;
    std::vector<TGComponent*>& subs;
    ~ClearWriting() {
      component->ExcludeState(csWriting);
      for (TGComponent* c : subs) c->ExcludeState(csWriting);
    }
  } clearWriting{component, subComponents};

  if (ancestorList_) {
    ancestor_ = nullptr;
    for (TGComponent* a : *ancestorList_)
      if (SameText(a->Name(), component->Name())) {
        ancestor_ = a;
        break;
      }
  }
  if (OnFindAncestor && (!ancestor_ || dynamic_cast<TGComponent*>(ancestor_))) {
    TGComponent* rootAncestor = rootAncestor_;
    OnFindAncestor(*this, component, NarrowLatin1(component->Name()), ancestor_, rootAncestor);
    rootAncestor_ = rootAncestor;
  }
  component->WriteState(*this);
}

void TGWriter::WriteData(TGComponent* component) {
  const std::string className = component->ClassName();
  const std::string name = NarrowLatin1(component->Name());
  const std::size_t room = buffer_.size() - static_cast<std::size_t>(bufPos_);
  if (room < className.size() + name.size() + 1 + 5 + 3) FlushBuffer();
  const std::int64_t start = GetPosition();

  TGFilerFlags flags;
  if (component->HasState(csInline)) {
    if (ancestor_ && component->HasState(csAncestor) && ancestorList_) flags.Include(ffInherited);
    else flags.Include(ffInline);
  } else if (ancestor_) {
    flags.Include(ffInherited);
  }
  if (ancestorList_ && ancestorPos_ < static_cast<int>(ancestorList_->size()) &&
      (!ancestor_ || (*ancestorList_)[static_cast<std::size_t>(ancestorPos_)] != ancestor_))
    flags.Include(ffChildPos);
  WritePrefix(flags, childPos_);
  WriteStr(className);
  WriteStr(name);

  const std::int64_t propStart = GetPosition();
  if (ancestorList_ && ancestorPos_ < static_cast<int>(ancestorList_->size())) {
    if (ancestor_) ++ancestorPos_;
    ++childPos_;
  }
  WriteProperties(component);
  WriteListEnd();

  {
    TRestore<std::vector<TGComponent*>*> keepList(ancestorList_);
    TRestore<int> keepPos(ancestorPos_);
    TRestore<int> keepChildPos(childPos_);
    TRestore<TGComponent*> keepRoot(root_);
    TRestore<TGComponent*> keepRootAncestor(rootAncestor_);
    ancestorList_ = nullptr;
    ancestorPos_ = 0;
    childPos_ = 0;
    if (!ignoreChildren_) {
      std::unique_ptr<std::vector<TGComponent*>> list;
      if (auto* ancestor = dynamic_cast<TGComponent*>(ancestor_)) {
        if (ancestor->HasState(csInline)) rootAncestor_ = ancestor;
        list = std::make_unique<std::vector<TGComponent*>>();
        ancestorList_ = list.get();
        ancestor->GetChildren([this](TGComponent* c) { AddAncestor(c); }, rootAncestor_);
      }
      if (component->HasState(csInline)) root_ = component;
      component->GetChildren([this](TGComponent* c) { WriteComponent(c); }, root_);
      ancestorList_ = nullptr;
    }
  }
  WriteListEnd();

  if (component != root_ && flags == TGFilerFlags{ffInherited} && GetPosition() == propStart + 2)
    SetPosition(start);  // adds nothing to its ancestor
}

void TGWriter::WriteProperties(TPersistent* instance) {
  for (const TPropInfo* prop : instance->ClassType()->Properties())
    if (prop->CanRead() && prop->IsStored(*instance)) WriteProperty(instance, *prop);
  if (auto* persistent = dynamic_cast<TSomePersistent*>(instance)) persistent->NewDefineProperties(*this);
}

void TGWriter::DefineProperty(const std::string& name, const TReaderProc&, const TWriterProc& writeData,
                              bool hasData) {
  if (hasData && writeData) {
    WritePropName(name);
    writeData(*this);
  }
}

void TGWriter::DefineBinaryProperty(const std::string& name, const TStreamProc&, const TStreamProc& writeData,
                                    bool hasData) {
  if (hasData && writeData) {
    WritePropName(name);
    WriteBinary(writeData);
  }
}

std::string TGWriter::FindMethodName(const TMethod& method) {
  std::string name;
  if (OnFindMethodName) OnFindMethodName(*this, method, name);
  if (name.empty() && method.Code && lookupRoot_ && lookupRoot_->ClassType()->HasMethod(method.Code))
    name = method.Code->Name();
  return name;
}

std::string TGWriter::ReferenceName(TGComponent* component) {
  TGComponent* owner = component->Owner();
  if (owner && owner == lookupRoot_) return NarrowLatin1(component->Name());
  if (component == lookupRoot_) return "Owner";
  if (owner && !owner->Name().empty() && !component->Name().empty()) {
    for (TGComponent* o = owner->Owner(); o; o = o->Owner())
      if (o == lookupRoot_) return ReferenceName(owner) + "." + NarrowLatin1(component->Name());
    return NarrowLatin1(owner->Name()) + "." + NarrowLatin1(component->Name());
  }
  return NarrowLatin1(component->Name());
}

bool TGWriter::IsDefaultPropertyValue(TPersistent* instance, const TPropInfo& prop) {
  // The ancestor's value counts only for an ancestor of the same kind.
  const TPropInfo* ancestorProp = nullptr;
  if (ancestor_ && (!rootAncestor_ || root_->InheritsFrom(rootAncestor_->ClassType())))
    ancestorProp = ancestor_->ClassType()->FindProperty(prop.Name());
  if (ancestorProp && ancestorProp->Kind() != prop.Kind()) ancestorProp = nullptr;
  const bool predicate = prop.StoredRule() == srPredicate;

  if (prop.PropType()->IsOrdinal()) {
    const std::int64_t value = GetOrdProp(*instance, prop);
    if (ancestorProp) return value == GetOrdProp(*ancestor_, *ancestorProp);
    return prop.Default() != kNoDefault && value == prop.Default();
  }
  switch (prop.Kind()) {
    case pkInt64: {
      const std::int64_t value = GetInt64Prop(*instance, prop);
      if (ancestorProp) return value == GetInt64Prop(*ancestor_, *ancestorProp);
      return !predicate && value == 0;
    }
    case pkFloat: {
      const double value = GetFloatProp(*instance, prop);
      if (ancestorProp) return value == GetFloatProp(*ancestor_, *ancestorProp);
      return !predicate && value == 0;
    }
    case pkString:
    case pkWString: {
      const std::u16string value = GetWideStrProp(*instance, prop);
      if (ancestorProp) return value == GetWideStrProp(*ancestor_, *ancestorProp);
      return !predicate && value.empty();
    }
    case pkVariant: {
      const Variant value = GetVariantProp(*instance, prop);
      if (ancestorProp) return value == GetVariantProp(*ancestor_, *ancestorProp);
      return value.IsEmpty();
    }
    case pkMethod: {
      const TMethod value = GetMethodProp(*instance, prop);
      if (value.Code && FindMethodName(value).empty()) return true;
      if (ancestorProp) return value.Code == GetMethodProp(*ancestor_, *ancestorProp).Code;
      return !value.Code;
    }
    default:
      return false;
  }
}

void TGWriter::WriteProperty(TPersistent* instance, const TPropInfo& prop) {
  if (!prop.CanRead()) return;
  if (prop.Kind() == pkClass) {
    WriteObjectProperty(instance, prop);
    return;
  }
  if (!prop.CanWrite() || IsDefaultPropertyValue(instance, prop)) return;

  const TTypeInfo& type = *prop.PropType();
  switch (prop.Kind()) {
    case pkInteger: {
      const std::int64_t value = GetOrdProp(*instance, prop);
      std::string ident;
      if (const TIntToIdent toIdent = FindIntToIdent(&type);
          toIdent && value >= INT32_MIN && value <= INT32_MAX && toIdent(static_cast<std::int32_t>(value), ident)) {
        WritePropName(prop.Name());
        WriteIdent(ident);
      } else {
        WritePropName(prop.Name());
        WriteInteger(value);
      }
      break;
    }
    case pkChar:
      WritePropName(prop.Name());
      WriteChar(static_cast<char>(GetOrdProp(*instance, prop)));
      break;
    case pkWChar:
      WritePropName(prop.Name());
      WriteWideChar(static_cast<char16_t>(GetOrdProp(*instance, prop)));
      break;
    case pkEnumeration: {
      const std::string name = type.EnumName(GetOrdProp(*instance, prop));
      if (name.empty()) return;  // outside the enumeration: nothing sensible to write
      WritePropName(prop.Name());
      WriteValue(vaIdent);
      WriteStr(name);
      break;
    }
    case pkBool:
      WritePropName(prop.Name());
      WriteBoolean(GetOrdProp(*instance, prop) != 0);
      break;
    case pkSet: {
      const auto mask = static_cast<std::uint32_t>(GetOrdProp(*instance, prop));
      WritePropName(prop.Name());
      WriteValue(vaSet);
      for (int bit = 0; bit < 32; ++bit)
        if (mask & (std::uint32_t{1} << bit)) WriteStr(SetElementName(*type.CompType(), bit));
      WriteStr("");
      break;
    }
    case pkFloat:
      WritePropName(prop.Name());
      WriteSingle(static_cast<float>(GetFloatProp(*instance, prop)));
      break;
    case pkInt64:
      WritePropName(prop.Name());
      WriteInteger(GetInt64Prop(*instance, prop));
      break;
    case pkString:
    case pkWString:
      WritePropName(prop.Name());
      if (prop.Kind() == pkString) WriteString(GetStrProp(*instance, prop));
      else WriteWideString(GetWideStrProp(*instance, prop));
      break;
    case pkVariant: {
      const Variant value = GetVariantProp(*instance, prop);
      if (!CanWriteVariant(value)) {
        EngineLog(u"Write error 1");
        return;
      }
      WritePropName(prop.Name());
      WriteVariant(value);
      break;
    }
    case pkMethod: {
      const TMethod value = GetMethodProp(*instance, prop);
      WritePropName(prop.Name());
      if (value.Code) {
        WriteValue(vaIdent);
        WriteStr(FindMethodName(value));
      } else {
        WriteValue(vaNil);
      }
      break;
    }
    default:
      break;
  }
}

bool TGWriter::Corresponds(TObject* ancestorValue, TGComponent* value) const {
  if (ancestorValue == value) return true;
  auto* a = dynamic_cast<TGComponent*>(ancestorValue);
  return a && rootAncestor_ && a->Owner() == rootAncestor_ && value->Owner() == root_ &&
         SameText(a->Name(), value->Name());
}

void TGWriter::WriteObjectProperty(TPersistent* instance, const TPropInfo& prop) {
  TObject* value = GetObjectProp(*instance, prop);
  auto* persistent = dynamic_cast<TPersistent*>(value);
  auto* component = dynamic_cast<TGComponent*>(value);
  const bool subObject = persistent && (!component || component->HasStyle(csSubComponent));
  // A property without a setter is written only as a nested object.
  if (!prop.CanWrite() && !subObject) return;

  bool hasAncestor = false;
  TObject* ancestorValue = nullptr;
  if (ancestor_ && (!rootAncestor_ || root_->InheritsFrom(rootAncestor_->ClassType())))
    if (const TPropInfo* ancestorProp = ancestor_->ClassType()->FindProperty(prop.Name());
        ancestorProp && ancestorProp->Kind() == pkClass) {
      hasAncestor = true;
      ancestorValue = GetObjectProp(*ancestor_, *ancestorProp);
    }

  if (!value) {
    if (hasAncestor && ancestorValue) {
      WritePropName(prop.Name());
      WriteValue(vaNil);
    }
    return;
  }
  if (!persistent) return;

  if (!subObject) {
    if (component->Name().empty() || (hasAncestor && Corresponds(ancestorValue, component))) return;
    const std::string reference = ReferenceName(component);
    if (reference.empty()) return;
    WritePropName(prop.Name());
    WriteIdent(reference);
    return;
  }

  if (nesting_ >= kMaxStreamDepth) {
    // A sub-object chain that never ends (an object holding itself).
    EngineError(u"Property path too deep: " + WidenLatin1(propPath_ + prop.Name()));
    return;
  }
  {
    TRestore<std::string> keepPath(propPath_);
    TRestore<TPersistent*> keepAncestor(ancestor_);
    TRestore<int> keepNesting(nesting_);
    ++nesting_;
    propPath_ += prop.Name();
    propPath_ += '.';
    ancestor_ = hasAncestor ? dynamic_cast<TPersistent*>(ancestorValue) : nullptr;
    WriteProperties(persistent);
  }
  if (auto* collection = dynamic_cast<TCollection*>(persistent)) {
    auto* ancestorCollection = dynamic_cast<TCollection*>(ancestorValue);
    if (!hasAncestor || !ancestorCollection ||
        !CollectionsEqual(collection, ancestorCollection, root_, rootAncestor_)) {
      WritePropName(prop.Name());
      TRestore<std::string> keepPath(propPath_);
      propPath_.clear();
      WriteCollection(collection);
    }
  }
}

void TGWriter::WriteCollection(TCollection* collection) {
  TRestore<TPersistent*> keepAncestor(ancestor_);
  ancestor_ = nullptr;
  WriteValue(vaCollection);
  for (int i = 0; i < collection->Count(); ++i) {
    WriteListBegin();
    WriteProperties(collection->Items(i));
    WriteListEnd();
  }
  WriteListEnd();
}

bool CollectionsEqual(TCollection* c1, TCollection* c2, TGComponent* owner1, TGComponent* owner2) {
  if (!c1 || !c2) return c1 == c2;
  if (c1->ClassType() != c2->ClassType() || c1->Count() != c2->Count()) return false;
  auto image = [](TCollection* collection, TGComponent* owner, TMemoryStream& out) {
    TGWriter writer(out, 1024);
    writer.SetRoot(owner);
    writer.WriteCollection(collection);
  };
  TMemoryStream s1, s2;
  image(c1, owner1, s1);
  image(c2, owner2, s2);
  return s1.Size() == s2.Size() && std::memcmp(s1.Memory(), s2.Memory(), static_cast<std::size_t>(s1.Size())) == 0;
}

}  // namespace corvane
