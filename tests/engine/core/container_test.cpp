// Containers: hit testing, hover, focus and Tab, capture and the modal
// stack, driven through the container's input operations as the event
// queue calls them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "engine/core/container.h"
#include "engine/core/event.h"
#include "engine/shell/engine.h"
#include "gui/gui_object.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

// A widget that records the input it gets, in its local coordinates.
class TInputProbe : public GuiObject {
  CORVANE_CLASS(TInputProbe, GuiObject)
  using GuiObject::GuiObject;
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override {
    GuiObject::MouseDown(button, shift, x, y);
    Got.push_back("down " + std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y)));
  }
  void MouseMove(TShiftState, float x, float y, float dx, float) override {
    Got.push_back("move " + std::to_string(static_cast<int>(x)) + " d" + std::to_string(static_cast<int>(dx)));
  }
  void MouseUp(TMouseButton, TShiftState, float x, float) override {
    Got.push_back("up " + std::to_string(static_cast<int>(x)));
  }
  void MouseWheel(TShiftState, float delta) override { Got.push_back("wheel " + std::to_string(static_cast<int>(delta))); }
  void KeyDown(std::uint16_t& key, char16_t&, TShiftState) override { Got.push_back("key " + std::to_string(key)); }
  std::vector<std::string> Got;
};
CORVANE_IMPLEMENT_CLASS(TInputProbe)

struct InputWorld {
  TTestWorld world;
  InputWorld() { RegisterClasses({GuiObject::StaticClass(), TInputProbe::StaticClass()}); }
  template <class T = TInputProbe>
  T* Find(const char16_t* name) const {
    return dynamic_cast<T*>(world.applet->findByName(name));
  }
};

// A panel 200 x 100 at (100, 100) holding a button at (10, 10) inside it,
// a transparent overlay over the button, and a second button beside.
const char* kScreen = R"(object panel: TInputProbe
  hotTrack = False
  x = 100
  y = 100
  width = 200
  height = 100
  onMouseEnter = 'log enter panel'
  object button: TInputProbe
    x = 10
    y = 10
    width = 50
    height = 30
    onMouseDown = 'log down button'
    onMouseEnter = 'log enter button'
    onMouseLeave = 'log leave button'
  end
  object overlay: TInputProbe
    transparent = True
    width = 200
    height = 100
  end
  object other: TInputProbe
    x = 100
    y = 10
    width = 50
    height = 30
    onMouseEnter = 'log enter other'
  end
end
)";

TEST(Container, HitTestingFindsTheTopMostHoverTrackingObject) {
  InputWorld w;
  ASSERT_NE(w.world.Load(kScreen), nullptr) << w.world.log.Text();
  Applet* applet = w.world.applet;
  struct Case {
    float x, y;
    const char16_t* want;  // nullptr: nothing
  };
  const Case cases[] = {
      {120, 120, u"button"},  // through the transparent overlay
      {210, 120, u"other"},
      {250, 180, nullptr},    // on the panel, which does not track hovering; the overlay passes it on
      {50, 50, nullptr},      // outside everything
  };
  for (const Case& c : cases) {
    VisualObject* found = applet->ObjectByPoint(c.x, c.y);
    EXPECT_EQ(found ? found->Name() : std::u16string(u"none"), c.want ? c.want : u"none") << c.x << "," << c.y;
  }
  // The press reaches the button with its local point.
  applet->MouseDown(mbLeft, {ssLeft}, 120, 125);
  EXPECT_EQ(w.Find(u"button")->Got.back(), "down 10,15");
  EXPECT_EQ(w.world.log.CountInfo("down button"), 1);
  EXPECT_EQ(applet->GetEvent()->ParamPoint()->x, 10);
  // The container moves no focus by itself; a widget takes it when pressed.
  EXPECT_EQ(applet->FocusedObject(), w.Find(u"button"));
  // Hidden objects are never hit.
  w.Find(u"button")->hide();
  EXPECT_EQ(applet->ObjectByPoint(120, 120), nullptr);
}

