// What the library keeps behind its handles: worlds, shapes, bodies and
// joints, and the tables that turn handles into them. Internal to
// libnewton.so.
#pragma once

#include <btBulletDynamicsCommon.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "libs/newton/handle_table.h"
#include "libs/newton/api/newton_api.h"

namespace newton {

struct TWorld;
struct TBody;

struct TShape {
  NtCollision handle = 0;
  TWorld* world = nullptr;
  // The shape bodies use; a compound around child when placed by an offset.
  std::unique_ptr<btCollisionShape> shape;
  std::unique_ptr<btCollisionShape> child;
  // The radius of the largest ball about the body's origin inside the
  // shape: what fast bodies sweep, and the measure of how far they sink.
  btScalar inner = 0;
  int references = 1;  // the creator's and one per body
  bool creatorReleased = false;
  std::size_t indexInWorld = 0;
};

struct TJoint {
  NtJoint handle = 0;
  TWorld* world = nullptr;
  TBody* body = nullptr;
  std::size_t indexInWorld = 0;
};

struct TBody {
  TBody(TWorld* owner, TShape* withShape);

  NtBody handle = 0;
  TWorld* world = nullptr;
  TShape* shape = nullptr;
  TJoint* joint = nullptr;
  btRigidBody rigid;
  void* userData = nullptr;
  NtForceAndTorqueCallback forceCallback = nullptr;
  NtAutoactiveCallback autoactiveCallback = nullptr;
  int reportedState = 0;   // the last state the auto-active callback was told
  bool inWorld = false;    // in Bullet's world: its box overlaps the world box
  bool stepped = false;    // awake in a step of the update in progress
  std::size_t indexInWorld = 0;

  bool IsDynamic() const { return rigid.getInvMass() > 0; }
  // Awake and simulated: what the force and auto-active callbacks see.
  bool IsAwake() const { return inWorld && rigid.isActive(); }
  void Box(btVector3& minPoint, btVector3& maxPoint) const;
};

struct TWorld {
  TWorld();
  ~TWorld();

  NtWorld handle = 0;
  btDefaultCollisionConfiguration configuration;
  btCollisionDispatcher dispatcher{&configuration};
  btDbvtBroadphase broadphase;
  btSequentialImpulseConstraintSolver solver;
  btDiscreteDynamicsWorld dynamics{&dispatcher, &broadphase, &solver, &configuration};
  bool hasBox = false;
  btVector3 boxMin{0, 0, 0}, boxMax{0, 0, 0};
  bool updating = false;
  std::vector<TBody*> bodies;
  std::vector<TShape*> shapes;
  std::vector<TJoint*> joints;

  // Whether a box overlaps the world box (always, without one).
  bool Contains(const btVector3& minPoint, const btVector3& maxPoint) const;
  // Puts the body into Bullet's world or takes it out by its box; a body
  // coming back in is woken. Answers whether it is in.
  bool SyncMembership(TBody& body);
};

// Look-ups: null for 0, forged, stale or other-kind handles.
TWorld* FindWorld(NtWorld handle);
TShape* FindShape(NtCollision handle);
TBody* FindBody(NtBody handle);
TJoint* FindJoint(NtJoint handle);

// Creation and destruction keep the tables, the world's lists and Bullet's
// world in step. Each Add answers null when the table is full.
TWorld* AddWorld();
void DestroyWorld(TWorld& world);
TShape* AddShape(TWorld& world, std::unique_ptr<btCollisionShape> shape, std::unique_ptr<btCollisionShape> child,
                 btScalar inner);
void UnreferenceShape(TShape& shape);
TBody* AddBody(TWorld& world, TShape& shape);
void DestroyBody(TBody& body);
TJoint* AddJoint(TWorld& world, TBody& body);
void DestroyJoint(TJoint& joint);

}  // namespace newton
