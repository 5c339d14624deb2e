// The skinned widgets in the default skin, as the recording device sees
// them drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/prop_access.h"
#include "engine/shell/applet.h"
#include "gui/button.h"
#include "gui/checkbox.h"
#include "gui/dropdown.h"
#include "gui/list.h"
#include "gui/screen.h"
#include "gui/static_text.h"
#include "gui/toggle.h"
#include "scene/skin.h"
#include "scene/skin_pixmap_persistent.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_sys_font.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TRecordingDevice;
using test::TTestSysFont;
using test::TWidgetWorld;

// One picture draw: the rectangle its quads cover and how many there are
// (nine for a nine-sliced element, one for a whole one).
struct TDrawn {
  TRect box;
  std::size_t quads = 0;
  std::uint32_t color = 0;
};

// What painting the applet drew, and the lines the kit font wrote.
struct TPainted {
  std::vector<TDrawn> draws;
  std::vector<std::string> text;
};

TPainted PaintAll(TWidgetWorld& w) {
  TRecordingDevice* device = w.world.Device();
  device->Draws.clear();
  TTestSysFont::Journal().clear();
  w.Paint();
  TPainted painted;
  for (const test::TRecordedDraw& d : device->Draws) {
    if (d.Format != vfColorPixmapVertex) continue;
    const std::vector<test::TRecordedQuad> quads = test::QuadsOf(d);
    if (quads.empty()) continue;
    TDrawn drawn{quads[0].Rect, quads.size(), quads[0].Color};
    for (const test::TRecordedQuad& q : quads) {
      drawn.box.left = std::min(drawn.box.left, q.Rect.left);
      drawn.box.top = std::min(drawn.box.top, q.Rect.top);
      drawn.box.right = std::max(drawn.box.right, q.Rect.right);
      drawn.box.bottom = std::max(drawn.box.bottom, q.Rect.bottom);
    }
    painted.draws.push_back(drawn);
  }
  for (const std::string& line : TTestSysFont::Journal())
    if (line.rfind("font DrawText", 0) == 0) painted.text.push_back(line);
  return painted;
}

bool Drew(const TPainted& painted, const TRect& box) {
  return std::any_of(painted.draws.begin(), painted.draws.end(), [&](const TDrawn& d) { return d.box == box; });
}

TEST(SkinnedWidgets, ACheckboxCentresItsBoxAndStartsItsTextAfterIt) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch("  object box: Checkbox\n    width = 100\n    height = 20\n    checkSize = 12\n"
                       "    text = 'ab'\n  end\n"))
      << w.world.Text();
  const TPainted painted = PaintAll(w);
  ASSERT_EQ(painted.draws.size(), 1u);
  EXPECT_EQ(painted.draws[0].box, (TRect{4, 4, 16, 16}));
  ASSERT_EQ(painted.text.size(), 1u);
  EXPECT_EQ(painted.text[0].rfind("font DrawText 18 ", 0), 0u) << painted.text[0];
}

TEST(SkinnedWidgets, ADropdownDrawsTheSkinsGlyphAtItsElementsSize) {
  for (const char* cls : {"Dropdown", "ColorDropdown"}) {
    SCOPED_TRACE(cls);
    TWidgetWorld w(true);
    ASSERT_TRUE(w.Launch(std::string("  object drop: ") + cls + "\n    width = 100\n    height = 24\n  end\n"))
        << w.world.Text();
    auto* drop = w.Find<Dropdown>(u"drop");
    ASSERT_NE(drop->PixmapGlyph()->SkinObject(), nullptr);
    const TPainted painted = PaintAll(w);
    EXPECT_TRUE(Drew(painted, {0, 0, 100, 24}));
    // The glyph names no rectangle of its own: the element's 16 x 16.
    EXPECT_TRUE(Drew(painted, {79, 4, 95, 20}));
    // A rectangle of its own decides (the colour drop-down's picture does).
    if (std::string(cls) == "ColorDropdown") continue;
    drop->PixmapGlyph()->Rect()->SetRect({0, 0, 10, 8});
    EXPECT_TRUE(Drew(PaintAll(w), {85, 8, 95, 16}));
  }
}

TEST(SkinnedWidgets, AListSnapsToRowsAndMarksTheItemsPastTheEnabledOnes) {
  TWidgetWorld w(true);
  std::string items = "(";
  for (int i = 0; i < 25; ++i) items += " 'i" + std::to_string(i) + "'";
  ASSERT_TRUE(w.Launch("  object rows: List\n    width = 150\n    height = 150\n    itemHeight = 14\n"
                       "    rowCount = 3\n    columnCount = 3\n    items.strings = " + items + " )\n  end\n"))
      << w.world.Text();
  auto* list = w.Find<List>(u"rows");
  EXPECT_EQ(list->EnabledCount(), 10);
  const auto wholes = [](const TPainted& painted) {
    return std::count_if(painted.draws.begin(), painted.draws.end(), [](const TDrawn& d) { return d.quads == 1; });
  };
  TPainted painted = PaintAll(w);
  EXPECT_EQ(list->RowCount(), 10);
  EXPECT_EQ(list->Height(), 144);
  // The background, every item's picture, and "empty" (one whole quad) over
  // items 10 to 24; each item's text centred in its row.
  EXPECT_EQ(painted.draws.size(), 1u + 25u + 15u);
  EXPECT_EQ(wholes(painted), 15);
  EXPECT_EQ(painted.text.size(), 25u);
  list->SetEnabledCount(0);
  EXPECT_EQ(wholes(PaintAll(w)), 0);

  // Rows of no height: the background alone, no division by them.
  list->SetItemHeight(0);
  painted = PaintAll(w);
  EXPECT_EQ(painted.draws.size(), 1u);
  EXPECT_TRUE(painted.text.empty());
}

