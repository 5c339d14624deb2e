#include "scene/newton/newton_engine.h"

#include <chrono>
#include <cmath>
#include <functional>

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/position_object.h"
#include "scene/newton/newton_binding.h"
#include "scene/newton/newton_matrix.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TNewtonEngine)

std::string TNewtonEngine::LibraryName = "newton";

namespace {

// Live engines: the first loads the library, the last unloads it.
int gEngineCount = 0;

// The worlds' boxes: the screen world is thin in z, in pixels.
constexpr float kScreenMin[3] = {-1000, -1000, -10}, kScreenMax[3] = {2000, 2000, 10};
constexpr float kSpaceMin[3] = {-1000, -1000, -1000}, kSpaceMax[3] = {1000, 1000, 1000};
// The constant force on moving bodies: screen bodies fall down the screen.
constexpr float kScreenForce[3] = {0, 49, 0};
constexpr float kSpaceForce[3] = {0, 0, -8.9f};
// Freeze thresholds (linear, angular speed) and frames.
constexpr float kScreenFreeze = 1.0f;
constexpr float kSpaceFreeze = 0.05f;
constexpr int kFreezeFrames = 5;
// Screen bodies turn only about z.
constexpr float kScreenPin[3] = {0, 0, 1};
// Where a queued body waits: far outside either world box, so that it is
// neither simulated nor found.
constexpr float kParking = 16777215.0f;
constexpr float kParkingMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, kParking, kParking, kParking, 1};
// The largest body side: far beyond any world box, short of where the
// library's arithmetic breaks down.
constexpr float kMaxBodySize = 100000.0f;
// The farthest placement the library takes.
constexpr float kMaxPlacement = 1e9f;
// World settings: accepted by the library, kept for its sake.
constexpr int kSolverModel = 8, kPlatformArchitecture = 2, kFrictionModel = 1;

bool FiniteMatrix(const TSpaceMatrix& m) {
  for (const TSpaceVector& row : m) {
    for (int i = 0; i < 4; ++i) {
      if (!std::isfinite(row[i])) return false;
    }
  }
  return true;
}

std::u16string VectorText(const TSpaceVector& v) {
  return WidenLatin1(FloatToStrGeneral(v.x) + " " + FloatToStrGeneral(v.y) + " " + FloatToStrGeneral(v.z));
}

// Why a body cannot be made with this size at this placement in a world of
// this box; empty when it can. A NaN, infinite or huge size or placement
// would give a body at the origin, none, or one frozen outside the world.
std::u16string Unplaceable(const TSpaceVector& size, const TSpaceMatrix& at, const float boxMin[3],
                           const float boxMax[3]) {
  for (int i = 0; i < 3; ++i) {
    if (!std::isfinite(size[i]) || std::fabs(size[i]) > kMaxBodySize) return u"size " + VectorText(size) + u" unusable";
  }
  if (!FiniteMatrix(at)) return u"placement not a number";
  for (int i = 0; i < 3; ++i) {
    if (at[3][i] < boxMin[i] || at[3][i] > boxMax[i])
      return u"position " + VectorText(at[3]) + u" outside the physics world";
  }
  return {};
}

}  // namespace

TNewtonEngine::TNewtonEngine(const TCreateContext& context) : TDynamicEngine(context) {
  if (gEngineCount == 0) LoadNewton(LibraryName);
  ++gEngineCount;
  // Without the library the binding has said why physics is off.
  if (LibraryLoaded()) EngineLog(u"Newton Game Dynamics engine started " + WidenLatin1(ClassName()));
}

TNewtonEngine::~TNewtonEngine() {
  // A world goes with every body, joint and shape still in it, queued
  // bodies included.
  if (ScreenWorld != 0) DestroyWorld(ScreenWorld);
  if (SpaceWorld != 0) DestroyWorld(SpaceWorld);
  if (--gEngineCount == 0) FreeNewton();
}

bool TNewtonEngine::LibraryLoaded() { return NewtonHandle != 0; }

// ------------------------------------------------------------------ worlds

