// The physics-engine interface. Rigid-body physics is a replaceable service:
// positioned objects and the applet reach it only through TDynamicEngine,
// and the class that implements it is chosen through DynamicEngineClass,
// which the physics unit sets when the program starts. An applet has at most
// one physics engine: the first positioned object that needs a body creates
// it with the applet as owner, the applet steps its worlds every tick and
// frees it with itself.
//
// Worlds and bodies are opaque 32-bit handles of the implementation; 0 means
// none. Screen objects share one world, space objects the other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/reflection/persistent.h"

namespace corvane {

class PositionObject;

// The largest velocity change an explosion gives, in units a second: far
// beyond what crosses a world in a frame, and short of the speeds at which
// a world can no longer follow a body (it would stay where it was, frozen).
inline constexpr float kMaxExplosionStrength = 1e6f;

// Why an explosion of that centre, radius and strength cannot be made;
// empty when it can. Values that are no number, a negative radius and a
// strength beyond kMaxExplosionStrength either way are refused.
std::u16string ExplosionRefusal(const TSpaceVector& centre, float radius, float strength);

class TDynamicEngine : public TSomePersistent {
  CORVANE_CLASS(TDynamicEngine, TSomePersistent)
  // The owner is the applet.
  using TSomePersistent::TSomePersistent;

  // The world of okSpace objects and the world of okScreen objects; 0 until
  // the implementation creates them.
  std::int32_t SpaceWorld = 0;
  std::int32_t ScreenWorld = 0;

  virtual std::int32_t CreateWorld() = 0;
  virtual void DestroyWorld(std::int32_t world) = 0;
  // Advances a world by dt seconds and destroys the bodies removed since the
  // last step.
  virtual void UpdateWorld(std::int32_t world, float dt) = 0;
  // Finds the bodies touching the object's body and calls the object's
  // Collise (other, contact point, contact normal) for each, at most one
  // contact per pair; the touched objects are appended to contacts.
  virtual std::int32_t Collise(PositionObject* object, std::vector<PositionObject*>& contacts) = 0;
  // Appends to the list the objects that touch the object.
  virtual std::int32_t ComplexCollise(PositionObject* object, std::vector<PositionObject*>& visited) = 0;
  virtual PositionObject* ObjectByBody(std::int32_t body) = 0;
  // Bodies for the object in its world; size is (x, y, z, 1) as each shape
  // reads it. The result is the body handle.
  virtual std::int32_t CreateBox(PositionObject* object, const TSpaceVector& size) = 0;
  virtual std::int32_t CreateSphere(PositionObject* object, const TSpaceVector& size) = 0;
  virtual std::int32_t CreateCone(PositionObject* object, const TSpaceVector& size) = 0;
  virtual std::int32_t CreateCylinder(PositionObject* object, const TSpaceVector& size) = 0;
  // Takes the body out of the simulation and clears the caller's handle.
  virtual void DestroyBody(std::int32_t& body) = 0;
  // Rows right, direction, up, position.
  virtual void SetBodyMatrix(std::int32_t body, const TSpaceMatrix& m) = 0;
  virtual TSpaceMatrix GetBodyMatrix(std::int32_t body) = 0;
  // A number that changes whenever the body's matrix may have changed: two
  // equal answers for a body mean that its matrix stayed the same between
  // them, so a resting body need not be read every tick. No number is given
  // twice in the process, whatever the body or the engine. This one gives a
  // new number on every call, for engines that do not keep track.
  virtual std::uint64_t BodyMatrixStamp(std::int32_t body);
  // Pushes every body of the world within radius of the centre away from
  // it by strength (a velocity change); the caller has checked the values
  // (ExplosionRefusal).
  virtual void Explode(std::int32_t world, const TSpaceVector& centre, float radius, float strength) = 0;
  virtual void Wind(std::int32_t world, const TSpaceVector& direction, float strength) = 0;

  // Steps each world that exists, screen first.
  void UpdateWorlds(float dt);

 protected:
  // A number never given before in the process (never 0).
  static std::uint64_t NewMatrixStamp();
};

// The physics-engine class applets instantiate; nullptr when none.
extern TClass DynamicEngineClass;

// Keeps the class under its name in the physics-engine registry.
void RegisterDynamic(TClass cls);

}  // namespace corvane