TEST(SkinnedWidgets, AToggleWithoutItemsDrawsOnlyItsPicture) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch("  object toggle: Toggle\n    width = 80\n    height = 20\n  end\n"
                       "  object button: Button\n    y = 40\n    width = 80\n    height = 20\n    text = 'ok'\n"
                       "  end\n"))
      << w.world.Text();
  const TPainted painted = PaintAll(w);
  ASSERT_EQ(painted.draws.size(), 2u);
  EXPECT_EQ(painted.draws[0].box, (TRect{0, 0, 80, 20}));
  EXPECT_EQ(painted.draws[0].quads, 9u);
  ASSERT_EQ(painted.text.size(), 1u);  // the button's
  EXPECT_NE(painted.text[0].find(" ok"), std::string::npos);
}

TEST(SkinnedWidgets, PixmapWritersCopyIntoTheOwnedPictures) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch("  object rows: List\n  end\n  object box: Checkbox\n  end\n")) << w.world.Text();
  auto* list = w.Find<List>(u"rows");
  auto* box = w.Find<Checkbox>(u"box");
  TSkinPixmapPersistent* given = Create<TSkinPixmapPersistent>(TCreateContext(w.applet));
  given->SetObjectName("check");
  TSkinPixmapPersistent* owned = list->PixmapItem();
  SetObjectProp(*list, PropByName(*list, "pixmapItem"), given);
  EXPECT_EQ(list->PixmapItem(), owned);
  EXPECT_EQ(owned->ObjectName(), "check");
  given->SetObjectName("button");
  SetObjectProp(*box, PropByName(*box, "pixmapChecked"), given);
  EXPECT_EQ(box->PixmapChecked()->ObjectName(), "button");
  given->Free();
}

TEST(ScreenFill, TheObjectsAlphaDecidesTheOpacity) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch("  object fill: Screen\n    width = 30\n    height = 20\n    Color = '#80FF0000'\n  end\n"))
      << w.world.Text();
  auto* fill = w.Find<Screen>(u"fill");
  EXPECT_EQ(fill->GetColor(), u"#80FF0000");
  const auto filled = [&] {
    const TPainted painted = PaintAll(w);
    return painted.draws.size() == 1 ? painted.draws[0].color : 0u;
  };
  EXPECT_EQ(filled(), 0xFFFF0000u);
  fill->SetAlpha(0.5f);
  EXPECT_EQ(filled(), 0x80FF0000u);  // 127.5 halves to even
  fill->SetAlpha(0.0f);
  EXPECT_EQ(filled(), 0x00FF0000u);
  fill->SetFillColor(u"#FF00FF00");
  EXPECT_EQ(GetPropValue(*fill, "Color").AsWideString(), u"#FF00FF00");
}

// The applet's fade overlay, faded out by hideScreen and left at alpha 0,
// lets clicks through to the widgets under it.
TEST(ScreenFill, TheFadeOverlayTakesNoClicks) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch("  object ok: TStdButton\n    x = 10\n    y = 10\n    width = 60\n    height = 20\n"
                       "    onClick = 'log clicked'\n  end\n"))
      << w.world.Text();
  w.applet->fadeScreenToColor(u"#FF000000", 0);
  w.applet->hideScreen(0.1f);
  w.world.Steps(5);
  ASSERT_TRUE(w.applet->FadeScreen()->Visible());
  w.Click(30, 20);
  EXPECT_EQ(w.Count("clicked"), 1);
}

TEST(StaticTextWidget, WordWrapBreaksInsideTheWidthOnlyWhenOn) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch("  object label: StaticText\n    width = 48\n    height = 60\n    text = 'abc def ghi'\n"
                       "  end\n"))
      << w.world.Text();
  EXPECT_EQ(PaintAll(w).text.size(), 1u);
  w.Find<StaticText>(u"label")->SetWordWrap(true);
  EXPECT_GT(PaintAll(w).text.size(), 1u);
}

// Streams and the inspector list classes in this order; the inspector's
// class must precede its form's.
TEST(GuiRegistration, TheWidgetsAreRegisteredInTheirOrder) {
  TWidgetWorld w;
  const std::vector<TClass>* classes = GlobalClassList();
  ASSERT_NE(classes, nullptr);
  std::vector<std::string> names;
  for (TClass cls : *classes) names.push_back(cls->Name());
  for (const std::vector<std::string>& order :
       {std::vector<std::string>{"StaticText", "Image", "Button", "Edit", "Dropdown", "ColorDropdown", "Background",
                                 "Splash", "List", "ObjectList", "ImageList", "Checkbox", "TrackBar", "Toggle",
                                 "Preview", "Screen"},
        std::vector<std::string>{"Inspector", "InspectorForm"}}) {
    auto at = std::find(names.begin(), names.end(), order[0]);
    ASSERT_LE(at + static_cast<std::ptrdiff_t>(order.size()), names.end()) << order[0];
    EXPECT_EQ(std::vector<std::string>(at, at + static_cast<std::ptrdiff_t>(order.size())), order);
  }
}

}  // namespace
}  // namespace corvane
