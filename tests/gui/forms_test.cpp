// Forms, close buttons, the message box and the debug form, driven through
// the applet's event queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "base/system/log_target.h"
#include "engine/core/effect.h"
#include "engine/core/event.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "gui/close_button.h"
#include "gui/debug_form.h"
#include "gui/form.h"
#include "gui/image_form.h"
#include "scene/font_persistent.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/test_sys_font.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TTestSysFont;
using test::TWidgetWorld;

const char* kTwoForms =
    "  object first: Form\n    x = 100\n    y = 100\n    width = 200\n    height = 150\n  end\n"
    "  object second: Form\n    x = 400\n    y = 100\n    width = 100\n    height = 100\n    style = []\n  end\n";

TEST(Form, APressAnywhereDragsItWhileThePointerStaysInside) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch(kTwoForms)) << w.world.Text();
  auto* form = w.Find<Form>(u"first");
  w.Move(150, 105);
  w.Press(150, 105);
  EXPECT_TRUE(form->Dragging());
  EXPECT_EQ(w.applet->CapturedObject(), form);
  w.Move(160, 112);
  EXPECT_EQ(form->X(), 110);
  EXPECT_EQ(form->Y(), 107);
  // One step out of the form moves nothing.
  w.Move(700, 500);
  EXPECT_EQ(form->X(), 110);
  EXPECT_EQ(form->Y(), 107);
  w.Release(700, 500);
  EXPECT_FALSE(form->Dragging());
  EXPECT_EQ(w.applet->CapturedObject(), nullptr);
}

TEST(Form, NoDragWithoutMoveableOrAtDesignTime) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch(kTwoForms)) << w.world.Text();
  auto* still = w.Find<Form>(u"second");
  w.Move(420, 120);
  w.Press(420, 120);
  w.Move(430, 130);
  w.Release(430, 130);
  EXPECT_FALSE(still->Dragging());
  EXPECT_EQ(still->X(), 400);

  auto* form = w.Find<Form>(u"first");
  form->SetDesignTime(true);
  w.Move(150, 105);
  w.Press(150, 105);
  EXPECT_FALSE(form->Dragging());
  w.Move(160, 112);
  w.Release(160, 112);
  EXPECT_EQ(form->X(), 100);
}

TEST(Form, TakingTheFocusBringsItToTheFront) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch(kTwoForms)) << w.world.Text();
  auto* first = w.Find<Form>(u"first");
  BaseObject* parent = first->Parent();
  auto* second = w.Find<Form>(u"second");
  const auto index = [parent](const BaseObject* child) {
    return std::find(parent->ChildList().begin(), parent->ChildList().end(), child) - parent->ChildList().begin();
  };
  ASSERT_LT(index(first), index(second));
  w.Click(150, 120);
  EXPECT_EQ(w.applet->FocusedObject(), first);
  EXPECT_GT(index(first), index(second));
}

TEST(CloseButtonWidget, HidesItsFormOrRunsItsCloseEffect) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object plain: Form\n    width = 200\n    height = 100\n"
                       "    object x: CloseButton\n      x = 10\n      y = 10\n      width = 20\n      height = 20\n"
                       "      onClick = 'log clicked'\n    end\n  end\n"
                       "  object faded: Form\n    y = 200\n    width = 200\n    height = 100\n"
                       "    object close: AnimationEffect\n      runningTime = 5\n    end\n"
                       "    object y: CloseButton\n      x = 10\n      y = 10\n      width = 20\n      height = 20\n"
                       "    end\n  end\n"))
      << w.world.Text();
  auto* plain = w.Find<Form>(u"plain");
  auto* faded = w.Find<Form>(u"faded");
  w.Move(20, 20);
  w.Click(20, 20);
  EXPECT_EQ(w.Count("clicked"), 1);
  EXPECT_FALSE(plain->Visible());
  EXPECT_EQ(w.Find<Form>(u"plain"), plain) << "hidden, not freed";
  w.Move(20, 220);
  w.Click(20, 220);
  EXPECT_TRUE(faded->Visible()) << "hiding is the effect's business";
  auto* effect = dynamic_cast<Effect*>(faded->findByName(u"close"));
  ASSERT_NE(effect, nullptr);
  EXPECT_TRUE(effect->Running());
}

TEST(MessageBox, ShowMessageReturnsAfterAClickOnItsButton) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch("")) << w.world.Text();
  ImageForm* seen = nullptr;
  w.world.Platform().Inject([&] {
    seen = dynamic_cast<ImageForm*>(w.applet->FindByClass("ImageForm"));
  });
  // The OK button: 70 x 20, centred, 50 above the form's bottom. Events
  // go straight into the queue, the modal loop running.
  const auto mouse = [&w](TLowEventType type, TShiftState shift) {
    w.applet->GetEvent()->AddEvent(std::make_unique<TMouseEvent>(
        type, w.applet->Window(), mbLeft, shift, static_cast<std::int32_t>(w.applet->Width() / 2), 110, 0, 0));
  };
  w.world.Platform().Inject([&] { mouse(evMouseMove, {}); });
  w.world.Platform().Inject([&] {
    mouse(evMouseDown, {ssLeft});
    mouse(evMouseUp, {});
  });
  w.applet->showMessage(u"Hello", u"");
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(w.applet->ModalResult(), mrOk);
  EXPECT_EQ(w.world.Platform().Pending(), 0u);
  w.Frames(4);  // disposal waits 0.2 seconds
  EXPECT_EQ(w.applet->FindByClass("ImageForm"), nullptr) << "disposed after the loop";
}

TEST(DebugFormWidget, GrowsWithTheBoardAndListsItsEntries) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object board: DebugForm\n    x = 30\n    y = 30\n    width = 200\n    font.size = 12\n"
                       "  end\n"))
      << w.world.Text();
  auto* form = w.Find<DebugForm>(u"board");
  EXPECT_EQ(form->X(), 30);
  w.world.engine->LogBook().Info.Clear();
  for (int i = 0; i < 5; ++i) EngineShowInfo(u"k" + std::u16string(1, static_cast<char16_t>(u'0' + i)), u"v");
  TTestSysFont::Journal().clear();
  w.Paint();
  EXPECT_EQ(form->Height(), 62);
  int lines = 0;
  for (const std::string& line : TTestSysFont::Journal()) lines += line.find(" k") != std::string::npos;
  EXPECT_EQ(lines, 5);
}

}  // namespace
}  // namespace corvane
