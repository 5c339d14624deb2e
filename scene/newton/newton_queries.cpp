// The engine's queries: contacts of one object, the objects reached from
// one by contact, and explosions. Each query gathers the bodies of its box
// into a vector of its own before it runs any handler, so a handler may
// query again, move or destroy bodies, or dispose the asking object.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "engine/core/applet_services.h"
#include "engine/core/event.h"
#include "engine/core/position_object.h"
#include "scene/newton/newton_binding.h"
#include "scene/newton/newton_engine.h"
#include "scene/newton/newton_matrix.h"

namespace corvane {

namespace {

void CollectBody(NtBody body, void* userData) { static_cast<std::vector<NtBody>*>(userData)->push_back(body); }

// The bodies whose boxes overlap the body's.
std::vector<NtBody> Touching(NtBody body) {
  std::vector<NtBody> found;
  float low[3], high[3];
  Newton.NewtonBodyGetAABB(body, low, high);
  Newton.NewtonWorldForEachBodyInAABBDo(Newton.NewtonBodyGetWorld(body), low, high, CollectBody, &found);
  return found;
}

// At most one contact between the two bodies' shapes at their current
// placements: the point, and the normal from the other body to the first.
bool Contact(NtBody body, NtBody other, TSpaceVector& point, TSpaceVector& normal) {
  float m[16], n[16], p[4], d[4];
  Newton.NewtonBodyGetMatrix(body, m);
  Newton.NewtonBodyGetMatrix(other, n);
  const NtWorld world = Newton.NewtonBodyGetWorld(body);
  if (Newton.NewtonCollisionCollide(world, 1, Newton.NewtonBodyGetCollision(body), m,
                                    Newton.NewtonBodyGetCollision(other), n, p, d, nullptr) < 1)
    return false;
  point = {p[0], p[1], p[2], 1};
  normal = {d[0], d[1], d[2], 1};
  return true;
}

struct TExplosion {
  TSpaceVector Centre;
  float Strength;
  const TNewtonEngine* Engine;
};

}  // namespace

bool TNewtonEngine::Answers(PositionObject* object) const {
  if (!object || !LibraryLoaded() || !object->Visible()) return false;
  const TBodyRecord* record = Record(object->Body());
  return record && !record->Queued && record->Object.Get() == object;
}

PositionObject* TNewtonEngine::ContactObject(NtBody body) const {
  const TBodyRecord* record = Record(static_cast<std::int32_t>(body));
  if (!record || record->Queued) return nullptr;
  PositionObject* other = record->Object.Get();
  if (!other || !other->ScriptObject() || other->Prepared() || !other->Visible()) return nullptr;
  return other;
}

std::int32_t TNewtonEngine::Collise(PositionObject* object, std::vector<PositionObject*>& contacts) {
  if (!Answers(object) || std::find(contacts.begin(), contacts.end(), object) != contacts.end()) return 0;
  const std::int32_t own = object->Body();
  TWeak<TNewtonEngine> self(this);
  TWeak<PositionObject> mover(object);
  for (const NtBody body : Touching(static_cast<NtBody>(own))) {
    // A handler may have freed the engine or the mover, or queued the
    // mover's body.
    if (!self.Get() || !mover.Get()) break;
    const TBodyRecord* record = Record(own);
    if (!record || record->Queued) break;
    if (body == static_cast<NtBody>(own)) continue;
    PositionObject* other = ContactObject(body);
    TSpaceVector point, normal;
    if (!other || !Contact(static_cast<NtBody>(own), body, point, normal)) continue;
    contacts.push_back(other);
    object->Collise(other, point, normal);
  }
  return 0;
}

std::int32_t TNewtonEngine::ComplexCollise(PositionObject* object, std::vector<PositionObject*>& visited) {
  // Depth first, as a recursion would go: a frame's remaining bodies wait
  // while the objects reached from one of them are visited. The stack is
  // our own, so a chain of any length is safe.
  struct TFrame {
    TWeak<PositionObject> Object;
    NtBody Body;
    std::vector<NtBody> Found;
    std::size_t Next;
  };
  std::unordered_set<PositionObject*> listed(visited.begin(), visited.end());
  std::vector<TFrame> stack;
  auto enter = [&](PositionObject* o) {
    if (!Answers(o) || listed.count(o)) return;
    visited.push_back(o);
    listed.insert(o);
    const auto body = static_cast<NtBody>(o->Body());
    stack.push_back({o, body, Touching(body), 0});
  };
  TWeak<TNewtonEngine> self(this);
  enter(object);
  while (!stack.empty() && self.Get()) {
    TFrame& frame = stack.back();
    PositionObject* current = frame.Object.Get();
    const TBodyRecord* record = Record(static_cast<std::int32_t>(frame.Body));
    if (!current || !record || record->Queued || frame.Next == frame.Found.size()) {
      stack.pop_back();
      continue;
    }
    const NtBody body = frame.Found[frame.Next++];
    if (body == frame.Body) continue;
    PositionObject* other = ContactObject(body);
    TSpaceVector point, normal;
    if (!other || !Contact(frame.Body, body, point, normal)) continue;
    auto* applet = current->GetApplet();
    Event* event = applet ? applet->GetEvent() : nullptr;
    if (!event) continue;
    TWeak<Event> eventAlive(event);
    TWeak<PositionObject> reached(other);
    event->paramResult = false;
    event->PushParamObject(other);
    current->CallScript(current->OnComplexCollise());
    if (!eventAlive.Get()) continue;
    const bool goOn = event->paramResult;
    event->PopParamObject();
    // The handler may have pushed frames' objects away; `frame` may dangle
    // after enter, so nothing of it is used below.
    if (goOn && self.Get() && reached.Get()) enter(reached.Get());
  }
  return 0;
}

void TNewtonEngine::Explode(std::int32_t world, const TSpaceVector& centre, float radius, float strength) {
  if (!LibraryLoaded() || world == 0 || (world != ScreenWorld && world != SpaceWorld)) return;
  if (!ExplosionRefusal(centre, radius, strength).empty()) return;
  TExplosion explosion{centre, strength, this};
  const float low[3] = {centre.x - radius, centre.y - radius, centre.z - radius};
  const float high[3] = {centre.x + radius, centre.y + radius, centre.z + radius};
  Newton.NewtonWorldForEachBodyInAABBDo(static_cast<NtWorld>(world), low, high, ExplodeBodyCallback, &explosion);
}

void TNewtonEngine::ExplodeBodyCallback(std::uint32_t body, void* userData) {
  const auto& explosion = *static_cast<const TExplosion*>(userData);
  const TBodyRecord* record = explosion.Engine->Record(static_cast<std::int32_t>(body));
  // Static bodies take no velocity.
  if (!record || record->Queued || !record->Force) return;
  float m[16];
  Newton.NewtonBodyGetMatrix(body, m);
  const float away[3] = {m[12] - explosion.Centre.x, m[13] - explosion.Centre.y, m[14] - explosion.Centre.z};
  if (std::fabs(away[0]) <= 1e-10f && std::fabs(away[1]) <= 1e-10f && std::fabs(away[2]) <= 1e-10f) return;
  const float length = std::sqrt(away[0] * away[0] + away[1] * away[1] + away[2] * away[2]);
  if (!(length > 0)) return;
  const float scale = explosion.Strength / length;
  const float change[3] = {away[0] * scale, away[1] * scale, away[2] * scale};
  Newton.NewtonAddBodyImpulse(body, change, &m[12]);
}

}  // namespace corvane
