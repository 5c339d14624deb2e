/* The C interface of libnewton.so, our rigid-body library on Bullet.
 *
 * The engine loads the library at run time by name and looks each entry
 * point up by the name listed in NEWTON_API_ENTRY_POINTS; this header gives
 * it their types (decltype(&NewtonCreate) and so on), so it never links the
 * library. Stands alone: nothing of the engine or of Bullet appears here.
 *
 * Handles. Worlds, collision shapes, bodies and joints are 32-bit handles:
 * a slot index, a generation number and the kind of object, never an
 * address. 0 is no object. A handle that is 0, forged, of another kind, or
 * stale (its object destroyed, even if the slot was used again) is refused:
 * the call does nothing and answers 0, a null pointer or the identity
 * matrix. Every valid handle is below 2^31, so it survives a signed 32-bit
 * property. Its low NEWTON_HANDLE_SLOT_BITS bits, NEWTON_HANDLE_SLOT(h), are
 * its slot: never 0, and never the same for two live objects of one kind,
 * so a caller may keep its own table indexed by them (comparing the whole
 * handle to tell a stale one).
 *
 * Matrices are 16 floats in the row-vector layout: rows 0-2 are the images
 * of the x, y and z axes, row 3 holds the translation (elements 12-14).
 * Placements are rigid: rows 0-2 are orthonormalised on the way in (x kept,
 * y made perpendicular to it, z = x cross y), which drops any scale. A matrix
 * with a non-finite element, a zero-length or dependent row, or a
 * translation beyond 1e9 is refused and the previous placement stays.
 * Vectors are 3 floats; contact points and normals are written as 4.
 *
 * Threading: call from one thread. Callbacks run on the calling thread,
 * inside NewtonUpdate and NewtonWorldForEachBodyInAABBDo, never inside
 * Bullet's own step: a callback may call any entry point, destroy bodies or
 * even the world (the call that ran it then stops); a NewtonUpdate of a
 * world from inside its own update does nothing.
 */
#ifndef CORVANE_LIBS_NEWTON_NEWTON_API_H
#define CORVANE_LIBS_NEWTON_NEWTON_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define NEWTON_API __attribute__((visibility("default")))

#define NEWTON_HANDLE_SLOT_BITS 20
#define NEWTON_HANDLE_SLOT(handle) ((uint32_t)(handle) & ((1u << NEWTON_HANDLE_SLOT_BITS) - 1u))

typedef uint32_t NtWorld;
typedef uint32_t NtCollision;
typedef uint32_t NtBody;
typedef uint32_t NtJoint;

/* Runs for every awake dynamic body before each substep; it sets the force
 * for that substep with NewtonBodySetForce (no force: none acts). */
typedef void (*NtForceAndTorqueCallback)(NtBody body);
/* Runs at the end of a NewtonUpdate for a body whose state changed since it
 * was last told: state 1 when it became active, 0 when it froze or left the
 * world box. The first report after the callback is installed is 1 for an
 * awake body (the last state told counts as 0 until then). No report is
 * made when a body is destroyed. */
typedef void (*NtAutoactiveCallback)(NtBody body, int state);
/* Runs once for each body a box query finds; userData is the query's. */
typedef void (*NtBodyIterator)(NtBody body, void* userData);

/* ---- Worlds ---- */

/* An empty world without gravity (forces come from the callbacks) and
 * without a world box; 0 when no more worlds can be made. */
NEWTON_API NtWorld NewtonCreate(void);
/* Destroys the world with every body, joint and shape still in it. */
NEWTON_API void NewtonDestroy(NtWorld world);
/* Accepted for the caller's sake; Bullet keeps its own solver, SIMD code
 * and friction, so these have no effect. */
NEWTON_API void NewtonSetSolverModel(NtWorld world, int model);
NEWTON_API void NewtonSetPlatformArchitecture(NtWorld world, int mode);
NEWTON_API void NewtonSetFrictionModel(NtWorld world, int model);
/* The world box (corners in any order). A body whose box lies wholly
 * outside it is taken out of the simulation: not stepped, no force
 * callback, not found by box queries, reported frozen; it comes back when a
 * new placement or world box overlaps it again. Non-finite corners are
 * refused. */
NEWTON_API void NewtonSetWorldSize(NtWorld world, const float minPoint[3], const float maxPoint[3]);
/* Advances the world by timestep seconds in equal substeps of at most
 * 1/60 s, at most 10 of them (a longer stall is not replayed). Each substep
 * runs the force callbacks of the awake dynamic bodies, then one Bullet
 * step. Afterwards the box of every moved body is current and the
 * auto-active callbacks report. A timestep that is not finite or not above
 * 0 steps nothing. */
NEWTON_API void NewtonUpdate(NtWorld world, float timestep);

/* ---- Collision shapes ----
 * Sizes are taken by absolute value, at least 0.001 and at most 1e7; a
 * non-finite size makes no shape (0). offsetMatrix places the shape in its
 * body (NULL: centred). A shape belongs to its world; the creator holds one
 * reference, each body using it another. */

