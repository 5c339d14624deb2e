#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/class_info.h"
#include "base/variant.h"
#include "platform/device.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

class RenderStateTest : public ::testing::Test {
 protected:
  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
};

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

TEST_F(RenderStateTest, PartnersExcludeEachOtherAndOtherGroupsStay) {
  // Every ordered pair: a, then b.
  for (int a = 0; a < kRenderStateCount; ++a)
    for (int b = 0; b < kRenderStateCount; ++b) {
      if (a == b) continue;
      const auto sa = static_cast<TRenderState>(a), sb = static_cast<TRenderState>(b);
      device->ActiveStates.fill(false);
      device->SetRenderState(sa);
      device->SetRenderState(sb);
      EXPECT_TRUE(device->StateActive(sb)) << RenderStateName(sa) << " then " << RenderStateName(sb);
      EXPECT_EQ(device->StateActive(sa), !RenderStatePartners(sa, sb))
          << RenderStateName(sa) << " then " << RenderStateName(sb);
    }
}

TEST_F(RenderStateTest, TheGroupsOfTheStates) {
  struct Case {
    TRenderState set;
    std::vector<TRenderState> cleared;
  };
  const Case cases[] = {
      {rs3DScene, {rs2DScene}},
      {rsFrontFace, {rsBackFace}},
      {rsTexReplace, {rsTexDisable, rsTexModulate}},
      {rsTexModulate, {rsTexDisable, rsTexReplace}},
      {rsSolid, {rsFrame}},
      {rsBlendNormal, {rsBlendAdditive}},
  };
  for (const Case& c : cases) {
    device->ActiveStates.fill(true);
    device->ActiveStates[c.set] = false;
    device->ClearRecords();
    device->SetRenderState(c.set);
    EXPECT_EQ(device->Calls, std::vector<std::string>{"ApplyRenderState " + RenderStateName(c.set)});
    for (int s = 0; s < kRenderStateCount; ++s) {
      const auto state = static_cast<TRenderState>(s);
      const bool cleared = std::find(c.cleared.begin(), c.cleared.end(), state) != c.cleared.end();
      EXPECT_EQ(device->StateActive(state), !cleared) << RenderStateName(c.set) << " / " << RenderStateName(state);
    }
  }
}

TEST_F(RenderStateTest, RestoreReappliesOnlyWhatChangedInOrder) {
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
  EXPECT_EQ(device->Material.Diffuse, 0xFF112233u);
  EXPECT_TRUE(device->StateActive(rsBlendAdditive));
  EXPECT_FALSE(device->StateActive(rsTexDisable));
}

TEST_F(RenderStateTest, RestoreWithoutChangeAppliesOnlyTheMaterial) {
  device->SetRenderState(rs3DScene);
  device->SetRenderState(rsLightOn);
  device->saveRenderState();
  device->ClearRecords();
  device->restoreRenderState();
  EXPECT_EQ(device->Calls, std::vector<std::string>{"SetMaterial unlit #00000000"});
}

TEST_F(RenderStateTest, RebuildPreparesTheSeventeenStatesInOrder) {
  device->ClearRecords();
  device->RebuildStates();
  std::vector<std::string> expected;
  for (int s = rs2DScene; s <= rsTexModulate; ++s)
    expected.push_back("CreateRenderStateList " + RenderStateName(static_cast<TRenderState>(s)));
  EXPECT_EQ(device->Calls, expected);
  EXPECT_EQ(expected.size(), 17u);
}

TEST_F(RenderStateTest, ScriptsSetStatesByName) {
  const TMethodInfo* set = device->ClassType()->FindMethod("SetRenderState");
  ASSERT_NE(set, nullptr);
  std::vector<Variant> args{Variant(static_cast<std::int32_t>(rsZWriteOff))};
  set->Invoke(*device, args);
  EXPECT_TRUE(device->StateActive(rsZWriteOff));
  EXPECT_NE(device->ClassType()->FindMethod("saveRenderState"), nullptr);
  EXPECT_NE(device->ClassType()->FindMethod("restoreRenderState"), nullptr);
}

}  // namespace
}  // namespace corvane
