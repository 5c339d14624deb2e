// Stand-ins for the scene and GUI classes an applet makes for itself that
// do not exist yet (the cursor's sprite):
// each plays its role for the applet (scene/applet_roles.h) and publishes
// what scripts and streams see of it. Pictures are the scene's real picture
// references. RegisterAppletStandIns registers them under the real names,
// with the real Materials, Material, skins, animation effect and particle
// classes.
#pragma once

#include <string>

#include "engine/core/position_object.h"
#include "scene/applet_roles.h"
#include "scene/pixmap_persistent.h"

namespace corvane::test {

// Every stand-in class and the real Materials and Material, by name; the
// real skin classes only with withSkin (the applet then loads its default
// skin).
void RegisterAppletStandIns(bool withSkin = false);

class Sprite : public PositionObject, public TSpritePicture {
  CORVANE_CLASS(Sprite, PositionObject)
  static void Describe(TClassBuilder<Sprite>& c);
  explicit Sprite(const TCreateContext& context);
  ~Sprite() override;
  TPixmapPersistent* Pixmap() const { return pixmap_; }
  // Assigning a picture copies its values.
  void SetPixmap(TPixmapPersistent* value);
  void SetSpriteSize(float w, float h) override {
    width = w;
    height = h;
  }
  void SetPicture(const std::string& name) override { pixmap_->SetFileName(name); }
  float width = 10;
  float height = 10;

 private:
  TPixmapPersistent* pixmap_;
};

}  // namespace corvane::test
