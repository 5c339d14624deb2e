// How a class publishes itself. Each reflected class has one small block
// beside its code:
//
//   void TFoo::Describe(TClassBuilder<TFoo>& c) {
//     c.Property("count", &TFoo::GetCount).Stored(false);          // read only
//     c.Property("speed", &TFoo::speed_).Default(5);                // field
//     c.Property("scale", &TFoo::GetScale, &TFoo::SetScale)
//         .Stored(&TFoo::IsScaleStored);                            // accessors
//     c.Method("reset", &TFoo::Reset);                              // by name
//     c.Method("fill", [](TFoo& foo, const std::vector<TRect>& rects) {  // adapted
//       foo.Fill(rects.data(), rects.size());
//     });
//   }
//
// Getters and setters are fields, member functions or callables taking the
// object; the property's type is the getter's value type.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "base/reflection/class_info.h"
#include "base/reflection/exceptions.h"
#include "base/reflection/value_convert.h"
#include "base/reflection/variant.h"

namespace corvane {

namespace detail {

// Reads a value through a field pointer, a member function or a callable.
template <class C, class G>
decltype(auto) ReadWith(const G& getter, const C& object) {
  if constexpr (std::is_member_object_pointer_v<G>) return (object.*getter);
  else if constexpr (std::is_member_function_pointer_v<G>) return (object.*getter)();
  else return getter(object);
}

template <class C, class S, class T>
void WriteWith(const S& setter, C& object, T&& value) {
  if constexpr (std::is_member_object_pointer_v<S>) object.*setter = std::forward<T>(value);
  else if constexpr (std::is_member_function_pointer_v<S>) (object.*setter)(std::forward<T>(value));
  else setter(object, std::forward<T>(value));
}

template <class C, class G>
using GetterValue = std::decay_t<decltype(ReadWith<C, G>(std::declval<const G&>(), std::declval<const C&>()))>;

template <class C, class T, class G, class S>
class TTypedAccessor final : public TPropAccessor {
 public:
  TTypedAccessor(G getter, S setter) : get_(std::move(getter)), set_(std::move(setter)) {}

  bool CanRead() const override { return true; }
  bool CanWrite() const override { return !std::is_same_v<S, std::nullptr_t>; }

  std::int64_t GetOrd(const TObject& o) const override {
    if constexpr (kIsOrdinalType<T>) return ToOrd<T>(Read(o));
    else return TPropAccessor::GetOrd(o);
  }
  void SetOrd(TObject& o, std::int64_t v) const override {
    if constexpr (kIsOrdinalType<T>) Write(o, FromOrd<T>(v));
    else TPropAccessor::SetOrd(o, v);
  }
  double GetFloat(const TObject& o) const override {
    if constexpr (kIsFloatType<T>) return ToFloat<T>(Read(o));
    else return TPropAccessor::GetFloat(o);
  }
  void SetFloat(TObject& o, double v) const override {
    if constexpr (kIsFloatType<T>) Write(o, FromFloat<T>(v));
    else TPropAccessor::SetFloat(o, v);
  }
  std::string GetStr(const TObject& o) const override {
    if constexpr (std::is_same_v<T, std::string>) return Read(o);
    else return TPropAccessor::GetStr(o);
  }
  void SetStr(TObject& o, const std::string& v) const override {
    if constexpr (std::is_same_v<T, std::string>) Write(o, v);
    else TPropAccessor::SetStr(o, v);
  }
  std::u16string GetWStr(const TObject& o) const override {
    if constexpr (std::is_same_v<T, std::u16string>) return Read(o);
    else return TPropAccessor::GetWStr(o);
  }
  void SetWStr(TObject& o, const std::u16string& v) const override {
    if constexpr (std::is_same_v<T, std::u16string>) Write(o, v);
    else TPropAccessor::SetWStr(o, v);
  }
  Variant GetVariant(const TObject& o) const override {
    if constexpr (std::is_same_v<T, Variant>) return Read(o);
    else return TPropAccessor::GetVariant(o);
  }
  void SetVariant(TObject& o, const Variant& v) const override {
    if constexpr (std::is_same_v<T, Variant>) Write(o, v);
    else TPropAccessor::SetVariant(o, v);
  }
  TObject* GetObject(const TObject& o) const override {
    if constexpr (std::is_pointer_v<T>) return Read(o);
    else return TPropAccessor::GetObject(o);
  }
  void SetObject(TObject& o, TObject* v) const override {
    if constexpr (std::is_pointer_v<T>) {
      auto* typed = dynamic_cast<T>(v);
      if (v && !typed)
        throw EConvertError("A " + v->ClassName() + " is not a " + std::remove_pointer_t<T>::StaticClass()->Name());
      Write(o, typed);
    } else {
      TPropAccessor::SetObject(o, v);
    }
  }
  TMethod GetMethod(const TObject& o) const override {
    if constexpr (std::is_same_v<T, TMethod>) return Read(o);
    else return TPropAccessor::GetMethod(o);
  }
  void SetMethod(TObject& o, const TMethod& v) const override {
    if constexpr (std::is_same_v<T, TMethod>) Write(o, v);
    else TPropAccessor::SetMethod(o, v);
  }