TEST(Container, HoverFollowsTheMouseAndCaptureKeepsTheMovesAndTheRelease) {
  InputWorld w;
  w.world.Load(kScreen);
  Applet* applet = w.world.applet;
  TInputProbe* button = w.Find(u"button");
  TInputProbe* other = w.Find(u"other");
  applet->MouseMove({}, 120, 120, 3, 0);
  EXPECT_EQ(applet->HotObject(), button);
  EXPECT_TRUE(button->Hot());
  EXPECT_EQ(button->Got.back(), "move 10 d3");
  applet->MouseMove({}, 250, 180, 0, 0);
  EXPECT_EQ(applet->HotObject(), nullptr);
  EXPECT_EQ(w.world.log.CountInfo("leave button"), 1);

  button->capture();
  EXPECT_EQ(applet->CapturedObject(), button);
  applet->MouseMove({ssLeft}, 210, 120, 5, 0);
  EXPECT_EQ(applet->HotObject(), other) << "hover follows the mouse during a capture";
  EXPECT_EQ(button->Got.back(), "move 100 d5") << "the captured object gets the move";
  EXPECT_TRUE(other->Got.empty());
  applet->MouseUp(mbLeft, {}, 210, 120);
  EXPECT_EQ(button->Got.back(), "up 100");
  EXPECT_TRUE(other->Got.empty());
  button->releaseCapture();
  EXPECT_EQ(applet->CapturedObject(), nullptr);
  applet->MouseUp(mbLeft, {}, 210, 120);
  EXPECT_EQ(other->Got.back(), "up 10");
}

TEST(Container, CaptureRemembersThePreviousObjectOnlyWhileItLives) {
  InputWorld w;
  w.world.Load(kScreen);
  Applet* applet = w.world.applet;
  TInputProbe* button = w.Find(u"button");
  TInputProbe* other = w.Find(u"other");
  button->capture();
  other->capture();
  EXPECT_EQ(applet->CapturedObject(), other);
  other->releaseCapture();
  EXPECT_EQ(applet->CapturedObject(), button);
  // Capturing again while holding the capture keeps what came before, so
  // that the release does not hand the capture back to the object itself.
  other->capture();
  other->capture();
  other->releaseCapture();
  EXPECT_EQ(applet->CapturedObject(), button);
  other->capture();
  button->Free();  // the remembered one dies
  EXPECT_EQ(applet->CapturedObject(), other);
  other->releaseCapture();
  EXPECT_EQ(applet->CapturedObject(), nullptr);
  // A freed captured, hot or focused object leaves the container.
  other->capture();
  other->focus();
  applet->MouseMove({}, 210, 120, 0, 0);
  EXPECT_EQ(applet->FocusedObject(), other);
  other->Free();
  EXPECT_EQ(applet->CapturedObject(), nullptr);
  EXPECT_EQ(applet->HotObject(), nullptr);
  EXPECT_EQ(applet->FocusedObject(), nullptr);
}

TEST(Container, TabMovesTheFocusAmongTheDirectChildren) {
  InputWorld w;
  BaseObject* root = w.world.Load(R"(object form: Container
  object a: TInputProbe
    onSetFocus = 'log focus a'
    onKillFocus = 'log lost a'
  end
  object b: TInputProbe
  end
  object c: TInputProbe
  end
end
)");
  auto* form = dynamic_cast<Container*>(root);
  ASSERT_NE(form, nullptr) << w.world.log.Text();
  std::vector<VisualObject*> set;
  CustomSetFocused = [&](VisualObject* o) { set.push_back(o); };
  struct Step {
    TShiftState shift;
    const char16_t* want;
  };
  const Step steps[] = {{{}, u"a"},        {{}, u"b"}, {{}, u"c"}, {{}, u"a"},  // wraps to the first
                        {{ssShift}, u"c"},  // Shift+Tab on the first goes to the last
                        {{ssShift}, u"b"}};
  for (const Step& s : steps) {
    std::uint16_t key = 9;
    char16_t ch = 0;
    form->KeyDown(key, ch, s.shift);
    EXPECT_EQ(key, 0) << "Tab is consumed";
    ASSERT_NE(form->FocusedObject(), nullptr);
    EXPECT_EQ(form->FocusedObject()->Name(), s.want);
    EXPECT_TRUE(form->FocusedObject()->Focused());
  }
  CustomSetFocused = nullptr;
  EXPECT_EQ(set.size(), std::size(steps));
  EXPECT_EQ(w.world.log.CountInfo("focus a"), 2);
  EXPECT_EQ(w.world.log.CountInfo("lost a"), 2);
  // Other keys go to the focused object, after Tab's own change.
  std::uint16_t key = 65;
  char16_t ch = u'a';
  form->KeyDown(key, ch, {});
  EXPECT_EQ(w.Find(u"b")->Got.back(), "key 65");
  form->MouseWheel({}, 120);
  EXPECT_EQ(w.Find(u"b")->Got.back(), "wheel 120");
  // A child that cannot take the focus leaves it empty.
  w.Find(u"c")->SetStyle({vsMouseAware});
  key = 9;
  form->KeyDown(key, ch, {});
  EXPECT_EQ(form->FocusedObject(), nullptr);
  EXPECT_FALSE(w.Find(u"b")->Focused());
}

