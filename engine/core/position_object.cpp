#include "engine/core/position_object.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/matrix.h"
#include "base/geometry/ray_cast.h"
#include "base/geometry/rect_math.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "engine/core/event.h"
#include "engine/core/trigger.h"
#include "platform/device.h"
#include "scene/physics/dynamic_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(PositionObject)

namespace {

// Below this length a side vector counts as none (the two axes are
// parallel).
constexpr float kParallel = 1e-5f;
// forward never cuts one move into more steps than this; the rest of the
// way is one last step.
constexpr int kMaxSubSteps = 1000;

// Normalised over x, y, z (w 0); fallback when the vector has no usable
// length.
TSpaceVector UnitOr(const TSpaceVector& v, const TSpaceVector& fallback) {
  const float norm = SpaceVectorNorm(v);
  if (!(norm > 0) || !std::isfinite(norm)) return fallback;
  return VectorSpaceNormalize(v);
}

TSpaceVector Cross(const TSpaceVector& a, const TSpaceVector& b) { return SpaceVectorCrossProduct(a, b); }

bool Finite(const TSpaceVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

void PositionObject::Describe(TClassBuilder<PositionObject>& c) {
  c.Property("kind", &PositionObject::Kind, &PositionObject::SetKind).Default(okScreen);
  c.Property("zTest", &PositionObject::zTest_).Default(false);
  c.Property("position", &PositionObject::Position, &PositionObject::SetPosition);
  c.Property("x", &PositionObject::X, &PositionObject::SetX);
  c.Property("y", &PositionObject::Y, &PositionObject::SetY);
  c.Property("z", &PositionObject::Z, &PositionObject::SetZ);
  c.Property("direction", &PositionObject::Direction, &PositionObject::SetDirection);
  c.Property("up", &PositionObject::Up, &PositionObject::SetUp);
  c.Property("scale", &PositionObject::Scale, &PositionObject::SetScale);
  c.Property("zAngle", &PositionObject::ZAngle, &PositionObject::SetZAngle);
  c.Property("xAngle", &PositionObject::XAngle, &PositionObject::SetXAngle);
  c.Property("yAngle", &PositionObject::YAngle, &PositionObject::SetYAngle);
  // Writing the bounds is accepted and changes nothing.
  c.Property("bounds", &PositionObject::Bounds, [](PositionObject&, TSpaceCoord*) {}).Stored(false);
  c.Property("body", &PositionObject::Body, &PositionObject::WriteBody).Stored(false);
  c.Property("collisable", &PositionObject::Collisable, &PositionObject::SetCollisable).Default(false);
  c.Property("colliseTrack", &PositionObject::colliseTrack_).Default(false);
  c.Property("colliseOnStay", &PositionObject::colliseOnStay_).Default(false);
  c.Property("dynamic", &PositionObject::Dynamic, &PositionObject::SetDynamic).Default(false);
  c.Property("velocity", &PositionObject::Velocity, &PositionObject::SetVelocity);
  c.Property("gravity", &PositionObject::Gravity);
  c.Property("friction", &PositionObject::friction_).Stored([](const PositionObject& o) {
    return o.friction_ != 1.0f;
  });
  c.Property("onCollise", &PositionObject::onCollise_);
  c.Property("onComplexCollise", &PositionObject::onComplexCollise_);
  c.Property("onComplexColliseAction", &PositionObject::onComplexColliseAction_);
  c.Property("onTrigger", &PositionObject::onTrigger_);
  c.Property("onSpawn", &PositionObject::onSpawn_);
  c.Property("onUnspawn", &PositionObject::onUnspawn_);

  c.Method("screenToLocal", &PositionObject::screenToLocal);
  c.Method("spawn", &PositionObject::spawn);
  c.Method("unspawn", &PositionObject::unspawn);
  c.Method("recreateDynamic", &PositionObject::recreateDynamic);
  c.Method("forward", &PositionObject::forward);
  c.Method("back", &PositionObject::back);
  c.Method("explode", &PositionObject::explode);
  c.Method("complexCollise", &PositionObject::complexCollise);
}

TSpaceCoord* PositionObject::MakeCoord(TObject* owner, const TSpaceVector& value) {
  return TSpaceCoord::CreateInitialized(owner, value);
}

PositionObject::PositionObject(const TCreateContext& context) : VisualObject(context) {
  TObject* owner = AppletObjectOf(this);
  position_.reset(MakeCoord(owner, {0, 0, 0, 1}));
  direction_.reset(MakeCoord(owner, {0, 1, 0, 1}));
  up_.reset(MakeCoord(owner, {0, 0, 1, 1}));
  scale_.reset(MakeCoord(owner, {1, 1, 1, 1}));
  velocity_.reset(MakeCoord(owner, {0, 0, 0, 0}));
  gravity_.reset(MakeCoord(owner, {0, 0, 0, 0}));
  position_->OnChange = [this](TObject*) { PositionChanged(); };
  direction_->OnChange = [this](TObject*) { DirectionChanged(); };
  up_->OnChange = [this](TObject*) { UpChanged(); };
  scale_->OnChange = [this](TObject*) { ScaleChanged(); };
  velocity_->OnChange = [this](TObject*) { VelocityChanged(); };
  gravity_->OnChange = [this](TObject*) { GravityChanged(); };
  SetStyle({vsMouseAware, vsCanMirrored});
  RebuildMatrix();
}

PositionObject::~PositionObject() = default;

void PositionObject::BeforeDestruction() {
  if (PhysicsEngine() && body_ != 0) DestroyDynamics();
  VisualObject::BeforeDestruction();
}

void PositionObject::PrepareForDispose() {
  if (PhysicsEngine() && body_ != 0) DestroyDynamics();
  VisualObject::PrepareForDispose();
}

// ------------------------------------------------------------------ state

void PositionObject::SetKind(TPositionObjectKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  for (BaseObject* child : ChildList())
    if (PositionObject* positioned = child->AsPositionObject()) positioned->SetKind(kind);
}

void PositionObject::SetPosition(TSpaceCoord* value) {
  if (value && value != position_.get()) position_->SetDirectVector(value->Coordinates());
}

void PositionObject::SetDirection(TSpaceCoord* value) {
  if (value && value != direction_.get()) direction_->SetDirectVector(value->Coordinates());
}

void PositionObject::SetUp(TSpaceCoord* value) {
  if (value && value != up_.get()) up_->SetDirectVector(value->Coordinates());
}

void PositionObject::SetScale(TSpaceCoord* value) {
  if (value && value != scale_.get()) scale_->SetDirectVector(value->Coordinates());
}

void PositionObject::SetVelocity(TSpaceCoord* value) {
  if (value && value != velocity_.get()) velocity_->SetDirectVector(value->Coordinates());
}

TSpaceCoord* PositionObject::Bounds() const {
  if (!bounds_) bounds_.reset(Create<TSpaceCoord>(TCreateContext(AppletObjectOf(this))));
  const TAABB box = const_cast<PositionObject*>(this)->GetBoundsBox();
  bounds_->SetDirectVectorNoChange({std::fabs(box.max.x - box.min.x), std::fabs(box.max.y - box.min.y),
                                    std::fabs(box.max.z - box.min.z), 0});
  return bounds_.get();
}

TAABB PositionObject::GetBoundsBox() { return TAABB{{0, 0, 0, 1}, {0, 0, 0, 1}}; }

// ------------------------------------------------------------------ angles

void PositionObject::SetAngle(float TSpaceVector::*angle, const TSpaceVector& axis, float value) {
  const float old = angles_.*angle;
  if (value == old) return;
  // Stored before the turn: the rebuild recalculates, and what reads the
  // angles then (a gizmo copying them onto the selected object) must see
  // the new value.
  angles_.*angle = NormalizeDegAngle(value);
  if (!HasState(csLoading)) {
    updating_ = true;
    const TSpaceMatrix turn = CreateSpaceRotationMatrix(axis, DegToRad(old - value));
    const TSpaceVector& d = direction_->Coordinates();
    const TSpaceVector& u = up_->Coordinates();
    const TSpaceVector newUp = VectorSpaceNormalize(SpaceVectorTransform({u.x, u.y, u.z, 0}, turn));
    const TSpaceVector newDirection = VectorSpaceNormalize(SpaceVectorTransform({d.x, d.y, d.z, 0}, turn));
    up_->SetDirectVectorNoChange(newUp);
    direction_->SetDirectVectorNoChange(newDirection);
    RebuildMatrix();
    updating_ = false;
  }
}

void PositionObject::SetXAngle(float value) { SetAngle(&TSpaceVector::x, RightVector(), value); }
void PositionObject::SetYAngle(float value) { SetAngle(&TSpaceVector::y, direction_->Coordinates(), value); }
void PositionObject::SetZAngle(float value) { SetAngle(&TSpaceVector::z, up_->Coordinates(), value); }

void PositionObject::SetAnglesDirect(float zAngle, float yAngle, float xAngle) {
  angles_.z = zAngle;
  angles_.y = yAngle;
  angles_.x = xAngle;
}

// ------------------------------------------------------- change callbacks

void PositionObject::PositionChanged() {
  if (updating_) return;
  const TSpaceVector& p = position_->Coordinates();
  local_[3] = {p.x, p.y, p.z, 1};
  RecalcAbsolute();
  if (Visible()) repaint();
}

void PositionObject::DirectionChanged() {
  if (updating_) return;
  updating_ = true;
  if (!HasState(csLoading)) {
    // The direction wins; up is made perpendicular to it.
    const TSpaceVector direction = UnitOr(direction_->Coordinates(), {0, 1, 0, 0});
    const TSpaceVector& up = up_->Coordinates();
    TSpaceVector side = Cross(up, direction);
    if (SpaceVectorLength(side) < kParallel) side = Cross({0, 0, 1, 0}, up);
    if (SpaceVectorLength(side) < kParallel) side = Cross({1, 0, 0, 0}, up);
    direction_->SetDirectVectorNoChange(direction);
    up_->SetDirectVectorNoChange(VectorSpaceNormalize(Cross(direction, side)));
  }
  RebuildMatrix();
  updating_ = false;
}

void PositionObject::UpChanged() {
  if (updating_) return;
  updating_ = true;
  if (!HasState(csLoading)) {
    // The up vector wins; the direction is made perpendicular to it.
    const TSpaceVector up = UnitOr(up_->Coordinates(), {0, 0, 1, 0});
    const TSpaceVector& direction = direction_->Coordinates();
    TSpaceVector side = Cross(up, direction);
    if (SpaceVectorLength(side) < kParallel) side = Cross({0, 0, 1, 0}, direction);
    if (SpaceVectorLength(side) < kParallel) side = Cross({1, 0, 0, 0}, direction);
    up_->SetDirectVectorNoChange(up);
    direction_->SetDirectVectorNoChange(VectorSpaceNormalize(Cross(side, up)));
  }
  RebuildMatrix();
  updating_ = false;
}

void PositionObject::ScaleChanged() { RebuildMatrix(); }

void PositionObject::VelocityChanged() { moving_ = velocity_->VectorLength() > 0; }

// ---------------------------------------------------------------- matrices

TSpaceVector PositionObject::RightVector() const { return Cross(direction_->Coordinates(), up_->Coordinates()); }
TSpaceVector PositionObject::LeftVector() const { return Cross(up_->Coordinates(), direction_->Coordinates()); }

void PositionObject::RebuildMatrix() {
  const TSpaceVector& s = scale_->Coordinates();
  const TSpaceVector& d = direction_->Coordinates();
  const TSpaceVector& u = up_->Coordinates();
  const TSpaceVector& p = position_->Coordinates();
  const TSpaceVector r = RightVector();
  local_[0] = {r.x * s.x, r.y * s.x, r.z * s.x, 0};
  local_[1] = {d.x * s.y, d.y * s.y, d.z * s.y, 0};
  local_[2] = {u.x * s.z, u.y * s.z, u.z * s.z, 0};
  local_[3] = {p.x, p.y, p.z, 1};
  RecalcAbsolute();
  repaint();
}

void PositionObject::SetLocalMatrix(const TSpaceMatrix& m) {
  // A zero row gives the default axis; the direction wins over up as in
  // DirectionChanged.
  const TSpaceVector direction = UnitOr(m[1], {0, 1, 0, 0});
  TSpaceVector up = UnitOr(m[2], {0, 0, 1, 0});
  TSpaceVector side = Cross(up, direction);
  if (SpaceVectorLength(side) < kParallel) side = Cross({0, 0, 1, 0}, up);
  if (SpaceVectorLength(side) < kParallel) side = Cross({1, 0, 0, 0}, up);
  up = VectorSpaceNormalize(Cross(direction, side));
  direction_->SetDirectVectorNoChange(direction);
  up_->SetDirectVectorNoChange(up);
  position_->SetDirectVectorNoChange(m[3]);
  scale_->SetDirectVectorNoChange({1, 1, 1, 1});
  RebuildMatrix();
}

PositionObject* PositionObject::PositionParent() const {
  BaseObject* parent = Parent();
  return parent ? parent->AsPositionObject() : nullptr;
}

bool PositionObject::SyncsBody() const {
  return collisable_ && !dynamic_ && body_ != 0 && !Prepared() && PhysicsEngine();
}

void PositionObject::RecalcAbsolute() {
  // A dirty object has only dirty objects below it, and nothing below has
  // read its matrix since it was marked (a read recomputes the chain up to
  // here and clears it): marking again changes nothing. A body kept in step
  // with the object moves on every call.
  if (absoluteDirty_ && !SyncsBody()) return;
  absoluteDirty_ = true;
  inverseDirty_ = true;
  if (SyncsBody()) PhysicsEngine()->SetBodyMatrix(body_, GetAbsoluteMatrix());
  VisualObject::RecalcAbsolute();
}

void PositionObject::SetParent(BaseObject* parent) {
  VisualObject::SetParent(parent);
  // The subtree now hangs elsewhere: its cached matrices are out of date
  // whatever the state of the new parent. One being freed is never placed
  // again (each level of a freed chain would mark all below it).
  if (!Freeing()) InvalidateSubtree();
}

void PositionObject::InvalidateSubtree() {
  absoluteDirty_ = true;
  inverseDirty_ = true;
  if (SyncsBody()) PhysicsEngine()->SetBodyMatrix(body_, GetAbsoluteMatrix());
  for (BaseObject* child : ChildList())
    if (PositionObject* positioned = child->AsPositionObject()) positioned->InvalidateSubtree();
}

const TSpaceMatrix& PositionObject::GetAbsoluteMatrix() {
  if (!absoluteDirty_) return absolute_;
  // The dirty chain upwards, recomputed from its top: no recursion however
  // deep the tree.
  PositionObject* chain[16];
  std::vector<PositionObject*> deep;
  std::size_t n = 0;
  for (PositionObject* o = this; o && o->absoluteDirty_; o = o->PositionParent()) {
    if (n < std::size(chain)) chain[n++] = o;
    else deep.push_back(o);
  }
  auto compute = [](PositionObject* o) {
    PositionObject* parent = o->PositionParent();
    o->absolute_ = parent ? SpaceMatrixMultiply(o->local_, parent->absolute_) : o->local_;
    o->absoluteDirty_ = false;
    o->inverseDirty_ = true;
    o->absoluteCopied_ = false;
  };
  for (std::size_t i = deep.size(); i-- > 0;) compute(deep[i]);
  for (std::size_t i = n; i-- > 0;) compute(chain[i]);
  return absolute_;
}

const TSpaceMatrix& PositionObject::GetInvertAbsoluteMatrix() {
  GetAbsoluteMatrix();
  if (inverseDirty_) {
    inverse_ = absolute_;
    InvertSpaceMatrix(inverse_);
    inverseDirty_ = false;
  }
  return inverse_;
}

TSpaceVector PositionObject::GetAbsolutePosition() { return GetAbsoluteMatrix()[3]; }
TSpaceVector PositionObject::GetAbsoluteDirection() { return VectorSpaceNormalize(GetAbsoluteMatrix()[1]); }
TSpaceVector PositionObject::GetAbsoluteUp() { return VectorSpaceNormalize(GetAbsoluteMatrix()[2]); }
TSpaceVector PositionObject::GetAbsoluteRight() { return Cross(GetAbsoluteDirection(), GetAbsoluteUp()); }

void PositionObject::SetAbsolutePosition(const TSpaceVector& p) {
  TSpaceVector local{p.x, p.y, p.z, 1};
  if (PositionObject* parent = PositionParent()) local = parent->VectorAbsoluteToLocal(local);
  position_->SetSpaceVector(local);
}

void PositionObject::SetAbsoluteDirection(const TSpaceVector& v) {
  // A zero vector normalises to zero, which the callback replaces by the
  // default axis.
  TSpaceVector local = VectorSpaceNormalize(v);
  if (PositionObject* parent = PositionParent()) local = VectorSpaceNormalize(parent->VectorAbsoluteToLocal(local));
  direction_->SetSpaceVector(local);
}

void PositionObject::SetAbsoluteUp(const TSpaceVector& v) {
  TSpaceVector local = VectorSpaceNormalize(v);
  if (PositionObject* parent = PositionParent()) local = VectorSpaceNormalize(parent->VectorAbsoluteToLocal(local));
  up_->SetSpaceVector(local);
}

TPoint PositionObject::LocalToAbsolute(const TPoint& p) {
  const TSpaceVector v = SpaceVectorTransform({p.x, p.y, 0, 1}, GetAbsoluteMatrix());
  return {v.x, v.y};
}

TPoint PositionObject::AbsoluteToLocal(const TPoint& p) {
  const TSpaceVector v = SpaceVectorTransform({p.x, p.y, 0, 1}, GetInvertAbsoluteMatrix());
  return {v.x, v.y};
}

TSpaceVector PositionObject::VectorLocalToAbsolute(const TSpaceVector& v) {
  return SpaceVectorTransform(v, GetAbsoluteMatrix());
}

TSpaceVector PositionObject::VectorAbsoluteToLocal(const TSpaceVector& v) {
  return SpaceVectorTransform(v, GetInvertAbsoluteMatrix());
}

void PositionObject::Move(float d) {
  const TSpaceVector& p = position_->Coordinates();
  const TSpaceVector& dir = direction_->Coordinates();
  position_->SetValues(p.x + dir.x * d, p.y + dir.y * d, p.z + dir.z * d);
}

// ------------------------------------------------------------------ physics

TDynamicEngine* PositionObject::PhysicsEngine() const { return GetApplet() ? GetApplet()->DynamicEngine() : nullptr; }

std::int32_t PositionObject::World() const {
  TDynamicEngine* engine = PhysicsEngine();
  if (!engine) return 0;
  return kind_ == okScreen ? engine->ScreenWorld : engine->SpaceWorld;
}

void PositionObject::CreateDynamics() {
  TAppletServices* applet = GetApplet();
  if (!applet || applet->DynamicEngine() || !DynamicEngineClass) return;
  TObject* made = DynamicEngineClass->CreateInstance(TCreateContext(applet->AppletObject()));
  if (auto* engine = dynamic_cast<TDynamicEngine*>(made)) applet->SetDynamicEngine(engine);
}

void PositionObject::WriteBody(std::int32_t body) {
  if (body == body_) return;
  EngineError(u"Body " + IntToStr(body) + u" not given to " + Name() + u": an object has only the body it made");
}

void PositionObject::RemoveBody() {
  TDynamicEngine* engine = PhysicsEngine();
  if (!engine || body_ == 0) return;
  engine->DestroyBody(body_);
  body_ = 0;
}

void PositionObject::recreateDynamic() {
  if (body_ == 0) return;
  DestroyDynamics();
  CreateDynamics();
}

void PositionObject::CheckContacts() {
  if (!colliseTrack_) return;  // before the engine: every body asks each tick
  TDynamicEngine* engine = PhysicsEngine();
  if (!engine || Prepared()) return;
  contacts_.clear();
  engine->Collise(this, contacts_);
}

void PositionObject::Collise(PositionObject* other, const TSpaceVector& position, const TSpaceVector& normal) {
  if (!other || Prepared() || other->Prepared()) return;
  if (!ScriptObject() || !other->ScriptObject()) return;
  if (auto* trigger = dynamic_cast<Trigger*>(other)) {
    trigger->Collise(this, position, normal);
    return;
  }
  lastNormal_ = normal;
  Event* event = GetApplet() ? GetApplet()->GetEvent() : nullptr;
  if (!event) return;
  TWeak<Event> alive(event);
  event->PushParamObject(other);
  event->ParamNormal()->SetDirectVector(normal);
  event->ParamPosition()->SetDirectVector(position);
  CallScript(onCollise_);
  if (alive.Get()) event->PopParamObject();
}

std::int32_t PositionObject::complexCollise(bool runHandlers) {
  TDynamicEngine* engine = PhysicsEngine();
  if (Prepared() || !engine) return 0;
  std::vector<PositionObject*> found;
  engine->ComplexCollise(this, found);
  const auto count = static_cast<std::int32_t>(found.size());
  if (runHandlers) {
    // A handler may free the others.
    std::vector<TWeak<PositionObject>> alive(found.begin(), found.end());
    for (const auto& object : alive)
      if (PositionObject* o = object.Get()) o->CallScript(o->onComplexColliseAction_);
  }
  return count;
}

void PositionObject::spawn() {
  TWeak<PositionObject> self(this);
  if ((collisable_ || dynamic_) && body_ == 0) {
    CallScript(onSpawn_);
    if (!self.Get()) return;
    CreateDynamics();
  }
  std::vector<TWeak<PositionObject>> children;
  for (BaseObject* child : ChildList())
    if (PositionObject* positioned = child->AsPositionObject()) children.emplace_back(positioned);
  for (const auto& child : children)
    if (PositionObject* positioned = child.Get()) positioned->spawn();
}

void PositionObject::unspawn() {
  TWeak<PositionObject> self(this);
  if (collisable_ || dynamic_) {
    DestroyDynamics();
    CallScript(onUnspawn_);
    if (!self.Get()) return;
  }
  std::vector<TWeak<PositionObject>> children;
  for (BaseObject* child : ChildList())
    if (PositionObject* positioned = child->AsPositionObject()) children.emplace_back(positioned);
  for (const auto& child : children)
    if (PositionObject* positioned = child.Get()) positioned->unspawn();
}

void PositionObject::explode(float radius, float strength) {
  TDynamicEngine* engine = PhysicsEngine();
  if (!engine) return;
  const TSpaceVector centre = GetAbsolutePosition();
  if (const std::u16string refused = ExplosionRefusal(centre, radius, strength); !refused.empty()) {
    EngineError(u"Explosion of " + (Name().empty() ? WidenLatin1(ClassName()) : Name()) + u" not made: " + refused);
    return;
  }
  engine->Explode(World(), centre, radius, strength);
}

void PositionObject::screenToLocal(float x, float y) {
  TAppletServices* applet = GetApplet();
  Event* event = applet ? applet->GetEvent() : nullptr;
  if (!event) return;
  TSpaceVector hit{0, 0, 0, 1};
  if (TDevice* device = applet->Device()) {
    TSpaceVector origin, direction;
    device->Pick(x, y, origin, direction);
    if (!RayCastPlaneIntersect(origin, direction, GetAbsolutePosition(), GetAbsoluteUp(), hit)) hit = {0, 0, 0, 1};
  }
  event->ParamPosition()->SetDirectVector(hit);
}

// ------------------------------------------------------------------- motion

void PositionObject::Advance(float seconds) {
  const TSpaceVector& p = position_->Coordinates();
  const TSpaceVector& v = velocity_->Coordinates();
  position_->SetValues(p.x + v.x * seconds, p.y + v.y * seconds, p.z + v.z * seconds);
}

void PositionObject::forward(float dt) {
  if (DesignTime()) return;
  TWeak<PositionObject> self(this);
  if (velocity_->VectorLength() == 0) {
    CheckContacts();
    return;
  }
  TSpaceVector v = velocity_->Coordinates();
  const TSpaceVector& g = gravity_->Coordinates();
  v = {v.x + g.x * dt, v.y + g.y * dt, v.z + g.z * dt, v.w};
  if (friction_ != 1.0f) v = {v.x + (v.x * friction_ - v.x) * dt, v.y + (v.y * friction_ - v.y) * dt,
                              v.z + (v.z * friction_ - v.z) * dt, v.w};
  const float speed = SpaceVectorLength(v);
  const float distance = speed * dt;
  // A velocity that is not a number (or overflows) would step for ever:
  // nothing moves, and the object says so once.
  if (!Finite(v) || !std::isfinite(speed) || !std::isfinite(distance)) {
    if (!nonFiniteReported_)
      EngineError(u"Not a finite velocity: " + (Name().empty() ? WidenLatin1(ClassName()) : Name()) + u" not moved");
    nonFiniteReported_ = true;
    return;
  }
  velocity_->SetDirectVector(v);
  lastStep_ = dt;
  const float r = GetBoundsRadius();
  // Without a usable radius (0 or less) the whole way is one step.
  if (distance < r || !(r > 0)) {
    Advance(dt);
    if (self.Get()) CheckContacts();
    return;
  }
  // Steps no longer than the radius, so that no contact is skipped; the last
  // one is shortened to end exactly at the distance.
  float step = r;
  float travelled = r;
  float moved = 0;
  int steps = 0;
  while (travelled <= distance && steps < kMaxSubSteps) {
    Advance(step / speed);
    moved += step;
    ++steps;
    if (!self.Get()) return;
    CheckContacts();
    if (!self.Get()) return;
    if (travelled >= distance || travelled + step < distance) {
      travelled += step;
    } else {
      step = distance - travelled;
      travelled = distance;
    }
  }
  // Cut short by the step cap: the rest of the way in one last step.
  if (travelled <= distance && moved < distance) {
    Advance((distance - moved) / speed);
    if (self.Get()) CheckContacts();
  }
}

void PositionObject::back() {
  if (velocity_->VectorLength() == 0 || lastStep_ == 0) return;
  Advance(-lastStep_);
  lastStep_ = 0;
}

void PositionObject::ProcessTick(float dt, float time) {
  TWeak<PositionObject> self(this);
  VisualObject::ProcessTick(dt, time);
  if (!self.Get()) return;
  TDynamicEngine* engine = PhysicsEngine();
  if (engine && !Prepared() && dynamic_ && body_ != 0) {
    // A body that has not moved, under an object nobody moved since the
    // last copy, would give the same vectors again: most bodies rest. The
    // stamps tell so without reading either matrix.
    const std::uint64_t stamp = engine->BodyMatrixStamp(body_);
    if (stamp != copiedStamp_ || absoluteDirty_ || !absoluteCopied_) {
      const TSpaceMatrix m = engine->GetBodyMatrix(body_);
      if (m != copiedBody_ || GetAbsoluteMatrix() != copiedAbsolute_) {
        SetAbsolutePosition(m[3]);
        SetAbsoluteDirection(m[1]);
        SetAbsoluteUp(m[2]);
        copiedBody_ = m;
        copiedAbsolute_ = GetAbsoluteMatrix();
      }
      // Trusted only when equal to itself: a NaN compares unequal every
      // tick, and is copied again every tick.
      copiedStamp_ = m == copiedBody_ ? stamp : 0;
      absoluteCopied_ = GetAbsoluteMatrix() == copiedAbsolute_;
    }
    CheckContacts();
    if (!self.Get()) return;
  }
  if (moving_ || (colliseTrack_ && colliseOnStay_)) forward(dt);
}

// ------------------------------------------------------------------ drawing

void PositionObject::SetMatrix() {
  if (TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr) device->SetSpaceMatrix(GetAbsoluteMatrix());
}

void PositionObject::PaintObject() {
  TWeak<PositionObject> self(this);
  VisualObject::PaintObject();
  if (!self.Get()) return;
  TAppletServices* applet = GetApplet();
  TDevice* device = applet ? applet->Device() : nullptr;
  if (!device || !applet->DebugDynamics() || !moving_) return;
  SetMatrix();
  const TSpaceVector origin{0, 0, 0, 1};
  const TSpaceVector& n = lastNormal_;
  const TSpaceVector& v = velocity_->Coordinates();
  device->SetColor(0xFFFF0000);
  device->DrawLine2(origin, {n.x * 5.0f, n.y * 5.0f, n.z * 5.0f, 1}, 1.0f);
  device->SetColor(0xFF00FF00);
  device->DrawLine2(origin, {v.x, v.y, v.z, 1}, 1.0f);
}

void PositionObject::PaintDynamics() {
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  if (!device) return;
  device->SetRenderState(rsLightOff);
  device->SetRenderState(zTest_ ? rsZTestOn : rsZTestOff);
  device->SetRenderState(zTest_ ? rsZWriteOn : rsZWriteOff);
  device->SetRenderState(rsFrame);
  device->SetRenderState(rsTexDisable);
  device->SetColor(dynamic_ ? 0xFFFF0000 : 0xFF0000FF);
  device->DrawBox(GetBoundsBox(), 0.1f);
  device->SetColor(0xFFFFFFFF);
  device->SetRenderState(rsSolid);
  device->SetRenderState(rsTexReplace);
}

TRect PositionObject::GetUpdateRect() {
  TRect result{0, 0, 1, 1};
  for (BaseObject* child : ChildList())
    if (VisualObject* visual = child->AsVisualObject(); visual && visual->Visible())
      result = UnionRect(result, visual->GetUpdateRect());
  return result;
}

TRect PositionObject::CornersUpdateRect(float width, float height) {
  TRect r{4096, 4096, -4096, -4096};
  for (const TPoint corner : {TPoint{0, 0}, TPoint{width, 0}, TPoint{width, height}, TPoint{0, height}}) {
    const TPoint p = LocalToAbsolute(corner);
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x);
    r.bottom = std::max(r.bottom, p.y);
  }
  return r;
}

void PositionObject::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<PositionObject> self(this);
  VisualObject::MouseDown(button, shift, x, y);
  if (!self.Get()) return;
  TEngineServices* engine = RunningEngine();
  if (DesignTime() && button == mbLeft && shift == TShiftState{ssLeft} && engine) engine->DesignSelectObject(this);
}

}  // namespace corvane
