// The body and joint entry points: life, placement, mass, forces,
// callbacks, freezing and the up-vector joint.
#include <cmath>

#include "libs/newton/library_state.h"
#include "libs/newton/placement.h"

using namespace newton;

namespace {

// A positive finite value, or 0.
btScalar Positive(float value) { return std::isfinite(value) && value > 0 ? value : 0; }

// The fastest a body is set moving, in units a second: faster, it would go
// so far in one step that the world could no longer follow it, and it would
// stay where it was, frozen, for good.
constexpr btScalar kMaxSpeed = 1e6;

}  // namespace

extern "C" {

NtBody NewtonCreateBody(NtWorld worldHandle, NtCollision collision) {
  TWorld* world = FindWorld(worldHandle);
  TShape* shape = FindShape(collision);
  if (!world || !shape || shape->world != world) return 0;
  TBody* body = AddBody(*world, *shape);
  return body ? body->handle : 0;
}

void NewtonDestroyBody(NtWorld worldHandle, NtBody bodyHandle) {
  TBody* body = FindBody(bodyHandle);
  if (body && body->world == FindWorld(worldHandle)) DestroyBody(*body);
}

NtWorld NewtonBodyGetWorld(NtBody bodyHandle) {
  TBody* body = FindBody(bodyHandle);
  return body ? body->world->handle : 0;
}

void NewtonBodySetUserData(NtBody bodyHandle, void* userData) {
  if (TBody* body = FindBody(bodyHandle)) body->userData = userData;
}

void* NewtonBodyGetUserData(NtBody bodyHandle) {
  TBody* body = FindBody(bodyHandle);
  return body ? body->userData : nullptr;
}

void NewtonBodySetMatrix(NtBody bodyHandle, const float matrix[16]) {
  TBody* body = FindBody(bodyHandle);
  btTransform placement;
  if (!body || !TransformFromMatrix(matrix, placement)) return;
  if (SamePlacement(placement, body->rigid.getWorldTransform())) return;
  body->rigid.setWorldTransform(placement);
  body->rigid.setInterpolationWorldTransform(placement);
  TWorld& world = *body->world;
  if (!world.SyncMembership(*body)) return;
  world.dynamics.updateSingleAabb(&body->rigid);
  if (body->IsDynamic()) body->rigid.activate(true);
}

void NewtonBodyGetMatrix(NtBody bodyHandle, float matrix[16]) {
  if (!matrix) return;
  if (TBody* body = FindBody(bodyHandle)) {
    MatrixFromTransform(body->rigid.getWorldTransform(), matrix);
  } else {
    IdentityMatrix(matrix);
  }
}

void NewtonBodySetMassMatrix(NtBody bodyHandle, float mass, float Ixx, float Iyy, float Izz) {
  TBody* body = FindBody(bodyHandle);
  if (!body) return;
  const btScalar m = Positive(mass);
  btVector3 inertia(0, 0, 0);
  if (m > 0) {
    btVector3 fromShape;
    body->rigid.getCollisionShape()->calculateLocalInertia(m, fromShape);
    const btScalar given[3] = {Positive(Ixx), Positive(Iyy), Positive(Izz)};
    for (int axis = 0; axis < 3; ++axis) inertia[axis] = given[axis] > 0 ? given[axis] : fromShape[axis];
  }
  // Bullet sorts bodies into static and moving ones as they enter its
  // world, so a body changing between the two leaves and comes back.
  TWorld& world = *body->world;
  const bool wasIn = body->inWorld;
  if (wasIn) world.dynamics.removeRigidBody(&body->rigid);
  body->rigid.setMassProps(m, inertia);
  body->rigid.updateInertiaTensor();
  if (m == 0) {
    body->rigid.setLinearVelocity(btVector3(0, 0, 0));
    body->rigid.setAngularVelocity(btVector3(0, 0, 0));
  }
  if (wasIn) {
    world.dynamics.addRigidBody(&body->rigid);
    if (m > 0) body->rigid.activate(true);
  }
}

void NewtonBodySetForce(NtBody bodyHandle, const float force[3]) {
  TBody* body = FindBody(bodyHandle);
  btVector3 value;
  if (!body || !VectorFrom(force, value)) return;
  body->rigid.clearForces();
  body->rigid.applyCentralForce(value);
}

void NewtonAddBodyImpulse(NtBody bodyHandle, const float deltaVelocity[3], const float point[3]) {
  TBody* body = FindBody(bodyHandle);
  btVector3 velocity, at;
  if (!body || !body->IsDynamic() || !VectorFrom(deltaVelocity, velocity) || !VectorFrom(point, at)) return;
  const btVector3 impulse = velocity / body->rigid.getInvMass();
  body->rigid.applyImpulse(impulse, at - body->rigid.getCenterOfMassPosition());
  // However many changes add up: scaled down first, so that no square
  // overflows.
  const btVector3 speed = body->rigid.getLinearVelocity();
  if (!(speed.length() <= kMaxSpeed)) {
    const btScalar largest = speed.absolute()[speed.absolute().maxAxis()];
    body->rigid.setLinearVelocity(std::isfinite(largest) && largest > 0 ? (speed / largest).normalized() * kMaxSpeed
                                                                         : btVector3(0, 0, 0));
  }
  body->rigid.activate(true);
}

void NewtonBodySetForceAndTorqueCallback(NtBody bodyHandle, NtForceAndTorqueCallback callback) {
  if (TBody* body = FindBody(bodyHandle)) body->forceCallback = callback;
}

void NewtonBodySetAutoactiveCallback(NtBody bodyHandle, NtAutoactiveCallback callback) {
  TBody* body = FindBody(bodyHandle);
  if (!body) return;
  body->autoactiveCallback = callback;
  body->reportedState = 0;
}

void NewtonBodySetAutoFreeze(NtBody bodyHandle, int state) {
  TBody* body = FindBody(bodyHandle);
  if (!body) return;
  if (state) {
    if (body->rigid.getActivationState() == DISABLE_DEACTIVATION) body->rigid.forceActivationState(ACTIVE_TAG);
  } else {
    body->rigid.forceActivationState(DISABLE_DEACTIVATION);
  }
}

void NewtonBodySetFreezeTreshold(NtBody bodyHandle, float linearSpeed, float angularSpeed, int) {
  TBody* body = FindBody(bodyHandle);
  if (!body || !std::isfinite(linearSpeed) || !std::isfinite(angularSpeed)) return;
  body->rigid.setSleepingThresholds(std::fabs(linearSpeed), std::fabs(angularSpeed));
}

NtJoint NewtonConstraintCreateUpVector(NtWorld worldHandle, const float pin[3], NtBody bodyHandle) {
  TWorld* world = FindWorld(worldHandle);
  TBody* body = FindBody(bodyHandle);
  btVector3 axis;
  if (!world || !body || body->world != world || body->joint || !VectorFrom(pin, axis) || axis.fuzzyZero()) return 0;
  TJoint* joint = AddJoint(*world, *body);
  if (!joint) return 0;
  // Bullet's angular factor scales turning about each world axis: keeping
  // only the pin's main axis lets the body turn about that axis alone.
  btVector3 factor(0, 0, 0);
  factor[axis.absolute().maxAxis()] = 1;
  body->rigid.setAngularFactor(factor);
  body->rigid.setAngularVelocity(body->rigid.getAngularVelocity() * factor);
  return joint->handle;
}

void NewtonDestroyJoint(NtWorld worldHandle, NtJoint jointHandle) {
  TJoint* joint = FindJoint(jointHandle);
  if (joint && joint->world == FindWorld(worldHandle)) DestroyJoint(*joint);
}

}  // extern "C"
