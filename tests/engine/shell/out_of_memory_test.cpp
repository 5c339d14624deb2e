// A failed allocation (std::bad_alloc, as the allocator throws it when the
// machine refuses) ends only the handler, the event, the frame or the load
// it happened in: an error line says "out of memory" and where, and the
// engine goes on with the next handler, event and frame.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "engine/core/event.h"
#include "engine/shell/applet.h"
#include "gui/gui_object.h"
#include "engine/shell/engine.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/null_platform.h"

namespace corvane {
namespace {

using test::TAppletWorld;

// Stands in for code whose allocation fails: its tag says where it runs
// out of memory ("tick": its first tick; "key": every key it hears;
// "loaded": once it is read), and so does its property "meal".
class TMemoryHog : public GuiObject {
  CORVANE_CLASS(TMemoryHog, GuiObject)
  static void Describe(TClassBuilder<TMemoryHog>& c) {
    c.Property("meal", &TMemoryHog::Meal, &TMemoryHog::SetMeal);
  }
  using GuiObject::GuiObject;
  std::int32_t Meal() const { return 0; }
  void SetMeal(std::int32_t) { throw std::bad_alloc(); }
  void ProcessTick(float dt, float time) override {
    if (TagString() == u"tick" && !hungry_++) throw std::bad_alloc();
    GuiObject::ProcessTick(dt, time);
  }
  void KeyDown(std::uint16_t&, char16_t&, TShiftState) override {
    if (TagString() == u"key") throw std::bad_alloc();
  }
  void Loaded() override {
    GuiObject::Loaded();
    if (TagString() == u"loaded") throw std::bad_alloc();
  }

 private:
  int hungry_ = 0;
};
CORVANE_IMPLEMENT_CLASS(TMemoryHog)

// An object that cannot be made: its construction runs out of memory, as a
// script's "new" of a large object may.
class TStarvedObject : public BaseObject {
  CORVANE_CLASS(TStarvedObject, BaseObject)
  using BaseObject::BaseObject;
  void AfterConstruction() override {
    BaseObject::AfterConstruction();
    throw std::bad_alloc();
  }
};
CORVANE_IMPLEMENT_CLASS(TStarvedObject)

int Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

TEST(OutOfMemory, EndsOnlyTheHandlerEventFrameOrLoadItHappenedIn) {
  struct TCase {
    const char* what;
    std::string tree;     // the applet's handlers and children
    std::string error;    // the line, once a frame (or once)
    int errors;           // over three frames
    std::string goesOn;   // a line that shows the engine went on
    int goesOnCount;
  };
  const std::string hog = "  object hog: TMemoryHog\n";
  const TCase cases[] = {
      {"tick", "  onTick = 'log ticked'\n" + hog + "    tagString = 'tick'\n  end\n",
       "(e) Tick of applet Game stopped: out of memory", 1, "(i) ticked", 2},
      {"handler", "  onTick = 'new TStarvedObject'\n  onKeyPress = 'log key press'\n",
       "(e) Handler of Game stopped: out of memory", 3, "(i) key press", 1},
      {"event", "  onKeyPress = 'log key press'\n" + hog + "    tagString = 'key'\n  end\n",
       "(e) Event dispatch stopped: out of memory", 1, "(i) key press", 1},
      {"property", "  onKeyPress = 'log key press'\n" + hog + "    meal = 1\n  end\n",
       "(e) Property meal of TMemoryHog not set: out of memory", 1, "(i) key press", 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TAppletWorld world;
    RegisterClass(TMemoryHog::StaticClass());
    RegisterClass(TStarvedObject::StaticClass());
    Applet* applet = world.Launch("object Game: Applet\n" + c.tree + "end\n");
    ASSERT_NE(applet, nullptr) << world.Text();
    if (auto* listener = dynamic_cast<VisualObject*>(applet->findByName(u"hog")))
      applet->GetEvent()->AddListner(listener);
    for (TLowEventType type : {evKeyDown, evKeyUp})
      applet->GetEvent()->AddEvent(std::make_unique<TKeyEvent>(type, applet->Window(), 65, u'a', TShiftState{}));
    world.Steps(3);
    ASSERT_NE(world.Live(), nullptr);
    const std::vector<std::string> lines = world.Messages();
    EXPECT_EQ(Count(lines, c.error), c.errors) << world.Text();
    EXPECT_EQ(Count(lines, c.goesOn), c.goesOnCount) << world.Text();
  }

  // A host event whose handler runs out of memory is lost; the frames and
  // the host's next events go on, paused or not.
  {
    TAppletWorld world;
    ASSERT_NE(world.Launch("object Game: Applet\n  onTick = 'log ticked'\nend\n"), nullptr);
    bool heard = false;
    world.Platform().Inject([] { throw std::bad_alloc(); });
    world.Platform().Inject([&heard] { heard = true; });
    world.Steps(2);
    world.engine->SetPause(true);
    world.Platform().Inject([] { throw std::bad_alloc(); });
    world.Steps(1);
    EXPECT_TRUE(heard);
    EXPECT_EQ(world.CountError("Host event lost: out of memory"), 2) << world.Text();
    EXPECT_EQ(world.CountInfo("ticked"), 2) << world.Text();
  }

  // A tree that runs out of memory while it is read is not run; the
  // engine goes on without it.
  TAppletWorld world;
  RegisterClass(TMemoryHog::StaticClass());
  EXPECT_EQ(world.Launch("object Game: Applet\n  object hog: TMemoryHog\n    tagString = 'loaded'\n  end\nend\n"),
            nullptr);
  EXPECT_EQ(world.CountError("out of memory in file main.object"), 1) << world.Text();
  world.Steps(1);
}

}  // namespace
}  // namespace corvane
