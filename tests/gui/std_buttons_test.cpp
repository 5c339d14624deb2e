// Buttons, check boxes, toggles and track bars driven through the applet's
// event queue: clicks that count wherever the release lands, captures
// handed back, modal loops ended, and drags that keep the value finite.
#include <gtest/gtest.h>

#include <cmath>

#include "base/lists/wide_string_list.h"
#include "base/reflection/prop_access.h"
#include "engine/core/container.h"
#include "gui/std_button.h"
#include "gui/std_check_box.h"
#include "gui/std_toggle.h"
#include "gui/std_trackbar.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TWidgetWorld;

TEST(StdButton, ALeftReleaseClicksWhereverItLandsAndARightOneDoesNothing) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object button: TStdButton\n    x = 10\n    y = 10\n    onClick = 'log clicked'\n  end\n"
                       "  object box: TStdCheckBox\n    x = 10\n    y = 100\n    onClick = 'log checked'\n  end\n"))
      << w.world.Text();
  auto* button = w.Find<TStdButton>(u"button");
  w.Press(20, 20);
  EXPECT_EQ(w.applet->CapturedObject(), button);
  EXPECT_EQ(w.applet->FocusedObject(), button) << "a press focuses";
  w.Move(300, 300);
  w.Release(300, 300);
  EXPECT_EQ(w.Count("clicked"), 1);
  EXPECT_EQ(w.applet->CapturedObject(), nullptr);

  w.Press(20, 20, mbRight);
  w.Release(20, 20, mbRight);
  EXPECT_EQ(w.Count("clicked"), 1);
  EXPECT_EQ(w.applet->CapturedObject(), nullptr);

  // A check box counts the release only over itself.
  auto* box = w.Find<TStdCheckBox>(u"box");
  w.Press(20, 110);
  w.Move(300, 300);
  w.Release(300, 300);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(w.Count("checked"), 0);
  EXPECT_EQ(w.applet->CapturedObject(), nullptr);
  w.Move(20, 110);
  w.Click(20, 110);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(w.Count("checked"), 1);
}

TEST(StdButton, AModalResultEndsTheModalLoopAfterOnClick) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object form: GuiObject\n    x = 100\n    y = 100\n    width = 200\n    height = 100\n"
                       "    object ok: TStdButton\n      x = 10\n      y = 10\n      modalResult = mrOk\n"
                       "      onClick = 'log ok clicked'\n    end\n  end\n"))
      << w.world.Text();
  auto* form = w.Find<GuiObject>(u"form");
  int injected = 0;
  // The click arrives while the modal loop runs its frames.
  w.world.Platform().Inject([&] {
    ++injected;
    w.Press(120, 120);
    w.Release(120, 120);
  });
  EXPECT_EQ(w.applet->enterModal(form), mrOk);
  EXPECT_EQ(injected, 1);
  EXPECT_EQ(w.Count("ok clicked"), 1);
  EXPECT_TRUE(w.applet->ModalStack().empty());
}

TEST(StdToggle, AClickStepsToTheNextItemAndWrapsAround) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object toggle: TStdToggle\n    x = 10\n    y = 10\n    items.strings = ('a' 'b' 'c')\n"
                       "    itemIndex = 2\n    onClick = 'log clicked'\n    onChange = 'log changed'\n  end\n"
                       "  object empty: TStdToggle\n    x = 10\n    y = 100\n  end\n"))
      << w.world.Text();
  auto* toggle = w.Find<TStdToggle>(u"toggle");
  ASSERT_EQ(toggle->ItemIndex(), 2);
  w.Click(20, 20);
  EXPECT_EQ(toggle->ItemIndex(), 0);
  EXPECT_EQ(w.Count("clicked"), 1);
  EXPECT_EQ(w.Count("changed"), 1);
  EXPECT_EQ(w.applet->CapturedObject(), nullptr);
  w.Click(20, 20);
  EXPECT_EQ(toggle->ItemIndex(), 1);
  // A right click does not step.
  w.Press(20, 20, mbRight);
  w.Release(20, 20, mbRight);
  EXPECT_EQ(toggle->ItemIndex(), 1);

  auto* empty = w.Find<TStdToggle>(u"empty");
  w.Click(20, 110);
  EXPECT_EQ(empty->ItemIndex(), -1);
  empty->SetItemIndex(5);
  EXPECT_EQ(empty->ItemIndex(), -1);
  toggle->SetItemIndex(-4);
  EXPECT_EQ(toggle->ItemIndex(), 0);
}

const char kTrackbar[] =
    "  object track: TStdTrackbar\n    x = 0\n    y = 0\n    width = 120\n    height = 20\n"
    "    onChange = 'log change'\n    onEndDrag = 'log end'\n  end\n";

TEST(StdTrackbar, DraggingTheThumbSetsTheValueWithinItsRange) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch(kTrackbar)) << w.world.Text();
  auto* track = w.Find<TStdTrackbar>(u"track");
  EXPECT_EQ(track->GetThumbRect(), (TRect{10, 2, 20, 18}));
  w.Press(15, 10);
  EXPECT_TRUE(track->Dragging());
  w.Move(60, 10);
  EXPECT_NEAR(track->Value(), 51.6667f, 1e-3f);
  w.Move(200, 10);
  EXPECT_EQ(track->Value(), 100);
  w.Move(-50, 10);
  EXPECT_EQ(track->Value(), 0);
  w.Release(-50, 10);
  EXPECT_EQ(w.Count("end"), 1);
  EXPECT_EQ(w.Count("change"), 3);
  EXPECT_FALSE(track->Dragging());
  EXPECT_EQ(w.applet->CapturedObject(), nullptr);

  // A press on the track beside the thumb starts no drag.
  w.Press(80, 10);
  w.Move(90, 10);
  w.Release(90, 10);
  EXPECT_EQ(track->Value(), 0);
  EXPECT_EQ(w.Count("change"), 3);
}

TEST(StdTrackbar, ATrackWithNoTravelKeepsItsValueFinite) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch(kTrackbar)) << w.world.Text();
  auto* track = w.Find<TStdTrackbar>(u"track");
  track->SetWidth(20);  // all of it taken by the two button insets
  // The thumb sits at 10 .. 20 with value 0 (and left of the insets).
  w.Press(15, 10);
  ASSERT_TRUE(track->Dragging());
  w.Move(18, 10);
  EXPECT_TRUE(std::isfinite(track->Value()));
  EXPECT_EQ(track->Value(), 0);
  EXPECT_EQ(w.Count("change"), 1) << "onChange still runs";
  w.Release(18, 10);

  // A range turned round gives min.
  track->SetWidth(120);
  SetFloatProp(*track, PropByName(*track, "min"), 50);
  SetFloatProp(*track, PropByName(*track, "max"), 10);
  SetFloatProp(*track, PropByName(*track, "value"), 30);
  w.Press(track->GetThumbRect().left + 1, 10);
  ASSERT_TRUE(track->Dragging());
  w.Move(60, 10);
  EXPECT_EQ(track->Value(), 50);
  w.Release(60, 10);
}

}  // namespace
}  // namespace corvane
