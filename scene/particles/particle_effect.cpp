#include "scene/particles/particle_effect.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/geometry/color.h"
#include "base/geometry/coord.h"
#include "base/geometry/matrix.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/scalar_math.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_info.h"
#include "base/reflection/variant.h"
#include "base/system/random.h"
#include "base/text/number_text.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/core/particle_budget.h"
#include "engine/core/position_object.h"
#include "platform/window.h"
#include "scene/particles/particle.h"
#include "scene/particles/particle_keys.h"
#include "scene/particles/particle_list.h"
#include "scene/particles/particle_renderer.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(ParticleEffect)

void ParticleEffect::Describe(TClassBuilder<ParticleEffect>& c) {
  c.Property("blendingMode", &ParticleEffect::BlendingMode, &ParticleEffect::SetBlendingMode).Default(bmAdditive);
  c.Property("gravity", &ParticleEffect::Gravity, &ParticleEffect::SetGravity);
  c.Property("initialPosition", &ParticleEffect::InitialPosition, &ParticleEffect::SetInitialPosition);
  c.Property("positionDispersion", &ParticleEffect::PositionDispersion, &ParticleEffect::SetPositionDispersion);
  c.Property("positionDispersionRange", &ParticleEffect::PositionDispersionRange,
             &ParticleEffect::SetPositionDispersionRange);
  c.Property("particleInterval", &ParticleEffect::ParticleInterval, &ParticleEffect::SetParticleInterval);
  c.Property("velocityMode", &ParticleEffect::VelocityMode, &ParticleEffect::SetVelocityMode).Default(svmAbsolute);
  c.Property("followToOwner", &ParticleEffect::FollowToOwner, &ParticleEffect::SetFollowToOwner).Default(false);
  c.Property("dispersionMode", &ParticleEffect::DispersionMode, &ParticleEffect::SetDispersionMode)
      .Default(sdmFast);
  c.Property("directionAngle", &ParticleEffect::DirectionAngle, &ParticleEffect::SetDirectionAngle);
  c.Property("spreadAngle", &ParticleEffect::SpreadAngle, &ParticleEffect::SetSpreadAngle);
  // The particles' friction stands in the place of the effect's own.
  c.Property("friction", &ParticleEffect::ParticleFriction, &ParticleEffect::SetParticleFriction);
  c.Property("rect", &ParticleEffect::Rect, &ParticleEffect::SetRect);
  c.Property("zTest", &ParticleEffect::ZTest, &ParticleEffect::SetZTest).Default(false);
  c.Property("lifeTime", &ParticleEffect::LifeTime, &ParticleEffect::SetLifeTime).Stored(false);
  c.Property("colorMin", &ParticleEffect::ColorMin, &ParticleEffect::SetColorMin).Stored(false);
  c.Property("colorMax", &ParticleEffect::ColorMax, &ParticleEffect::SetColorMax).Stored(false);
  c.Property("scaleMin", &ParticleEffect::ScaleMin, &ParticleEffect::SetScaleMin).Stored(false);
  c.Property("scaleMax", &ParticleEffect::ScaleMax, &ParticleEffect::SetScaleMax).Stored(false);
  c.Property("spinMin", &ParticleEffect::SpinMin, &ParticleEffect::SetSpinMin).Stored(false);
  c.Property("spinMax", &ParticleEffect::SpinMax, &ParticleEffect::SetSpinMax).Stored(false);
  c.Property("radialVelMin", &ParticleEffect::RadialVelMin, &ParticleEffect::SetRadialVelMin);
  c.Property("radialVelMax", &ParticleEffect::RadialVelMax, &ParticleEffect::SetRadialVelMax);
  c.Property("tangentVelMin", &ParticleEffect::TangentVelMin, &ParticleEffect::SetTangentVelMin);
  c.Property("tangentVelMax", &ParticleEffect::TangentVelMax, &ParticleEffect::SetTangentVelMax);
  c.Property("velocityMin", &ParticleEffect::VelocityMin, &ParticleEffect::SetVelocityMin);
  c.Property("velocityMax", &ParticleEffect::VelocityMax, &ParticleEffect::SetVelocityMax);
  c.Property("keys", &ParticleEffect::Keys, &ParticleEffect::SetKeys);
  c.Property("onCreateParticle", &ParticleEffect::OnCreateParticle, &ParticleEffect::SetOnCreateParticle);
  c.Method("Burst", &ParticleEffect::Burst);
  c.Method("KillAll", &ParticleEffect::KillAll);
  c.Method("UpdateRenderer", &ParticleEffect::UpdateRenderer);
  c.Method("ParticleCount", &ParticleEffect::ParticleCount);
  c.Method("RingExplosion", &ParticleEffect::RingExplosion);
  c.Method("CreateParticles", &ParticleEffect::CreateParticles);
}

