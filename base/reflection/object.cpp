#include "base/reflection/object.h"

#include "base/reflection/class_builder.h"

namespace corvane {

TClass TObject::StaticClass() {
  static const TClassInfo info("TObject", nullptr, nullptr, nullptr);
  return &info;
}

TObject::~TObject() {
  if (TLifeToken* token = life_) {
    life_ = nullptr;
    token->Alive = false;
    ReleaseLifeToken(token);  // the object's own hold
  }
}

const std::string& TObject::ClassName() const { return ClassType()->Name(); }

bool TObject::InheritsFrom(TClass cls) const { return ClassType()->InheritsFrom(cls); }

void TObject::Free() {
  if (freeing_) return;  // already on its way out (an owner freeing it again)
  freeing_ = true;
  BeforeDestruction();
  // Weak handles see the object gone before any C++ destructor runs.
  gone_ = true;
  if (life_) life_->Alive = false;
  delete this;
}

TObject* FinishConstruction(TObject* object, const TCreateContext& context) {
  // Reading runs the loaded objects' handlers, which may free this one. The
  // handle is made inside the try: making it can run out of memory, and the
  // object, which nothing has seen yet, is freed then too.
  TWeak<TObject> alive;
  bool watched = false;
  try {
    alive.Reset(object);
    watched = true;
    if (context.Read) context.Read(*object);
    if (!alive.Get()) return nullptr;
    object->AfterConstruction();
  } catch (...) {
    if (!watched || alive.Get()) object->Free();
    throw;
  }
  return alive.Get();
}

void ReleaseLifeToken(TLifeToken* token) {
  if (--token->Handles == 0 && !token->Alive) delete token;
}

TLifeToken* TObject::LifeToken() const {
  if (!life_) {
    // Held by the object until its destructor; a handle taken while it is
    // being destroyed is born expired.
    life_ = new TLifeToken;
    life_->Alive = !gone_;
    life_->Handles = 1;
  }
  return life_;
}

}  // namespace corvane