std::int32_t TNewtonEngine::CreateWorld() {
  if (!LibraryLoaded()) return 0;
  const NtWorld world = Newton.NewtonCreate();
  if (world == 0) return 0;
  Newton.NewtonSetSolverModel(world, kSolverModel);
  Newton.NewtonSetPlatformArchitecture(world, kPlatformArchitecture);
  Newton.NewtonSetFrictionModel(world, kFrictionModel);
  return static_cast<std::int32_t>(world);
}

void TNewtonEngine::DestroyWorld(std::int32_t world) {
  if (!LibraryLoaded() || world == 0 || (world != ScreenWorld && world != SpaceWorld)) return;
  const auto handle = static_cast<NtWorld>(world);
  std::erase_if(destroyList_, [this, handle](std::int32_t body) { return Record(body)->World == handle; });
  for (TBodySlot& slot : bodies_) {
    if (!slot.Record || slot.Record->World != handle) continue;
    if (slot.Record->Active) --activeBodies_;
    slot = TBodySlot{};
    --bodyCount_;
  }
  Newton.NewtonDestroy(handle);
  if (ScreenWorld == world) ScreenWorld = 0;
  if (SpaceWorld == world) SpaceWorld = 0;
}

std::uint32_t TNewtonEngine::CheckWorld(PositionObject* object) {
  std::int32_t& world = object->Kind() == okScreen ? ScreenWorld : SpaceWorld;
  if (world == 0) {
    world = CreateWorld();
    if (world == 0) return 0;
    if (object->Kind() == okScreen) Newton.NewtonSetWorldSize(static_cast<NtWorld>(world), kScreenMin, kScreenMax);
    else Newton.NewtonSetWorldSize(static_cast<NtWorld>(world), kSpaceMin, kSpaceMax);
  }
  return static_cast<std::uint32_t>(world);
}

void TNewtonEngine::UpdateWorld(std::int32_t world, float dt) {
  if (!LibraryLoaded()) return;
  const auto start = std::chrono::steady_clock::now();
  if (hasDynamicBodies_ && (world == ScreenWorld || world == SpaceWorld) && world != 0)
    Newton.NewtonUpdate(static_cast<NtWorld>(world), dt);
  // Queued bodies go on every update, stepped or not, latest first.
  while (!destroyList_.empty()) {
    const std::int32_t body = destroyList_.back();
    destroyList_.pop_back();
    IntDestroyBody(body);
  }
  const auto* applet = dynamic_cast<TAppletServices*>(Owner());
  if (applet && applet->DebugFormVisible())
    PostDebugInfo(std::chrono::duration<float>(std::chrono::steady_clock::now() - start).count());
}

void TNewtonEngine::PostDebugInfo(float seconds) {
  EngineShowInfo(u"Body/Active:", IntToStr(BodyCount()) + u"/" + IntToStr(activeBodies_));
  std::string text = FloatToStrFixed(seconds, 6);
  if (text.size() < 8) text.insert(0, 8 - text.size(), ' ');
  EngineShowInfo(u"Physics:", WidenLatin1(text));
}

// ------------------------------------------------------------------ bodies

const TNewtonEngine::TBodySlot* TNewtonEngine::Slot(std::int32_t body) const {
  // The whole handle must match: a stale one has the slot of a later body
  // or of none.
  const std::uint32_t slot = NEWTON_HANDLE_SLOT(body);
  if (body <= 0 || slot >= bodies_.size() || bodies_[slot].Body != body) return nullptr;
  return &bodies_[slot];
}

TNewtonEngine::TBodySlot* TNewtonEngine::Slot(std::int32_t body) {
  return const_cast<TBodySlot*>(static_cast<const TNewtonEngine*>(this)->Slot(body));
}

TNewtonEngine::TBodyRecord* TNewtonEngine::Record(std::int32_t body) const {
  const TBodySlot* slot = Slot(body);
  return slot ? slot->Record.get() : nullptr;
}

void TNewtonEngine::Moved(std::int32_t body) {
  if (TBodySlot* slot = Slot(body)) slot->Stamp = NewMatrixStamp();
}

