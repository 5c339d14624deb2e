// The query entry points: body boxes, box searches and the contacts of two
// shapes.
#include <algorithm>
#include <vector>

#include "libs/newton/library_state.h"
#include "libs/newton/placement.h"

using namespace newton;

namespace {

// Points farther apart than this are no contact. Bullet's pair test hands
// over the closest points of shapes even when they are apart; a body
// resting on another sits at a distance of about 0, either side.
constexpr btScalar kTouching = btScalar(1e-4);

bool Overlap(const btVector3& minA, const btVector3& maxA, const btVector3& minB, const btVector3& maxB) {
  for (int axis = 0; axis < 3; ++axis) {
    if (maxA[axis] < minB[axis] || minA[axis] > maxB[axis]) return false;
  }
  return true;
}

// Gathers the bodies whose own box overlaps the query box. The broadphase
// boxes it walks are larger (contact margins, predicted motion), so each
// candidate is tested again on its exact box.
struct TBoxSearch : btBroadphaseAabbCallback {
  btVector3 minPoint, maxPoint;
  std::vector<NtBody> found;

  bool process(const btBroadphaseProxy* proxy) override {
    const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
    const auto* body = static_cast<const TBody*>(object->getUserPointer());
    btVector3 bodyMin, bodyMax;
    body->Box(bodyMin, bodyMax);
    if (Overlap(bodyMin, bodyMax, minPoint, maxPoint)) found.push_back(body->handle);
    return true;
  }
};

struct TContact {
  btVector3 point, normal;
  btScalar distance;
};

// Collects Bullet's contact points of one pair, turned to be about A.
struct TContactCollector : btCollisionWorld::ContactResultCallback {
  const btCollisionObject* a = nullptr;
  std::vector<TContact> contacts;

  btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper* first, int, int,
                           const btCollisionObjectWrapper*, int, int) override {
    // Bullet's normal lies on the second object and points to the first.
    const bool aFirst = first->getCollisionObject() == a;
    const btVector3 normal = aFirst ? point.m_normalWorldOnB : -point.m_normalWorldOnB;
    const btVector3 middle = (point.m_positionWorldOnA + point.m_positionWorldOnB) * btScalar(0.5);
    if (point.getDistance() <= kTouching && !normal.fuzzyZero()) contacts.push_back({middle, normal.normalized(), point.getDistance()});
    return 0;
  }
};

void WriteVector4(float* out, const btVector3& v) {
  out[0] = v.x();
  out[1] = v.y();
  out[2] = v.z();
  out[3] = 1;
}

}  // namespace

extern "C" {

void NewtonBodyGetAABB(NtBody bodyHandle, float minPoint[3], float maxPoint[3]) {
  btVector3 low(0, 0, 0), high(0, 0, 0);
  if (TBody* body = FindBody(bodyHandle)) body->Box(low, high);
  for (int axis = 0; axis < 3; ++axis) {
    if (minPoint) minPoint[axis] = low[axis];
    if (maxPoint) maxPoint[axis] = high[axis];
  }
}

void NewtonWorldForEachBodyInAABBDo(NtWorld worldHandle, const float minPoint[3], const float maxPoint[3],
                                    NtBodyIterator iterator, void* userData) {
  TWorld* world = FindWorld(worldHandle);
  btVector3 a, b;
  if (!world || !iterator || !VectorFrom(minPoint, a) || !VectorFrom(maxPoint, b)) return;
  TBoxSearch search;
  search.minPoint = a;
  search.minPoint.setMin(b);
  search.maxPoint = a;
  search.maxPoint.setMax(b);
  world->broadphase.aabbTest(search.minPoint, search.maxPoint, search);
  for (NtBody body : search.found) {
    if (FindBody(body)) iterator(body, userData);
    if (!FindWorld(worldHandle)) return;
  }
}

NtCollision NewtonBodyGetCollision(NtBody bodyHandle) {
  TBody* body = FindBody(bodyHandle);
  return body ? body->shape->handle : 0;
}

int NewtonCollisionCollide(NtWorld worldHandle, int maxContacts, NtCollision collisionA, const float matrixA[16],
                           NtCollision collisionB, const float matrixB[16], float* contacts, float* normals,
                           float* penetrations) {
  TWorld* world = FindWorld(worldHandle);
  TShape* shapeA = FindShape(collisionA);
  TShape* shapeB = FindShape(collisionB);
  btTransform placementA, placementB;
  if (!world || maxContacts <= 0 || !shapeA || !shapeB || shapeA->world != world || shapeB->world != world ||
      !TransformFromMatrix(matrixA, placementA) || !TransformFromMatrix(matrixB, placementB))
    return 0;
  btCollisionObject a, b;
  a.setCollisionShape(shapeA->shape.get());
  a.setWorldTransform(placementA);
  b.setCollisionShape(shapeB->shape.get());
  b.setWorldTransform(placementB);
  TContactCollector collector;
  collector.a = &a;
  world->dynamics.contactPairTest(&a, &b, collector);
  auto& found = collector.contacts;
  std::stable_sort(found.begin(), found.end(),
                   [](const TContact& x, const TContact& y) { return x.distance < y.distance; });
  const int count = std::min(maxContacts, static_cast<int>(found.size()));
  for (int i = 0; i < count; ++i) {
    const TContact& contact = found[static_cast<std::size_t>(i)];
    if (contacts) WriteVector4(contacts + 4 * i, contact.point);
    if (normals) WriteVector4(normals + 4 * i, contact.normal);
    if (penetrations) penetrations[i] = std::max(btScalar(0), -contact.distance);
  }
  return count;
}

}  // extern "C"
