// The widget base inside an applet: hit testing and auto-show, the layout
// a widget that becomes visible asks of its parent, repaints, the ray test,
// the text alignments, and the standard widgets made by name from a file.
#include <gtest/gtest.h>

#include <string>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "engine/core/container.h"
#include "gui/gui_object.h"
#include "gui/std_button.h"
#include "gui/text_align.h"
#include "scene/font_persistent.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {

// A widget that counts its layouts.
class TCountingWidget : public GuiObject {
  CORVANE_CLASS(TCountingWidget, GuiObject)
  using GuiObject::GuiObject;
  void Realign() override {
    ++Layouts();
    GuiObject::Realign();
  }
  static int& Layouts() {
    static int n = 0;
    return n;
  }
};
CORVANE_IMPLEMENT_CLASS(TCountingWidget)

namespace {

using test::TWidgetWorld;

// A panel 200 x 100 with a hidden left-aligned strip and a client widget
// beside it, and a widget 70 x 30 at (10, 10) on the applet.
const char kObjects[] =
    "  object panel: GuiObject\n    x = 300\n    y = 300\n    width = 200\n    height = 100\n"
    "    object client: GuiObject\n      align = gaClient\n    end\n"
    "    object strip: GuiObject\n      align = gaLeft\n      visible = False\n      width = 40\n    end\n"
    "  end\n"
    "  object box: GuiObject\n    x = 10\n    y = 10\n  end\n";

// The strict hit test itself is in realign_gui_test.cpp.
TEST(GuiObject, AutoShowKeepsAHiddenWidgetReachable) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch(kObjects)) << w.world.Text();
  auto* box = w.Find<GuiObject>(u"box");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetBoundsRectInt(), (TRect{10, 10, 80, 40})) << "70 x 30 by default";
  box->hide();
  EXPECT_FALSE(box->PointInObject(11, 11));
  box->SetAutoShow(true);
  EXPECT_TRUE(box->PointInObject(11, 11)) << "an auto-shown widget feels the mouse while hidden";
  // Turning auto-show on with the pointer away hides a visible widget at once.
  auto* other = w.Find<GuiObject>(u"client");
  ASSERT_TRUE(other->Visible());
  other->SetAutoShow(true);
  EXPECT_FALSE(other->Visible());
}

// On a widget and on the applet (the window's layout) alike.
TEST(GuiObject, AWidgetThatBecomesVisibleTakesItsPlaceInTheParentsLayout) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch(std::string(kObjects) + "  object wide: GuiObject\n    align = gaClient\n  end\n"
                       "  object band: GuiObject\n    align = gaLeft\n    visible = False\n    width = 40\n  end\n"))
      << w.world.Text();
  EXPECT_EQ(w.Find<GuiObject>(u"client")->GetBoundsRectInt(), (TRect{0, 0, 200, 100}));
  for (const auto& [clientName, stripName] : {std::pair{u"client", u"strip"}, std::pair{u"wide", u"band"}}) {
    SCOPED_TRACE(clientName == std::u16string(u"wide") ? "applet" : "panel");
    auto* client = w.Find<GuiObject>(clientName);
    auto* strip = w.Find<GuiObject>(stripName);
    const TRect whole = client->GetBoundsRectInt();
    ASSERT_GT(whole.right - whole.left, 100);
    strip->show();
    EXPECT_EQ(strip->GetBoundsRectInt(), (TRect{whole.left, whole.top, whole.left + 40, whole.bottom}));
    EXPECT_EQ(client->GetBoundsRectInt(), (TRect{whole.left + 40, whole.top, whole.right, whole.bottom}));
  }
  // Hiding gives nothing back until the parent lays out again.
  w.Find<GuiObject>(u"strip")->hide();
  w.Find<GuiObject>(u"panel")->Realign();
  EXPECT_EQ(w.Find<GuiObject>(u"client")->GetBoundsRectInt(), (TRect{0, 0, 200, 100}));
}

