// Particles on the real OpenGL device (SDL's offscreen driver, Mesa's
// llvmpipe), read back from the frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/geometry/color.h"
#include "base/geometry/coord.h"
#include "base/system/random.h"
#include "engine/core/position_object.h"
#include "engine/shell/engine.h"
#include "resources/embedded_res_man.h"
#include "scene/particles/particle.h"
#include "scene/particles/particle_effect.h"
#include "scene/particles/particle_list.h"
#include "scene/particles/particle_renderer.h"
#include "scene/particles/register.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/kit/embedded_defaults_scope.h"

namespace corvane {
namespace {

constexpr float kFrame = 1.0f / 60.0f;

class ParticlePixels : public test::GLDeviceTest {
 protected:
  void SetUp() override {
    test::GLDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    RegisterParticleClasses();
    RandSeed(99);
    applet = gl->world.applet;
    parent = Create<PositionObject>(TCreateContext(applet));
    effect = Create<ParticleEffect>(TCreateContext(parent));
    renderer = Create<ParticleRenderer>(TCreateContext(applet));
    // Drawn by the test alone, not by the frame's walk over the tree.
    renderer->hide();
    effect->SetRenderer(renderer);
  }
  // Red, of one size, all life long.
  void RedKeys(std::uint32_t color, float size) {
    effect->SetColorMin(ColorToStr(color));
    effect->SetColorMax(ColorToStr(color));
    effect->SetScaleMin(size);
    effect->SetScaleMax(size);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      time_ += kFrame;
      effect->ProcessTick(kFrame, time_);
    }
  }
  std::vector<std::uint32_t> Draw() {
    Device().RenderWindow();
    renderer->PaintObject();
    std::vector<std::uint32_t> pixels = gl->ReadPixels();
    Device().FlipWindow();
    return pixels;
  }
  std::uint32_t Red(const std::vector<std::uint32_t>& pixels, int x, int y) const {
    return (gl->Rgb(pixels, x, y) >> 16) & 0xFF;
  }
  // Red at least 100, green and blue at most 40.
  bool LitRed(const std::vector<std::uint32_t>& pixels, int x, int y) const {
    const std::uint32_t rgb = gl->Rgb(pixels, x, y);
    return ((rgb >> 16) & 0xFF) >= 100 && ((rgb >> 8) & 0xFF) <= 40 && (rgb & 0xFF) <= 40;
  }

  test::TTestApplet* applet = nullptr;
  PositionObject* parent = nullptr;
  ParticleEffect* effect = nullptr;
  ParticleRenderer* renderer = nullptr;

 private:
  float time_ = 0;
};

TEST_F(ParticlePixels, AMovingEmitterDrawsAStreak) {
  parent->Position()->SetValues(50, 75, 0);
  effect->SetVelocityMin(100);
  effect->SetVelocityMax(100);
  RedKeys(0xFFFF0000, 20);
  Ticks(60);
  ASSERT_EQ(effect->ParticleCount(), 8);
  const std::vector<std::uint32_t> pixels = Draw();
  for (int x = 58; x <= 140; x += 4) EXPECT_TRUE(LitRed(pixels, x, 75)) << x << " " << std::hex << gl->Rgb(pixels, x, 75);
  for (auto [x, y] : {std::pair{20, 75}, std::pair{190, 75}, std::pair{100, 105}})
    EXPECT_EQ(gl->Rgb(pixels, x, y), 0u) << x << "," << y;
}

TEST_F(ParticlePixels, AFallingEmitterDrawsAColumn) {
  parent->Position()->SetValues(50, 75, 0);
  effect->Gravity()->SetValues(0, 200, 0);
  RedKeys(0xFFFF0000, 20);
  Ticks(60);
  const std::vector<std::uint32_t> pixels = Draw();
  for (int y = 86; y <= 157; y += 4) EXPECT_TRUE(LitRed(pixels, 50, y)) << y << " " << std::hex << gl->Rgb(pixels, 50, y);
  EXPECT_EQ(gl->Rgb(pixels, 50, 40), 0u);
}

TEST_F(ParticlePixels, TheDepthTestedRendererAddsUpParticlesBehindOneAnother) {
  Device().SetCameraPos({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
  parent->SetKind(okSpace);
  renderer->SetZTest(true);
  effect->SetParticleInterval(0);
  RedKeys(0xFF400000, 20);
  effect->Burst(0, 2);
  // Drawn last to first: the nearer one goes first, so the farther one
  // meets its depth.
  effect->Particles()->Items(0)->position = {0, 10, 0, 1};
  effect->Particles()->Items(1)->position = {0, 0, 0, 1};
  const std::vector<std::uint32_t> pixels = Draw();
  EXPECT_NEAR(static_cast<int>(Red(pixels, 320, 240)), 0x80, 4) << std::hex << gl->Rgb(pixels, 320, 240);
  EXPECT_EQ(gl->Rgb(pixels, 20, 20), 0u);
}

// The device's shared picture is the engine's embedded "defaultpfx.pixmap",
// read by the engine's own filter: opaque white at its centre, fading to
// nothing before its edges. A particle drawn with it is bright in the
// middle, half as bright half-way out and dark in its corners, where an
// untextured quad would be as bright as its middle.
TEST_F(ParticlePixels, TheEmbeddedDefaultPictureShapesEveryParticle) {
  const test::TEmbeddedDefaultsScope defaults;
  gl->world.engine->SetEmbeddedResMan(Create<TEmbeddedResMan>(TCreateContext(gl->world.engine)));
  applet->UseEngineFilter();
  auto* textured = Create<ParticleRenderer>(TCreateContext(applet));
  textured->hide();
  ASSERT_NE(Device().ParticlePixmap, nullptr) << gl->world.log.Text();
  EXPECT_EQ(Device().ParticlePixmap->Width, 256);
  EXPECT_EQ(textured->Pixmap(), Device().ParticlePixmap);
  renderer->Free();
  renderer = textured;
  effect->SetRenderer(renderer);
  effect->SetParticleInterval(0);
  RedKeys(0xFFFF0000, 64);
  effect->Burst(0, 1);
  effect->Particles()->Items(0)->position = {100, 100, 0, 1};
  const std::vector<std::uint32_t> pixels = Draw();
  EXPECT_GE(Red(pixels, 100, 100), 240u) << std::hex << gl->Rgb(pixels, 100, 100);
  EXPECT_NEAR(static_cast<int>(Red(pixels, 116, 100)), 0x7F, 16) << std::hex << gl->Rgb(pixels, 116, 100);
  for (auto [x, y] : {std::pair{70, 70}, std::pair{130, 70}, std::pair{70, 130}, std::pair{130, 130}})
    EXPECT_LE(Red(pixels, x, y), 8u) << x << "," << y << " " << std::hex << gl->Rgb(pixels, x, y);
  EXPECT_EQ(gl->Rgb(pixels, 140, 100), 0u) << "outside the quad";
}

}  // namespace
}  // namespace corvane