 private:
  T Read(const TObject& o) const { return ReadWith<C, G>(get_, static_cast<const C&>(o)); }
  void Write(TObject& o, T v) const {
    if constexpr (std::is_same_v<S, std::nullptr_t>) throw EPropertyError("Property is read-only");
    else WriteWith<C>(set_, static_cast<C&>(o), std::move(v));
  }
  G get_;
  S set_;
};

template <class M>
struct MemberFunctionTraits;
template <class R, class C, class... A>
struct MemberFunctionTraits<R (C::*)(A...)> {
  using Result = R;
  using Class = C;
  // As declared, and as held while a call converts its arguments.
  using Params = std::tuple<A...>;
  using Args = std::tuple<std::decay_t<A>...>;
};
template <class R, class C, class... A>
struct MemberFunctionTraits<R (C::*)(A...) const> : MemberFunctionTraits<R (C::*)(A...)> {};

// A published method that is a function (or a lambda without captures)
// taking the object first: Class is the object's type, Params the rest.
template <class F>
struct FreeMethodTraits : FreeMethodTraits<decltype(&F::operator())> {};
template <class R, class C, class... A>
struct FreeMethodTraits<R (*)(C&, A...)> {
  using Result = R;
  using Class = C;
  using Params = std::tuple<A...>;
  using Args = std::tuple<std::decay_t<A>...>;
};
template <class R, class L, class C, class... A>
struct FreeMethodTraits<R (L::*)(C&, A...) const> : FreeMethodTraits<R (*)(C&, A...)> {};

template <class M>
using MethodTraits = std::conditional_t<std::is_member_function_pointer_v<M>, MemberFunctionTraits<M>,
                                        FreeMethodTraits<M>>;

// A parameter the method may change: a reference to non-const.
template <class P>
constexpr bool kIsVarParam = std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;

// A held argument as the parameter takes it: references bind to it, by-value
// parameters take it over.
template <class P, class A>
decltype(auto) PassArg(A& held) {
  if constexpr (std::is_lvalue_reference_v<P>) return (held);
  else return std::move(held);
}

template <class Params, class Args, class F, std::size_t... I>
decltype(auto) CallWithArgs(F&& call, Args& args, std::index_sequence<I...>) {
  return call(PassArg<std::tuple_element_t<I, Params>>(std::get<I>(args))...);
}

// The value of each var parameter after the call, into its argument.
template <class P, class A>
void WriteBackVarArg(const A& held, std::span<Variant> out, std::size_t index) {
  if constexpr (kIsVarParam<P>) {
    if (index < out.size()) out[index] = ToVariant(held);
  }
}
template <class Params, class Args, std::size_t... I>
void WriteBackVarArgs([[maybe_unused]] const Args& args, [[maybe_unused]] std::span<Variant> out,
                      std::index_sequence<I...>) {
  (WriteBackVarArg<std::tuple_element_t<I, Params>>(std::get<I>(args), out, I), ...);
}

template <class T>
const TTypeInfo* TypeInfoOrNull() {
  if constexpr (std::is_void_v<T>) return nullptr;
  else return TTypeInfoOf<std::decay_t<T>>::Get();
}

template <class Tuple, std::size_t... I>
Tuple ConvertArgs(std::span<const Variant> args, std::index_sequence<I...>) {
  static const Variant kEmpty;
  return Tuple{VariantTo<std::tuple_element_t<I, Tuple>>(I < args.size() ? args[I] : kEmpty)...};
}

}  // namespace detail

// Refines the property just published.
template <class C>
class TPropBuilder {
 public:
  explicit TPropBuilder(TPropInfo& prop) : prop_(prop) {}

  // The declared default of an ordinal property (an enum, Boolean, set or
  // integer value): the property is not written while it holds it.
  template <class V>
  TPropBuilder& Default(const V& value) {
    static_assert(kIsOrdinalType<V>, "only ordinal properties have a declared default");
    prop_.default_ = ToOrd(value);
    return *this;
  }
  TPropBuilder& NoDefault() {
    prop_.default_ = kNoDefault;
    return *this;
  }
  TPropBuilder& Stored(bool stored) {
    prop_.stored_ = stored ? srAlways : srNever;
    prop_.storedPredicate_ = nullptr;
    return *this;
  }
  // Written only while the predicate (a const member function or a callable
  // taking the object) holds.
  template <class P>
  TPropBuilder& Stored(P predicate) {
    prop_.stored_ = srPredicate;
    prop_.storedPredicate_ = MakePredicate(predicate);
    return *this;
  }
  // Overrides the type deduced from the getter (e.g. a set of integers).
  TPropBuilder& Type(const TTypeInfo* type) {
    prop_.type_ = type;
    return *this;
  }

 private:
  template <class P>
  static std::function<bool(const TObject&)> MakePredicate(P predicate) {
    if constexpr (std::is_member_function_pointer_v<P>) {
      using Owner = typename detail::MemberFunctionTraits<P>::Class;
      return [predicate](const TObject& o) { return (static_cast<const Owner&>(o).*predicate)(); };
    } else {
      return [predicate](const TObject& o) { return predicate(static_cast<const C&>(o)); };
    }
  }
  TPropInfo& prop_;
};

template <class C>
class TClassBuilder {
 public:
  explicit TClassBuilder(TClassInfo& info) : info_(info) {}