namespace {

TSpaceCoord* MakeCoord(TObject* owner, const TSpaceVector& value) {
  return TSpaceCoord::CreateInitialized(owner, value);
}

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
// Seconds, far below any frame time.
constexpr float kAgeAllowance = 1e-5f;
constexpr std::uint32_t kClearWhite = 0x00FFFFFF;

}  // namespace

ParticleEffect::ParticleEffect(const TCreateContext& context) : Effect(context) {
  keys_ = new TParticleKeys(this);
  for (std::uint32_t color : {kWhite, kClearWhite}) {
    if (TParticleKey* key = keys_->AddKey()) {
      key->SetScale(1.0f);
      key->SetColor(color);
    }
  }
  TObject* owner = AppletObjectOf(this);
  rect_ = Create<TRectPersistent>(TCreateContext(owner));
  rect_->SetRect({0, 0, 1, 1});
  gravity_ = MakeCoord(owner, {0, 0, 0, 1});
  initialPosition_ = MakeCoord(owner, {0, 0, 0, 1});
  positionDispersionRange_ = MakeCoord(owner, {0, 0, 0, 1});
  particles_ = Create<TParticleList>(TCreateContext(this));
  particles_->SetEffect(this);
  SetRunning(true);
}

ParticleEffect::~ParticleEffect() {
  FreeAndNil(rect_);
  FreeAndNil(positionDispersionRange_);
  FreeAndNil(gravity_);
  FreeAndNil(initialPosition_);
  FreeAndNil(particles_);
  FreeAndNil(keys_);
}

void ParticleEffect::AfterConstruction() {
  TWeak<ParticleEffect> self(this);
  Effect::AfterConstruction();
  if (self.Get() && !HasState(csLoading)) UpdateRenderer();
}

void ParticleEffect::Loaded() {
  TWeak<ParticleEffect> self(this);
  Effect::Loaded();
  if (!self.Get()) return;
  UpdateRenderer();
  // Without keys the life stays as it was: there is no last key to take it
  // from.
  if (keys_->Count() > 0) lifeTime_ = KeyAt(keys_->Count() - 1)->Time();
  keyErrorLogged_ = false;
}

void ParticleEffect::BeforeDestruction() {
  SetRenderer(nullptr);
  if (particles_) particles_->FreeAll();
  SettleBudget();
  Effect::BeforeDestruction();
}

void ParticleEffect::SetRunning(bool value) {
  if (value && !Running()) ownerPositionTaken_ = false;
  Effect::SetRunning(value);
}

// ------------------------------------------------------------- particles

TParticle* ParticleEffect::CreateParticle() {
  auto* particle = Create<TParticle>(TCreateContext(AppletObjectOf(this)));
  particle->birthTime = Elapsed();
  particle->age = 0;
  const int index = particles_->AddItem(particle);
  if (onCreateParticle_.Assigned() && onCreateParticle_.Data) {
    TWeak<ParticleEffect> self(this);
    const std::array<Variant, 2> args{Variant(static_cast<TObject*>(this)), Variant(static_cast<TObject*>(particle))};
    onCreateParticle_.Code->Invoke(*onCreateParticle_.Data, args);
    // A handler that freed the effect, or killed its particles, took the
    // new one with it.
    if (!self.Get()) return nullptr;
    if (index >= particles_->ItemCount() || particles_->Items(index) != particle) return nullptr;
  }
  return particle;
}

