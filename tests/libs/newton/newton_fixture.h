// What the library's tests share: the loaded library, worlds destroyed
// after each test, and bodies set up as the engine sets them up (its user
// data read back in the callbacks, the force set from the force callback).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <vector>

#include "tests/libs/newton/newton_loader.h"

namespace corvane {

using TMatrix = std::array<float, 16>;
using TVector = std::array<float, 3>;

// The user data of a test body: the force its callback applies, and what
// the callbacks saw.
struct TTestBody {
  TVector force{0, 0, 0};
  int forceCalls = 0;
  std::vector<int> states;  // auto-active reports, in order
};

inline TMatrix Placement(float x, float y, float z) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}; }
inline TMatrix Identity() { return Placement(0, 0, 0); }

class NewtonTest : public ::testing::Test {
 protected:
  // The space world's numbers: its box, the constant force on moving
  // bodies and the freeze thresholds.
  static constexpr TVector kSpaceMin{-1000, -1000, -1000}, kSpaceMax{1000, 1000, 1000};
  static constexpr TVector kGravity{0, 0, -8.9f};
  static constexpr float kFreezeSpeed = 0.05f;

  const TNewtonLibrary& nt = NewtonLibrary();

  void SetUp() override { ASSERT_TRUE(nt.Loaded()) << "libnewton.so not loaded or incomplete"; }
  void TearDown() override {
    for (NtWorld world : worlds_) nt.NewtonDestroy(world);
  }

  NtWorld World(TVector minPoint = kSpaceMin, TVector maxPoint = kSpaceMax) {
    const NtWorld world = nt.NewtonCreate();
    EXPECT_NE(world, 0u);
    nt.NewtonSetWorldSize(world, minPoint.data(), maxPoint.data());
    worlds_.push_back(world);
    return world;
  }

  // A box body at a place, static for mass 0, else falling under the
  // space world's force with its freeze thresholds and both callbacks.
  NtBody Box(NtWorld world, TVector size, TVector at, float mass = 0) {
    const NtCollision shape = nt.NewtonCreateBox(world, size[0], size[1], size[2], nullptr);
    const NtBody body = nt.NewtonCreateBody(world, shape);
    nt.NewtonReleaseCollision(world, shape);
    EXPECT_NE(body, 0u);
    TTestBody& data = data_.emplace_back();
    nt.NewtonBodySetUserData(body, &data);
    const TMatrix m = Placement(at[0], at[1], at[2]);
    nt.NewtonBodySetMatrix(body, m.data());
    if (mass > 0) {
      data.force = kGravity;
      nt.NewtonBodySetMassMatrix(body, mass, mass * size[2], mass * size[1], mass * 10);
      nt.NewtonBodySetForceAndTorqueCallback(body, ApplyForce);
      nt.NewtonBodySetAutoFreeze(body, 1);
      nt.NewtonBodySetAutoactiveCallback(body, RecordState);
      nt.NewtonBodySetFreezeTreshold(body, kFreezeSpeed, kFreezeSpeed, 5);
    }
    return body;
  }

  TTestBody& Data(NtBody body) { return *static_cast<TTestBody*>(nt.NewtonBodyGetUserData(body)); }

  TMatrix Matrix(NtBody body) const {
    TMatrix m{};
    nt.NewtonBodyGetMatrix(body, m.data());
    return m;
  }
  TVector Position(NtBody body) const {
    const TMatrix m = Matrix(body);
    return {m[12], m[13], m[14]};
  }

  void Step(NtWorld world, int frames, float dt = 1.0f / 60.0f) {
    for (int i = 0; i < frames; ++i) nt.NewtonUpdate(world, dt);
  }

  // The bodies a box query finds.
  std::vector<NtBody> Query(NtWorld world, TVector minPoint, TVector maxPoint) const {
    std::vector<NtBody> found;
    nt.NewtonWorldForEachBodyInAABBDo(world, minPoint.data(), maxPoint.data(), Collect, &found);
    return found;
  }

  std::vector<NtWorld> worlds_;
  std::deque<TTestBody> data_;  // stable addresses for the user data

 public:
  // The callbacks of the test bodies, as the engine's: through the user
  // data.
  static void ApplyForce(NtBody body) {
    const TNewtonLibrary& lib = NewtonLibrary();
    auto* data = static_cast<TTestBody*>(lib.NewtonBodyGetUserData(body));
    ++data->forceCalls;
    lib.NewtonBodySetForce(body, data->force.data());
  }
  static void RecordState(NtBody body, int state) {
    static_cast<TTestBody*>(NewtonLibrary().NewtonBodyGetUserData(body))->states.push_back(state);
  }
  static void Collect(NtBody body, void* found) { static_cast<std::vector<NtBody>*>(found)->push_back(body); }
};

}  // namespace corvane
