#include "base/reflection/class_info.h"

#include "base/reflection/exceptions.h"
#include "base/reflection/variant.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

[[noreturn]] void WrongKind() { throw EPropertyError("Property accessed as the wrong kind"); }

}  // namespace

std::int64_t TPropAccessor::GetOrd(const TObject&) const { WrongKind(); }
void TPropAccessor::SetOrd(TObject&, std::int64_t) const { WrongKind(); }
double TPropAccessor::GetFloat(const TObject&) const { WrongKind(); }
void TPropAccessor::SetFloat(TObject&, double) const { WrongKind(); }
std::string TPropAccessor::GetStr(const TObject&) const { WrongKind(); }
void TPropAccessor::SetStr(TObject&, const std::string&) const { WrongKind(); }
std::u16string TPropAccessor::GetWStr(const TObject&) const { WrongKind(); }
void TPropAccessor::SetWStr(TObject&, const std::u16string&) const { WrongKind(); }
Variant TPropAccessor::GetVariant(const TObject&) const { WrongKind(); }
void TPropAccessor::SetVariant(TObject&, const Variant&) const { WrongKind(); }
TObject* TPropAccessor::GetObject(const TObject&) const { WrongKind(); }
void TPropAccessor::SetObject(TObject&, TObject*) const { WrongKind(); }
TMethod TPropAccessor::GetMethod(const TObject&) const { WrongKind(); }
void TPropAccessor::SetMethod(TObject&, const TMethod&) const { WrongKind(); }

bool TPropInfo::IsStored(const TObject& instance) const {
  switch (stored_) {
    case srAlways: return true;
    case srNever: return false;
    case srPredicate: return storedPredicate_(instance);
  }
  return true;
}

Variant TMethodInfo::Invoke(TObject& instance, std::span<const Variant> args) const {
  return invoke_(instance, args, {});
}

Variant TMethodInfo::InvokeVar(TObject& instance, std::span<Variant> args) const {
  return invoke_(instance, args, args);
}

TClassInfo::TClassInfo(std::string name, TClass parent, Factory factory, Describer describe)
    : name_(std::move(name)), parent_(parent), factory_(factory) {
  if (parent_) {
    all_.assign(parent_->all_.begin(), parent_->all_.end());
    byName_ = parent_->byName_;
    methodsByName_ = parent_->methodsByName_;
  }
  if (describe) describe(*this);
}

std::size_t TClassInfo::TNameHash::operator()(std::string_view name) const noexcept {
  std::size_t h = 14695981039346656037ull;
  for (char c : name) h = (h ^ static_cast<unsigned char>(AsciiUpper(c))) * 1099511628211ull;
  return h;
}

bool TClassInfo::TNameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return SameText(a, b);
}

void TClassInfo::AddProperty(std::unique_ptr<TPropInfo> prop) {
  const std::string key = prop->name_;
  const auto existing = byName_.find(key);
  if (existing != byName_.end()) {
    // A redeclared property replaces the inherited one in its place.
    prop->index_ = existing->second->index_;
    all_[static_cast<std::size_t>(prop->index_)] = prop.get();
  } else {
    prop->index_ = static_cast<int>(all_.size());
    all_.push_back(prop.get());
  }
  byName_[key] = prop.get();
  own_.push_back(std::move(prop));
}

void TClassInfo::AddMethod(std::unique_ptr<TMethodInfo> method) {
  // The first of a name in this class, in place of an inherited one.
  const auto [it, added] = methodsByName_.try_emplace(method->Name(), method.get());
  if (!added && it->second->OwnerClass() != this) it->second = method.get();
  methods_.push_back(std::move(method));
}

bool TClassInfo::InheritsFrom(TClass cls) const {
  for (TClass c = this; c; c = c->parent_)
    if (c == cls) return true;
  return false;
}

TObject* TClassInfo::NewInstance(const TCreateContext& context) const {
  return factory_ ? factory_(context) : nullptr;
}

TObject* TClassInfo::CreateInstance(const TCreateContext& context) const {
  TObject* object = NewInstance(context);
  return object ? FinishConstruction(object, context) : nullptr;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

const TMethodInfo* TClassInfo::FindMethod(std::string_view name) const {
  const auto it = methodsByName_.find(name);
  return it == methodsByName_.end() ? nullptr : it->second;
}

bool TClassInfo::HasMethod(const TMethodInfo* method) const {
  return method && InheritsFrom(method->OwnerClass());
}

const TFieldInfo* TClassInfo::FindField(std::string_view name) const {
  for (TClass c = this; c; c = c->parent_)
    for (const auto& f : c->fields_)
      if (SameText(f->Name(), name)) return f.get();
  return nullptr;
}

}  // namespace corvane
