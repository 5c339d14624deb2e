// The component half of the object-stream reader: records become objects,
// stored values become published properties, names become references.
#include <algorithm>
#include <cmath>

#include "base/lists/collection.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "base/reflection/exceptions.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "base/streams/fixups.h"
#include "base/streams/memory_stream.h"
#include "base/streams/reader.h"
#include "base/streams/restore.h"
#include "base/streams/stream.h"
#include "base/system/failure_text.h"
#include "base/system/log_target.h"
#include "base/system/stop_question.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

const std::u16string kInvalidValue = u"invalid property value";

bool Contains(const std::vector<TWeak<TGComponent>>& list, TGComponent* c) {
  return std::any_of(list.begin(), list.end(), [&](const TWeak<TGComponent>& w) { return w.Get() == c; });
}

std::vector<TGComponent*> SubComponents(TGComponent* component) {
  std::vector<TGComponent*> subs;
  for (TGComponent* c : component->ComponentList())
    if (c->HasStyle(csSubComponent)) subs.push_back(c);
  return subs;
}

}  // namespace

void TGReader::AddLoaded(TGComponent* component, bool onlyWhenAbsent) {
  if (std::vector<TGComponent*>* global = GlobalLoaded()) {
    if (!onlyWhenAbsent || std::find(global->begin(), global->end(), component) == global->end())
      global->push_back(component);
    return;
  }
  if (!loaded_) loaded_ = std::make_unique<std::vector<TWeak<TGComponent>>>();
  if (!onlyWhenAbsent || !Contains(*loaded_, component)) loaded_->emplace_back(component);
}

void TGReader::CallLoaded() {
  if (!loaded_) return;
  // Loaded may run handlers that add to or free from the tree: walk a copy
  // by index, through weak handles.
  for (std::size_t i = 0; i < loaded_->size(); ++i) {
    // A program about to close has no use for the hooks of what it is
    // about to free: those of a large file register and run scripts for
    // seconds. The rest stay unloaded, as after a read that failed; the
    // first (the root the caller asked for) is always told.
    if (i > 0 && stopWhenAsked_ && StopAsked()) {
      Stop();
      return;
    }
    TGComponent* c = (*loaded_)[i].Get();
    if (c && !c->IsLoaded() && !c->HasState(csLoadingProps)) c->Loaded();
  }
}

TGComponent* TGReader::ReadRootComponent(TGComponent* root) {
  ReadSignature();
  TGFilerFlags flags;
  std::int32_t childPos = 0;
  ReadPrefix(flags, childPos);
  bool created = false;
  if (!root) {
    // The header is read whole first: a truncated one makes no object.
    const std::string className = ReadStr();
    const std::string name = ReadStr();
    if (Failed()) return nullptr;
    const TClass cls = FindClass(className);
    if (!cls) return nullptr;
    if (!cls->InheritsFrom(TGComponent::StaticClass()) || !cls->CanCreate()) {
      EngineLog(u"Class not found " + WidenLatin1(cls->Name()));
      return nullptr;
    }
    root = static_cast<TGComponent*>(cls->CreateInstance(TCreateContext{}));
    created = true;
    root->SetName(WidenLatin1(name));
  } else {
    ReadStr();
    if (root->HasState(csDesigning)) {
      ReadStr();
    } else {
      root->IncludeState(csLoading);
      root->IncludeState(csReading);
      const std::string name = ReadStr();
      if (Failed()) return nullptr;
      std::string candidate = name;
      for (int i = 1; !IsUniqueGlobalComponentName(candidate); ++i) candidate = name + "_" + IntToStr8(i);
      root->SetName(WidenLatin1(candidate));
    }
  }
  TWeak<TGComponent> rootHandle(root);
  try {
    root_ = lookupRoot_ = root;
    finder_ = std::make_unique<TClassFinder>(root->ClassType(), true);
    const bool global = GlobalLoaded() != nullptr;
    std::unique_ptr<std::vector<TWeak<TGComponent>>> outerLoaded = std::move(loaded_);
    AddLoaded(root, true);
    owner_ = root;
    root->IncludeState(csLoading);
    root->IncludeState(csReading);
    root->ReadState(*this);
    if (TGComponent* r = rootHandle.Get()) r->ExcludeState(csReading);
    if (!global) CallLoaded();
    loaded_ = std::move(outerLoaded);
    finder_.reset();
    GlobalFixupReferences();
  } catch (...) {
    RemoveFixupReferences(root, "");
    finder_.reset();
    if (created && rootHandle.Get()) root->Free();
    throw;
  }
  return rootHandle.Get();
}

