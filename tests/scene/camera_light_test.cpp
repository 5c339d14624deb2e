// Cameras and lights on the recording device: the viewpoint a camera hands
// over, the light slots with their records, switching off, destroying and
// loading disabled.
#include <gtest/gtest.h>

#include "base/reflection/class_registry.h"
#include "engine/core/dummy.h"
#include "engine/shell/applet.h"
#include "platform/window.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/register.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

// An 800 x 600 recording device: its window holds the light records and
// the view.
class Lit : public ::testing::Test {
 protected:
  static TWindow& Lighted(TTestWorld& w) {
    RegisterSceneClasses();
    w.applet->UseRecordingDevice(800, 600);
    return *w.applet->Window();
  }
  TTestWorld world;
  TWindow& window = Lighted(world);
};

TEST_F(Lit, SevenLightSlotsThenTheEighthStaysDarkAndSaysSo) {
  std::vector<Light*> lights;
  for (int i = 0; i < 8; ++i) lights.push_back(Create<Light>(TCreateContext(world.applet)));
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(lights[static_cast<std::size_t>(i)]->Index(), i + 1);
    EXPECT_TRUE(lights[static_cast<std::size_t>(i)]->Enabled());
  }
  EXPECT_EQ(lights[7]->Index(), -1);
  EXPECT_FALSE(lights[7]->Enabled());
  EXPECT_EQ(world.log.CountInfo("Light disabled. Only 7 light source supported"), 1) << world.log.Text();
  // Switching it on gives it no slot.
  lights[7]->SetEnabled(true);
  lights[7]->SetX(3);
  EXPECT_FALSE(lights[7]->Enabled());
  // A destroyed light hands its slot back; the next light takes it.
  lights[2]->Free();
  auto* next = Create<Light>(TCreateContext(world.applet));
  EXPECT_EQ(next->Index(), 3);
  EXPECT_EQ(world.log.CountInfo("Light disabled. Only 7 light source supported"), 1);
}

TEST_F(Lit, LightRecordsFollowKindPlacementAndTheSwitch) {
  auto* screen = Create<Light>(TCreateContext(world.applet));
  screen->SetDiffuse(u"#FF102030");
  screen->Position()->SetValues(10, 20, 30);
  const TLight& a = window.Lights[static_cast<std::size_t>(screen->Index())];
  EXPECT_TRUE(a.Enabled);
  EXPECT_TRUE(a.ScreenSpace);
  EXPECT_EQ(a.Target, (TSpaceVector{400, 300, 0, 1}));
  EXPECT_EQ(a.Position, (TSpaceVector{10, 20, 30, 1}));
  EXPECT_EQ(a.Diffuse, 0xFF102030u);
  EXPECT_EQ(a.Ambient, 0xFF000000u);
  EXPECT_EQ(a.Specular, 0xFFFFFFFFu);

  auto* space = Create<Light>(TCreateContext(world.applet));
  space->SetKind(okSpace);
  space->SetX(5);
  const TLight& b = window.Lights[static_cast<std::size_t>(space->Index())];
  EXPECT_TRUE(b.Enabled);
  EXPECT_FALSE(b.ScreenSpace);
  EXPECT_EQ(b.Target, (TSpaceVector{0, 0, 0, 1}));

  // Off at once, and on again at once.
  screen->SetEnabled(false);
  EXPECT_FALSE(a.Enabled);
  screen->SetX(50);
  EXPECT_FALSE(a.Enabled) << "a disabled light stays off when it moves";
  screen->SetEnabled(true);
  EXPECT_TRUE(a.Enabled);
  // Destroyed: the record is off.
  const std::size_t slot = static_cast<std::size_t>(space->Index());
  space->Free();
  EXPECT_FALSE(window.Lights[slot].Enabled);
  screen->Free();
}

TEST_F(Lit, ALightSavedDisabledLoadsDark) {
  BaseObject* loaded = world.Load("object l: Light\n  x = 5\n  y = 7\n  enabled = False\nend\n");
  auto* light = dynamic_cast<Light*>(loaded);
  ASSERT_NE(light, nullptr) << world.log.Text();
  EXPECT_FALSE(light->Enabled());
  ASSERT_GE(light->Index(), 1);
  EXPECT_FALSE(window.Lights[static_cast<std::size_t>(light->Index())].Enabled);
  light->Free();
}

TEST(Light, WithoutADeviceNoSlotAndNoWord) {
  TTestWorld world;
  RegisterSceneClasses();
  auto* light = Create<Light>(TCreateContext(world.applet));
  EXPECT_EQ(light->Index(), -1);
  light->SetX(4);
  light->SetEnabled(false);
  EXPECT_FALSE(world.log.Contains("Light disabled")) << world.log.Text();
  light->Free();
}

TEST_F(Lit, ACameraTakesTheViewWhileEnabledAndFollowsItsParent) {
  auto* parent = Create<Dummy>(TCreateContext(world.applet));
  auto* camera = Create<Camera>(TCreateContext(parent));
  camera->SetKind(okSpace);
  camera->Position()->SetValues(0, -20, 0);
  EXPECT_EQ(window.CameraPosition, (TSpaceVector{0, -20, 0, 1}));
  EXPECT_EQ(window.CameraDirection, (TSpaceVector{0, 1, 0, 0}));

  // Disabled: the view stays where it was.
  camera->SetEnabled(false);
  camera->SetX(7);
  EXPECT_EQ(window.CameraPosition.x, 0);
  // Enabled: taken at once, without a move.
  camera->SetEnabled(true);
  EXPECT_EQ(window.CameraPosition.x, 7);
  // The parent moves the view.
  parent->Position()->SetValues(0, 0, 3);
  EXPECT_EQ(window.CameraPosition, (TSpaceVector{7, -20, 3, 1}));
  parent->Position()->SetValues(1, 0, 3);
  EXPECT_EQ(window.CameraPosition, (TSpaceVector{8, -20, 3, 1}));
  // The last enabled camera recomputed holds the view.
  auto* second = Create<Camera>(TCreateContext(world.applet));
  second->SetKind(okSpace);
  second->SetZ(40);
  EXPECT_EQ(window.CameraPosition.z, 40);
  parent->Free();
  second->Free();
}

}  // namespace
}  // namespace corvane
