// The design manipulators: selection hands an object to the 3D or screen
// gizmo, dragging them edits it in snapped steps.
#include <gtest/gtest.h>

#include <cmath>

#include "base/geometry/point_rect_persistent.h"
#include "engine/core/dummy.h"
#include "engine/core/event.h"
#include "engine/shell/engine.h"
#include "engine/shell/gizmo.h"
#include "engine/shell/screen_gizmo.h"
#include "gui/gui_object.h"
#include "platform/window.h"
#include "scene/box.h"
#include "tests/support/kit/test_world.h"
#include "tests/support/kit/top_view_device.h"

namespace corvane {
namespace {

using test::TTestWorld;

struct DesignWorld {
  TTestWorld world;
  test::TTopViewDevice* device = nullptr;
  Gizmo* gizmo = nullptr;
  ScreenGizmo* screen = nullptr;
  Box* box = nullptr;
  DesignWorld() {
    world.applet->UseRecordingDevice();
    TDevice* recorder = world.applet->Device();
    device = static_cast<test::TTopViewDevice*>(
        CreateDevice(DeviceClassOf<test::TTopViewDevice>(), world.applet->Window()));
    world.applet->AdoptDevice(device);
    recorder->Free();
    world.applet->CreateMostTop();
    gizmo = world.applet->GetGizmo();
    screen = world.applet->GetScreenGizmo();
    box = Create<Box>(TCreateContext(world.applet));
    box->SetKind(okSpace);
  }
  ~DesignWorld() { Engine->DesignSelectObject(nullptr); }
  void Point(float x, float y) const { world.applet->GetEvent()->ParamPoint()->SetPoint({x, y}); }
  // A left-button drag step of the handle to the point.
  void DragHandle(GizmoBox* handle, float x, float y, TShiftState shift = {ssLeft}) const {
    Point(x, y);
    handle->MouseMove(shift, 0, 0, 0, 0);
  }
};

TEST(Gizmo, SnappingTruncatesTowardZero) {
  struct Case {
    float in, move, angle, pixel;
  };
  const Case cases[] = {{0.4f, 0, 0, 0},     {0.5f, 0.5f, 0, 0},  {0.7f, 0.5f, 0, 0},     {-0.7f, -0.5f, 0, 0},
                        {7, 7, 0, 4},        {-5, -5, 0, -4},      {14.9f, 14.5f, 0, 12},   {15, 15, 15, 12},
                        {29.9f, 29.5f, 15, 28}, {-20, -20, -15, -20}, {NAN, 0, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(GizmoBox::SnapMove(c.in), c.move) << c.in;
    EXPECT_EQ(GizmoBox::SnapAngle(c.in), c.angle) << c.in;
    EXPECT_EQ(ScreenGizmo::SnapPixel(c.in), c.pixel) << c.in;
  }
}

TEST(Gizmo, SelectionHandsObjectsToTheManipulatorOfTheirKind) {
  DesignWorld d;
  EXPECT_FALSE(d.gizmo->Visible());
  EXPECT_FALSE(d.screen->Visible());
  d.box->Position()->SetValues(3, 4, 5);
  d.box->SetZAngle(30);
  Engine->DesignSelectObject(d.box);
  EXPECT_EQ(Engine->DesignSelected(), d.box);
  EXPECT_TRUE(d.gizmo->Visible());
  EXPECT_EQ(d.gizmo->GetAbsolutePosition(), (TSpaceVector{3, 4, 5, 1}));
  EXPECT_EQ(d.gizmo->ZAngle(), 30);
  EXPECT_NEAR(d.gizmo->GetAbsoluteDirection().x, d.box->GetAbsoluteDirection().x, 1e-6f);
  // The gizmo's moves reach the object.
  d.gizmo->Position()->SetValues(1, 2, 3);
  EXPECT_EQ(d.box->GetAbsolutePosition(), (TSpaceVector{1, 2, 3, 1}));
  d.gizmo->SetZAngle(90);
  EXPECT_EQ(d.box->ZAngle(), 90);
  EXPECT_NEAR(d.box->GetAbsoluteDirection().x, -1, 1e-6f);

  // A screen object goes to the screen gizmo; the 3D one stays where it is.
  auto* widget = Create<GuiObject>(TCreateContext(d.world.applet));
  widget->SetBoundsRect({10, 20, 110, 70});
  Engine->DesignSelectObject(widget);
  EXPECT_TRUE(d.screen->Visible());
  EXPECT_EQ(d.screen->Width(), 100);
  EXPECT_EQ(d.screen->Height(), 50);
  EXPECT_EQ(d.screen->X(), 10);
  EXPECT_TRUE(d.gizmo->Visible());
  // Freeing the selected object hides both manipulators.
  widget->Free();
  EXPECT_EQ(Engine->DesignSelected(), nullptr);
  EXPECT_FALSE(d.gizmo->Visible());
  EXPECT_FALSE(d.screen->Visible());
}

TEST(Gizmo, MoveHandlesFollowThePointerInHalfUnits) {
  DesignWorld d;
  Engine->DesignSelectObject(d.box);
  d.gizmo->Paint();  // places the handles: s(100) is 100 seen from above
  GizmoBox* movex = d.gizmo->Handle(u"movex");
  ASSERT_NE(movex, nullptr);
  EXPECT_NEAR(movex->X(), 100, 1e-4f);
  movex->MouseDown(mbLeft, {ssLeft}, 0, 0);
  EXPECT_EQ(d.world.applet->CapturedObject(), movex);
  struct Step {
    float x;
    float want;  // the object's x afterwards
  };
  // Less than half a unit does not move it; -0.7 moves it by -0.5.
  for (const Step s : {Step{100.3f, 0}, Step{100.7f, 0.5f}, Step{99.8f, 0}, Step{99.3f, -0.5f}}) {
    d.DragHandle(movex, s.x, 0);
    EXPECT_NEAR(d.box->X(), s.want, 1e-5f) << s.x;
  }
  // With a modifier held, or without the left button, nothing moves.
  d.DragHandle(movex, 110, 0, {ssLeft, ssShift});
  d.DragHandle(movex, 110, 0, {});
  EXPECT_NEAR(d.box->X(), -0.5f, 1e-5f);
  movex->MouseUp(mbLeft, {}, 0, 0);
  EXPECT_EQ(d.world.applet->CapturedObject(), nullptr);
  // movey uses the same plane, along y.
  GizmoBox* movey = d.gizmo->Handle(u"movey");
  d.DragHandle(movey, -0.5f, 101.2f);
  EXPECT_NEAR(d.box->Y(), 1, 1e-5f);
}

TEST(Gizmo, RotateHandlesTurnInFifteenDegreeSteps) {
  DesignWorld d;
  Engine->DesignSelectObject(d.box);
  d.gizmo->Paint();
  GizmoBox* rotatez = d.gizmo->Handle(u"rotatez");
  rotatez->MouseDown(mbRight, {ssRight}, 0, 0);
  EXPECT_EQ(d.world.applet->CapturedObject(), rotatez) << "any button captures";
  d.DragHandle(rotatez, 80, 10);  // about 7 degrees
  EXPECT_EQ(d.box->ZAngle(), 0);
  d.DragHandle(rotatez, 80, 30);  // about 20.6 degrees
  EXPECT_EQ(d.box->ZAngle(), 15);
  EXPECT_EQ(d.gizmo->ZAngle(), 15);
  // At the gizmo's centre the drag vector has no length: nothing turns.
  d.DragHandle(rotatez, 0, 0);
  EXPECT_EQ(d.box->ZAngle(), 15);
  EXPECT_TRUE(std::isfinite(d.box->GetAbsoluteDirection().x));
  // The other way, measured in the turned frame.
  const float c = std::cos(DegToRad(15)), s = std::sin(DegToRad(15));
  d.DragHandle(rotatez, 80 * c + 40 * s, 80 * s - 40 * c);  // about -26.6 degrees from the handle
  EXPECT_EQ(d.box->ZAngle(), 0);
}

TEST(Gizmo, DraggingTheBodyMovesInThePlaneAndTurnsWithCtrl) {
  DesignWorld d;
  Engine->DesignSelectObject(d.box);
  d.gizmo->MouseDown(mbLeft, {ssLeft}, 0, 0);
  EXPECT_TRUE(d.gizmo->Dragging());
  d.Point(3.3f, 4.8f);
  d.gizmo->MouseMove({ssLeft}, 0, 0, 0, 0);
  EXPECT_EQ(d.box->GetAbsolutePosition(), (TSpaceVector{3, 4.5f, 0, 1}));
  // With Shift the plane faces -y: a ray straight down runs parallel to it.
  d.gizmo->MouseMove({ssLeft, ssShift}, 0, 0, 0, 0);
  EXPECT_EQ(d.box->GetAbsolutePosition(), (TSpaceVector{3, 4.5f, 0, 1}));
  d.gizmo->MouseMove({ssCtrl}, 0, 0, 20, 0);
  EXPECT_EQ(d.box->ZAngle(), 15);
  d.gizmo->MouseUp(mbLeft, {}, 0, 0);
  EXPECT_FALSE(d.gizmo->Dragging());
  d.gizmo->MouseMove({ssCtrl}, 0, 0, 20, 0);
  EXPECT_EQ(d.box->ZAngle(), 15);
}

TEST(Gizmo, PaintsTheAxesOnlyWithASelectionAndScreenToRealFallsBack) {
  DesignWorld d;
  d.device->ClearRecords();
  d.gizmo->Paint();
  EXPECT_TRUE(d.device->Lines.empty());
  EXPECT_FALSE(d.gizmo->PointInObject(0, 0));
  Engine->DesignSelectObject(d.box);
  d.device->ClearRecords();
  d.gizmo->Paint();
  // The bounds box (24 points) and three axes of 100 seen from above.
  ASSERT_EQ(d.device->Lines.size(), 4u);
  EXPECT_EQ(d.device->Lines[0].Points.size(), 24u);
  EXPECT_NEAR(d.device->Lines[1].Points[1].x, 100, 1e-4f);
  EXPECT_EQ(d.device->Lines[1].Color, 0xFFFF0000u);
  // A gizmo above the camera: the rays miss its plane.
  d.gizmo->Position()->SetValues(0, 0, 2000);
  EXPECT_EQ(d.gizmo->ScreenToReal(100), 0.5f);
}

TEST(ScreenGizmo, BandsHandlesAndPixelSteps) {
  DesignWorld d;
  auto* widget = Create<GuiObject>(TCreateContext(d.world.applet));
  widget->SetBoundsRect({100, 100, 200, 160});  // w 100, h 60
  Engine->DesignSelectObject(widget);
  ScreenGizmo* g = d.screen;
  struct Hit {
    float x, y;  // in applet units
    bool hit;
  };
  const Hit hits[] = {{150, 97, true},  {97, 130, true},  {204, 130, true}, {150, 164, true},
                      {150, 130, true},  // the centre square
                      {120, 120, false}, {150, 90, false}, {180, 140, false}};
  for (const Hit& h : hits) EXPECT_EQ(g->PointInObject(h.x, h.y), h.hit) << h.x << "," << h.y;

  // The corner square resizes (though it lies in two bands too).
  g->MouseDown(mbLeft, {ssLeft}, 101, 59);
  EXPECT_TRUE(g->Sizing());
  EXPECT_EQ(d.world.applet->CapturedObject(), g);
  g->MouseMove({ssLeft}, 123, 45, 0, 0);
  EXPECT_EQ(widget->Width(), 120);
  EXPECT_EQ(widget->Height(), 44);
  g->MouseUp(mbLeft, {}, 0, 0);
  EXPECT_FALSE(g->Dragging());

  // The middle of the right edge turns (not moves).
  g->MouseDown(mbLeft, {ssLeft}, 120, 22);
  EXPECT_TRUE(g->Rotating());
  g->MouseMove({ssLeft}, 120, 30, 0, 0);  // about 14 degrees
  EXPECT_EQ(widget->ZAngle(), 0);
  g->MouseMove({ssLeft}, 120, 40, 0, 0);  // about 18 degrees
  EXPECT_EQ(widget->ZAngle(), 15);
  g->MouseMove({ssLeft}, 0, 0, 0, 0);  // on the origin: no direction
  EXPECT_EQ(widget->ZAngle(), 15);
  g->MouseUp(mbLeft, {}, 0, 0);
  g->SetZAngle(0);

  // Anywhere else on the bands moves, by the snapped sum of the deltas.
  g->MouseDown(mbLeft, {ssLeft}, 50, 0);
  EXPECT_TRUE(g->Moving());
  g->MouseMove({ssLeft}, 50, 0, 3, 3);
  EXPECT_EQ(widget->X(), 100) << "less than 4 units from the grid";
  g->MouseMove({ssLeft}, 50, 0, 3, -10);
  EXPECT_EQ(widget->X(), 104);
  EXPECT_EQ(widget->Y(), 92);
  g->MouseUp(mbLeft, {}, 0, 0);

  // The outline and the three squares, only with a selection.
  d.device->ClearRecords();
  g->Paint();
  EXPECT_EQ(d.device->Draws.size(), 4u);
  Engine->DesignSelectObject(nullptr);
  d.device->ClearRecords();
  g->Paint();
  EXPECT_TRUE(d.device->Draws.empty());
  Engine->DesignSelectObject(widget);

  // A right-button press starts nothing.
  g->MouseDown(mbRight, {ssRight}, 50, 0);
  EXPECT_FALSE(g->Dragging());
  EXPECT_EQ(d.world.applet->CapturedObject(), nullptr);
}

TEST(ScreenGizmo, ResizingANonWidgetOnlyChangesTheRectangle) {
  DesignWorld d;
  auto* plain = Create<PositionObject>(TCreateContext(d.world.applet));
  Engine->DesignSelectObject(plain);
  ScreenGizmo* g = d.screen;
  EXPECT_TRUE(g->Visible());
  g->MouseDown(mbLeft, {ssLeft}, 0, 0);  // w = h = 0: the corner square
  ASSERT_TRUE(g->Sizing());
  g->MouseMove({ssLeft}, 41, 22, 0, 0);
  EXPECT_EQ(g->Width(), 40);
  EXPECT_EQ(g->Height(), 20);
  g->MouseUp(mbLeft, {}, 0, 0);
}

}  // namespace
}  // namespace corvane