std::uint32_t TNewtonEngine::JointOf(std::int32_t body) const {
  const TBodyRecord* record = Record(body);
  return record ? record->Joint : 0;
}

PositionObject* TNewtonEngine::ObjectByBody(std::int32_t body) {
  const TBodyRecord* record = Record(body);
  return record ? record->Object.Get() : nullptr;
}

std::int32_t TNewtonEngine::CreateBox(PositionObject* object, const TSpaceVector& size) {
  return CreateBody(object, size, [&](std::uint32_t world) {
    return Newton.NewtonCreateBox(world, size.x, size.y, size.z, nullptr);
  });
}

std::int32_t TNewtonEngine::CreateSphere(PositionObject* object, const TSpaceVector& size) {
  return CreateBody(object, size, [&](std::uint32_t world) {
    return Newton.NewtonCreateSphere(world, size.x, size.y, size.z, nullptr);
  });
}

std::int32_t TNewtonEngine::CreateCone(PositionObject* object, const TSpaceVector& size) {
  return CreateBody(object, size,
                    [&](std::uint32_t world) { return Newton.NewtonCreateCone(world, size.x, size.z, nullptr); });
}

std::int32_t TNewtonEngine::CreateCylinder(PositionObject* object, const TSpaceVector& size) {
  return CreateBody(object, size,
                    [&](std::uint32_t world) { return Newton.NewtonCreateCylinder(world, size.x, size.z, nullptr); });
}

std::int32_t TNewtonEngine::CreateBody(PositionObject* object, const TSpaceVector& size,
                                       const std::function<std::uint32_t(std::uint32_t world)>& makeShape) {
  if (!object || !LibraryLoaded()) return 0;
  const std::uint32_t world = CheckWorld(object);
  if (world == 0) return 0;
  if (object->Body() != 0) {
    EngineError(u"Body already exists");
    return object->Body();
  }
  // Checked before the library sees the size: it refuses a shape it cannot
  // make without a word.
  const bool screen = world == static_cast<std::uint32_t>(ScreenWorld);
  const TSpaceMatrix at = object->GetAbsoluteMatrix();
  const std::u16string refusal =
      Unplaceable(size, at, screen ? kScreenMin : kSpaceMin, screen ? kScreenMax : kSpaceMax);
  if (!refusal.empty()) {
    EngineError(u"Body of " + object->Name() + u" not made: " + refusal);
    return 0;
  }
  const std::uint32_t shape = makeShape(world);
  const NtBody body = shape != 0 ? Newton.NewtonCreateBody(world, shape) : 0;
  if (shape != 0) Newton.NewtonReleaseCollision(world, shape);
  if (body == 0) {
    EngineError(u"Body of " + object->Name() + u" not made: the physics library made none of size " +
                VectorText(size));
    return 0;
  }
  const auto handle = static_cast<std::int32_t>(body);
  const std::uint32_t index = NEWTON_HANDLE_SLOT(body);
  if (index >= bodies_.size()) bodies_.resize(index + 1);
  TBodySlot& slot = bodies_[index];
  if (slot.Body != 0) {  // two live bodies in one slot: a library that breaks its word
    Newton.NewtonDestroyBody(world, body);
    return 0;
  }
  slot.Body = handle;
  slot.Stamp = NewMatrixStamp();
  slot.Record.reset(new TBodyRecord{this, object, world, 0, nullptr, false, false});
  ++bodyCount_;
  TBodyRecord* record = slot.Record.get();
  Newton.NewtonBodySetUserData(body, record);
  SetBodyMatrix(handle, at);
  const float mass = object->Dynamic() ? 1.0f : 0.0f;
  Newton.NewtonBodySetMassMatrix(body, mass, mass * size.z, mass * size.y, mass * 10.0f);
  if (object->Dynamic()) {
    hasDynamicBodies_ = true;
    record->Force = screen ? kScreenForce : kSpaceForce;
    Newton.NewtonBodySetForceAndTorqueCallback(body, PhysicsApplyForceAndTorque);
    Newton.NewtonBodySetAutoFreeze(body, 1);
    Newton.NewtonBodySetAutoactiveCallback(body, PhysicsAutoactiveCounter);
    const float freeze = screen ? kScreenFreeze : kSpaceFreeze;
    Newton.NewtonBodySetFreezeTreshold(body, freeze, freeze, kFreezeFrames);
    if (screen) record->Joint = Newton.NewtonConstraintCreateUpVector(world, kScreenPin, body);
  }
  return handle;
}

