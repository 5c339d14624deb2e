// ParticleEffect: an emitter on a positioned parent. While it runs it
// releases particles at a fixed interval around the parent, moves them each
// frame under gravity, tangential and radial speeds and the parent's
// motion, ages them and removes them at the end of their life; their size,
// spin and colour at an age come from the key frames. It does not draw:
// it registers with one of the applet's particle renderers, chosen by its
// blending mode and depth test, which batches every effect's particles.
#pragma once

#include <cstdint>
#include <string>

#include "base/geometry/geometry.h"
#include "base/reflection/type_info.h"
#include "engine/core/effect.h"
#include "scene/particles/particle_modes.h"

namespace corvane {

class ParticleRenderer;
class TAppletServices;
class PositionObject;
class TParticle;
class TParticleKey;
class TParticleKeys;
class TParticleList;
class TRectPersistent;
class TSpaceCoord;

class ParticleEffect : public Effect {
  CORVANE_CLASS(ParticleEffect, Effect)
  static void Describe(TClassBuilder<ParticleEffect>& c);
  // Running, with two keys at frame 0 (opaque white to transparent white,
  // scale 1) and a life of 3 s.
  explicit ParticleEffect(const TCreateContext& context);
  ~ParticleEffect() override;
  // Registers with the applet's renderer for the modes.
  void AfterConstruction() override;
  // Picks the renderer again and takes the life from the last key.
  void Loaded() override;
  // Leaves its renderer, frees its particles.
  void BeforeDestruction() override;
  // A start (or restart) takes the parent's position afresh.
  void SetRunning(bool value) override;

  // ---- particles
  // A new particle born now, appended; onCreateParticle hears of it.
  virtual TParticle* CreateParticle();
  virtual std::int32_t ParticleCount() const;
  TParticleList* Particles() const { return particles_; }
  // Releases count particles around the parent, born at time.
  void Burst(float time, std::int32_t count);
  // Frees every particle.
  void KillAll();
  // Exist for scripts; do nothing.
  void RingExplosion(float a, float b, float c, std::int32_t count) {}
  void CreateParticles(std::int32_t count) {}
  // The most particles one effect keeps alive: a burst beyond it releases
  // only up to it (and says so once). All the program's effects together
  // keep at most ParticleBudget (engine/core/particle_budget.h).
  static constexpr std::int32_t kMaxParticles = 100000;

  // ---- the renderer
  ParticleRenderer* Renderer() const;
  // Leaves the current renderer and joins this one (either may be null).
  void SetRenderer(ParticleRenderer* renderer);
  // The applet's renderer for blendingMode and zTest.
  void UpdateRenderer();

  // ---- the look at an age, from the pair of keys around it
  // False without a pair (fewer than two keys, or none matches).
  bool FindKeys(float t, TParticleKey*& k1, TParticleKey*& k2);
  // Each 0 without a pair; true when the value is not the neutral one
  // (scale 1, spin 0).
  bool ComputeSizeScale(float age, float& scale);
  bool ComputeSpinAngle(float age, float& spin);
  std::uint32_t ComputeCurColor(float age);
  // The three at once, from one look-up.
  void ComputeLook(float age, float& scale, float& spin, std::uint32_t& color);

