#include "tests/support/kit/fake_physics.h"

#include <algorithm>

#include "base/geometry/bounds.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "engine/core/position_object.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TFakeDynamicEngine)

std::int32_t TFakeDynamicEngine::CreateWorld() { return ++nextWorld_; }

void TFakeDynamicEngine::DestroyWorld(std::int32_t world) {
  std::erase_if(bodies_, [world](const auto& entry) { return entry.second.World == world; });
}

void TFakeDynamicEngine::UpdateWorld(std::int32_t world, float) { Steps.push_back(world); }

TAABB TFakeDynamicEngine::BoxOf(const TBody& body) const {
  TAABB box{{-body.Size.x / 2, -body.Size.y / 2, -body.Size.z / 2, 1},
            {body.Size.x / 2, body.Size.y / 2, body.Size.z / 2, 1}};
  AABBTransform(box, body.Matrix);
  return box;
}

std::vector<PositionObject*> TFakeDynamicEngine::Touching(PositionObject* object) {
  std::vector<PositionObject*> found;
  const auto own = bodies_.find(object->Body());
  if (own == bodies_.end()) return found;
  const TAABB box = BoxOf(own->second);
  for (const auto& [handle, body] : bodies_) {
    PositionObject* other = body.Object.Get();
    if (handle == own->first || body.World != own->second.World || !other) continue;
    if (!other->isVisible() || other->Prepared()) continue;
    if (IntersectAABBsAbsolute(box, BoxOf(body))) found.push_back(other);
  }
  return found;
}

std::int32_t TFakeDynamicEngine::Collise(PositionObject* object, std::vector<PositionObject*>& contacts) {
  Queries.push_back({object, object->GetAbsolutePosition()});
  const auto own = bodies_.find(object->Body());
  if (own == bodies_.end()) return 0;
  const TAABB box = BoxOf(own->second);
  std::vector<TWeak<PositionObject>> others;
  for (PositionObject* other : Touching(object)) others.emplace_back(other);
  TWeak<PositionObject> self(object);
  for (const auto& handle : others) {
    PositionObject* other = handle.Get();
    if (!self.Get()) break;
    const auto it = bodies_.find(other ? other->Body() : 0);
    if (!other || it == bodies_.end()) continue;
    // The middle of the overlap, and the way from the other's centre to
    // the mover's.
    const TAABB theirs = BoxOf(it->second);
    const TSpaceVector point{(std::max(box.min.x, theirs.min.x) + std::min(box.max.x, theirs.max.x)) / 2,
                             (std::max(box.min.y, theirs.min.y) + std::min(box.max.y, theirs.max.y)) / 2,
                             (std::max(box.min.z, theirs.min.z) + std::min(box.max.z, theirs.max.z)) / 2, 1};
    TSpaceVector normal = VectorSpaceNormalize(SpaceVectorSubtract(object->GetAbsolutePosition(), it->second.Matrix[3]));
    if (SpaceVectorNorm(normal) == 0) normal = {0, 0, 1, 0};
    contacts.push_back(other);
    object->Collise(other, point, normal);
  }
  return 0;
}

std::int32_t TFakeDynamicEngine::ComplexCollise(PositionObject* object, std::vector<PositionObject*>& visited) {
  for (PositionObject* other : Touching(object)) visited.push_back(other);
  return 0;
}

PositionObject* TFakeDynamicEngine::ObjectByBody(std::int32_t body) {
  const auto it = bodies_.find(body);
  return it == bodies_.end() ? nullptr : it->second.Object.Get();
}

std::int32_t TFakeDynamicEngine::MakeBody(PositionObject* object, const TSpaceVector& boxSize, TBodyShape asked) {
  if (!object) return 0;
  std::int32_t& world = object->Kind() == okScreen ? ScreenWorld : SpaceWorld;
  if (world == 0) world = CreateWorld();
  const std::int32_t handle = ++nextBody_;
  bodies_[handle] = {object, boxSize, object->GetAbsoluteMatrix(), world, asked};
  return handle;
}

const TFakeDynamicEngine::TBodyShape* TFakeDynamicEngine::ShapeOf(std::int32_t body) const {
  const auto it = bodies_.find(body);
  return it == bodies_.end() ? nullptr : &it->second.Asked;
}

std::int32_t TFakeDynamicEngine::CreateBox(PositionObject* object, const TSpaceVector& size) {
  return MakeBody(object, size, {TShape::Box, size});
}

std::int32_t TFakeDynamicEngine::CreateSphere(PositionObject* object, const TSpaceVector& size) {
  return MakeBody(object, {size.x * 2, size.y * 2, size.z * 2, 1}, {TShape::Sphere, size});
}

std::int32_t TFakeDynamicEngine::CreateCone(PositionObject* object, const TSpaceVector& size) {
  return MakeBody(object, size, {TShape::Cone, size});
}

std::int32_t TFakeDynamicEngine::CreateCylinder(PositionObject* object, const TSpaceVector& size) {
  return MakeBody(object, size, {TShape::Cylinder, size});
}

void TFakeDynamicEngine::DestroyBody(std::int32_t& body) {
  bodies_.erase(body);
  body = 0;
}

void TFakeDynamicEngine::SetBodyMatrix(std::int32_t body, const TSpaceMatrix& m) {
  if (const auto it = bodies_.find(body); it != bodies_.end()) it->second.Matrix = m;
}

TSpaceMatrix TFakeDynamicEngine::GetBodyMatrix(std::int32_t body) {
  const auto it = bodies_.find(body);
  return it == bodies_.end() ? IdentitySpaceMatrix : it->second.Matrix;
}

void TFakeDynamicEngine::Explode(std::int32_t, const TSpaceVector&, float, float) { ++Explosions; }

TUseFakePhysics::TUseFakePhysics() : previous_(DynamicEngineClass) {
  DynamicEngineClass = TFakeDynamicEngine::StaticClass();
}

TUseFakePhysics::~TUseFakePhysics() { DynamicEngineClass = previous_; }

}  // namespace corvane::test
