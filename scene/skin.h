// Skins: a Skin is a container of named SkinElements, each holding one
// picture reference (a sub-rectangle of the skin's picture with its
// nine-slice margins). Skinned picture references draw the element they
// name; the applet loads its default skin from the embedded defaults.
#pragma once

#include "engine/core/base_object.h"

namespace corvane {

class TPixmapPersistent;

class Skin : public BaseObject {
  CORVANE_CLASS(Skin, BaseObject)
  using BaseObject::BaseObject;
};

class SkinElement : public BaseObject {
  CORVANE_CLASS(SkinElement, BaseObject)
  static void Describe(TClassBuilder<SkinElement>& c);
  // Not scriptable: an element is part of its skin, not a script object.
  explicit SkinElement(const TCreateContext& context);
  ~SkinElement() override;

  // Owned; filled inline by the element's stream.
  TPixmapPersistent* Pixmap() const { return pixmap_; }

 private:
  TPixmapPersistent* pixmap_ = nullptr;
};

}  // namespace corvane