TGComponent* TGReader::CreateComponent(TClass cls, TGFilerFlags flags) {
  TGComponent* component = nullptr;
  if (OnCreateComponent) OnCreateComponent(*this, cls, component);
  // A handler that stopped the read refused the object.
  if (component || Failed()) return component;
  if (!cls->CanCreate()) return nullptr;
  TCreateContext context(owner_);
  context.InitialState.Include(csLoading);
  if (flags.Contains(ffInline)) context.InitialState.Include(csInline);
  return static_cast<TGComponent*>(cls->CreateInstance(context));
}

TGComponent* TGReader::ReadComponent(TGComponent* component) {
  if (!EnterNesting()) {
    LeaveNesting();
    return nullptr;
  }
  TGFilerFlags flags;
  std::int32_t childPos = 0;
  ReadPrefix(flags, childPos);
  const std::string className = ReadStr();
  const std::string name = ReadStr();
  if (Failed()) {  // a truncated header makes no object
    LeaveNesting();
    return nullptr;
  }
  TRestore<TGComponent*> keepParent(parent_);
  TRestore<TGComponent*> keepLookupRoot(lookupRoot_);
  const bool createdHere = !component && !flags.Contains(ffInherited);
  TWeak<TGComponent> handle;
  try {
    if (!component) {
      if (flags.Contains(ffInherited)) {
        component = FindAncestorComponent(name, FindComponentClass(className));
        if (component) {
          TGComponent* p = component->GetParentComponent();
          parent_ = p ? p : root_;
        }
      } else if (const TClass cls = FindComponentClass(className)) {
        component = CreateComponent(cls, flags);
      }
    }
    if (!component) {
      SkipComponent(false);
      LeaveNesting();
      return nullptr;
    }
    handle = component;
    component->IncludeState(csLoading);
    if (!flags.Contains(ffInherited)) {
      component->SetParentComponent(parent_);
      SetName(component, name);
      if (component->HasState(csDesigning) && FindGlobalComponent(name) == component)
        component->IncludeState(csInline);
    }
  } catch (const std::exception& e) {
    if (createdHere && handle.Get()) handle.Get()->Free();
    SkipComponent(false);
    LeaveNesting();
    if (!Error(e.what())) throw;
    return nullptr;
  }

  try {
    const std::vector<TGComponent*> subs = SubComponents(component);
    for (TGComponent* c : subs) c->IncludeState(csLoading);
    if (component->HasState(csInline)) lookupRoot_ = component;
    component->IncludeState(csReading);
    for (TGComponent* c : subs) c->IncludeState(csReading);
    component->ReadState(*this);
    if (!handle.Get()) {  // freed by its own reading
      LeaveNesting();
      return nullptr;
    }
    component->ExcludeState(csReading);
    for (TGComponent* c : SubComponents(component)) c->ExcludeState(csReading);
    if (flags.Contains(ffChildPos) && parent_) parent_->SetChildOrder(component, childPos);
    const bool plain = !flags.Contains(ffInherited) && !component->HasState(csInline);
    for (TGComponent* c : SubComponents(component)) AddLoaded(c, !plain);
    AddLoaded(component, !plain);
  } catch (...) {
    if (createdHere && handle.Get()) handle.Get()->Free();
    LeaveNesting();
    throw;
  }
  LeaveNesting();
  return component;
}

void TGReader::ReadComponents(TGComponent* owner, TGComponent* parent,
                              const std::function<void(TGComponent*)>& proc) {
  owner_ = owner;
  parent_ = parent;
  BeginReferences();
  try {
    while (!EndOfList() && !Failed()) {
      ReadSignature();
      if (TGComponent* c = ReadComponent(nullptr); c && proc) proc(c);
    }
    ReadListEnd();
    FixupReferences();
  } catch (...) {
    EndReferences();
    throw;
  }
  EndReferences();
}

