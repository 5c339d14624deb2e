// An emitter for the particle tests: a positioned parent in a test world's
// applet with one effect on it, the random generator seeded, and frames of
// 1/60 s stepped straight into the effect.
#pragma once

#include "base/reflection/object.h"
#include "base/system/random.h"
#include "engine/core/position_object.h"
#include "scene/particles/particle.h"
#include "scene/particles/particle_effect.h"
#include "scene/particles/particle_list.h"
#include "scene/particles/register.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {

inline constexpr float kFrame = 1.0f / 60.0f;

struct TEmitter {
  explicit TEmitter(TPositionObjectKind kind = okScreen) {
    RegisterParticleClasses();
    RandSeed(1234);
    parent = Create<PositionObject>(TCreateContext(world.applet));
    parent->SetKind(kind);
    effect = Create<ParticleEffect>(TCreateContext(parent));
  }
  void Frame(float dt = kFrame) {
    time += dt;
    effect->ProcessTick(dt, time);
  }
  void Frames(int n, float dt = kFrame) {
    for (int i = 0; i < n; ++i) Frame(dt);
  }
  // Only what the test releases itself.
  void Quiet() { effect->SetParticleInterval(0); }
  TParticle* Particle(int index) const { return effect->Particles()->Items(index); }
  // Lines of the log that contain the text.
  int LogLines(const std::string& text) const {
    int n = 0;
    for (const std::string& line : world.log.Lines()) n += line.find(text) != std::string::npos ? 1 : 0;
    return n;
  }

  TTestWorld world;
  PositionObject* parent = nullptr;
  ParticleEffect* effect = nullptr;
  float time = 0;
};

}  // namespace corvane::test
