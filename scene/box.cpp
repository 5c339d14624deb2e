#include "scene/box.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"
#include "scene/physics/dynamic_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Box)

void Box::Describe(TClassBuilder<Box>& c) {
  c.Property("width", &Box::Width, &Box::SetWidth);
  c.Property("height", &Box::Height, &Box::SetHeight);
  c.Property("depth", &Box::Depth, &Box::SetDepth);
}

Box::Box(const TCreateContext& context) : PositionObject(context) { SetZTest(true); }

bool RayMeetsLocalBox(PositionObject& object, const TSpaceVector& origin, const TSpaceVector& direction,
                      const TSpaceVector& size) {
  // The origin is a point and the direction a vector whatever their w.
  const TSpaceVector o = object.VectorAbsoluteToLocal({origin.x, origin.y, origin.z, 1});
  const TSpaceVector d =
      VectorSpaceNormalize(object.VectorAbsoluteToLocal({direction.x, direction.y, direction.z, 0}));
  if (SpaceVectorNorm(d) == 0) return false;
  const float sizes[3] = {size.x, size.y, size.z};
  // A ray that starts inside meets the face ahead of it.
  if (std::fabs(o.x) <= 0.5f * size.x && std::fabs(o.y) <= 0.5f * size.y && std::fabs(o.z) <= 0.5f * size.z)
    return true;
  static constexpr TSpaceVector kNormals[6] = {{1, 0, 0, 0},  {0, 1, 0, 0},  {0, 0, 1, 0},
                                               {-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}};
  for (int i = 0; i < 6; ++i) {
    const TSpaceVector& n = kNormals[i];
    const float along = SpaceVectorDotProduct(n, d);
    if (!(along > 0)) continue;
    const float half = 0.5f * sizes[i % 3];
    const float t = -(SpaceVectorDotProduct(n, o) + half) / along;
    const TSpaceVector hit{o.x + t * d.x, o.y + t * d.y, o.z + t * d.z, 0};
    const bool inside = std::fabs(hit.x) <= 0.5001f * size.x && std::fabs(hit.y) <= 0.5001f * size.y &&
                        std::fabs(hit.z) <= 0.5001f * size.z;
    if (inside && SpaceVectorDotProduct(SpaceVectorSubtract(hit, o), d) > 0) return true;
  }
  return false;
}

bool Box::PointInObject(float x, float y) {
  if (!Visible()) return false;
  // The rectangle Paint draws and the bounds describe: centred on the origin.
  const TPoint p = AbsoluteToLocal({x, y});
  return -width_ / 2 < p.x && p.x < width_ / 2 && -height_ / 2 < p.y && p.y < height_ / 2;
}

bool Box::RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) {
  return RayMeetsLocalBox(*this, origin, direction, {width_, height_, depth_, 0});
}

void FillLocalBox(PositionObject& object, const TAABB& box) {
  if (TDevice* device = object.GetApplet() ? object.GetApplet()->Device() : nullptr) device->FillBox(box.min, box.max);
}

void Box::Paint() { FillLocalBox(*this, GetBoundsBox()); }

void Box::CreateDynamics() {
  PositionObject::CreateDynamics();
  if (TDynamicEngine* engine = PhysicsEngine()) SetBody(engine->CreateBox(this, {width_, height_, depth_, 1}));
}

void Box::DestroyDynamics() {
  RemoveBody();
  PositionObject::DestroyDynamics();
}

float Box::GetBoundsRadius() { return std::max({width_, height_, depth_}) / 2; }

TAABB Box::GetBoundsBox() {
  return {{-width_ / 2, -height_ / 2, -depth_ / 2, 1}, {width_ / 2, height_ / 2, depth_ / 2, 1}};
}

}  // namespace corvane
