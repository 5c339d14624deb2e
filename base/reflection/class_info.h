// The run-time description of a class: name, parent, factory, published
// properties, published methods and published fields. Streaming, scripts and
// the inspector read only this; classes fill it in their Describe function
// (see class_builder.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/reflection/object.h"
#include "base/reflection/type_info.h"

namespace corvane {

class Variant;

// Reads and writes one property of an instance. Each accessor serves the
// transport of its kind; the others are never called for it.
class TPropAccessor {
 public:
  virtual ~TPropAccessor() = default;
  virtual bool CanRead() const = 0;
  virtual bool CanWrite() const = 0;
  // Ordinal kinds and 64-bit integers.
  virtual std::int64_t GetOrd(const TObject& o) const;
  virtual void SetOrd(TObject& o, std::int64_t v) const;
  virtual double GetFloat(const TObject& o) const;
  virtual void SetFloat(TObject& o, double v) const;
  virtual std::string GetStr(const TObject& o) const;
  virtual void SetStr(TObject& o, const std::string& v) const;
  virtual std::u16string GetWStr(const TObject& o) const;
  virtual void SetWStr(TObject& o, const std::u16string& v) const;
  virtual Variant GetVariant(const TObject& o) const;
  virtual void SetVariant(TObject& o, const Variant& v) const;
  virtual TObject* GetObject(const TObject& o) const;
  virtual void SetObject(TObject& o, TObject* v) const;
  virtual TMethod GetMethod(const TObject& o) const;
  virtual void SetMethod(TObject& o, const TMethod& v) const;
};

enum TStoredRule : std::uint8_t { srAlways, srNever, srPredicate };

class TPropInfo {
 public:
  const std::string& Name() const { return name_; }
  const TTypeInfo* PropType() const { return type_; }
  TPropKind Kind() const { return type_->Kind(); }
  TClass OwnerClass() const { return owner_; }
  // Position in the owner class's full property list.
  int Index() const { return index_; }
  bool CanRead() const { return access_->CanRead(); }
  bool CanWrite() const { return access_->CanWrite(); }
  // Ordinal kinds only: the declared default, kNoDefault when there is none.
  std::int64_t Default() const { return default_; }
  TStoredRule StoredRule() const { return stored_; }
  // Whether the property is written for this instance by its stored rule.
  bool IsStored(const TObject& instance) const;
  // A class property whose class is a persistent that is not a component:
  // streamed as nested properties, scripted as a nested object.
  bool IsSubObject() const;
  const TPropAccessor& Access() const { return *access_; }

 private:
  template <class C>
  friend class TClassBuilder;
  template <class C>
  friend class TPropBuilder;
  friend class TClassInfo;
  std::string name_;
  const TTypeInfo* type_ = nullptr;
  TClass owner_ = nullptr;
  int index_ = -1;
  std::int64_t default_ = kNoDefault;
  TStoredRule stored_ = srAlways;
  std::function<bool(const TObject&)> storedPredicate_;
  std::unique_ptr<TPropAccessor> access_;
};

class TMethodInfo {
 public:
  // Converts `in`, calls, and writes the var parameters back into `out`
  // (which may be empty, or the same array as `in`).
  using Invoker = std::function<Variant(TObject&, std::span<const Variant> in, std::span<Variant> out)>;

  const std::string& Name() const { return name_; }
  TClass OwnerClass() const { return owner_; }
  const std::vector<const TTypeInfo*>& ParamTypes() const { return params_; }
  // A var parameter: the method takes its value and may change it (an
  // out-parameter, a variable the method clears).
  bool IsVarParam(std::size_t index) const { return index < varParams_.size() && varParams_[index]; }
  // nullptr for a procedure.
  const TTypeInfo* ResultType() const { return result_; }
  // Calls the method on the instance. Missing arguments are empty (zero,
  // empty text, no object); extra ones are ignored. A value that cannot take
  // its parameter's type throws EConvertError. What the method leaves in its
  // var parameters is dropped.
  Variant Invoke(TObject& instance, std::span<const Variant> args) const;
  // As Invoke, then each var parameter's value after the call replaces its
  // argument in args (a var parameter past the end of args is dropped).
  // Nothing is written back when the call throws.
  Variant InvokeVar(TObject& instance, std::span<Variant> args) const;

 private:
  template <class C>
  friend class TClassBuilder;
  std::string name_;
  TClass owner_ = nullptr;
  std::vector<const TTypeInfo*> params_;
  std::vector<bool> varParams_;
  const TTypeInfo* result_ = nullptr;
  Invoker invoke_;
};

// A published field: a component reference the owner tree fills in by name.
class TFieldInfo {
 public:
  const std::string& Name() const { return name_; }
  TClass FieldClass() const { return class_(); }
  // Stores the component when it is of the field's class (else clears).
  void Set(TObject& instance, TObject* value) const { set_(instance, value); }
  TObject* Get(const TObject& instance) const { return get_(instance); }

 private:
  template <class C>
  friend class TClassBuilder;
  std::string name_;
  TClass (*class_)() = nullptr;
  std::function<void(TObject&, TObject*)> set_;
  std::function<TObject*(const TObject&)> get_;
};

class TClassInfo {
 public:
  using Factory = TObject* (*)(const TCreateContext&);
  using Describer = void (*)(TClassInfo&);

  // Built once per class, in place (its properties point back at it).
  TClassInfo(std::string name, TClass parent, Factory factory, Describer describe);
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const std::string& Name() const { return name_; }
  TClass Parent() const { return parent_; }
  // Self or a descendant of cls.
  bool InheritsFrom(TClass cls) const;
  bool CanCreate() const { return factory_ != nullptr; }
  // Construct only; CreateInstance runs the whole two-phase creation.
  TObject* NewInstance(const TCreateContext& context) const;
  TObject* CreateInstance(const TCreateContext& context) const;

  // Every published property, inherited ones first, then in declaration
  // order; a redeclared property keeps its inherited place.
  std::span<const TPropInfo* const> Properties() const { return all_; }
  // Compared without case; nullptr when the class publishes none.
  const TPropInfo* FindProperty(std::string_view name) const;

  // The methods this class itself publishes, in declaration order.
  std::span<const std::unique_ptr<TMethodInfo>> OwnMethods() const { return methods_; }
  // Along the class chain, most derived first, compared without case.
  const TMethodInfo* FindMethod(std::string_view name) const;
  // Whether the method belongs to this class or an ancestor.
  bool HasMethod(const TMethodInfo* method) const;

  const TFieldInfo* FindField(std::string_view name) const;

 private:
  template <class C>
  friend class TClassBuilder;
  void AddProperty(std::unique_ptr<TPropInfo> prop);
  void AddMethod(std::unique_ptr<TMethodInfo> method);

  std::string name_;
  TClass parent_;
  Factory factory_;
  std::vector<std::unique_ptr<TPropInfo>> own_;
  std::vector<const TPropInfo*> all_;
  // Looked up without case and without building a key string.
  struct TNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const noexcept;
  };
  struct TNameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
  };
  std::unordered_map<std::string, const TPropInfo*, TNameHash, TNameEqual> byName_;
  std::vector<std::unique_ptr<TMethodInfo>> methods_;
  // Every method along the chain by name, the most derived of each.
  std::unordered_map<std::string, const TMethodInfo*, TNameHash, TNameEqual> methodsByName_;
  std::vector<std::unique_ptr<TFieldInfo>> fields_;
};

}  // namespace corvane
