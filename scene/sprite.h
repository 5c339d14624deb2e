// Sprite: a picture (usually a skin element's) on a rectangle centred on
// the object's origin, under the material "gui"; gets a box body. The
// applet's cursor is one.
#pragma once

#include <string>

#include "engine/core/position_object.h"
#include "scene/applet_roles.h"

namespace corvane {

class TSkinPixmapPersistent;

class Sprite : public PositionObject, public TSpritePicture {
  CORVANE_CLASS(Sprite, PositionObject)
  static void Describe(TClassBuilder<Sprite>& c);
  // 10 x 10, the default skin, under the material "gui".
  explicit Sprite(const TCreateContext& context);
  ~Sprite() override;

  TSkinPixmapPersistent* Pixmap() const { return pixmap_; }
  // Copies every value of the picture (null changes nothing).
  void SetPixmap(TSkinPixmapPersistent* value);
  float Width() const { return width_; }
  float Height() const { return height_; }
  void SetWidth(float value) { width_ = value; }
  void SetHeight(float value) { height_ = value; }

  // What the applet asks of its cursor.
  void SetSpriteSize(float width, float height) override;
  void SetPicture(const std::string& name) override;

  void Paint() override;
  void CreateDynamics() override;
  void DestroyDynamics() override;
  float GetBoundsRadius() override;

 private:
  TSkinPixmapPersistent* pixmap_;
  float width_ = 10;
  float height_ = 10;
};

}  // namespace corvane