std::int32_t ParticleEffect::ParticleCount() const { return particles_ ? particles_->ItemCount() : 0; }

PositionObject* ParticleEffect::PositionParent() const { return Parent() ? Parent()->AsPositionObject() : nullptr; }

TSpaceVector ParticleEffect::ParentPosition() const {
  PositionObject* parent = PositionParent();
  if (!parent) return {0, 0, 0, 1};
  return parent->GetAbsolutePosition();
}

void ParticleEffect::Burst(float time, std::int32_t count) {
  TWeak<ParticleEffect> self(this);
  if (count <= 0) return;
  // A hostile interval or count would otherwise fill memory.
  count = Room(count);
  const TSpaceVector& start = initialPosition_->Coordinates();
  const float spread = 2.0f * positionDispersion_;
  const TSpaceVector& range = positionDispersionRange_->Coordinates();
  for (std::int32_t i = 0; i < count; ++i) {
    TParticle* p = CreateParticle();
    if (!self.Get()) return;
    // Charged at once: a handler of the new particle may release more.
    SettleBudget();
    if (!p) return;
    p->effect = this;
    const TSpaceVector parent = ParentPosition();
    const TSpaceVector base{parent.x + start.x, parent.y + start.y, parent.z + start.z, 1};
    const float ox = (Random() - 0.5f) * spread * range.x;
    const float oy = (Random() - 0.5f) * spread * range.y;
    const float oz = (Random() - 0.5f) * spread * range.z;
    p->position = {base.x + ox, base.y + oy, base.z + oz, 1};
    p->origin = p->position;
    // Counter-clockwise about +z from +x: 90 degrees points along +y.
    const float angle = DegToRad(directionAngle_ - spreadAngle_ / 2 + spreadAngle_ * Random());
    const float speed = velocityMin_ + Random() * (velocityMax_ - velocityMin_);
    p->velocity = {std::cos(angle) * speed, std::sin(angle) * speed, 0, 1};
    if (velocityMode_ == svmRelative) {
      if (PositionObject* owner = PositionParent()) {
        TSpaceVector turned = owner->VectorLocalToAbsolute({p->velocity.x, p->velocity.y, p->velocity.z, 0});
        turned.w = 1;
        p->velocity = turned;
      }
    }
    p->radialVel = radialVelMin_ + Random() * (radialVelMax_ - radialVelMin_);
    p->tangentVel = tangentVelMin_ + Random() * (tangentVelMax_ - tangentVelMin_);
    p->birthTime = time;
    p->age = 0;
  }
}

std::int32_t ParticleEffect::Room(std::int32_t wanted) {
  SettleBudget();
  const std::int32_t own = kMaxParticles - ParticleCount();
  TParticleTally& tally = ParticleTally();
  const std::int32_t shared = ParticleBudget - tally.Live;
  if (wanted <= own && wanted <= shared) return wanted;
  if (shared < own) {
    if (!tally.Reported)
      Error(u"Particle budget of " + IntToStr(ParticleBudget) +
            u" reached: effects release no more particles until some end");
    tally.Reported = true;
  } else {
    if (!limitLogged_)
      Error(u"ParticleEffect " + Name() + u": more than " + IntToStr(kMaxParticles) + u" particles");
    limitLogged_ = true;
  }
  return std::max(std::min(own, shared), 0);
}

void ParticleEffect::SettleBudget() {
  const std::int32_t held = particles_ ? particles_->ItemCount() : 0;
  ParticleTally().Live += held - charged_;
  charged_ = held;
}

void ParticleEffect::KillAll() {
  if (particles_) particles_->FreeAll();
  SettleBudget();
}

// ------------------------------------------------------------- the renderer

ParticleRenderer* ParticleEffect::Renderer() const { return renderer_.Get(); }

void ParticleEffect::SetRenderer(ParticleRenderer* renderer) {
  if (ParticleRenderer* current = renderer_.Get()) current->UnregisterEffect(this);
  renderer_ = renderer;
  if (renderer) renderer->RegisterEffect(this);
}

