// The world entry points: creation, settings, the world box and stepping.
#include <algorithm>
#include <cmath>
#include <vector>

#include "libs/newton/library_state.h"
#include "libs/newton/placement.h"

using namespace newton;

namespace {

constexpr float kMaxSubstep = 1.0f / 60.0f;
constexpr int kMaxSubsteps = 10;

// The fewest equal substeps of at most kMaxSubstep, allowing for the
// rounding of a frame time such as 1/60 s; at most kMaxSubsteps.
int SubstepCount(float timestep) {
  const double count = std::ceil(static_cast<double>(timestep) / kMaxSubstep - 1e-4);
  return static_cast<int>(std::clamp(count, 1.0, static_cast<double>(kMaxSubsteps)));
}

// Runs the force callbacks of the awake dynamic bodies, and marks every
// awake one as stepped. The bodies are gathered first and found again
// before each call, since a callback may destroy bodies or the world; false
// when the world is gone.
bool RunForceCallbacks(NtWorld handle, TWorld& world) {
  std::vector<NtBody> awake;
  for (TBody* body : world.bodies) {
    if (!body->IsDynamic() || !body->IsAwake()) continue;
    body->stepped = true;
    if (body->forceCallback) awake.push_back(body->handle);
  }
  for (NtBody bodyHandle : awake) {
    TBody* body = FindBody(bodyHandle);
    if (body && body->forceCallback) body->forceCallback(bodyHandle);
    if (!FindWorld(handle)) return false;
  }
  return true;
}

// Bullet pushes a sunk body out without giving it speed, so a body still
// sunk deeper than this share of its inner ball would pass for resting and
// freeze sunk; it is kept awake until pushed out.
constexpr btScalar kSunkShare = btScalar(0.01);

// Wakes the dynamic bodies of the contacts found in the last step that
// sink deeper than their share; restarts their freeze time.
void KeepSunkBodiesAwake(TWorld& world) {
  btDispatcher& dispatcher = world.dispatcher;
  for (int i = 0; i < dispatcher.getNumManifolds(); ++i) {
    const btPersistentManifold* manifold = dispatcher.getManifoldByIndexInternal(i);
    btScalar deepest = 0;
    for (int j = 0; j < manifold->getNumContacts(); ++j)
      deepest = std::min(deepest, manifold->getContactPoint(j).getDistance());
    if (deepest >= 0) continue;
    for (const btCollisionObject* object : {manifold->getBody0(), manifold->getBody1()}) {
      auto* body = static_cast<TBody*>(object->getUserPointer());
      if (body->IsDynamic() && -deepest > kSunkShare * body->shape->inner) body->rigid.activate();
    }
  }
}

// After the steps: bodies that moved wholly out of the world box leave the
// simulation, the others get their broadphase boxes refreshed so that the
// queries before the next step see where they are. Bullet refreshes them
// only at the start of a step, and never once a body sleeps, so a body
// that froze during these steps is refreshed too.
void RefreshMovedBodies(TWorld& world) {
  for (TBody* body : world.bodies) {
    const bool moved = body->stepped || body->rigid.isActive();
    body->stepped = false;
    if (!body->inWorld || !body->IsDynamic() || !moved) continue;
    if (world.hasBox && !world.SyncMembership(*body)) continue;
    world.dynamics.updateSingleAabb(&body->rigid);
  }
}

// Tells each auto-active callback whose body changed state since it was
// last told; gathered first, like the force callbacks.
void ReportActivity(NtWorld handle, TWorld& world) {
  std::vector<std::pair<NtBody, int>> changes;
  for (TBody* body : world.bodies) {
    if (!body->autoactiveCallback) continue;
    const int state = body->IsAwake() ? 1 : 0;
    if (state == body->reportedState) continue;
    body->reportedState = state;
    changes.emplace_back(body->handle, state);
  }
  for (const auto& [bodyHandle, state] : changes) {
    TBody* body = FindBody(bodyHandle);
    if (body && body->autoactiveCallback) body->autoactiveCallback(bodyHandle, state);
    if (!FindWorld(handle)) return;
  }
}

}  // namespace

extern "C" {

NtWorld NewtonCreate(void) {
  TWorld* world = AddWorld();
  return world ? world->handle : 0;
}

void NewtonDestroy(NtWorld handle) {
  if (TWorld* world = FindWorld(handle)) DestroyWorld(*world);
}

void NewtonSetSolverModel(NtWorld, int) {}
void NewtonSetPlatformArchitecture(NtWorld, int) {}
void NewtonSetFrictionModel(NtWorld, int) {}

void NewtonSetWorldSize(NtWorld handle, const float minPoint[3], const float maxPoint[3]) {
  TWorld* world = FindWorld(handle);
  btVector3 a, b;
  if (!world || !VectorFrom(minPoint, a) || !VectorFrom(maxPoint, b)) return;
  world->hasBox = true;
  world->boxMin = a;
  world->boxMin.setMin(b);
  world->boxMax = a;
  world->boxMax.setMax(b);
  for (TBody* body : world->bodies) world->SyncMembership(*body);
}

void NewtonUpdate(NtWorld handle, float timestep) {
  TWorld* world = FindWorld(handle);
  if (!world || world->updating || !std::isfinite(timestep) || !(timestep > 0)) return;
  const int substeps = SubstepCount(timestep);
  const float substep = std::min(timestep / static_cast<float>(substeps), kMaxSubstep);
  world->updating = true;
  for (int i = 0; i < substeps; ++i) {
    if (!RunForceCallbacks(handle, *world)) return;
    // One fixed step of exactly this length: Bullet clears the forces after
    // each call, so the callbacks run before every one.
    world->dynamics.stepSimulation(substep, 0);
    KeepSunkBodiesAwake(*world);
  }
  RefreshMovedBodies(*world);
  world->updating = false;
  ReportActivity(handle, *world);
}

}  // extern "C"
