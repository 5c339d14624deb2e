// Key-frame animation: the channels a key switches on, interpolation,
// holding and wrapping, offsets from the start, useCurrent, streams, the
// two-pass effect's timing and the applet's fades on the real class.
#include <gtest/gtest.h>

#include <string>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "engine/core/position_object.h"
#include "engine/shell/applet.h"
#include "scene/animation_effect.h"
#include "scene/font_persistent.h"
#include "scene/register.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/test_world.h"

namespace corvane {

// A positioned object that publishes a font, as widgets do.
class TFontHolder : public PositionObject {
  CORVANE_CLASS(TFontHolder, PositionObject)
  static void Describe(TClassBuilder<TFontHolder>& c) { c.Property("font", &TFontHolder::Font); }
  explicit TFontHolder(const TCreateContext& context)
      : PositionObject(context), font_(Create<TFontPersistent>(TCreateContext(AppletObjectOf(this)))) {}
  ~TFontHolder() override { FreeAndNil(font_); }
  TFontPersistent* Font() const { return font_; }

 private:
  TFontPersistent* font_;
};
CORVANE_IMPLEMENT_CLASS(TFontHolder)

namespace {

class AnimationTest : public ::testing::Test {
 protected:
  AnimationTest() { RegisterSceneClasses(); }

  template <class E = AnimationEffect>
  E* MakeEffect() {
    return Create<E>(TCreateContext(parent));
  }
  // Keys at frames 0 and 30, one second apart, the second at x = 10.
  template <class E = AnimationEffect>
  E* Slide() {
    auto* effect = MakeEffect<E>();
    effect->AddKey(0, 0, u"", u"");
    effect->AddKey(30, 0, u"", u"");
    effect->Keys()->Key(1)->SetX(10);
    return effect;
  }
  // One frame of the effect alone, exactly dt long.
  static void Tick(Effect* effect, float dt) { effect->ProcessTick(dt, 0); }

