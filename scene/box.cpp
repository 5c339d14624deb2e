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

bool Box::PointInObject(float x, float y) {
  if (!Visible()) return false;
  const TPoint p = AbsoluteToLocal({x, y});
  return 0 < p.x && p.x < width_ && 0 < p.y && p.y < height_;
}

bool Box::RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) {
  // The origin is a point and the direction a vector whatever their w.
  const TSpaceVector o = VectorAbsoluteToLocal({origin.x, origin.y, origin.z, 1});
  const TSpaceVector d = VectorSpaceNormalize(VectorAbsoluteToLocal({direction.x, direction.y, direction.z, 0}));
  if (SpaceVectorNorm(d) == 0) return false;
  // A ray that starts inside meets the face ahead of it.
  if (std::fabs(o.x) <= 0.5f * width_ && std::fabs(o.y) <= 0.5f * height_ && std::fabs(o.z) <= 0.5f * depth_)
    return true;
  const float size[3] = {width_, height_, depth_};
  static constexpr TSpaceVector kNormals[6] = {{1, 0, 0, 0},  {0, 1, 0, 0},  {0, 0, 1, 0},
                                               {-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}};
  for (int i = 0; i < 6; ++i) {
    const TSpaceVector& n = kNormals[i];
    const float along = SpaceVectorDotProduct(n, d);
    if (!(along > 0)) continue;
    const float half = 0.5f * size[i % 3];
    const float t = -(SpaceVectorDotProduct(n, o) + half) / along;
    const TSpaceVector hit{o.x + t * d.x, o.y + t * d.y, o.z + t * d.z, 0};
    const bool inside = std::fabs(hit.x) <= 0.5001f * width_ && std::fabs(hit.y) <= 0.5001f * height_ &&
                        std::fabs(hit.z) <= 0.5001f * depth_;
    if (inside && SpaceVectorDotProduct(SpaceVectorSubtract(hit, o), d) > 0) return true;
  }
  return false;
}

void Box::Paint() {
  if (TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr) {
    const TAABB box = GetBoundsBox();
    device->FillBox(box.min, box.max);
  }
}

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
