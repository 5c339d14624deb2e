#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/reflection/class_info.h"
#include "base/reflection/variant.h"
#include "platform/device.h"
#include "tests/platform/recording_device_test.h"

namespace corvane {
namespace {

using RenderStateTest = test::RecordingDeviceTest;

TEST_F(RenderStateTest, AStateInForceIsNotAppliedAgain) {
  device->ClearRecords();
  device->SetRenderState(rsLightOn);
  device->SetRenderState(rsLightOn);
  EXPECT_EQ(device->CountCalls("ApplyRenderState rsLightOn"), 1);
  EXPECT_EQ(device->StateChanges, 1);
  // After its partner, the state applies again.
  device->SetRenderState(rsLightOff);
  device->SetRenderState(rsLightOn);
  EXPECT_EQ(device->CountCalls("ApplyRenderState rsLightOn"), 2);
  EXPECT_EQ(device->StateChanges, 3);
}

// Setting any member of a group applies it alone and switches off exactly
// the other members of its group.
TEST_F(RenderStateTest, EachStateClearsOnlyItsGroupPartners) {
  const std::vector<std::vector<TRenderState>> groups = {
      {rs2DScene, rs3DScene},       {rsLightOn, rsLightOff},       {rsZTestOn, rsZTestOff},
      {rsZWriteOn, rsZWriteOff},    {rsFrontFace, rsBackFace},     {rsBlendAdditive, rsBlendNormal},
      {rsTexNearest, rsTexLinear},  {rsTexDisable, rsTexReplace, rsTexModulate}, {rsFrame, rsSolid},
  };
  for (const auto& group : groups) {
    for (const TRenderState set : group) {
      SCOPED_TRACE(RenderStateName(set));
      device->ActiveStates.fill(true);
      device->ActiveStates[set] = false;
      device->ClearRecords();
      device->SetRenderState(set);
      EXPECT_EQ(device->Calls, std::vector<std::string>{"ApplyRenderState " + RenderStateName(set)});
      for (int s = 0; s < kRenderStateCount; ++s) {
        const auto state = static_cast<TRenderState>(s);
        const bool partner = state != set && std::find(group.begin(), group.end(), state) != group.end();
        EXPECT_EQ(device->StateActive(state), !partner) << RenderStateName(state);
      }
    }
  }
}

TEST_F(RenderStateTest, RestoreReappliesOnlyWhatChangedInOrder) {
  // Nothing changed: only the material comes back.
  device->SetRenderState(rs3DScene);
  device->saveRenderState();
  device->ClearRecords();
  device->restoreRenderState();
  EXPECT_EQ(device->Calls, std::vector<std::string>{"SetMaterial unlit #00000000"});

  device->SetRenderState(rs2DScene);
  device->SetRenderState(rsLightOff);
  device->SetRenderState(rsZTestOn);
  device->SetRenderState(rsTexModulate);
  device->SetColor(0xFF112233);
  TSpaceMatrix saved = IdentitySpaceMatrix;
  saved[3] = {5, 6, 7, 1};
  device->SpaceMatrix = saved;
  device->saveRenderState();

  device->SetRenderState(rsTexDisable);
  device->SetRenderState(rsZTestOn);  // unchanged
  device->SetRenderState(rsLightOn);
  device->SetRenderState(rsBlendAdditive);  // not saved: stays
  device->SetColor(0xFF445566);
  device->SpaceMatrix = IdentitySpaceMatrix;
  device->ClearRecords();
  device->restoreRenderState();

  EXPECT_EQ(device->Calls, (std::vector<std::string>{"SetMaterial unlit #FF112233", "ApplyRenderState rsLightOff",
                                                      "ApplyRenderState rsTexModulate"}));
  EXPECT_EQ(device->SpaceMatrix, saved);
  EXPECT_TRUE(device->StateActive(rsBlendAdditive));
  EXPECT_FALSE(device->StateActive(rsTexDisable));
}

TEST_F(RenderStateTest, ScriptsSetStatesByName) {
  const TMethodInfo* set = device->ClassType()->FindMethod("SetRenderState");
  ASSERT_NE(set, nullptr);
  set->Invoke(*device, std::vector<Variant>{Variant(static_cast<std::int32_t>(rsZWriteOff))});
  EXPECT_TRUE(device->StateActive(rsZWriteOff));
}

}  // namespace
}  // namespace corvane
