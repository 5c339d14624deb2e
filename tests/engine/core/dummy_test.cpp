// The grouping object: widgets placed in a Dummy are laid out over the
// applet's window as the applet lays out its own.
#include <gtest/gtest.h>

#include "engine/core/dummy.h"
#include "gui/gui_object.h"
#include "platform/window.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

GuiObject* Widget(TGuiAlign align) {
  auto* w = Create<GuiObject>();
  w->SetGuiAlign(align);
  return w;
}

TEST(Dummy, LaysOutOnlyWithGuiChildrenInsideAnAppletWithAWindow) {
  TTestWorld world;
  Applet* applet = world.applet;
  auto* group = Create<Dummy>(TCreateContext(applet));
  EXPECT_TRUE(group->IsGroupingObject());
  // No window yet: the widget is adopted without layout.
  GuiObject* client = Widget(gaClient);
  group->AddChild(client);
  EXPECT_TRUE(group->HasGuiChildren());
  EXPECT_EQ(client->GetBoundsRectInt(), (TRect{0, 0, 70, 30}));
  // With a window, any recalculation lays the widgets out over it.
  world.applet->UseRecordingDevice();
  group->Position()->SetValues(5, 5, 0);
  EXPECT_EQ(client->GetBoundsRectInt(), (TRect{0, 0, 801, 601}));
  EXPECT_EQ(applet->RememberedWidth(), 801);

  // A non-GUI child lays out nothing; the first widget lays out all.
  auto* other = Create<Dummy>(TCreateContext(applet));
  Create<PositionObject>(TCreateContext(other));
  EXPECT_FALSE(other->HasGuiChildren());
  GuiObject* top = Widget(gaTop);
  other->AddChild(top);
  EXPECT_EQ(top->GetBoundsRectInt(), (TRect{0, 0, 801, 30}));

  // A letter-boxed window: the rectangle reaches the window's edges in
  // applet units.
  applet->Window()->DrawOffsetX = 40;
  applet->Window()->DrawOffsetY = 10;
  world.applet->SetScale(2);
  EXPECT_EQ(applet->GuiClientRect(), (TRect{-20, -5, 821, 606}));
  group->ReAlign();
  EXPECT_EQ(client->GetBoundsRectInt(), (TRect{-20, -5, 821, 606}));

  // Without its last widget the group still lays out on every move.
  group->Remove(client);
  client->Free();
  applet->Window()->DrawOffsetX = 0;
  group->Position()->SetValues(6, 6, 0);
  EXPECT_EQ(applet->RememberedWidth(), 801);
}

TEST(Dummy, AWidgetMadeInCodeInsideAGroupIsLaidOut) {
  TTestWorld world;
  world.applet->UseRecordingDevice();
  auto* group = Create<Dummy>(TCreateContext(world.applet));
  auto* widget = Create<GuiObject>(TCreateContext(group));
  EXPECT_TRUE(group->HasGuiChildren());
  widget->SetGuiAlign(gaBottom);
  group->ReAlign();
  EXPECT_EQ(widget->GetBoundsRectInt(), (TRect{0, 571, 801, 601}));
}

}  // namespace
}  // namespace corvane