TEST(Container, TheModalStackConfinesTheMouseAndEnterModalWaitsForItsObject) {
  InputWorld w;
  w.world.Load(kScreen);
  Applet* applet = w.world.applet;
  auto* form = dynamic_cast<TInputProbe*>(w.world.Load(R"(object form: TInputProbe
  x = 400
  y = 300
  width = 100
  height = 100
  object ok: TInputProbe
    width = 50
    height = 20
  end
end
)"));
  TInputProbe* ok = w.Find(u"ok");
  TInputProbe* button = w.Find(u"button");
  w.world.Platform().SetStep(0.01f);
  TModalResult seen = mrNone;
  // Inside the loop: a press outside the form reaches nothing, one inside
  // does; then the form's handler closes the loop.
  w.world.Platform().Inject([&] {
    EXPECT_EQ(applet->ModalStack().size(), 1u);
    applet->MouseDown(mbLeft, {ssLeft}, 120, 120);
    EXPECT_TRUE(button->Got.empty());
    applet->MouseDown(mbLeft, {ssLeft}, 410, 305);
    EXPECT_EQ(ok->Got.back(), "down 10,5");
    ok->focus();
    applet->MouseMove({}, 410, 305, 0, 0);
    ok->capture();
    applet->cancelModal(mrOk);
    // The focus, hover and capture inside the form are dropped.
    EXPECT_EQ(applet->FocusedObject(), nullptr);
    EXPECT_EQ(applet->HotObject(), nullptr);
    EXPECT_EQ(applet->CapturedObject(), nullptr);
  });
  seen = applet->enterModal(form);
  EXPECT_EQ(seen, mrOk);
  EXPECT_TRUE(applet->ModalStack().empty());

  // No object: nothing is pushed, mrNone at once.
  EXPECT_EQ(applet->enterModal(nullptr), mrNone);
  EXPECT_TRUE(applet->ModalStack().empty());
  // cancelModal on an empty stack does nothing.
  applet->cancelModal(mrCancel);
  EXPECT_EQ(applet->ModalResult(), mrOk);

  // A freed modal object ends the wait with the last result.
  w.world.Platform().Inject([&] { form->Free(); });
  EXPECT_EQ(applet->enterModal(form), mrOk);
  EXPECT_TRUE(applet->ModalStack().empty());

  // An applet that terminates ends the wait with mrCancel (the outermost
  // frame then frees it).
  TWeak<Applet> alive(applet);
  w.world.Platform().Inject([&] { applet->terminate(); });
  EXPECT_EQ(applet->enterModal(button), mrCancel);
  EXPECT_FALSE(alive.Get());
}

TEST(Container, NestedModalLoopsUnwindInnermostFirst) {
  InputWorld w;
  w.world.Load(kScreen);
  Applet* applet = w.world.applet;
  auto* outer = w.Find(u"panel");
  auto* inner = w.Find(u"other");
  w.world.Platform().SetStep(0.01f);
  TModalResult innerResult = mrNone;
  w.world.Platform().Inject([&] {
    // The outer object again returns at once.
    EXPECT_EQ(applet->enterModal(outer), mrNone);
    w.world.Platform().Inject([&] { applet->cancelModal(mrOk); });
    innerResult = applet->enterModal(inner);
    applet->cancelModal(mrCancel);
  });
  EXPECT_EQ(applet->enterModal(outer), mrCancel);
  EXPECT_EQ(innerResult, mrOk);
}

}  // namespace
}  // namespace corvane