  // ---- published state
  TBlendingMode BlendingMode() const { return blendingMode_; }
  void SetBlendingMode(TBlendingMode value);
  bool ZTest() const { return zTest_; }
  void SetZTest(bool value);
  TSpaceCoord* Gravity() const { return gravity_; }
  TSpaceCoord* InitialPosition() const { return initialPosition_; }
  TSpaceCoord* PositionDispersionRange() const { return positionDispersionRange_; }
  void SetGravity(TSpaceCoord* value);
  void SetInitialPosition(TSpaceCoord* value);
  void SetPositionDispersionRange(TSpaceCoord* value);
  float PositionDispersion() const { return positionDispersion_; }
  void SetPositionDispersion(float value) { positionDispersion_ = value; }
  float ParticleInterval() const { return particleInterval_; }
  // Below 0 becomes 0, which stops emission.
  void SetParticleInterval(float value);
  TParticleVelocityMode VelocityMode() const { return velocityMode_; }
  void SetVelocityMode(TParticleVelocityMode value) { velocityMode_ = value; }
  bool FollowToOwner() const { return followToOwner_; }
  void SetFollowToOwner(bool value) { followToOwner_ = value; }
  TParticleDispersionMode DispersionMode() const { return dispersionMode_; }
  void SetDispersionMode(TParticleDispersionMode value) { dispersionMode_ = value; }
  float DirectionAngle() const { return directionAngle_; }
  void SetDirectionAngle(float value) { directionAngle_ = value; }
  float SpreadAngle() const { return spreadAngle_; }
  void SetSpreadAngle(float value) { spreadAngle_ = value; }
  // The particles' per-second velocity factor (not the effect's own speed
  // friction).
  float ParticleFriction() const { return particleFriction_; }
  void SetParticleFriction(float value) { particleFriction_ = value; }
  TRectPersistent* Rect() const { return rect_; }
  void SetRect(TRectPersistent* value);
  float LifeTime() const { return lifeTime_; }
  // With exactly two keys, key 1 moves to the nearest whole frame and the
  // life becomes that frame's time.
  void SetLifeTime(float value);
  // Key 0 (min) and key 1 (max); nothing without that key.
  std::u16string ColorMin() const;
  std::u16string ColorMax() const;
  void SetColorMin(const std::u16string& text);
  void SetColorMax(const std::u16string& text);
  float ScaleMin() const;
  float ScaleMax() const;
  void SetScaleMin(float value);
  void SetScaleMax(float value);
  float SpinMin() const;
  float SpinMax() const;
  void SetSpinMin(float value);
  void SetSpinMax(float value);
  float RadialVelMin() const { return radialVelMin_; }
  float RadialVelMax() const { return radialVelMax_; }
  void SetRadialVelMin(float value) { radialVelMin_ = value; }
  void SetRadialVelMax(float value) { radialVelMax_ = value; }
  float TangentVelMin() const { return tangentVelMin_; }
  float TangentVelMax() const { return tangentVelMax_; }
  void SetTangentVelMin(float value) { tangentVelMin_ = value; }
  void SetTangentVelMax(float value) { tangentVelMax_ = value; }
  float VelocityMin() const { return velocityMin_; }
  float VelocityMax() const { return velocityMax_; }
  void SetVelocityMin(float value) { velocityMin_ = value; }
  void SetVelocityMax(float value) { velocityMax_ = value; }
  TParticleKeys* Keys() const { return keys_; }
  void SetKeys(TParticleKeys* value);
  const TMethod& OnCreateParticle() const { return onCreateParticle_; }
  void SetOnCreateParticle(const TMethod& value) { onCreateParticle_ = value; }

  // The keys changed: their errors may be reported again.
  void KeysChanged() { keyErrorLogged_ = false; }

 protected:
  void ProcessEffect(float dt, float time) override;

 private:
  // The parent as a positioned object; nullptr for another kind of parent.
  PositionObject* PositionParent() const;
  // The parent's absolute position; the origin for a parent without one.
  TSpaceVector ParentPosition() const;
  // The applet's window view direction for a space parent, +z otherwise.
  TSpaceVector TangentAxis() const;
  TParticleKey* KeyAt(int index) const;
  // How many more particles may be released now, within this effect's cap
  // and the program's budget; says once when either stops a release.
  std::int32_t Room(std::int32_t wanted);
  // Brings the program's tally in line with the particles held.
  void SettleBudget();

  TBlendingMode blendingMode_ = bmAdditive;
  TSpaceCoord* gravity_ = nullptr;
  TSpaceCoord* initialPosition_ = nullptr;
  float positionDispersion_ = 1.0f;
  TSpaceCoord* positionDispersionRange_ = nullptr;
  float particleInterval_ = 0.1f;
  TParticleVelocityMode velocityMode_ = svmAbsolute;
  bool followToOwner_ = false;
  TParticleDispersionMode dispersionMode_ = sdmFast;
  float directionAngle_ = 0;
  float spreadAngle_ = 0;
  float particleFriction_ = 1.0f;
  TRectPersistent* rect_ = nullptr;
  bool zTest_ = false;
  float lifeTime_ = 3.0f;
  float radialVelMin_ = 0, radialVelMax_ = 0;
  float tangentVelMin_ = 0, tangentVelMax_ = 0;
  float velocityMin_ = 0, velocityMax_ = 0;
  TParticleKeys* keys_ = nullptr;
  TMethod onCreateParticle_;

  TParticleList* particles_ = nullptr;
  TWeak<ParticleRenderer> renderer_;
  // Seconds since the last release.
  float emissionTimer_ = 0;
  // The parent's absolute position at the previous frame, once taken.
  TSpaceVector previousOwnerPosition_{0, 0, 0, 1};
  bool ownerPositionTaken_ = false;
  // A key lookup error was logged; quiet until the keys or the life change.
  bool keyErrorLogged_ = false;
  bool limitLogged_ = false;
  // The particles of this effect the program's tally holds.
  std::int32_t charged_ = 0;
};

}  // namespace corvane
