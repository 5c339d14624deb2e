// Input through the applet's real queue: events added as the platform adds
// them, dispatched by the frames that follow.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/text/text_convert.h"
#include "engine/core/event.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "gui/console.h"
#include "gui/gui_object.h"
#include "platform/window.h"
#include "tests/support/kit/applet_standins.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/test_script_engine.h"

namespace corvane {
namespace {

using test::TAppletWorld;
using Lines = std::vector<std::string>;

// A widget that notes every input it receives, in the journal all probes
// share; "eater" probes take the key away from the receivers after them.
class TInputProbe : public GuiObject {
  CORVANE_CLASS(TInputProbe, GuiObject)
  explicit TInputProbe(const TCreateContext& context) : GuiObject(context) {
    SetHotTrack(true);
    SetStyle(Style() + VisualObjectStyles{vsMouseAware, vsCanFocused});
  }
  void KeyDown(std::uint16_t& key, char16_t& ch, TShiftState) override {
    Note("down " + std::to_string(key) + " " + std::to_string(static_cast<int>(ch)));
    if (TagString() == u"eater") key = 0;
  }
  void KeyUp(std::uint16_t& key, char16_t& ch, TShiftState) override {
    Note("up " + std::to_string(key) + " " + std::to_string(static_cast<int>(ch)));
  }
  void MouseDown(TMouseButton, TShiftState, float x, float y) override {
    Note("mouse down " + std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
  }
  void MouseWheel(TShiftState, float delta) override { Note("wheel " + std::to_string(static_cast<int>(delta))); }
  void Note(const std::string& what) { Journal().push_back(Utf16ToUtf8(Name()) + ": " + what); }
  static Lines& Journal() {
    static Lines lines;
    return lines;
  }
};
CORVANE_IMPLEMENT_CLASS(TInputProbe)

class EventDispatch : public ::testing::Test {
 protected:
  void Launch(const std::string& extra = {}) {
    RegisterClass(TInputProbe::StaticClass());
    TInputProbe::Journal().clear();
    applet = world.Launch(
        "object Game: Applet\n"
        "  onKeyPress = 'log key press'\n  onMouseDown = 'log mouse down'\n  onMouseUp = 'log mouse up'\n"
        "  onMouseMove = 'log mouse move'\n  onMouseWheel = 'log wheel'\n" +
        extra +
        "  object target: TInputProbe\n    x = 40\n    y = 20\n    width = 100\n    height = 100\n  end\n"
        "end\n");
    ASSERT_NE(applet, nullptr) << world.Text();
    event = applet->GetEvent();
    target = dynamic_cast<TInputProbe*>(applet->findByName(u"target"));
    ASSERT_NE(target, nullptr);
  }
  void Key(TLowEventType type, std::uint16_t key, char16_t ch = 0) {
    event->AddEvent(std::make_unique<TKeyEvent>(type, applet->Window(), key, ch, TShiftState{}));
  }
  void Mouse(TLowEventType type, std::int32_t x, std::int32_t y, TMouseButton button = mbLeft, TShiftState shift = {}) {
    event->AddEvent(std::make_unique<TMouseEvent>(type, applet->Window(), button, shift, x, y, 3, 4));
  }
  TInputProbe* Listener(const char16_t* name, bool eater) {
    auto* probe = Create<TInputProbe>(TCreateContext(applet));
    probe->SetName(name);
    if (eater) probe->SetTagString(u"eater");
    event->AddListner(probe);
    return probe;
  }
  TAppletWorld world;
  Applet* applet = nullptr;
  Event* event = nullptr;
  TInputProbe* target = nullptr;
};

TEST_F(EventDispatch, KeysReachTheListenersThenTheAppletAndKeyUpRunsOnKeyPress) {
  Launch();
  target->focus();
  Listener(u"first", false);
  Listener(u"second", true);  // takes the key from those after it
  Key(evKeyDown, 37);
  Key(evKeyDown, 37);
  Key(evKeyDown, 0, u'a');
  world.Steps(1);
  EXPECT_EQ(TInputProbe::Journal(),
            (Lines{"first: down 37 0", "second: down 37 0", "target: down 0 0", "first: down 37 0",
                   "second: down 37 0", "target: down 0 0", "first: down 0 97", "second: down 0 97",
                   "target: down 0 97"}));
  // Held down once; a character never is.
  EXPECT_EQ(event->KeysDown(), (std::vector<std::uint32_t>{37}));
  TInputProbe::Journal().clear();
  Key(evKeyUp, 0, u'a');
  world.Steps(1);
  EXPECT_EQ(event->paramKey, 97u);
  Key(evKeyUp, 37);
  world.Steps(1);
  EXPECT_FALSE(event->isKeyDown(37));
  EXPECT_EQ(event->paramKey, 37u);
  EXPECT_EQ(world.CountInfo("key press"), 2);
  EXPECT_EQ(event->QueueCount(), 0);
}

TEST_F(EventDispatch, TheGraveAccentTogglesTheConsoleAndEscapeCancelsTheModalLoop) {
  Launch();
  Listener(u"listener", false);
  world.Platform().SetStep(0.05f);
  // The second accent comes while the console's modal loop runs frames,
  // after its fade.
  for (int i = 0; i < 30; ++i) world.Platform().Inject([] {});
  world.Platform().Inject([this] { Key(evKeyDown, 0, u'`'); });
  Key(evKeyDown, 0, u'`');
  world.engine->RunStep();
  VisualObject* console = applet->Console();
  ASSERT_NE(console, nullptr);
  EXPECT_FALSE(console->Visible());  // shown, then closed by the second toggle
  EXPECT_TRUE(applet->ModalStack().empty());
  EXPECT_EQ(applet->ModalResult(), mrCancel);
  // Neither accent reached the listener or entered the keys held down.
  EXPECT_TRUE(TInputProbe::Journal().empty());
  EXPECT_TRUE(event->KeysDown().empty());
  // The edit line had the focus while the console was open.
  EXPECT_EQ(applet->FocusedObject(), nullptr);

  // Escape ends a modal loop with mrCancel. It is the modal object's key,
  // seen first by what has the focus in it, and so is its release, which
  // comes once the loop is over: the game hears neither.
  target->focus();
  world.Platform().Inject([] {});
  world.Platform().Inject([this] { Key(evKeyDown, 27); });
  EXPECT_EQ(applet->enterModal(target), mrCancel);
  Key(evKeyUp, 27);
  world.Steps(1);
  EXPECT_FALSE(event->isKeyDown(27));
  EXPECT_EQ(TInputProbe::Journal(), (Lines{"target: down 27 0", "target: up 27 0"}));
  EXPECT_EQ(world.CountInfo("key press"), 0);
}

// What is typed into the open console is the console's line: no listener
// hears it, no key is held down by it, and the applet's onKeyPress never
// runs for it, so a game's keys (Space, letters, arrows) stay still.
TEST_F(EventDispatch, KeysTypedIntoTheConsoleReachOnlyTheConsole) {
  Launch();
  Listener(u"listener", false);
  world.Platform().SetStep(0.05f);
  world.Platform().Inject([this] { Key(evKeyUp, 0, u'`'); });
  for (int i = 0; i < 30; ++i) world.Platform().Inject([] {});
  for (const auto& [key, ch] : {std::pair<std::uint16_t, char16_t>{0, u' '}, {0, u'e'}, {37, 0}, {0, u'm'}})
    world.Platform().Inject([this, key = key, ch = ch] {
      Key(evKeyDown, key, ch);
      Key(evKeyUp, key, ch);
    });
  world.Platform().Inject([this] { Key(evKeyDown, 0, u'`'); });
  world.Platform().Inject([this] { Key(evKeyUp, 0, u'`'); });
  Key(evKeyDown, 0, u'`');
  world.engine->RunStep();
  auto* console = dynamic_cast<TConsole*>(applet->Console());
  ASSERT_NE(console, nullptr);
  EXPECT_EQ(console->Edit()->Text(), u" me");  // the m typed left of the e
  EXPECT_TRUE(TInputProbe::Journal().empty());
  EXPECT_TRUE(event->KeysDown().empty());
  EXPECT_EQ(world.CountInfo("key press"), 0);

  // Closed, the keys are the game's again.
  for (int i = 0; i < 30; ++i) world.Steps(1);
  ASSERT_FALSE(console->Visible());
  TInputProbe::Journal().clear();
  const int pressed = world.CountInfo("key press");
  Key(evKeyDown, 0, u'e');
  Key(evKeyUp, 0, u'e');
  world.Steps(2);
  EXPECT_EQ(TInputProbe::Journal(), (Lines{"listener: down 0 101", "listener: up 0 101"}));
  EXPECT_EQ(world.CountInfo("key press"), pressed + 1);

  // The release of the key that closed the console, coming once it is
  // gone (the key held through the fade), is still the console's.
  for (int i = 0; i < 30; ++i) world.Platform().Inject([] {});
  world.Platform().Inject([this] { Key(evKeyDown, 192, u'`'); });
  Key(evKeyDown, 192, u'`');
  world.engine->RunStep();
  for (int i = 0; i < 30; ++i) world.Steps(1);
  ASSERT_FALSE(console->Visible());
  TInputProbe::Journal().clear();
  Key(evKeyUp, 192);
  world.Steps(2);
  EXPECT_TRUE(TInputProbe::Journal().empty());
  EXPECT_EQ(world.CountInfo("key press"), pressed + 1);
}

TEST_F(EventDispatch, MousePositionsAreInAppletUnits) {
  Launch("  scale = 2\n");
  Mouse(evMouseDown, 120, 60, mbLeft, TShiftState{ssAlt});
  world.Steps(1);
  // (120, 60) at scale 2 is (60, 30), which is (20, 10) inside the target.
  EXPECT_EQ(event->ParamPoint()->GetPoint(), Point(60, 30));
  EXPECT_EQ(TInputProbe::Journal(), (Lines{"target: mouse down 20 10"}));
  EXPECT_TRUE(event->IsLButtonDown());
  EXPECT_TRUE(event->IsAltDown());
  EXPECT_EQ(world.CountInfo("mouse down"), 1);
  Mouse(evMouseUp, 10, 10);
  world.Steps(1);
  EXPECT_FALSE(event->IsLButtonDown());
  EXPECT_FALSE(event->IsAltDown());
  EXPECT_EQ(event->ParamPoint()->GetPoint(), Point(5, 5));
  EXPECT_EQ(world.CountInfo("mouse up"), 1);

  // Moves: the delta is not scaled; the cursor follows.
  Mouse(evMouseMove, 100, 50);
  world.Steps(1);
  EXPECT_EQ(event->ParamPoint()->GetPoint(), Point(50, 25));
  EXPECT_EQ(event->ParamDelta()->GetPoint(), Point(3, 4));
  ASSERT_NE(applet->Cursor(), nullptr);
  EXPECT_EQ(applet->Cursor()->X(), 50);
  EXPECT_EQ(applet->Cursor()->Y(), 25);
  // Outside the window.
  Mouse(evMouseMove, 65535, 10);
  world.Steps(1);
  EXPECT_EQ(event->ParamPoint()->GetPoint(), Point(0, 0));
  EXPECT_EQ(event->ParamDelta()->GetPoint(), Point(0, 0));
  EXPECT_EQ(world.CountInfo("mouse move"), 2);

  // The letterbox offset comes off before the scale.
  applet->Window()->DrawOffsetX = 20;
  Mouse(evMouseDown, 120, 60);
  world.Steps(1);
  EXPECT_EQ(event->ParamPoint()->GetPoint(), Point(50, 30));
}

TEST_F(EventDispatch, TheWheelGoesToTheFocusedObjectAndItsDeltaIsScaled) {
  Launch("  scale = 2\n");
  target->focus();
  event->AddEvent(std::make_unique<TWheelEvent>(evMouseWheel, applet->Window(), 120, TShiftState{}));
  world.Steps(1);
  EXPECT_EQ(TInputProbe::Journal(), (Lines{"target: wheel 120"}));
  EXPECT_EQ(event->ParamDelta()->GetPoint(), Point(60, 60));
  EXPECT_EQ(world.CountInfo("wheel"), 1);
}

TEST_F(EventDispatch, WindowActionsCloseActivateAndDeactivate) {
  Launch("  onActivate = 'log activated'\n  onDeactivate = 'log deactivated'\n");
  event->acquireMouse();
  EXPECT_EQ(world.Platform().Acquired(), 1);
  event->AddEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeDeactivate));
  world.Steps(1);
  EXPECT_FALSE(applet->Active());
  EXPECT_EQ(world.Platform().Acquired(), 0);
  // The cursor hides while the mouse is acquired.
  EXPECT_FALSE(applet->Cursor()->Visible());
  event->AddEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeActivate));
  world.Steps(1);
  EXPECT_TRUE(applet->Active());
  EXPECT_EQ(world.Platform().Acquired(), 1);
  EXPECT_EQ(world.CountInfo("Deactivate app"), 1);
  EXPECT_EQ(world.CountInfo("activated"), 1);
  event->unacquireMouse();
  world.Steps(1);
  EXPECT_TRUE(applet->Cursor()->Visible());

  event->AddEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeCloseWindow));
  world.Steps(1);
  EXPECT_EQ(world.Live(), nullptr);
}