void TGReader::ReadData(TGComponent* instance) {
  const bool ownFixups = !fixups_;
  if (ownFixups) fixups_ = std::make_unique<std::vector<std::unique_ptr<TPropFixup>>>();
  TWeak<TGComponent> handle(instance);
  try {
    while (!EndOfList() && !Failed()) ReadProperty(instance);
    ReadListEnd();
    TRestore<TGComponent*> keepOwner(owner_);
    TRestore<TGComponent*> keepParent(parent_);
    if (handle.Get()) {
      parent_ = instance->GetChildParent();
      TGComponent* childOwner = instance->GetChildOwner();
      owner_ = childOwner ? childOwner : root_;
    }
    while (!EndOfList() && !Failed()) ReadComponent(nullptr);
    ReadListEnd();
  } catch (...) {
    if (ownFixups) FreeFixups();
    throw;
  }
  if (ownFixups) DoFixupReferences();
}

void TGReader::ReadProperty(TPersistent* instance) {
  const std::string path = ReadStr();
  canHandleExcepts_ = true;
  TPersistent* current = instance;
  std::size_t start = 0;
  for (std::size_t dot = path.find('.'); dot != std::string::npos; dot = path.find('.', start)) {
    const std::string part = path.substr(start, dot - start);
    const TPropInfo* prop = current->ClassType()->FindProperty(part);
    if (!prop) {
      PropertyError(part);
      return;
    }
    TObject* value = prop->Kind() == pkClass && prop->CanRead() ? GetObjectProp(*current, *prop) : nullptr;
    current = dynamic_cast<TPersistent*>(value);
    if (!current) {
      SkipValue();
      EngineLog(u"SInvalidPropertyPath");
      return;
    }
    start = dot + 1;
  }
  propName_ = path.substr(start);
  const TClass cls = current->ClassType();
  if (const TPropInfo* prop = cls->FindProperty(propName_)) {
    try {
      ReadPropValue(current, *prop);
    } catch (const std::exception& e) {
      // A value that cannot be assigned (its setter refused it) is dropped
      // and reported; the next property reads on.
      EngineError(u"Property " + Utf8ToUtf16(propName_) + u" of " + WidenLatin1(cls->Name()) + u" not set: " +
                  FailureText(e));
    }
    return;
  }
  canHandleExcepts_ = false;
  if (auto* persistent = dynamic_cast<TSomePersistent*>(current)) persistent->NewDefineProperties(*this);
  canHandleExcepts_ = true;
  if (!propName_.empty()) PropertyError(propName_);
}

