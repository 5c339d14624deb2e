// A libnewton stand-in that lacks one entry point the engine calls
// (NewtonCollisionCollide): the engine must take it as not loaded. Every
// entry point it has aborts, so a call through it fails the test.
#include <cstdlib>

#define LACKING_STUB(name) \
  extern "C" __attribute__((visibility("default"))) void name() { std::abort(); }
#define LACKING_ALL_BUT_COLLIDE(X)                                                                            \
  X(NewtonCreate)                                                                                             \
  X(NewtonDestroy)                                                                                            \
  X(NewtonSetSolverModel)                                                                                     \
  X(NewtonSetPlatformArchitecture)                                                                            \
  X(NewtonSetFrictionModel)                                                                                   \
  X(NewtonSetWorldSize)                                                                                       \
  X(NewtonUpdate)                                                                                             \
  X(NewtonCreateBox)                                                                                          \
  X(NewtonCreateSphere)                                                                                       \
  X(NewtonCreateCone)                                                                                         \
  X(NewtonCreateCylinder)                                                                                     \
  X(NewtonReleaseCollision)                                                                                   \
  X(NewtonCreateBody)                                                                                         \
  X(NewtonDestroyBody)                                                                                        \
  X(NewtonBodyGetWorld)                                                                                       \
  X(NewtonBodySetUserData)                                                                                    \
  X(NewtonBodyGetUserData)                                                                                    \
  X(NewtonBodySetMatrix)                                                                                      \
  X(NewtonBodyGetMatrix)                                                                                      \
  X(NewtonBodySetMassMatrix)                                                                                  \
  X(NewtonBodySetForce)                                                                                       \
  X(NewtonAddBodyImpulse)                                                                                     \
  X(NewtonBodySetForceAndTorqueCallback)                                                                      \
  X(NewtonBodySetAutoactiveCallback)                                                                          \
  X(NewtonBodySetAutoFreeze)                                                                                  \
  X(NewtonBodySetFreezeTreshold)                                                                              \
  X(NewtonConstraintCreateUpVector)                                                                           \
  X(NewtonDestroyJoint)                                                                                       \
  X(NewtonBodyGetAABB)                                                                                        \
  X(NewtonWorldForEachBodyInAABBDo)                                                                           \
  X(NewtonBodyGetCollision)
LACKING_ALL_BUT_COLLIDE(LACKING_STUB)
