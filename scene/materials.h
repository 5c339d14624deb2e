// Materials: the applet's named sets of lighting colours. A Material holds
// one material record and makes it current on the applet's device; the
// applet's one Materials object holds the materials as children and finds
// them by name (visual objects apply theirs before they are drawn) or by
// tag (scripts).
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/base_object.h"
#include "platform/media.h"

namespace corvane {

class Material : public BaseObject {
  CORVANE_CLASS(Material, BaseObject)
  static void Describe(TClassBuilder<Material>& c);
  explicit Material(const TCreateContext& context);

  const TMaterial& Record() const { return record_; }
  // Colour texts "#AARRGGBB".
  std::u16string GetDiffuse() const;
  std::u16string GetAmbient() const;
  std::u16string GetSpecular() const;
  void SetDiffuse(const std::u16string& text);
  void SetAmbient(const std::u16string& text);
  void SetSpecular(const std::u16string& text);
  bool Lighting() const { return record_.Lighting; }
  void SetLighting(bool value) { record_.Lighting = value; }

  // Hands a copy to the applet's device; with 0 <= alpha < 1 the alpha byte
  // of each colour is scaled by it (the stored colours do not change).
  void Apply(float alpha);
  // The copy Apply hands over.
  TMaterial WithAlpha(float alpha) const;

 private:
  TMaterial record_;
};

class Materials : public BaseObject {
  CORVANE_CLASS(Materials, BaseObject)
  static void Describe(TClassBuilder<Materials>& c);
  using BaseObject::BaseObject;

  // The first material below whose name equals the text exactly; nullptr
  // when none.
  Material* getMaterial(const std::u16string& name) const;
  // Applies (opaque) the first material below with that tag.
  void applyMaterial(const std::u16string& tag);
};

}  // namespace corvane
