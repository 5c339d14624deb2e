// The layout routine and the widget base: alignment passes, remembered
// extents, sizes and the widget's own hit test.
#include <gtest/gtest.h>

#include <vector>

#include "gui/gui_object.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

struct Layout {
  test::TCaptureLog log;
  std::vector<GuiObject*> widgets;
  ~Layout() {
    for (GuiObject* w : widgets) w->Free();
  }
  GuiObject* Add(TGuiAlign align, TRect bounds) {
    auto* w = Create<GuiObject>();
    w->SetBoundsRect(bounds);
    w->SetGuiAlign(align);
    widgets.push_back(w);
    return w;
  }
  void Run(TRect r, float& rememberedWidth, float& rememberedHeight) {
    RealignGui(r.left, r.top, r.right, r.bottom, rememberedWidth, rememberedHeight,
               static_cast<std::int32_t>(widgets.size()), [this](std::int32_t i) -> BaseObject* { return widgets[i]; });
  }
};

TRect Bounds(const GuiObject* w) { return w->GetBoundsRectInt(); }

TEST(RealignGui, CornerAnchorsFollowTheChangeOfTheRightAndBottomEdges) {
  Layout l;
  GuiObject* topRight = l.Add(gaTopRight, {50, 5, 60, 15});
  GuiObject* bottomRight = l.Add(gaBottomRight, {50, 50, 60, 60});
  GuiObject* bottomLeft = l.Add(gaBottomLeft, {5, 50, 15, 60});
  GuiObject* topLeft = l.Add(gaTopLeft, {5, 5, 15, 15});
  float rw = 80, rh = 70;
  l.Run({0, 0, 100, 100}, rw, rh);
  EXPECT_EQ(Bounds(topRight), (TRect{70, 5, 80, 15}));
  EXPECT_EQ(Bounds(bottomRight), (TRect{70, 80, 80, 90}));
  EXPECT_EQ(Bounds(bottomLeft), (TRect{5, 80, 15, 90}));
  EXPECT_EQ(Bounds(topLeft), (TRect{5, 5, 15, 15}));
  EXPECT_EQ(rw, 100);
  EXPECT_EQ(rh, 100);
  // The same rectangle again moves nothing.
  l.Run({0, 0, 100, 100}, rw, rh);
  EXPECT_EQ(Bounds(topRight), (TRect{70, 5, 80, 15}));
}

TEST(RealignGui, EdgePassesShareTheRectangleInTheirOrder) {
  Layout l;
  GuiObject* left1 = l.Add(gaLeft, {0, 0, 10, 5});
  GuiObject* top = l.Add(gaTop, {0, 0, 5, 20});
  GuiObject* mostLeft = l.Add(gaMostLeft, {0, 0, 15, 5});
  GuiObject* left2 = l.Add(gaLeft, {0, 0, 12, 5});
  GuiObject* bottom = l.Add(gaBottom, {0, 0, 5, 30});
  GuiObject* mostRight = l.Add(gaMostRight, {0, 0, 25, 5});
  GuiObject* client = l.Add(gaClient, {0, 0, 1, 1});
  GuiObject* contents = l.Add(gaContents, {0, 0, 1, 1});
  GuiObject* hidden = l.Add(gaClient, {1, 2, 3, 4});
  hidden->hide();
  float rw = 200, rh = 100;
  l.Run({0, 0, 200, 100}, rw, rh);
  // Most-left and most-right take the full height first ...
  EXPECT_EQ(Bounds(mostLeft), (TRect{0, 0, 15, 100}));
  EXPECT_EQ(Bounds(mostRight), (TRect{175, 0, 200, 100}));
  // ... then top and bottom between them ...
  EXPECT_EQ(Bounds(top), (TRect{15, 0, 175, 20}));
  EXPECT_EQ(Bounds(bottom), (TRect{15, 70, 175, 100}));
  // ... then the two left ones side by side, in index order ...
  EXPECT_EQ(Bounds(left1), (TRect{15, 20, 25, 70}));
  EXPECT_EQ(Bounds(left2), (TRect{25, 20, 37, 70}));
  // ... the client takes what is left, the contents the whole rectangle.
  EXPECT_EQ(Bounds(client), (TRect{37, 20, 175, 70}));
  EXPECT_EQ(Bounds(contents), (TRect{0, 0, 200, 100}));
  EXPECT_EQ(Bounds(hidden), (TRect{1, 2, 3, 4})) << "hidden widgets take no part";
}

TEST(RealignGui, CentringKeepsTheSizesAndTheOtherAxis) {
  Layout l;
  GuiObject* centre = l.Add(gaCenter, {0, 0, 40, 20});
  GuiObject* vertical = l.Add(gaVertCenter, {7, 0, 17, 10});
  GuiObject* horizontal = l.Add(gaHorzCenter, {0, 9, 20, 19});
  float rw = 100, rh = 60;
  l.Run({0, 0, 100, 60}, rw, rh);
  EXPECT_EQ(Bounds(centre), (TRect{30, 20, 70, 40}));
  EXPECT_EQ(Bounds(vertical), (TRect{7, 25, 17, 35}));
  EXPECT_EQ(Bounds(horizontal), (TRect{40, 9, 60, 19}));
}

TEST(GuiObject, SizesRememberTheOldValueAndHitTestsAreStrict) {
  test::TCaptureLog log;
  auto* w = Create<GuiObject>();
  EXPECT_EQ(w->MaterialName(), u"gui");
  // A new width lays the children out from the old one: a child anchored
  // top-right moves by the difference, and the layout remembers the size.
  auto* anchored = Create<GuiObject>(TCreateContext(w));
  anchored->SetBoundsRect({60, 0, 65, 5});
  anchored->SetGuiAlign(gaTopRight);
  w->SetWidth(100);
  EXPECT_EQ(anchored->X(), 90);
  EXPECT_EQ(w->RememberedWidth(), 100);
  anchored->Position()->SetValues(0, 0, 0);
  w->SetWidth(100);  // the same value changes nothing
  EXPECT_EQ(anchored->X(), 0);
  w->SetBoundsRect({10, 20, 50, 60});
  EXPECT_EQ(w->GetBoundsRectInt(), (TRect{10, 20, 50, 60}));
  EXPECT_EQ(anchored->X(), -60);
  EXPECT_EQ(w->GetBoundsRadius(), 20);
  struct Case {
    float x, y;
    bool inside;
  };
  for (const Case c : {Case{30, 40, true}, Case{10, 40, false}, Case{50, 40, false}, Case{30, 20, false},
                       Case{30, 60, false}, Case{10.01f, 20.01f, true}}) {
    EXPECT_EQ(w->PointInObject(c.x, c.y), c.inside) << c.x << "," << c.y;
  }
  w->hide();
  EXPECT_FALSE(w->PointInObject(30, 40));
  w->Free();
}

TEST(GuiObject, AWidgetLaysOutItsChildrenInItsOwnFrame) {
  test::TCaptureLog log;
  auto* form = Create<GuiObject>();
  form->SetBoundsRect({100, 100, 300, 200});
  auto* client = Create<GuiObject>(TCreateContext(form));
  client->SetGuiAlign(gaClient);
  EXPECT_EQ(client->GetBoundsRectInt(), (TRect{0, 0, 200, 100}));
  form->SetWidth(150);
  EXPECT_EQ(client->GetBoundsRectInt(), (TRect{0, 0, 150, 100}));
  // Placed relative to the form: the absolute corner is the form's.
  EXPECT_EQ(client->LocalToAbsolute({0, 0}), (TPoint{100, 100}));
  form->Free();
}

}  // namespace
}  // namespace corvane