void ParticleEffect::UpdateRenderer() {
  TAppletServices* applet = GetApplet();
  if (!applet) return;
  int index = blendingMode_ == bmAdditive ? 0 : 1;
  if (zTest_) index = 2;
  SetRenderer(dynamic_cast<ParticleRenderer*>(applet->Renderer(index)));
}

// ------------------------------------------------------------------ keys

TParticleKey* ParticleEffect::KeyAt(int index) const {
  return index >= 0 && index < keys_->Count() ? keys_->Key(index) : nullptr;
}

bool ParticleEffect::FindKeys(float t, TParticleKey*& k1, TParticleKey*& k2) {
  k1 = k2 = nullptr;
  const int count = keys_->Count();
  if (count < 2) return false;
  const float last = KeyAt(count - 1)->Time();
  if (t > last) {
    k1 = KeyAt(count - 2);
    k2 = KeyAt(count - 1);
    // Once per effect until its keys or life change: a particle outliving
    // the keys does so every frame.
    if (!keyErrorLogged_) Log(u"Error key " + FloatToStr(t) + u" " + FloatToStr(last));
    keyErrorLogged_ = true;
    return true;
  }
  for (int i = 0; i + 1 < count; ++i) {
    TParticleKey* a = KeyAt(i);
    TParticleKey* b = KeyAt(i + 1);
    if (a->Time() <= t && t <= b->Time()) {
      k1 = a;
      k2 = b;
      return true;
    }
  }
  if (!keyErrorLogged_)
    Log(u"Can't find key " + FloatToStr(Elapsed()) + u" " + FloatToStr(t) + u" " + FloatToStr(last));
  keyErrorLogged_ = true;
  return false;
}

namespace {

// Where t lies between the keys; 0 for keys at the same time, where the
// quotient would be 0/0.
float KeyFraction(float t, const TParticleKey* k1, const TParticleKey* k2) {
  const float span = k2->Time() - k1->Time();
  if (span == 0) return 0;
  return (t - k1->Time()) / span;
}

std::uint32_t ChannelLerp(std::uint32_t a, std::uint32_t b, float f) {
  const std::int32_t v = SaturatingTrunc(Lerp(static_cast<float>(a), static_cast<float>(b), f));
  return static_cast<std::uint32_t>(std::clamp(v, 0, 255));
}

}  // namespace

void ParticleEffect::ComputeLook(float age, float& scale, float& spin, std::uint32_t& color) {
  TParticleKey *k1, *k2;
  if (!FindKeys(age, k1, k2)) {
    scale = spin = 0;
    color = 0;
    return;
  }
  const float f = KeyFraction(age, k1, k2);
  scale = Lerp(k1->Scale(), k2->Scale(), f);
  spin = Lerp(k1->Spin(), k2->Spin(), f);
  color = 0;
  for (int shift : {24, 16, 8, 0})
    color |= ChannelLerp((k1->Color() >> shift) & 0xFF, (k2->Color() >> shift) & 0xFF, f) << shift;
}

bool ParticleEffect::ComputeSizeScale(float age, float& scale) {
  TParticleKey *k1, *k2;
  if (!FindKeys(age, k1, k2)) {
    scale = 0;
    return true;
  }
  scale = Lerp(k1->Scale(), k2->Scale(), KeyFraction(age, k1, k2));
  return scale != 1.0f;
}

bool ParticleEffect::ComputeSpinAngle(float age, float& spin) {
  TParticleKey *k1, *k2;
  if (!FindKeys(age, k1, k2)) {
    spin = 0;
    return false;
  }
  spin = Lerp(k1->Spin(), k2->Spin(), KeyFraction(age, k1, k2));
  return spin != 0;
}

std::uint32_t ParticleEffect::ComputeCurColor(float age) {
  TParticleKey *k1, *k2;
  if (!FindKeys(age, k1, k2)) return 0;
  const float f = KeyFraction(age, k1, k2);
  std::uint32_t color = 0;
  for (int shift : {24, 16, 8, 0})
    color |= ChannelLerp((k1->Color() >> shift) & 0xFF, (k2->Color() >> shift) & 0xFF, f) << shift;
  return color;
}

