// A physics engine for tests: bodies are axis-aligned boxes (the body's size
// around its matrix's position, turned with the matrix), contacts are box
// overlaps, worlds step by counting. Every contact query records where the
// asking object stood, so that the sub-steps of a move can be checked, and
// every body keeps the shape and size it was asked for.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "scene/physics/dynamic_engine.h"

namespace corvane::test {

class TFakeDynamicEngine : public TDynamicEngine {
  CORVANE_CLASS(TFakeDynamicEngine, TDynamicEngine)
  using TDynamicEngine::TDynamicEngine;

  std::int32_t CreateWorld() override;
  void DestroyWorld(std::int32_t world) override;
  void UpdateWorld(std::int32_t world, float dt) override;
  std::int32_t Collise(PositionObject* object, std::vector<PositionObject*>& contacts) override;
  std::int32_t ComplexCollise(PositionObject* object, std::vector<PositionObject*>& visited) override;
  PositionObject* ObjectByBody(std::int32_t body) override;
  std::int32_t CreateBox(PositionObject* object, const TSpaceVector& size) override;
  std::int32_t CreateSphere(PositionObject* object, const TSpaceVector& size) override;
  std::int32_t CreateCone(PositionObject* object, const TSpaceVector& size) override;
  std::int32_t CreateCylinder(PositionObject* object, const TSpaceVector& size) override;
  void DestroyBody(std::int32_t& body) override;
  void SetBodyMatrix(std::int32_t body, const TSpaceMatrix& m) override;
  TSpaceMatrix GetBodyMatrix(std::int32_t body) override;
  void Explode(std::int32_t world, const TSpaceVector& centre, float radius, float strength) override;
  void Wind(std::int32_t, const TSpaceVector&, float) override {}

  // What happened.
  struct TQuery {
    PositionObject* Object;
    TSpaceVector Position;  // the object's absolute position when it asked
  };
  std::vector<TQuery> Queries;
  std::vector<std::int32_t> Steps;  // the world of every UpdateWorld
  std::int32_t Explosions = 0;
  std::int32_t LiveBodies() const { return static_cast<std::int32_t>(bodies_.size()); }
  // A live body as it was asked for: the operation that made it and the
  // size it was given.
  enum class TShape { Box, Sphere, Cone, Cylinder };
  struct TBodyShape {
    TShape Shape;
    TSpaceVector Size;
  };
  // Null for a handle that names no live body.
  const TBodyShape* ShapeOf(std::int32_t body) const;

 private:
  struct TBody {
    TWeak<PositionObject> Object;
    TSpaceVector Size;  // of the box that stands for it in contacts
    TSpaceMatrix Matrix;
    std::int32_t World;
    TBodyShape Asked;
  };
  std::int32_t MakeBody(PositionObject* object, const TSpaceVector& boxSize, TBodyShape asked);
  TAABB BoxOf(const TBody& body) const;
  // The bodies of the object's world that touch its body.
  std::vector<PositionObject*> Touching(PositionObject* object);

  std::map<std::int32_t, TBody> bodies_;
  std::int32_t nextBody_ = 0;
  std::int32_t nextWorld_ = 0;
};

// Makes the fake engine the physics-engine class for a scope.
class TUseFakePhysics {
 public:
  TUseFakePhysics();
  ~TUseFakePhysics();
  TUseFakePhysics(const TUseFakePhysics&) = delete;
  TUseFakePhysics& operator=(const TUseFakePhysics&) = delete;

 private:
  TClass previous_;
};

}  // namespace corvane::test