void TGReader::ReadPropValue(TPersistent* instance, const TPropInfo& prop) {
  const bool assign = prop.CanWrite();
  if (!assign) {
    // Sub-objects (a sub-component, a nested persistent, a collection) are
    // filled, not assigned: nothing to report for them.
    TObject* value = prop.Kind() == pkClass && prop.CanRead() ? GetObjectProp(*instance, prop) : nullptr;
    auto* component = dynamic_cast<TGComponent*>(value);
    const bool subObject = component ? component->HasStyle(csSubComponent) : dynamic_cast<TPersistent*>(value) != nullptr;
    if (!subObject) EngineLog(u"Read only property");
  }
  const TTypeInfo& type = *prop.PropType();
  switch (prop.Kind()) {
    case pkInteger: {
      if (NextValue() == vaIdent) {
        const std::string ident = ReadIdent();
        std::int32_t value = 0;
        const TIdentToInt toInt = FindIdentToInt(&type);
        if (!toInt || !toInt(ident, value)) {
          EngineLog(kInvalidValue);
          return;
        }
        if (assign) SetOrdProp(*instance, prop, value);
        return;
      }
      if (const TValueType next = NextValue(); next == vaSingle || next == vaDouble || next == vaExtended) {
        // A fraction written for a whole number ("size = 12.7") is rounded,
        // not lost to 0.
        const double value = ReadFloat();
        if (!(value > -2147483648.5 && value < 2147483647.5)) {
          // Said as an error, naming the property and the file: the value
          // the author wrote is lost, not merely spelled oddly.
          const std::string message = "Property " + propName_ + " of " + instance->ClassType()->Name() +
                                      " not set: its value does not fit a 32-bit integer";
          if (!Error(message)) EngineError(Utf8ToUtf16(message));
          return;
        }
        if (assign) SetOrdProp(*instance, prop, static_cast<std::int32_t>(std::lround(value)));
        return;
      }
      const std::int32_t value = ReadInteger();
      if (assign) SetOrdProp(*instance, prop, value);
      return;
    }
    case pkChar: {
      const char c = ReadChar();
      if (assign) SetOrdProp(*instance, prop, static_cast<unsigned char>(c));
      return;
    }
    case pkWChar: {
      const char16_t c = ReadWideChar();
      if (assign) SetOrdProp(*instance, prop, c);
      return;
    }
    case pkEnumeration: {
      const int value = type.EnumValue(ReadIdent());
      if (value < 0) {
        EngineLog(kInvalidValue);  // an unknown name keeps the current value
        return;
      }
      if (assign) SetOrdProp(*instance, prop, value);
      return;
    }
    case pkBool: {
      const bool value = ReadBoolean();
      if (assign) SetOrdProp(*instance, prop, value ? 1 : 0);
      return;
    }
    case pkFloat: {
      const double value = ReadFloat();
      if (assign) SetFloatProp(*instance, prop, value);
      return;
    }
    case pkSet: {
      const std::uint32_t value = ReadSet(type);
      if (assign) SetOrdProp(*instance, prop, value);
      return;
    }
    case pkInt64: {
      const std::int64_t value = ReadInt64();
      if (assign) SetInt64Prop(*instance, prop, value);
      return;
    }
    case pkString: {
      const std::string value = ReadString();
      if (assign) SetStrProp(*instance, prop, value);
      return;
    }
    case pkWString: {
      const std::u16string value = ReadWideString();
      if (assign) SetWideStrProp(*instance, prop, value);
      return;
    }
    case pkVariant: {
      const Variant value = ReadVariant();
      if (assign) SetVariantProp(*instance, prop, value);
      return;
    }
    case pkMethod: {
      if (NextValue() == vaNil) {
        ReadValue();
        if (assign) SetMethodProp(*instance, prop, TMethod{});
        return;
      }
      const TMethod method = FindMethodInstance(root_, ReadIdent());
      if (assign && method.Code) SetMethodProp(*instance, prop, method);
      return;
    }
    case pkClass: {
      const TValueType next = NextValue();
      if (next == vaNil) {
        ReadValue();
        if (assign) SetObjectProp(*instance, prop, nullptr);
        return;
      }
      if (next == vaCollection) {
        ReadValue();
        ReadCollection(prop.CanRead() ? dynamic_cast<TCollection*>(GetObjectProp(*instance, prop)) : nullptr);
        return;
      }
      const std::string name = ReadIdent();
      if (!assign) return;
      if (!fixups_) fixups_ = std::make_unique<std::vector<std::unique_ptr<TPropFixup>>>();
      fixups_->push_back(std::make_unique<TPropFixup>(instance, root_, &prop, std::string(), name));
      return;
    }
    case pkUnknown:
    case pkRecord:  // never a property's kind
    case pkArray:
    case pkPointer:
      SkipValue();
      return;
  }
}

void TGReader::ReadCollection(TCollection* collection) {
  // The collection tag has been read. Without a collection to fill, the
  // items are read and dropped.
  if (!EnterNesting()) {
    LeaveNesting();
    return;
  }
  if (collection) {
    collection->BeginUpdate();
    if (!EndOfList()) collection->Clear();
  }
  TWeak<TCollection> handle(collection);
  while (!EndOfList() && !Failed()) {
    const TValueType next = NextValue();
    if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
    TCollectionItem* item = handle.Get() ? handle.Get()->Add() : nullptr;
    ReadListBegin();
    while (!EndOfList() && !Failed()) {
      if (item) ReadProperty(item);
      else SkipProperty();
    }
    ReadListEnd();
  }
  ReadListEnd();
  if (handle.Get()) handle.Get()->EndUpdate();
  LeaveNesting();
}