  test::TTestWorld world;
  PositionObject* parent = Create<PositionObject>(TCreateContext(world.applet));
};

TEST_F(AnimationTest, KeysSwitchOnOnlyTheChannelsTheySet) {
  auto* effect = MakeEffect();
  effect->AddKey(10, 0.5f, u"", u"");
  EXPECT_EQ(effect->Keys()->Channels(), static_cast<std::uint32_t>(acAlpha));
  EXPECT_EQ(effect->Keys()->Key(0)->key, 10u);
  effect->AddKey(20, 0.5f, u"#FF00FF00", u"");
  EXPECT_EQ(effect->Keys()->Channels(), static_cast<std::uint32_t>(acAlpha | acColor));
  EXPECT_EQ(effect->Keys()->Key(1)->color, 0xFF00FF00u);
  // An unchanged value switches nothing on; a frame is truncated.
  effect->AddKey(-0.5f, 0, u"", u"");
  effect->Keys()->Key(2)->SetX(0);
  EXPECT_EQ(effect->Keys()->Channels(), static_cast<std::uint32_t>(acAlpha | acColor));
  EXPECT_EQ(effect->Keys()->Key(2)->key, 0u);
  EXPECT_TRUE(GetPropValue(*effect->Keys(), "alphaUsing").AsBoolean());
  EXPECT_FALSE(GetPropValue(*effect->Keys(), "xUsing").AsBoolean());
}

TEST_F(AnimationTest, OneShotInterpolatesHoldsTheLastKeyAndStops) {
  auto* effect = Slide();
  parent->SetX(-1);
  effect->SetRunning(true);
  Tick(effect, 0.5f);
  EXPECT_EQ(parent->X(), -1) << "no pair holds the first key's time";
  Tick(effect, 0.5f);
  EXPECT_FLOAT_EQ(parent->X(), 5);
  EXPECT_FLOAT_EQ(effect->RunningTime(), 1.0f);
  EXPECT_TRUE(effect->Running());
  parent->SetX(0);
  Tick(effect, 0.5f);  // the last call, at the end: the last key's values
  EXPECT_FLOAT_EQ(parent->X(), 10);
  EXPECT_FALSE(effect->Running());
  parent->SetX(3);
  Tick(effect, 0.5f);
  EXPECT_EQ(parent->X(), 3);
}

TEST_F(AnimationTest, LoopingStartsEachRoundAfresh) {
  auto* effect = Slide();
  effect->SetLoop(true);
  effect->SetRunning(true);
  std::vector<float> xs;
  for (int i = 0; i < 8; ++i) {
    Tick(effect, 0.25f);
    xs.push_back(parent->X());
  }
  // A round ends where the next begins, at time 0, which no pair of keys
  // holds: the last key's value is never shown by a loop of this cadence.
  EXPECT_EQ(xs, (std::vector<float>{0, 2.5f, 5, 7.5f, 7.5f, 2.5f, 5, 7.5f}));
  EXPECT_TRUE(effect->Running());
}

TEST_F(AnimationTest, OffsetsCountFromWhereTheParentStoodAtTheStart) {
  auto* effect = Slide();
  effect->Keys()->Key(1)->SetDeltaZ(3);
  for (float start : {2.0f, 10.0f}) {
    parent->SetZ(start);
    effect->SetRunning(true);
    Tick(effect, 0.5f);
    Tick(effect, 0.5f);
    EXPECT_FLOAT_EQ(parent->Z(), start + 1.5f);
    effect->SetRunning(false);
  }
}

TEST_F(AnimationTest, OneKeyChangesNothingAndKeepsTheRunningTime) {
  auto* effect = MakeEffect();
  effect->AddKey(30, 0.25f, u"", u"");
  parent->SetAlpha(0.75f);
  effect->SetRunning(true);
  for (int i = 0; i < 5; ++i) Tick(effect, 0.3f);
  EXPECT_FLOAT_EQ(parent->Alpha(), 0.75f);
  EXPECT_FLOAT_EQ(effect->RunningTime(), 2.0f);
}

TEST_F(AnimationTest, UseCurrentStartsTheMotionWhereTheObjectStands) {
  auto* effect = MakeEffect();
  effect->AddKey(0, 1, u"", u"");
  effect->AddKey(30, 0, u"", u"");
  effect->Keys()->Key(1)->SetX(10);
  effect->Keys()->Key(1)->SetZAngle(90);
  effect->SetUseCurrent(true);
  parent->SetX(4);
  parent->SetAlpha(0.5f);
  parent->SetZAngle(20);
  effect->SetRunning(true);
  EXPECT_FLOAT_EQ(effect->Keys()->Key(0)->x, 4);
  Tick(effect, 0.5f);
  Tick(effect, 0.5f);
  EXPECT_FLOAT_EQ(parent->X(), 7);
  EXPECT_FLOAT_EQ(parent->Alpha(), 0.25f);
  EXPECT_FLOAT_EQ(parent->ZAngle(), 55);
}

TEST_F(AnimationTest, TheSecondColourRecoloursAParentsFontAndTheColourNothing) {
  RegisterClasses({TFontHolder::StaticClass()});
  auto* holder = Create<TFontHolder>(TCreateContext(world.applet));
  auto* effect = Create<AnimationEffect>(TCreateContext(holder));
  effect->AddKey(0, 0, u"#FF000000", u"#FF000000");
  effect->AddKey(30, 0, u"#FFFFFFFF", u"#FFFF0000");
  holder->SetAlpha(0.5f);
  holder->Font()->SetColorNative(0xFF0000FF);
  effect->SetRunning(true);
  Tick(effect, 0.5f);
  Tick(effect, 0.5f);
  EXPECT_EQ(holder->Font()->Color(), 0xFF7F0000u);
  EXPECT_FLOAT_EQ(holder->Alpha(), 0.5f) << "alpha was never switched on";
}

TEST_F(AnimationTest, KeysReadFromAStreamMakeTheSameMotion) {
  BaseObject* loaded = world.Load(
      "object mover: PositionObject\n"
      "  object slide: AnimationEffect\n"
      "    keys = <\n"
      "      item\n        x = 40\n      end\n"
      "      item\n        key = 30\n        x = 160\n      end>\n"
      "  end\n"
      "end\n");
  ASSERT_NE(loaded, nullptr) << world.log.Text();
  auto* effect = dynamic_cast<AnimationEffect*>(loaded->findByName(u"slide"));
  ASSERT_NE(effect, nullptr);
  EXPECT_TRUE(effect->Keys()->Using(acX));
  effect->SetRunning(true);
  Tick(effect, 0.5f);
  Tick(effect, 0.5f);
  EXPECT_FLOAT_EQ(loaded->AsPositionObject()->X(), 100);
}

TEST_F(AnimationTest, TwoPassesPauseBetweenAndKeepTheirRunningTime) {
  auto* effect = Slide<TwoPassEffect>();
  TAnimationKey* a = effect->Pass2()->AddKey();
  TAnimationKey* b = effect->Pass2()->AddKey();
  a->SetX(20);
  b->key = 60;
  b->SetX(40);
  effect->SetPauseTime(0.5f);
  effect->SetRunning(true);
  std::vector<float> xs;
  int frames = 0;
  while (effect->Running() && frames < 100) {
    Tick(effect, 0.25f);
    xs.push_back(parent->X());
    ++frames;
    if (frames == 1 || frames == 10) {
      EXPECT_FLOAT_EQ(effect->RunningTime(), 3.5f) << "after " << frames;
    }
  }
  // Pass 1 to 10 by 1 s, the pause to 20 by 1.5 s, pass 2 to 40 by 3.5 s,
  // where the last call stops it.
  EXPECT_EQ(xs, (std::vector<float>{0, 2.5f, 5, 7.5f, 10, 15, 20, 22.5f, 25, 27.5f, 30, 32.5f, 35, 37.5f, 40}));
  EXPECT_FALSE(effect->Running());
}

TEST(AppletFades, TheFadeScreenRunsOnTheRealAnimation) {
  test::TAppletWorld world;
  Applet* applet = world.Launch("object Game: Applet\nend\n");
  ASSERT_NE(applet, nullptr);
  VisualObject* screen = applet->FadeScreen();
  ASSERT_NE(screen, nullptr);
  auto* hide = dynamic_cast<AnimationEffect*>(screen->FindEffect(u"hide"));
  auto* show = dynamic_cast<AnimationEffect*>(screen->FindEffect(u"show"));
  ASSERT_NE(hide, nullptr);
  ASSERT_NE(show, nullptr);
  // Shown from alpha 0 to 1, then hidden from 1 to 0, each in 0.5 s.
  struct TPhase {
    AnimationEffect* effect;
    float from, to;
  };
  applet->fadeScreenToColor(u"#FF000000", 0.5f);
  EXPECT_TRUE(screen->Visible());
  EXPECT_EQ(show->Keys()->Key(1)->key, 15u);
  for (TPhase phase : {TPhase{show, 0, 1}, TPhase{hide, 1, 0}}) {
    if (phase.effect == hide) {
      applet->hideScreen(0.5f);
      EXPECT_EQ(hide->Keys()->Key(1)->key, 15u);
    }
    EXPECT_EQ(screen->Alpha(), phase.from);
    float previous = phase.from;
    for (int i = 0; i < 40 && phase.effect->Running(); ++i) {
      world.Steps(1, 0.05f);
      EXPECT_TRUE(phase.to > phase.from ? screen->Alpha() >= previous : screen->Alpha() <= previous);
      previous = screen->Alpha();
    }
    EXPECT_FALSE(phase.effect->Running());
    EXPECT_EQ(screen->Alpha(), phase.to);
  }
}

}  // namespace
}  // namespace corvane