TEST_F(EventDispatch, WaitingForInputEndsWithAPressOrTheApplet) {
  Launch();
  world.Platform().SetStep(0.05f);
  world.Platform().Inject([] {});
  world.Platform().Inject([this] { Mouse(evMouseMove, 1, 1); });  // a move does not end it
  world.Platform().Inject([this] { Key(evKeyDown, 0, u'x'); });
  event->waitForEvents();
  EXPECT_FALSE(event->Waiting());
  EXPECT_EQ(world.Platform().Pending(), 0u);
  // The window closes while a wait runs (here as the outermost frame: the
  // applet goes inside the wait).
  world.Platform().Inject([this] {
    event->AddEvent(std::make_unique<TActionEvent>(evActionEvent, nullptr, aeCloseWindow));
  });
  event->waitForEvents();
  EXPECT_EQ(world.Live(), nullptr);
}

TEST_F(EventDispatch, TheScriptGlobalsConstantsAndClassesArePublishedInOrder) {
  Launch();
  test::TTestScriptEngine* scripts = world.Scripts();
  ASSERT_NE(scripts, nullptr);
  const std::vector<std::u16string> globals(scripts->variables.begin(), scripts->variables.begin() + 13);
  EXPECT_EQ(globals, (std::vector<std::u16string>{u"engine", u"device", u"applet", u"preferences", u"scoreTable",
                                                   u"event", u"materials", u"filter", u"mostTop", u"inspector",
                                                   u"externalResMan", u"embeddedResMan", u"resMan"}));
  ASSERT_EQ(scripts->consts.size(), 85u);
  EXPECT_EQ(scripts->consts.front(), (std::pair<std::u16string, std::uint32_t>{u"VK_BACK", 8}));
  EXPECT_EQ(scripts->consts[19], (std::pair<std::u16string, std::uint32_t>{u"VK_ESCAPE", 27}));
  EXPECT_EQ(scripts->consts.back(), (std::pair<std::u16string, std::uint32_t>{u"MR_CANCEL", 2}));
  // The fixed classes (the widgets as far as they exist), then every
  // registered object class.
  std::vector<std::string> classes;
  for (TClass cls : scripts->classes) classes.push_back(cls->Name());
  const std::vector<std::string> fixed{"BaseObject", "PositionObject", "Container", "VisualObject", "Dummy",
                                       "Mission", "GuiObject", "Button", "StaticText", "Image", "Dropdown",
                                       "ColorDropdown", "Edit", "Form", "ImageForm", "DebugForm"};
  ASSERT_GE(classes.size(), fixed.size() + 1);
  EXPECT_EQ(std::vector<std::string>(classes.begin(), classes.begin() + static_cast<std::ptrdiff_t>(fixed.size())),
            fixed);
  EXPECT_EQ(classes[fixed.size()], "BaseObject");
}

}  // namespace
}  // namespace corvane