/* Box of the full sizes dx, dy, dz. */
NEWTON_API NtCollision NewtonCreateBox(NtWorld world, float dx, float dy, float dz, const float offsetMatrix[16]);
/* Ellipsoid of the radii rx, ry, rz (a sphere when they are equal). */
NEWTON_API NtCollision NewtonCreateSphere(NtWorld world, float rx, float ry, float rz, const float offsetMatrix[16]);
/* Cone along x, centred: base at x = -height/2, apex at +height/2. */
NEWTON_API NtCollision NewtonCreateCone(NtWorld world, float radius, float height, const float offsetMatrix[16]);
/* Cylinder along x, centred, of the given radius and length height. */
NEWTON_API NtCollision NewtonCreateCylinder(NtWorld world, float radius, float height, const float offsetMatrix[16]);
/* Drops the creator's reference (once; later calls do nothing). The shape
 * lives on while a body uses it. */
NEWTON_API void NewtonReleaseCollision(NtWorld world, NtCollision collision);

/* ---- Bodies ---- */

/* A static body (mass 0) of the world's shape at the identity placement. */
NEWTON_API NtBody NewtonCreateBody(NtWorld world, NtCollision collision);
/* Destroys a body of that world, and its joint. */
NEWTON_API void NewtonDestroyBody(NtWorld world, NtBody body);
NEWTON_API NtWorld NewtonBodyGetWorld(NtBody body);
NEWTON_API void NewtonBodySetUserData(NtBody body, void* userData);
NEWTON_API void* NewtonBodyGetUserData(NtBody body);
/* Places the body at once, broadphase box included, keeping its velocity.
 * A placement that differs from the current one wakes the body; writing
 * back the current placement changes nothing. */
NEWTON_API void NewtonBodySetMatrix(NtBody body, const float matrix[16]);
NEWTON_API void NewtonBodyGetMatrix(NtBody body, float matrix[16]);
/* Mass above 0 makes the body dynamic, 0 (or not finite) static. Each
 * inertia that is not finite and above 0 is taken from the shape. */
NEWTON_API void NewtonBodySetMassMatrix(NtBody body, float mass, float Ixx, float Iyy, float Izz);
/* The force of the coming substep, through the centre of mass; set it from
 * the force callback (Bullet clears it after every step). */
NEWTON_API void NewtonBodySetForce(NtBody body, const float force[3]);
/* Changes the velocity of a dynamic body by deltaVelocity, applied at the
 * world point (off the centre it also turns the body), and wakes it. */
NEWTON_API void NewtonAddBodyImpulse(NtBody body, const float deltaVelocity[3], const float point[3]);
NEWTON_API void NewtonBodySetForceAndTorqueCallback(NtBody body, NtForceAndTorqueCallback callback);
NEWTON_API void NewtonBodySetAutoactiveCallback(NtBody body, NtAutoactiveCallback callback);
/* 1: the body may freeze when slow (the default); 0: it stays awake. */
NEWTON_API void NewtonBodySetAutoFreeze(NtBody body, int state);
/* The body freezes after staying below both speeds (units and radians per
 * second) for the library's freeze time of 5 steps of 1/60 s; frames is
 * accepted for the caller's sake (Bullet has one freeze time for all). */
NEWTON_API void NewtonBodySetFreezeTreshold(NtBody body, float linearSpeed, float angularSpeed, int frames);

/* ---- Joints ---- */

/* Lets the body turn only about the pin's main axis (world axes; the pin
 * is snapped to its largest component), one such joint per body; 0 for a
 * zero or non-finite pin or a body that has one. */
NEWTON_API NtJoint NewtonConstraintCreateUpVector(NtWorld world, const float pin[3], NtBody body);
/* Destroys the joint; the body turns freely again. */
NEWTON_API void NewtonDestroyJoint(NtWorld world, NtJoint joint);

/* ---- Queries ---- */

/* The body's box at its current placement (margins included); zeros for
 * an unknown body. */
NEWTON_API void NewtonBodyGetAABB(NtBody body, float minPoint[3], float maxPoint[3]);
/* Calls the iterator for every body of the world inside the world box
 * whose box overlaps the query box (touching counts), in no fixed order.
 * The bodies are gathered first, so the iterator may move or destroy
 * bodies; one destroyed meanwhile is skipped. */
NEWTON_API void NewtonWorldForEachBodyInAABBDo(NtWorld world, const float minPoint[3], const float maxPoint[3],
                                               NtBodyIterator iterator, void* userData);
/* The body's shape (valid while the body lives). */
NEWTON_API NtCollision NewtonBodyGetCollision(NtBody body);
/* The contacts of shape A placed at matrixA with shape B at matrixB, both
 * of the world, by Bullet's pair test: at most maxContacts, deepest first;
 * the count is the result. For contact i: contacts[4i..4i+3] is the point
 * halfway between the two surfaces, normals[4i..4i+3] the unit normal
 * pointing from B towards A (the way A moves to separate), both with
 * w = 1; penetrations[i] the depth (0 when only touching). Any of the three
 * arrays may be NULL. */
NEWTON_API int NewtonCollisionCollide(NtWorld world, int maxContacts, NtCollision collisionA, const float matrixA[16],
                                      NtCollision collisionB, const float matrixB[16], float* contacts, float* normals,
                                      float* penetrations);

/* Every entry point by name, for binding the library by hand:
 * #define BIND(name) table.name = (decltype(&name))LoadProc(lib, #name); */
#define NEWTON_API_ENTRY_POINTS(X)                                                                            \
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
  X(NewtonBodyGetCollision)                                                                                   \
  X(NewtonCollisionCollide)

#ifdef __cplusplus
}
#endif

#endif
