// The persistent bases: TPersistent (what can be assigned and streamed as a
// property) and TSomePersistent (the engine's persistent with an owner of
// any kind: devices, media, coordinate and list properties).
#pragma once

#include <string>

#include "base/reflection/object.h"

namespace corvane {

class TGFiler;

class TPersistent : public TObject {
  CORVANE_CLASS(TPersistent, TObject)
  TPersistent() = default;
  explicit TPersistent(const TCreateContext&) {}

  // Copies the source into this object; a source this class cannot take is
  // offered to the source's AssignTo, and an impossible pair is reported.
  virtual void Assign(const TPersistent* source);
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Drops the object's pending stream references.
  void BeforeDestruction() override;
  virtual std::string GetNamePath() const { return ClassName(); }

 protected:
  virtual void AssignTo(TPersistent* dest) const;
  // Reports "Cannot assign a <source> to a <this>" through the engine log.
  void AssignError(const TPersistent* source) const;
};

class TSomePersistent : public TPersistent {
  CORVANE_CLASS(TSomePersistent, TPersistent)
  explicit TSomePersistent(const TCreateContext& context) : owner_(context.Owner) {}

  // Not owned: usually the applet or an object whose owner chain leads there.
  TObject* Owner() const { return owner_; }
  void SetOwner(TObject* owner) { owner_ = owner; }

  // Extra stream data beyond the published properties: declare each with the
  // filer's DefineProperty / DefineBinaryProperty.
  virtual void NewDefineProperties(TGFiler& filer) {}

 private:
  TObject* owner_ = nullptr;
};

}  // namespace corvane