// ---------------------------------------------------------- published state

void ParticleEffect::SetBlendingMode(TBlendingMode value) {
  if (value == blendingMode_) return;
  blendingMode_ = value;
  // A change at run time takes effect at once; a stream's waits for Loaded.
  if (!HasState(csLoading)) UpdateRenderer();
}

void ParticleEffect::SetZTest(bool value) {
  if (value == zTest_) return;
  zTest_ = value;
  if (!HasState(csLoading)) UpdateRenderer();
}

void ParticleEffect::SetGravity(TSpaceCoord* value) {
  if (value && value != gravity_) gravity_->SetDirectVector(value->Coordinates());
}

void ParticleEffect::SetInitialPosition(TSpaceCoord* value) {
  if (value && value != initialPosition_) initialPosition_->SetDirectVector(value->Coordinates());
}

void ParticleEffect::SetPositionDispersionRange(TSpaceCoord* value) {
  if (value && value != positionDispersionRange_) positionDispersionRange_->SetDirectVector(value->Coordinates());
}

void ParticleEffect::SetParticleInterval(float value) { particleInterval_ = value < 0 ? 0 : value; }

void ParticleEffect::SetRect(TRectPersistent* value) {
  if (value && value != rect_) rect_->Assign(value);
}

void ParticleEffect::SetLifeTime(float value) {
  // Not a number is no life at all: the particles would never end.
  if (value == lifeTime_ || std::isnan(value)) return;
  lifeTime_ = value;
  keyErrorLogged_ = false;
  if (keys_->Count() != 2) return;
  // A whole number of frames, none before the first.
  const std::int32_t frame = std::max(RoundHalfEven(static_cast<double>(value) * kParticleKeyRate), 0);
  KeyAt(1)->SetKey(static_cast<std::uint32_t>(frame));
  lifeTime_ = KeyAt(1)->Time();
}

std::u16string ParticleEffect::ColorMin() const { return KeyAt(0) ? KeyAt(0)->ColorText() : std::u16string(); }
std::u16string ParticleEffect::ColorMax() const { return KeyAt(1) ? KeyAt(1)->ColorText() : std::u16string(); }
void ParticleEffect::SetColorMin(const std::u16string& text) {
  if (TParticleKey* key = KeyAt(0)) key->SetColorText(text);
}
void ParticleEffect::SetColorMax(const std::u16string& text) {
  if (TParticleKey* key = KeyAt(1)) key->SetColorText(text);
}
float ParticleEffect::ScaleMin() const { return KeyAt(0) ? KeyAt(0)->Scale() : 0.0f; }
float ParticleEffect::ScaleMax() const { return KeyAt(1) ? KeyAt(1)->Scale() : 0.0f; }
void ParticleEffect::SetScaleMin(float value) {
  if (TParticleKey* key = KeyAt(0)) key->SetScale(value);
}
void ParticleEffect::SetScaleMax(float value) {
  if (TParticleKey* key = KeyAt(1)) key->SetScale(value);
}
float ParticleEffect::SpinMin() const { return KeyAt(0) ? KeyAt(0)->Spin() : 0.0f; }
float ParticleEffect::SpinMax() const { return KeyAt(1) ? KeyAt(1)->Spin() : 0.0f; }
void ParticleEffect::SetSpinMin(float value) {
  if (TParticleKey* key = KeyAt(0)) key->SetSpin(value);
}
void ParticleEffect::SetSpinMax(float value) {
  if (TParticleKey* key = KeyAt(1)) key->SetSpin(value);
}

void ParticleEffect::SetKeys(TParticleKeys* value) {
  if (value && value != keys_) keys_->Assign(value);
}

// ------------------------------------------------------------ each frame

TSpaceVector ParticleEffect::TangentAxis() const {
  PositionObject* parent = PositionParent();
  if (parent && parent->Kind() == okSpace) {
    TAppletServices* applet = GetApplet();
    if (TWindow* window = applet ? applet->Window() : nullptr) return window->CameraDirection;
  }
  return {0, 0, 1, 0};
}