  // A field published read/write, or a getter published read only.
  template <class G>
  TPropBuilder<C> Property(std::string name, G getter) {
    if constexpr (std::is_member_object_pointer_v<G>) return Add(std::move(name), getter, getter);
    else return Add(std::move(name), getter, nullptr);
  }
  template <class G, class S>
  TPropBuilder<C> Property(std::string name, G getter, S setter) {
    return Add(std::move(name), getter, setter);
  }

  // A member function callable by name with Variant arguments; or a
  // function or capture-less lambda taking the object first, which adapts a
  // member to what Variants carry. Parameters that are references to
  // non-const are var parameters (see TMethodInfo::InvokeVar).
  template <class M>
  TClassBuilder& Method(std::string name, M method) {
    using Traits = detail::MethodTraits<M>;
    using Params = typename Traits::Params;
    using Args = typename Traits::Args;
    using R = typename Traits::Result;
    using Index = std::make_index_sequence<std::tuple_size_v<Args>>;
    static_assert(std::is_base_of_v<typename Traits::Class, C>, "the method belongs to another class");
    auto info = std::make_unique<TMethodInfo>();
    info->name_ = std::move(name);
    info->owner_ = &info_;
    info->result_ = detail::TypeInfoOrNull<R>();
    AddParams<Params>(*info, Index());
    info->invoke_ = [method](TObject& self, std::span<const Variant> in, std::span<Variant> out) -> Variant {
      Args held = detail::ConvertArgs<Args>(in, Index());
      auto call = [&](auto&&... a) -> decltype(auto) {
        auto& object = static_cast<C&>(self);
        if constexpr (std::is_member_function_pointer_v<M>) return (object.*method)(std::forward<decltype(a)>(a)...);
        else return method(object, std::forward<decltype(a)>(a)...);
      };
      Variant result;
      if constexpr (std::is_void_v<R>) detail::CallWithArgs<Params>(call, held, Index());
      else result = ToVariant<std::decay_t<R>>(detail::CallWithArgs<Params>(call, held, Index()));
      detail::WriteBackVarArgs<Params>(held, out, Index());
      return result;
    };
    info_.AddMethod(std::move(info));
    return *this;
  }

  // A published field: a component reference named like an owned component.
  template <class U>
  TClassBuilder& Field(std::string name, U* C::*field) {
    auto info = std::make_unique<TFieldInfo>();
    info->name_ = std::move(name);
    info->class_ = &U::StaticClass;
    info->set_ = [field](TObject& self, TObject* value) { static_cast<C&>(self).*field = dynamic_cast<U*>(value); };
    info->get_ = [field](const TObject& self) -> TObject* { return static_cast<const C&>(self).*field; };
    info_.fields_.push_back(std::move(info));
    return *this;
  }

 private:
  template <class G, class S>
  TPropBuilder<C> Add(std::string name, G getter, S setter) {
    using T = detail::GetterValue<C, G>;
    static_assert(THasTypeInfo<T>::value, "the property's type has no description");
    static_assert(!kIsCallOnlyType<T>, "records, arrays and pointers are method parameters and results only");
    auto prop = std::make_unique<TPropInfo>();
    prop->name_ = std::move(name);
    prop->type_ = TTypeInfoOf<T>::Get();
    prop->owner_ = &info_;
    prop->access_ = std::make_unique<detail::TTypedAccessor<C, T, G, S>>(getter, setter);
    TPropInfo& ref = *prop;
    info_.AddProperty(std::move(prop));
    return TPropBuilder<C>(ref);
  }

  template <class Params, std::size_t... I>
  static void AddParams(TMethodInfo& info, std::index_sequence<I...>) {
    (info.params_.push_back(TTypeInfoOf<std::decay_t<std::tuple_element_t<I, Params>>>::Get()), ...);
    (info.varParams_.push_back(detail::kIsVarParam<std::tuple_element_t<I, Params>>), ...);
  }

  TClassInfo& info_;
};

template <class T, class = void>
struct THasOwnDescribe : std::false_type {};
template <class T>
struct THasOwnDescribe<T, std::enable_if_t<std::is_same_v<decltype(&T::Describe), void (*)(TClassBuilder<T>&)>>>
    : std::true_type {};

// Used by CORVANE_IMPLEMENT_CLASS.
template <class T>
TClassInfo::Factory FactoryOf() {
  if constexpr (!std::is_abstract_v<T> && std::is_constructible_v<T, const TCreateContext&>) {
    return [](const TCreateContext& context) -> TObject* { return new T(context); };
  } else if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>) {
    return [](const TCreateContext&) -> TObject* { return new T(); };
  } else {
    return nullptr;
  }
}

template <class T>
void DescribeClass(TClassInfo& info) {
  if constexpr (THasOwnDescribe<T>::value) {
    TClassBuilder<T> builder(info);
    T::Describe(builder);
  }
}

}  // namespace corvane
