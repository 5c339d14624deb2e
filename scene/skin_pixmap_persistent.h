// TSkinPixmapPersistent: a picture reference that can take its picture from
// a skin. It names an element of its skin (the applet's default skin to
// begin with); while that element lives it draws the element's picture,
// otherwise its own. Skin and element are weak: a freed skin or element
// reads as none.
#pragma once

#include <string>

#include "base/reflection/object.h"
#include "scene/pixmap_persistent.h"

namespace corvane {

class BaseObject;
class Skin;
class SkinElement;

class TSkinPixmapPersistent : public TPixmapPersistent {
  CORVANE_CLASS(TSkinPixmapPersistent, TPixmapPersistent)
  static void Describe(TClassBuilder<TSkinPixmapPersistent>& c);
  // Takes the applet's default skin.
  explicit TSkinPixmapPersistent(const TCreateContext& context);
  ~TSkinPixmapPersistent() override;

  // As the picture reference, then skin and objectName.
  void Assign(const TPersistent* source) override;

  Skin* GetSkin() const;
  // A different skin looks the element up again.
  void SetSkin(Skin* skin);
  const std::string& ObjectName() const { return objectName_; }
  // Looks the element up by its exact name in the skin's subtree.
  void SetObjectName(const std::string& name);
  // The element found, while it lives; null otherwise.
  SkinElement* SkinObject() const;

  // The element's picture into the rectangle when there is an element,
  // otherwise the own picture. The colour is not used.
  void Draw(const TRect& rect, std::uint32_t color);
  using TPixmapPersistent::Draw;

 private:
  // Whether the skin is other than the applet's default one (what a new
  // reference starts with, so it need not be saved).
  bool IsSkinStored() const;

  TWeak<BaseObject> skin_;
  TWeak<BaseObject> element_;
  std::string objectName_;
};

}  // namespace corvane