void TNewtonEngine::DestroyBody(std::int32_t& body) {
  if (body == 0) return;
  TBodyRecord* record = Record(body);
  if (!record || record->Queued) {
    EngineError(u"Unknown body " + IntToStr(body) + u" not destroyed");
    return;
  }
  Newton.NewtonBodySetMatrix(static_cast<NtBody>(body), kParkingMatrix);
  Moved(body);
  record->Queued = true;
  destroyList_.push_back(body);
  body = 0;
}

void TNewtonEngine::IntDestroyBody(std::int32_t body) {
  TBodySlot* slot = Slot(body);
  if (!slot) return;
  TBodyRecord& record = *slot->Record;
  if (record.Joint != 0) Newton.NewtonDestroyJoint(record.World, record.Joint);
  Newton.NewtonDestroyBody(record.World, static_cast<NtBody>(body));
  if (record.Active) --activeBodies_;
  *slot = TBodySlot{};
  --bodyCount_;
}

void TNewtonEngine::SetBodyMatrix(std::int32_t body, const TSpaceMatrix& m) {
  TBodyRecord* record = Record(body);
  if (!record || record->Queued) return;
  // The library would keep the old placement without a word; said once
  // until a usable placement comes.
  const bool usable = FiniteMatrix(m) && std::fabs(m[3].x) <= kMaxPlacement && std::fabs(m[3].y) <= kMaxPlacement &&
                      std::fabs(m[3].z) <= kMaxPlacement;
  if (!usable) {
    if (!record->PlacementRefused) {
      const PositionObject* object = record->Object.Get();
      EngineError(u"Body of " + (object ? object->Name() : u"") + u" not moved: position " + VectorText(m[3]) +
                  u" unusable");
    }
    record->PlacementRefused = true;
    return;
  }
  record->PlacementRefused = false;
  float floats[16];
  MatrixToFloats(m, floats);
  Newton.NewtonBodySetMatrix(static_cast<NtBody>(body), floats);
  Moved(body);
}

TSpaceMatrix TNewtonEngine::GetBodyMatrix(std::int32_t body) {
  if (!Record(body)) return IdentitySpaceMatrix;
  float floats[16];
  Newton.NewtonBodyGetMatrix(static_cast<NtBody>(body), floats);
  return MatrixFromFloats(floats);
}

std::uint64_t TNewtonEngine::BodyMatrixStamp(std::int32_t body) {
  const TBodySlot* slot = Slot(body);
  return slot ? slot->Stamp : NewMatrixStamp();
}

// --------------------------------------------------------------- callbacks

void TNewtonEngine::PhysicsApplyForceAndTorque(std::uint32_t body) {
  // The force of the body's world, whatever became of its object. The
  // matrix is not written back: Bullet would lose its interpolation.
  const auto* record = static_cast<const TBodyRecord*>(Newton.NewtonBodyGetUserData(body));
  if (!record) return;
  record->Engine->Moved(static_cast<std::int32_t>(body));  // awake: this substep moves it
  if (record->Force) Newton.NewtonBodySetForce(body, record->Force);
}

void TNewtonEngine::PhysicsAutoactiveCounter(std::uint32_t body, int state) {
  auto* record = static_cast<TBodyRecord*>(Newton.NewtonBodyGetUserData(body));
  if (!record) return;
  record->Engine->Moved(static_cast<std::int32_t>(body));  // it may have been woken and moved
  const bool active = state == 1;
  if (active == record->Active) return;
  record->Active = active;
  record->Engine->activeBodies_ += active ? 1 : -1;
}

}  // namespace corvane