void TGReader::DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc&, bool) {
  if (readData && SameText(name, propName_)) {
    readData(*this);
    propName_.clear();
  }
}

void TGReader::DefineBinaryProperty(const std::string& name, const TStreamProc& readData, const TStreamProc&, bool) {
  if (!readData || !SameText(name, propName_)) return;
  const TValueType tag = ReadValue();
  if (tag != vaBinary) {
    SkipAfterTag(tag);
    EngineLog(kInvalidValue);
    propName_.clear();
    return;
  }
  const std::int64_t length = ReadLength(1);
  TMemoryStream data;
  data.SetSize(length);
  Read(data.Memory(), length);
  data.SetPosition(0);
  canHandleExcepts_ = true;
  readData(data);
  propName_.clear();
}

TClass TGReader::FindComponentClass(const std::string& className) {
  TClass cls = finder_ ? finder_->GetClass(className) : GetClass(className);
  if (OnFindComponentClass) OnFindComponentClass(*this, className, cls);
  if (!cls || !cls->InheritsFrom(TGComponent::StaticClass())) {
    EngineLog(u"Class not found " + WidenLatin1(className));
    return nullptr;
  }
  return cls;
}

TGComponent* TGReader::FindAncestorComponent(const std::string& name, TClass cls) {
  TGComponent* component = lookupRoot_ ? lookupRoot_->FindComponent(WidenLatin1(name)) : nullptr;
  if (!component && OnAncestorNotFound) OnAncestorNotFound(*this, name, cls, component);
  if (!component) EngineLog(u"Ancestor not found " + WidenLatin1(name));
  return component;
}

const TMethodInfo* TGReader::FindMethod(TGComponent* root, const std::string& name) {
  const TMethodInfo* method = root ? root->ClassType()->FindMethod(name) : nullptr;
  bool error = method == nullptr;
  if (OnFindMethod) OnFindMethod(*this, name, method, error);
  if (error) EngineLog(kInvalidValue);
  return error ? nullptr : method;
}

TMethod TGReader::FindMethodInstance(TGComponent* root, const std::string& name) {
  if (OnFindMethodInstance) {
    TMethod method{root, root ? root->ClassType()->FindMethod(name) : nullptr};
    bool error = method.Code == nullptr;
    OnFindMethodInstance(*this, name, method, error);
    if (!error) return method;
  }
  return TMethod{root, FindMethod(root, name)};
}

void TGReader::SetName(TGComponent* component, std::string name) {
  if (OnSetName) OnSetName(*this, component, name);
  component->SetName(WidenLatin1(name));
}

void TGReader::ReferenceName(std::string& name) {
  if (OnReferenceName) OnReferenceName(*this, name);
}

bool TGReader::Error(const std::string& message) {
  bool handled = false;
  if (OnError) OnError(*this, message, handled);
  return handled;
}

// ------------------------------------------------------------------ fixups

void TGReader::BeginReferences() {
  loaded_ = std::make_unique<std::vector<TWeak<TGComponent>>>();
  fixups_ = std::make_unique<std::vector<std::unique_ptr<TPropFixup>>>();
}

void TGReader::FixupReferences() {
  DoFixupReferences();
  GlobalFixupReferences();
  CallLoaded();
}

void TGReader::EndReferences() {
  FreeFixups();
  loaded_.reset();
}

void TGReader::DoFixupReferences() {
  if (!fixups_) return;
  std::unique_ptr<std::vector<std::unique_ptr<TPropFixup>>> fixups = std::move(fixups_);
  for (auto& fixup : *fixups) {
    if (!fixup->InstanceHandle.Get()) continue;  // its object went during the read
    std::string name = fixup->Name;
    ReferenceName(name);
    TGComponent* reference = FindNestedComponent(fixup->InstanceRoot, name);
    if (!reference && OnFindComponentInstance) OnFindComponentInstance(*this, name, reference);
    RemoveGlobalFixupsFor(fixup->Instance, fixup->PropInfo);
    if (!reference && fixup->MakeGlobalReference()) AddGlobalFixup(std::move(fixup));
    else fixup->ResolveReference(reference);
  }
}

void TGReader::FreeFixups() { fixups_.reset(); }

}  // namespace corvane
