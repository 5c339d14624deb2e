// The root of every engine class: run-time class identity, two-phase
// creation and destruction, and weak handles.
//
// Creation: a class's C++ constructor takes a TCreateContext and does only
// what needs no virtual call; the creator then lets the object read its
// stream (when there is one) and runs the virtual AfterConstruction hook,
// the rest of the constructor. Create<T>() and TClassInfo::CreateInstance()
// are the two ways in; both run every step.
//
// Destruction: Free() runs the virtual BeforeDestruction phase while the
// object is whole (notifications, handlers, unlinking), then deletes it; the
// C++ destructors only release members.
#pragma once

#include <cassert>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "base/reflection/component_state.h"
#include "base/reflection/type_info.h"

namespace corvane {

class TResourceMan;
class TClassInfo;
template <class C>
class TClassBuilder;

// Everything a constructor may need to know about where its object goes.
struct TCreateContext {
  TCreateContext() = default;
  TCreateContext(TObject* owner) : Owner(owner) {}  // NOLINT: a bare owner is the common case

  TObject* Owner = nullptr;
  TObject* Applet = nullptr;          // the applet the object will live in, when known
  TResourceMan* ResMan = nullptr;     // where the object's files come from
  std::string LoadName;               // the object file being loaded, when any
  TGComponentState InitialState;      // state flags the object starts with
  // Reads the new object's own stream between construction and
  // AfterConstruction (an object loaded as the root of a file).
  std::function<void(TObject&)> Read;
};

// Shared between an object and the weak handles to it. The object holds
// it too, as one of its handles: a handle the object reaches from its own
// destructor (a member naming the object itself, or an owned part naming
// its owner) then never frees the token under the object.
struct TLifeToken {
  bool Alive = true;
  int Handles = 0;
};
// Drops one hold; the last one out, once the object died, frees it.
void ReleaseLifeToken(TLifeToken* token);

class TObject {
 public:
  using inherited = void;

  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  const std::string& ClassName() const;
  bool InheritsFrom(TClass cls) const;
  template <class T>
  bool Is() const {
    return InheritsFrom(T::StaticClass());
  }

  // The remainder of the constructor: runs once the object is fully
  // constructed and, when it was loaded as a root, after its stream was read.
  virtual void AfterConstruction() {}
  // The destructor's work while the object is still whole.
  virtual void BeforeDestruction() {}

  // BeforeDestruction, then delete. Safe to call once per object.
  void Free();
  // True from the start of Free() on.
  bool Freeing() const { return freeing_; }

  // The token that weak handles share; created on first use.
  TLifeToken* LifeToken() const;

 private:
  mutable TLifeToken* life_ = nullptr;
  bool freeing_ = false;
  bool gone_ = false;  // BeforeDestruction is over
};

// Frees the object (when any) and clears the variable first, so that
// nothing reached during the destruction sees the dying object through it.
template <class T>
void FreeAndNil(T*& object) {
  T* o = object;
  object = nullptr;
  if (o) o->Free();
}

// Owners that hold an object through a smart pointer free it properly.
struct TObjectDeleter {
  void operator()(TObject* object) const {
    if (object) object->Free();
  }
};
template <class T>
using TOwned = std::unique_ptr<T, TObjectDeleter>;

// Construct, read (when the context says so), AfterConstruction.
template <class T>
T* Create(const TCreateContext& context = {});

// The steps after the C++ constructor: the object's own stream when the
// context has one, then AfterConstruction; a failure frees the object.
// nullptr when the object was freed meanwhile (a handler its stream ran).
TObject* FinishConstruction(TObject* object, const TCreateContext& context);

template <class T>
T* Create(const TCreateContext& context) {
  static_assert(std::is_constructible_v<T, const TCreateContext&>,
                "a class created generically takes a TCreateContext");
  T* object = new T(context);
  return static_cast<T*>(FinishConstruction(object, context));
}

// A handle that knows whether its object still lives.
template <class T>
class TWeak {
 public:
  TWeak() = default;
  TWeak(T* object) { Reset(object); }  // NOLINT: implicit from a pointer
  TWeak(const TWeak& o) { Copy(o); }
  TWeak& operator=(const TWeak& o) {
    if (this != &o) {
      Release();
      Copy(o);
    }
    return *this;
  }
  TWeak& operator=(T* object) {
    Reset(object);
    return *this;
  }
  ~TWeak() { Release(); }

  void Reset(T* object = nullptr) {
    Release();
    if (object) {
      token_ = object->LifeToken();
      ++token_->Handles;
      object_ = object;
    }
  }
  T* Get() const { return token_ && token_->Alive ? object_ : nullptr; }
  T* operator->() const { return Get(); }
  explicit operator bool() const { return Get() != nullptr; }
  bool Expired() const { return Get() == nullptr; }

 private:
  void Copy(const TWeak& o) {
    object_ = o.object_;
    token_ = o.token_;
    if (token_) ++token_->Handles;
  }
  void Release() {
    if (token_) ReleaseLifeToken(token_);
    token_ = nullptr;
    object_ = nullptr;
  }
  T* object_ = nullptr;
  TLifeToken* token_ = nullptr;
};

// Object pointers of described classes are published as class properties.
template <class T>
struct TTypeInfoOf<T*, std::enable_if_t<std::is_base_of_v<TObject, T>>> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info = TTypeInfo::Class(&T::StaticClass);
    return &info;
  }
};

// In a class body: the class's run-time identity. Leaves access public.
#define CORVANE_CLASS(Self, Parent)                                     \
 public:                                                                \
  using inherited = Parent;                                             \
  static ::corvane::TClass StaticClass();                               \
  ::corvane::TClass ClassType() const override { return StaticClass(); }

// In the class's .cpp: builds the description on first use, from the
// class's own `static void Describe(TClassBuilder<Self>&)` when it has one.
// Include "base/reflection/class_builder.h" there.
#define CORVANE_IMPLEMENT_CLASS(Self)                                                    \
  ::corvane::TClass Self::StaticClass() {                                                \
    static const ::corvane::TClassInfo info(#Self, Self::inherited::StaticClass(),       \
                                            ::corvane::FactoryOf<Self>(),                \
                                            &::corvane::DescribeClass<Self>);            \
    return &info;                                                                        \
  }

}  // namespace corvane