TEST(GuiObject, AnUnchangedSizeRepaintsNothingAndTheRayMeetsThePlane) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch(kObjects)) << w.world.Text();
  auto* box = w.Find<GuiObject>(u"box");
  const std::int32_t before = w.applet->UpdateCount();
  box->SetWidth(70);
  EXPECT_EQ(w.applet->UpdateCount(), before);
  box->SetWidth(71);
  EXPECT_GT(w.applet->UpdateCount(), before);
  box->SetClientRect({5, 5, 55, 25});
  EXPECT_EQ(box->GetBoundsRectInt(), (TRect{10, 10, 60, 30}));
  box->SetBoundsRect({10, 10, 80, 40});

  // A ray along +z from z = -5 over the widget hits it; one parallel to its
  // plane, or one beside it, misses.
  EXPECT_TRUE(box->RayCastIntersect({30, 20, -5, 1}, {0, 0, 1, 0}));
  EXPECT_FALSE(box->RayCastIntersect({30, 20, -5, 1}, {1, 0, 0, 0}));
  EXPECT_FALSE(box->RayCastIntersect({30, 20, -5, 1}, {0, 0, -1, 0})) << "heading away";
  EXPECT_FALSE(box->RayCastIntersect({300, 20, -5, 1}, {0, 0, 1, 0}));
  EXPECT_TRUE(box->RayCastIntersect({30, 20, 5, 1}, {0, 0, -1, 0}));
}

TEST(GuiObject, ANestedTreeIsLaidOutABoundedNumberOfTimesPerWidget) {
  TWidgetWorld w;
  RegisterClasses({TCountingWidget::StaticClass()});
  // Six widgets, each the client of the one above beside a most-left strip.
  std::string tree = "  object root: TCountingWidget\n    width = 400\n    height = 300\n";
  std::string tail = "  end\n";
  for (int depth = 1; depth < 6; ++depth) {
    const std::string pad(2 * depth + 2, ' ');
    tree += pad + "object strip" + std::to_string(depth) + ": TCountingWidget\n" + pad + "  align = gaMostLeft\n" +
            pad + "  width = 10\n" + pad + "end\n";
    tree += pad + "object level" + std::to_string(depth) + ": TCountingWidget\n" + pad + "  align = gaClient\n";
    tail = pad + "end\n" + tail;
  }
  ASSERT_TRUE(w.Launch(tree + tail)) << w.world.Text();
  auto* root = w.Find<GuiObject>(u"root");
  auto* deepest = w.Find<GuiObject>(u"level5");
  ASSERT_NE(deepest, nullptr);
  EXPECT_EQ(deepest->GetBoundsRectInt(), (TRect{10, 0, 360, 300}));
  TCountingWidget::Layouts() = 0;
  root->SetWidth(500);
  EXPECT_EQ(deepest->GetBoundsRectInt(), (TRect{10, 0, 460, 300}));
  EXPECT_EQ(w.Find<GuiObject>(u"strip5")->GetBoundsRectInt(), (TRect{0, 0, 10, 300}));
  // Eleven widgets, each laid out once (a move used to lay a widget out
  // again, doubling with every level: 287 layouts).
  EXPECT_EQ(TCountingWidget::Layouts(), 11);

  // Moving the root keeps every place and lays the tree out a bounded
  // number of times.
  TCountingWidget::Layouts() = 0;
  root->SetX(20);
  EXPECT_EQ(deepest->GetBoundsRectInt(), (TRect{10, 0, 460, 300}));
  EXPECT_LE(TCountingWidget::Layouts(), 6 * 11);
}

TEST(GuiObject, TextAlignmentsGiveTheirLayoutFlags) {
  EXPECT_EQ(TextAlignToFormat(taLeft), TTextFormats{tfLeft});
  EXPECT_EQ(TextAlignToFormat(taCenter), TTextFormats{tfCenter});
  EXPECT_EQ(TextAlignToFormat(taRight), TTextFormats{tfRight});
  EXPECT_EQ(TextAlignToFormat(static_cast<TTextAlign>(7)), TTextFormats{});
}

TEST(GuiObject, TheStandardWidgetsAreMadeByNameWithTheirFonts) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object ok: TStdButton\n    text = 'OK'\n    font.size = 12\n    autoShow = True\n"
                       "    modalResult = mrOk\n  end\n"))
      << w.world.Text();
  auto* ok = w.Find<TStdButton>(u"ok");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->Text(), u"OK");
  EXPECT_EQ(ok->Font()->Size(), 12);
  EXPECT_TRUE(ok->AutoShow());
  EXPECT_EQ(ok->ModalResult(), mrOk);
  EXPECT_EQ(ok->TextAlign(), taCenter);
  // Scripts make them by class name.
  for (const char* name :
       {"TStdButton", "TStdEdit", "TStdList", "TStdDropdown", "TStdCheckBox", "TStdTrackbar", "TStdToggle"}) {
    w.applet->CallScript(u"new " + std::u16string(name, name + std::char_traits<char>::length(name)) + u" made");
    BaseObject* made = w.applet->findByName(u"made");
    ASSERT_NE(made, nullptr) << name;
    EXPECT_EQ(made->ClassName(), name);
    made->Free();
  }
}

}  // namespace
}  // namespace corvane
