// Box: a solid box centred on its origin, width along x, height along y,
// depth along z. It is drawn filled, hit by points in its drawn screen
// rectangle and by rays through its faces, and gets a box body when spawned.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

// Whether a ray in absolute space meets, ahead of its origin, the box of
// the given size centred on the object's origin in its own frame (a ray
// starting inside meets the face ahead of it).
bool RayMeetsLocalBox(PositionObject& object, const TSpaceVector& origin, const TSpaceVector& direction,
                      const TSpaceVector& size);

// Draws the box in the object's matrix on its applet's device (nothing
// without one).
void FillLocalBox(PositionObject& object, const TAABB& box);

class Box : public PositionObject {
  CORVANE_CLASS(Box, PositionObject)
  static void Describe(TClassBuilder<Box>& c);
  // 1 x 1 x 1, drawn with the depth test.
  explicit Box(const TCreateContext& context);

  float Width() const { return width_; }
  float Height() const { return height_; }
  float Depth() const { return depth_; }
  void SetWidth(float value) { width_ = value; }
  void SetHeight(float value) { height_ = value; }
  void SetDepth(float value) { depth_ = value; }

  // Visible, and strictly inside the drawn rectangle, centred on the
  // origin, in local units.
  bool PointInObject(float x, float y) override;
  // The ray meets a face ahead of its origin (a ray starting inside meets
  // the face ahead of it).
  bool RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) override;
  void Paint() override;
  void CreateDynamics() override;
  void DestroyDynamics() override;
  float GetBoundsRadius() override;
  TAABB GetBoundsBox() override;

 private:
  float width_ = 1;
  float depth_ = 1;
  float height_ = 1;
};

}  // namespace corvane