void ParticleEffect::ProcessEffect(float dt, float) {
  TWeak<ParticleEffect> self(this);
  if (particleInterval_ > 0 && Running()) {
    if (emissionTimer_ < particleInterval_) {
      emissionTimer_ += dt;
    } else {
      Burst(Elapsed(), SaturatingTrunc(emissionTimer_ / particleInterval_));
      if (!self.Get()) return;
      emissionTimer_ = 0;
    }
    SetKeepProcessing(true);
  }

  // Taken afresh when processing starts, so that particles following the
  // parent do not jump by how far it moved while nothing was processed.
  const TSpaceVector ownerPosition = ParentPosition();
  if (!ownerPositionTaken_) previousOwnerPosition_ = ownerPosition;
  ownerPositionTaken_ = true;
  const TSpaceVector ownerDelta = SpaceVectorSubtract(ownerPosition, previousOwnerPosition_);
  previousOwnerPosition_ = ownerPosition;

  bool removed = false;
  bool touched = false;
  TSpaceVector axis{0, 0, 1, 0};
  bool axisTaken = false;
  const TSpaceVector& gravity = gravity_->Coordinates();
  const float frameFactor = particleFriction_ != 1.0f ? Power(particleFriction_, dt) : 1.0f;
  for (int i = 0; i < particles_->ItemCount(); ++i) {
    TParticle* p = particles_->Items(i);
    if (!p) continue;
    touched = true;
    float factor = 1.0f;
    if (p->effect) {
      factor = frameFactor;
      if (followToOwner_) {
        p->position.x += ownerDelta.x;
        p->position.y += ownerDelta.y;
        p->position.z += ownerDelta.z;
      }
    }
    // Ages are sums of frame times, which fall short of the exact sum by
    // a few units in the last place: without the allowance a particle
    // would live a frame longer than its life.
    if (lifeTime_ - dt <= p->age + kAgeAllowance) {
      particles_->RemoveAndFreeItem(p, i);
      removed = true;
      continue;
    }
    TSpaceVector& v = p->velocity;
    v.x = v.x - 0.001f + Random() * 0.002f;
    v.y = v.y - 0.001f + Random() * 0.002f;
    v.z = v.z - 0.001f + Random() * 0.002f;
    v.x += gravity.x * dt;
    v.y += gravity.y * dt;
    v.z += gravity.z * dt;
    const bool away = p->position.x != p->origin.x || p->position.y != p->origin.y || p->position.z != p->origin.z;
    if (p->tangentVel != 0 && away) {
      if (!axisTaken) axis = TangentAxis();
      axisTaken = true;
      const TSpaceVector r = SpaceVectorSubtract(p->position, p->origin);
      TSpaceVector turned = r;
      RotateVector(turned, axis, 0.5f);
      const TSpaceVector t = VectorSpaceNormalize(SpaceVectorSubtract(turned, r));
      const float s = p->tangentVel * dt;
      v.x += t.x * s;
      v.y += t.y * s;
      v.z += t.z * s;
    }
    if (p->radialVel != 0 && away) {
      const TSpaceVector n = VectorSpaceNormalize(SpaceVectorSubtract(p->position, p->origin));
      const float s = p->radialVel * dt;
      v.x += n.x * s;
      v.y += n.y * s;
      v.z += n.z * s;
    }
    p->position.x += v.x * dt;
    p->position.y += v.y * dt;
    p->position.z += v.z * dt;
    if (factor != 1.0f) {
      v.x *= factor;
      v.y *= factor;
      v.z *= factor;
    }
    p->age += dt;
  }
  if (removed) {
    particles_->Pack();
    if (particles_->ItemCount() == 0) SetKeepProcessing(false);
  }
  SettleBudget();
  // A stopped effect with nothing left is done, also when it never
  // released anything.
  if (particles_->ItemCount() == 0 && !Running()) SetKeepProcessing(false);
  if (!KeepProcessing() && !Running()) ownerPositionTaken_ = false;
  if (touched || removed)
    if (VisualObject* parent = Parent() ? Parent()->AsVisualObject() : nullptr) parent->repaint();
}

}  // namespace corvane
