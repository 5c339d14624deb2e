// The physics engine on the run-time loaded library "newton" (libnewton.so,
// our rigid bodies on Bullet). One world per object kind, made with its
// first body; a body per primitive object of the matching shape; a constant
// force on moving bodies (screen bodies towards +y, space bodies towards
// -z); destructions queued until the next world update; contact queries for
// the objects' collision handlers; explosions.
//
// The first engine of the process loads the library, the last one unloads
// it. Without the library (or with one lacking an entry point) an engine
// exists but makes no bodies: the creates return 0 and the rest does
// nothing. An engine frees its worlds with everything in them.
//
// Body handles come from objects, whose `body` scripts may try to write,
// so every handle is checked against the engine's own bodies: an unknown
// one does nothing, and destroying one logs an error. Bodies are made only
// at usable places and sizes, and told only usable placements; a refusal
// is an error line.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/reflection/object.h"
#include "scene/physics/dynamic_engine.h"

namespace corvane {

class TNewtonEngine : public TDynamicEngine {
  CORVANE_CLASS(TNewtonEngine, TDynamicEngine)
  explicit TNewtonEngine(const TCreateContext& context);
  ~TNewtonEngine() override;

  std::int32_t CreateWorld() override;
  void DestroyWorld(std::int32_t world) override;
  // Steps the world while the engine has a dynamic body, then destroys
  // every queued body whatever the world.
  void UpdateWorld(std::int32_t world, float dt) override;
  std::int32_t Collise(PositionObject* object, std::vector<PositionObject*>& contacts) override;
  std::int32_t ComplexCollise(PositionObject* object, std::vector<PositionObject*>& visited) override;
  PositionObject* ObjectByBody(std::int32_t body) override;
  std::int32_t CreateBox(PositionObject* object, const TSpaceVector& size) override;
  std::int32_t CreateSphere(PositionObject* object, const TSpaceVector& size) override;
  std::int32_t CreateCone(PositionObject* object, const TSpaceVector& size) override;
  std::int32_t CreateCylinder(PositionObject* object, const TSpaceVector& size) override;
  // Parks the body outside its world and queues it; the caller's handle
  // is cleared. An unknown or already queued handle is refused.
  void DestroyBody(std::int32_t& body) override;
  void SetBodyMatrix(std::int32_t body, const TSpaceMatrix& m) override;
  TSpaceMatrix GetBodyMatrix(std::int32_t body) override;
  std::uint64_t BodyMatrixStamp(std::int32_t body) override;
  void Explode(std::int32_t world, const TSpaceVector& centre, float radius, float strength) override;
  void Wind(std::int32_t, const TSpaceVector&, float) override {}

  // Whether the library was loaded for the engines.
  static bool LibraryLoaded();
  // The library name loaded ("newton"); tests point it elsewhere.
  static std::string LibraryName;

  // Set by the first dynamic body; worlds are stepped only from then on.
  bool HasDynamicBodies() const { return hasDynamicBodies_; }
  // Live bodies (queued ones included), queued ones, awake dynamic ones.
  std::int32_t BodyCount() const { return bodyCount_; }
  std::int32_t QueuedCount() const { return static_cast<std::int32_t>(destroyList_.size()); }
  std::int32_t ActiveBodies() const { return activeBodies_; }
  // The up-vector joint of a body; 0 when it has none or is unknown.
  std::uint32_t JointOf(std::int32_t body) const;

  // What the library's callbacks reach through a body's user data.
  struct TBodyRecord {
    TNewtonEngine* Engine;
    TWeak<PositionObject> Object;
    std::uint32_t World;
    std::uint32_t Joint;
    const float* Force;  // the constant force of its world; nullptr for a static body
    bool Active;         // last told awake
    bool Queued;         // waiting for destruction
    bool PlacementRefused = false;  // the last placement told was unusable
  };

 private:
  // The world of the object's kind, made and sized on first need; 0
  // without the library.
  std::uint32_t CheckWorld(PositionObject* object);
  // A body of the shape makeShape makes in the object's world, once the
  // object may have one of that size at its place; 0, with an error line,
  // when it may not or the library makes none.
  std::int32_t CreateBody(PositionObject* object, const TSpaceVector& size,
                          const std::function<std::uint32_t(std::uint32_t world)>& makeShape);
  // A live body of this engine, at the slot of its handle: read every tick
  // for every body, so found without a search.
  struct TBodySlot {
    std::int32_t Body = 0;  // the whole handle; 0 when empty
    // Renewed whenever the library may have moved the body: it does so
    // only when told a placement, or in an update while the body is awake;
    // an awake body has its force callback run before a substep or, woken
    // during the last one, is reported active after it.
    std::uint64_t Stamp = 0;
    std::unique_ptr<TBodyRecord> Record;
  };
  // The slot of a live body of this engine; nullptr for any other handle
  // (forged, stale, or another engine's).
  const TBodySlot* Slot(std::int32_t body) const;
  TBodySlot* Slot(std::int32_t body);
  // The record of a live body of this engine; nullptr for any other handle.
  TBodyRecord* Record(std::int32_t body) const;
  // The body may have moved: its stamp is renewed.
  void Moved(std::int32_t body);
  // Destroys the body and its joint now.
  void IntDestroyBody(std::int32_t body);
  // Whether the object may ask for contacts: the library is there, the
  // object is visible and has a live body of its own here.
  bool Answers(PositionObject* object) const;
  // The object of a body found by a query, when it takes part in contacts:
  // a live body whose object is wrapped for scripts, visible and not being
  // disposed; nullptr otherwise.
  PositionObject* ContactObject(std::uint32_t body) const;
  void PostDebugInfo(float seconds);

  static void PhysicsApplyForceAndTorque(std::uint32_t body);
  static void PhysicsAutoactiveCounter(std::uint32_t body, int state);
  // userData is the explosion in progress.
  static void ExplodeBodyCallback(std::uint32_t body, void* userData);

  bool hasDynamicBodies_ = false;
  std::vector<std::int32_t> destroyList_;
  // Indexed by NEWTON_HANDLE_SLOT of the body.
  std::vector<TBodySlot> bodies_;
  std::int32_t bodyCount_ = 0;
  std::int32_t activeBodies_ = 0;
};

}  // namespace corvane
