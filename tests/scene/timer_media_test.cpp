// Timers, players and media effects: firing and its surplus, handlers that
// free their object, the timer effect's rounds, and sound and music played,
// stopped and given back through the sound-engine journal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "engine/core/position_object.h"
#include "platform/sound_engine.h"
#include "scene/media_effects.h"
#include "scene/media_players.h"
#include "scene/register.h"
#include "scene/timer.h"
#include "tests/support/kit/test_sound_engine.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

class TimerTest : public ::testing::Test {
 protected:
  TimerTest() { RegisterSceneClasses(); }
  int Fired() const {
    int n = 0;
    for (const std::u16string& call : world.Scripts().calls) n += call.starts_with(u"log fired");
    return n;
  }
  test::TTestWorld world;
};

TEST_F(TimerTest, FiresOncePerTickAndKeepsTheSurplus) {
  auto* timer = Create<Timer>(TCreateContext(world.applet));
  SetPropValue(*timer, "onTimer", Variant(u"log fired"));
  int handlersBefore = -1;
  timer->OnTimerEvent = [&](TObject*) { handlersBefore = Fired(); };
  timer->SetInterval(0.5f);
  timer->SetEnabled(true);
  EXPECT_EQ(Fired(), 1) << "enabling fires at once";
  EXPECT_EQ(handlersBefore, 1) << "the script handler runs before the owner's callback";
  struct TRow {
    float dt;
    int fired;
    float left;
  };
  for (TRow row : {TRow{0.5f, 1, 0.5f}, TRow{0.7f, 2, 0.7f}, TRow{0, 3, 0.2f}}) {
    timer->ProcessTick(row.dt, 0);
    EXPECT_EQ(Fired(), row.fired) << "dt " << row.dt;
    EXPECT_NEAR(timer->ElapsedTime(), row.left, 1e-6) << "dt " << row.dt;
  }
  timer->SetEnabled(false);
  EXPECT_EQ(timer->ElapsedTime(), 0);
  timer->ProcessTick(5, 0);
  EXPECT_EQ(Fired(), 3);
  for (float bad : {0.0f, -3.0f}) {
    timer->SetInterval(bad);
    EXPECT_FLOAT_EQ(timer->Interval(), 0.0001f);
  }
}

TEST_F(TimerTest, AHandlerThatFreesItsTimerEndsTheFiring) {
  // Freed in the callback: the tick touches the timer no more (ASan).
  auto* timer = Create<Timer>(TCreateContext(world.applet));
  TWeak<Timer> alive(timer);
  timer->SetInterval(0.5f);
  timer->SetEnabled(true);
  timer->OnTimerEvent = [](TObject* sender) { static_cast<Timer*>(sender)->Free(); };
  timer->ProcessTick(0.6f, 0);
  EXPECT_EQ(alive.Get(), nullptr);

  // Disposed by its handler, which then runs frames.
  auto* other = Create<Timer>(TCreateContext(world.applet));
  alive = other;
  other->SetInterval(0.5f);
  other->SetEnabled(true);
  SetPropValue(*other, "onTimer", Variant(u"dispose; wait 0.1"));
  world.Platform().SetStep(0.02f);  // the wait's frames advance the clock
  other->ProcessTick(0.6f, 0);
  world.Steps(5);
  EXPECT_EQ(alive.Get(), nullptr);
}

TEST_F(TimerTest, ATimerEffectCallsItsParentEachRoundAndOnceMoreOnStop) {
  auto* parent = Create<PositionObject>(TCreateContext(world.applet));
  auto* effect = Create<TimerEffect>(TCreateContext(parent));
  SetPropValue(*effect, "onTimer", Variant(u"log fired; set Tag 7"));
  effect->SetLoop(true);
  effect->SetRunningTime(1);
  effect->SetRunning(true);
  for (int i = 0; i < 10; ++i) effect->ProcessTick(0.25f, 0);
  EXPECT_EQ(Fired(), 2) << "a round each second";
  EXPECT_EQ(parent->Tag(), 7) << "the parent is the handler's object";
  EXPECT_EQ(effect->Tag(), 0);
  effect->SetRunning(false);
  EXPECT_EQ(Fired(), 3);
  effect->SetRunning(false);
  EXPECT_EQ(Fired(), 3) << "only a running effect that stops calls it";
}

class MediaTest : public ::testing::Test {
 protected:
  MediaTest() {
    RegisterSceneClasses();
    SoundEngineClass = test::TTestSoundEngine::StaticClass();
    Journal().clear();
  }
  ~MediaTest() override { SoundEngineClass = nullptr; }
  static std::vector<std::string>& Journal() { return test::TTestSoundEngine::Journal(); }
  // The journal without the volume and pause lines of the engine's making.
  static std::vector<std::string> Events() {
    std::vector<std::string> events;
    for (const std::string& line : Journal())
      if (line.find("volume") == std::string::npos && !line.starts_with("pause")) events.push_back(line);
    return events;
  }
  test::TTestWorld world;
};

TEST_F(MediaTest, ASoundEffectPlaysWhileItRunsAndClosesItsSoundWhenFreed) {
  auto* effect = Create<SoundEffect>(TCreateContext(world.applet));
  effect->SetFileName("a.wav");
  effect->SetRunning(true);
  effect->SetRunning(false);
  effect->Free();
  EXPECT_EQ(Events(),
            (std::vector<std::string>{"open sound a.wav", "play sound a.wav", "stop sound a.wav", "close sound a.wav"}));
}

TEST_F(MediaTest, AChangedNameGivesThePreviousBackStoppingWhatPlays) {
  auto* effect = Create<MusicEffect>(TCreateContext(world.applet));
  effect->SetFileName("one.ogg");
  effect->SetRunning(true);
  effect->SetFileName("one.ogg");  // unchanged: nothing
  effect->SetFileName("two.ogg");
  effect->SetFileName("missing.ogg");
  EXPECT_EQ(effect->Music(), nullptr);
  effect->SetRunning(false);  // nothing loaded: no call
  EXPECT_EQ(Events(), (std::vector<std::string>{"open music one.ogg", "play music one.ogg", "stop music one.ogg",
                                                "close music one.ogg", "open music two.ogg", "stop music two.ogg",
                                                "close music two.ogg"}));
}

TEST_F(MediaTest, PlayersReachTheEngineOnceEachAndNothingWithoutAFile) {
  auto* music = Create<MusicPlayer>(TCreateContext(world.applet));
  auto* sound = Create<SoundPlayer>(TCreateContext(world.applet));
  sound->play();
  sound->SetFileName("missing.wav");
  sound->play();
  music->SetFileName("theme.xm");
  music->play();
  music->stop();
  music->Free();
  sound->Free();
  EXPECT_EQ(Events(), (std::vector<std::string>{"open music theme.xm", "play music theme.xm", "stop music theme.xm",
                                                "close music theme.xm"}));
}

}  // namespace
}  // namespace corvane
