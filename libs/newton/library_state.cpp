#include "libs/newton/library_state.h"

#include <algorithm>

namespace newton {

namespace {

// Bodies freeze after this long below their thresholds: 5 steps of 1/60 s.
// Bullet keeps one such time for the whole process.
constexpr btScalar kFreezeTime = btScalar(5.0 / 60.0);

// Swept tests: the ball swept is this share of the shape's inner ball, and
// a step moving the body further than the other share is swept.
constexpr btScalar kSweptShare = btScalar(0.9);
constexpr btScalar kSweepAfterShare = btScalar(0.5);

// Every live object by handle. Destroying the library destroys the worlds
// still alive, and with them everything else.
struct TLibrary {
  THandleTable<TWorld, THandleKind::kWorld> worlds;
  THandleTable<TShape, THandleKind::kCollision> shapes;
  THandleTable<TBody, THandleKind::kBody> bodies;
  THandleTable<TJoint, THandleKind::kJoint> joints;
  std::vector<TWorld*> liveWorlds;

  ~TLibrary();
};

TLibrary& Library() {
  static TLibrary library;
  return library;
}

// Removes an entry from a world's list in constant time, fixing the index
// of the entry moved into its place.
template <typename T>
void RemoveFromList(std::vector<T*>& list, T& item) {
  T* last = list.back();
  list[item.indexInWorld] = last;
  last->indexInWorld = item.indexInWorld;
  list.pop_back();
}

template <typename T>
void AppendToList(std::vector<T*>& list, T& item) {
  item.indexInWorld = list.size();
  list.push_back(&item);
}

void DestroyJointIn(TLibrary& library, TJoint& joint) {
  joint.body->joint = nullptr;
  joint.body->rigid.setAngularFactor(btVector3(1, 1, 1));
  RemoveFromList(joint.world->joints, joint);
  library.joints.Remove(joint.handle);
}

void UnreferenceShapeIn(TLibrary& library, TShape& shape) {
  if (--shape.references > 0) return;
  RemoveFromList(shape.world->shapes, shape);
  library.shapes.Remove(shape.handle);
}

void DestroyBodyIn(TLibrary& library, TBody& body) {
  if (body.joint) DestroyJointIn(library, *body.joint);
  TWorld& world = *body.world;
  if (body.inWorld) world.dynamics.removeRigidBody(&body.rigid);
  RemoveFromList(world.bodies, body);
  TShape& shape = *body.shape;
  library.bodies.Remove(body.handle);
  UnreferenceShapeIn(library, shape);
}

void DestroyWorldIn(TLibrary& library, TWorld& world) {
  // Bodies leave Bullet's world before it goes (its destructor still
  // touches what it holds); joints go with their bodies.
  while (!world.bodies.empty()) DestroyBodyIn(library, *world.bodies.back());
  while (!world.shapes.empty()) {
    TShape& shape = *world.shapes.back();
    world.shapes.pop_back();
    library.shapes.Remove(shape.handle);
  }
  auto& live = library.liveWorlds;
  live.erase(std::find(live.begin(), live.end(), &world));
  library.worlds.Remove(world.handle);
}

TLibrary::~TLibrary() {
  while (!liveWorlds.empty()) DestroyWorldIn(*this, *liveWorlds.back());
}

}  // namespace

TBody::TBody(TWorld* owner, TShape* withShape)
    : world(owner), shape(withShape), rigid(btRigidBody::btRigidBodyConstructionInfo(0, nullptr, withShape->shape.get())) {
  rigid.setUserPointer(this);
  // A body moving further in a step than a share of its inner ball could
  // skip a thin floor, or sink past its middle and be pushed out below:
  // such a step sweeps the ball and stops where it first touches.
  if (withShape->inner > 0) {
    rigid.setCcdSweptSphereRadius(kSweptShare * withShape->inner);
    rigid.setCcdMotionThreshold(kSweepAfterShare * withShape->inner);
  }
}

void TBody::Box(btVector3& minPoint, btVector3& maxPoint) const {
  rigid.getCollisionShape()->getAabb(rigid.getWorldTransform(), minPoint, maxPoint);
}

TWorld::TWorld() {
  dynamics.setGravity(btVector3(0, 0, 0));
  // Sleeping bodies keep their broadphase boxes; moved ones are refreshed
  // where they move (after a step, or at once when placed).
  dynamics.setForceUpdateAllAabbs(false);
}

TWorld::~TWorld() = default;

bool TWorld::Contains(const btVector3& minPoint, const btVector3& maxPoint) const {
  if (!hasBox) return true;
  for (int axis = 0; axis < 3; ++axis) {
    if (maxPoint[axis] < boxMin[axis] || minPoint[axis] > boxMax[axis]) return false;
  }
  return true;
}

bool TWorld::SyncMembership(TBody& body) {
  btVector3 minPoint, maxPoint;
  body.Box(minPoint, maxPoint);
  const bool inside = Contains(minPoint, maxPoint);
  if (inside && !body.inWorld) {
    dynamics.addRigidBody(&body.rigid);
    body.inWorld = true;
    if (body.IsDynamic()) body.rigid.activate(true);
  } else if (!inside && body.inWorld) {
    dynamics.removeRigidBody(&body.rigid);
    body.inWorld = false;
  }
  return inside;
}

TWorld* FindWorld(NtWorld handle) { return Library().worlds.Find(handle); }
TShape* FindShape(NtCollision handle) { return Library().shapes.Find(handle); }
TBody* FindBody(NtBody handle) { return Library().bodies.Find(handle); }
TJoint* FindJoint(NtJoint handle) { return Library().joints.Find(handle); }

TWorld* AddWorld() {
  gDeactivationTime = kFreezeTime;
  TLibrary& library = Library();
  auto world = std::make_unique<TWorld>();
  TWorld* raw = world.get();
  const std::uint32_t handle = library.worlds.Add(std::move(world));
  if (!handle) return nullptr;
  raw->handle = handle;
  library.liveWorlds.push_back(raw);
  return raw;
}

void DestroyWorld(TWorld& world) { DestroyWorldIn(Library(), world); }

TShape* AddShape(TWorld& world, std::unique_ptr<btCollisionShape> shape, std::unique_ptr<btCollisionShape> child,
                 btScalar inner) {
  auto entry = std::make_unique<TShape>();
  TShape* raw = entry.get();
  raw->world = &world;
  raw->inner = inner;
  raw->shape = std::move(shape);
  raw->child = std::move(child);
  const std::uint32_t handle = Library().shapes.Add(std::move(entry));
  if (!handle) return nullptr;
  raw->handle = handle;
  AppendToList(world.shapes, *raw);
  return raw;
}

void UnreferenceShape(TShape& shape) { UnreferenceShapeIn(Library(), shape); }

TBody* AddBody(TWorld& world, TShape& shape) {
  auto entry = std::make_unique<TBody>(&world, &shape);
  TBody* raw = entry.get();
  const std::uint32_t handle = Library().bodies.Add(std::move(entry));
  if (!handle) return nullptr;
  raw->handle = handle;
  ++shape.references;
  AppendToList(world.bodies, *raw);
  world.SyncMembership(*raw);
  return raw;
}

void DestroyBody(TBody& body) { DestroyBodyIn(Library(), body); }

TJoint* AddJoint(TWorld& world, TBody& body) {
  auto entry = std::make_unique<TJoint>();
  TJoint* raw = entry.get();
  raw->world = &world;
  raw->body = &body;
  const std::uint32_t handle = Library().joints.Add(std::move(entry));
  if (!handle) return nullptr;
  raw->handle = handle;
  body.joint = raw;
  AppendToList(world.joints, *raw);
  return raw;
}

void DestroyJoint(TJoint& joint) { DestroyJointIn(Library(), joint); }

}  // namespace newton
