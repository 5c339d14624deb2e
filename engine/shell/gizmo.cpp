#include "engine/shell/gizmo.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/ray_cast.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "engine/core/event.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "platform/device.h"
#include "platform/window.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(GizmoBox)
CORVANE_IMPLEMENT_CLASS(Gizmo)

namespace {

TSpaceVector AsPoint(const TSpaceVector& v) { return {v.x, v.y, v.z, 1}; }

TDevice* DeviceOf(const BaseObject* object) { return object->GetApplet() ? object->GetApplet()->Device() : nullptr; }

// The direction the camera last looked along; (0, 1, 0) without a window.
TSpaceVector CameraDirection(const BaseObject* object) {
  TDevice* device = DeviceOf(object);
  if (!device || !device->Window()) return {0, 1, 0, 0};
  const TSpaceVector& d = device->Window()->CameraDirection;
  return {d.x, d.y, d.z, 0};
}

// Where the ray meets the plane through point with normal, as a point.
bool PlaneHit(const TSpaceVector& origin, const TSpaceVector& direction, const TSpaceVector& point,
              const TSpaceVector& normal, TSpaceVector& hit) {
  if (!RayCastPlaneIntersect(origin, direction, point, normal, hit)) return false;
  hit = AsPoint(hit);
  return true;
}

// The angle in degrees between v and the unit axis, negative when the sign
// component is; false for a v too short to have a direction (a pointer on
// the centre of the turn, where rounding alone would decide the angle).
bool SignedAngle(const TSpaceVector& v, const TSpaceVector& axis, float sign, float scale, float& degrees) {
  if (!(SpaceVectorLength(v) > 1e-5f * std::max(1.0f, scale))) return false;
  // ArcCos clamps its argument: rounding past 1 gives 0, not NaN.
  degrees = RadToDeg(ArcCos(SpaceVectorDotProduct(VectorSpaceNormalize(v), axis)));
  if (sign < 0) degrees = -degrees;
  return true;
}

TSpaceVector PickPoint(const BaseObject* object, TSpaceVector& origin, TSpaceVector& direction, bool& ok) {
  Event* event = object->GetApplet() ? object->GetApplet()->GetEvent() : nullptr;
  ok = event && PickRay(object, event->ParamPoint()->x, event->ParamPoint()->y, origin, direction);
  return origin;
}

struct THandleSetup {
  const char16_t* role;
  std::uint32_t color;
  TSpaceVector position;
  float width, height, depth;
};

constexpr THandleSetup kHandles[] = {
    {u"rotatex", 0xFF008000, {0, 80, 0, 1}, 5, 5, 20},
    {u"movey", 0xFF008000, {0, 100, 0, 1}, 10, 10, 10},
    {u"rotatez", 0xFF800000, {80, 0, 0, 1}, 5, 20, 10.0f / 3},
    {u"movex", 0xFF800000, {100, 0, 0, 1}, 10, 10, 10},
    {u"rotatey", 0xFF000080, {0, 0, 80, 1}, 20, 10.0f / 3, 5},
    {u"movez", 0xFF000080, {0, 0, 100, 1}, 10, 10, 10},
};

}  // namespace

PositionObject* DesignTarget(const PositionObject* manipulator) {
  BaseObject* selected = Engine ? Engine->DesignSelected() : nullptr;
  PositionObject* positioned = selected ? selected->AsPositionObject() : nullptr;
  if (!positioned || positioned == manipulator || manipulator->FindChildObject(positioned, false)) return nullptr;
  return positioned;
}

void TakePlacement(PositionObject* manipulator, PositionObject* object) {
  manipulator->SetAbsoluteDirection(object->GetAbsoluteDirection());
  manipulator->SetAbsoluteUp(object->GetAbsoluteUp());
  manipulator->SetAbsolutePosition(object->GetAbsolutePosition());
  manipulator->SetAnglesDirect(object->ZAngle(), object->YAngle(), object->XAngle());
}

bool CopyPlacement(PositionObject* from, PositionObject* to) {
  TWeak<PositionObject> source(from), target(to);
  to->SetAbsolutePosition(from->GetAbsolutePosition());
  if (!source.Get() || !target.Get()) return false;
  to->SetAbsoluteDirection(from->GetAbsoluteDirection());
  if (!source.Get() || !target.Get()) return false;
  to->SetAbsoluteUp(from->GetAbsoluteUp());
  if (!source.Get() || !target.Get()) return false;
  to->SetAnglesDirect(from->ZAngle(), from->YAngle(), from->XAngle());
  return true;
}

bool PickRay(const BaseObject* object, float x, float y, TSpaceVector& origin, TSpaceVector& direction) {
  TDevice* device = DeviceOf(object);
  if (!device) return false;
  device->Pick(x, y, origin, direction);
  origin = AsPoint(origin);
  direction = VectorSpaceNormalize(direction);
  return true;
}

// ----------------------------------------------------------------- GizmoBox

GizmoBox::GizmoBox(const TCreateContext& context) : Box(context) { SetHotTrack(true); }

float GizmoBox::SnapMove(float v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<float>(std::trunc(static_cast<double>(v) / 0.5) * 0.5);
}

float GizmoBox::SnapAngle(float v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<float>(std::trunc(static_cast<double>(v) / 15.0) * 15.0);
}

void GizmoBox::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<GizmoBox> self(this);
  // The handler part only: a manipulator never selects itself.
  VisualObject::MouseDown(button, shift, x, y);
  if (!self.Get()) return;
  capture();
  dragging_ = true;
  Gizmo* g = AppletOf(this) ? AppletOf(this)->GetGizmo() : nullptr;
  if (!g) return;
  if (TagString() == u"rotatey") startAngle_ = g->YAngle();
  else if (TagString() == u"rotatex") startAngle_ = g->XAngle();
  else if (TagString() == u"rotatez") startAngle_ = g->ZAngle();
}

void GizmoBox::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<GizmoBox> self(this);
  VisualObject::MouseUp(button, shift, x, y);
  if (!self.Get()) return;
  releaseCapture();
  dragging_ = false;
}

void GizmoBox::MouseMove(TShiftState shift, float x, float y, float dx, float dy) {
  VisualObject::MouseMove(shift, x, y, dx, dy);
  if (!shift.Contains(ssLeft)) return;
  TSpaceVector origin, direction;
  bool picked = false;
  PickPoint(this, origin, direction, picked);
  if (!picked || shift != TShiftState{ssLeft}) return;
  Gizmo* g = AppletOf(this) ? AppletOf(this)->GetGizmo() : nullptr;
  if (!g) return;
  if (TagString().starts_with(u"move")) DragMove(g, origin, direction);
  else DragRotate(g, origin, direction);
}

void GizmoBox::DragMove(Gizmo* g, const TSpaceVector& origin, const TSpaceVector& direction) {
  const TSpaceVector p = AsPoint(GetAbsolutePosition());
  const TSpaceVector c = CameraDirection(this);
  const std::u16string& role = TagString();
  // The plane that holds the handle's axis and faces the camera as well as
  // it can.
  const TSpaceVector axis = role == u"movez" ? GetAbsoluteUp() : GetAbsoluteRight();
  const TSpaceVector normal = SpaceVectorCrossProduct(SpaceVectorCrossProduct(axis, c), axis);
  TSpaceVector hit;
  if (!PlaneHit(origin, direction, p, normal, hit)) return;
  const TSpaceVector local = VectorAbsoluteToLocal(hit);
  TSpaceVector offset{0, 0, 0, 1};
  if (role == u"movex") offset.x = SnapMove(local.x);
  else if (role == u"movey") offset.y = SnapMove(local.y);
  else if (role == u"movez") offset.z = SnapMove(local.z);
  else return;
  g->SetAbsolutePosition(g->VectorLocalToAbsolute(offset));
}

void GizmoBox::DragRotate(Gizmo* g, const TSpaceVector& origin, const TSpaceVector& direction) {
  const std::u16string& role = TagString();
  const TSpaceVector p = AsPoint(GetAbsolutePosition());
  const TSpaceVector& at = Position()->Coordinates();
  TSpaceVector normal, axis, v, hit;
  float sign = 0;
  if (role == u"rotatey") normal = GetAbsoluteDirection();
  else if (role == u"rotatex") normal = GetAbsoluteRight();
  else if (role == u"rotatez") normal = GetAbsoluteUp();
  else return;
  if (!PlaneHit(origin, direction, p, normal, hit)) return;
  const TSpaceVector local = VectorAbsoluteToLocal(hit);
  // The hit relative to the gizmo's centre, in the plane of the turn.
  if (role == u"rotatey") {
    v = {local.x, 0, local.z + at.z, 0};
    axis = {0, 0, 1, 0};
    sign = v.x;
  } else if (role == u"rotatex") {
    v = {0, local.y + at.y, local.z, 0};
    axis = {0, 1, 0, 0};
    sign = v.z;
  } else {
    v = {local.x + at.x, local.y, 0, 0};
    axis = {1, 0, 0, 0};
    sign = v.y;
  }
  float degrees = 0;
  if (!SignedAngle(v, axis, sign, SpaceVectorLength(at), degrees)) return;
  const float angle = startAngle_ + SnapAngle(degrees);
  if (role == u"rotatey") {
    g->SetYAngle(angle);
    startAngle_ = g->YAngle();
  } else if (role == u"rotatex") {
    g->SetXAngle(angle);
    startAngle_ = g->XAngle();
  } else {
    g->SetZAngle(angle);
    startAngle_ = g->ZAngle();
  }
}

void GizmoBox::Paint() {
  TDevice* device = DeviceOf(this);
  if (!device) return;
  const std::uint32_t color = Hot() ? 0xFFB0B0B0 : static_cast<std::uint32_t>(TagInt());
  const TAABB box = GetBoundsBox();
  device->SetColor((color & 0x00FFFFFF) | 0xA0000000);
  device->SetRenderState(rsZTestOff);
  device->SetRenderState(rsLightOn);
  device->FillBox(box.min, box.max);
  device->SetColor(color | 0xFF000000);
  device->SetRenderState(rsZTestOn);
  device->SetRenderState(rsLightOn);
  device->FillBox(box.min, box.max);
}

// -------------------------------------------------------------------- Gizmo

Gizmo::Gizmo(const TCreateContext& context) : PositionObject(context) {
  SetKind(okSpace);
  SetZTest(true);
  IncludeStyle(csUnstoreable);
  SetHotTrack(true);
  for (const THandleSetup& setup : kHandles) {
    auto* handle = Create<GizmoBox>(TCreateContext(this));
    handle->SetTagString(setup.role);
    handle->SetTagInt(static_cast<std::int32_t>(setup.color));
    handle->SetWidth(setup.width);
    handle->SetHeight(setup.height);
    handle->SetDepth(setup.depth);
    handle->SetZTest(true);
    handle->SetKind(okSpace);
    handle->Position()->SetSpaceVector(setup.position);
  }
}

GizmoBox* Gizmo::Handle(const std::u16string& role) const { return dynamic_cast<GizmoBox*>(findOwnByTagString(role)); }

PositionObject* Gizmo::Selected() const { return DesignTarget(this); }

void Gizmo::SetObject(PositionObject* object) {
  if (!object || object == this) return;
  SetVisible(false);
  TakePlacement(this, object);
  SetVisible(true);
}

void Gizmo::RecalcAbsolute() {
  PositionObject::RecalcAbsolute();
  if (copying_ || !Visible()) return;
  PositionObject* selected = Selected();
  if (!selected) return;
  // The selected object may be an ancestor: its move comes back here.
  copying_ = true;
  TWeak<Gizmo> self(this);
  CopyPlacement(this, selected);
  if (self.Get()) copying_ = false;
}

bool Gizmo::PointInObject(float x, float y) {
  PositionObject* selected = Selected();
  return selected && selected->PointInObject(x, y);
}

bool Gizmo::RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) {
  PositionObject* selected = Selected();
  return selected && selected->RayCastIntersect(origin, direction);
}

float Gizmo::ScreenToReal(float distance) {
  TSpaceVector origin, direction, first, second;
  const TSpaceVector c = CameraDirection(this);
  const TSpaceVector normal{-c.x, -c.y, -c.z, 0};
  const TSpaceVector p = AsPoint(GetAbsolutePosition());
  if (!PickRay(this, 0, 0, origin, direction) || !PlaneHit(origin, direction, p, normal, first)) return 0.5f;
  if (!PickRay(this, distance, 0, origin, direction) || !PlaneHit(origin, direction, p, normal, second)) return 0.5f;
  return SpaceVectorLength(SpaceVectorSubtract(second, first));
}

void Gizmo::Paint() {
  PositionObject* selected = Selected();
  TDevice* device = selected ? DeviceOf(selected) : nullptr;
  if (!device) return;
  device->SetColor(0xFFFFFFFF);
  device->DrawBox(selected->GetBoundsBox(), 0.1f);
  device->SetRenderState(rsZTestOff);
  const float s100 = ScreenToReal(100);
  const float s80 = ScreenToReal(80);
  const float s10 = ScreenToReal(10);
  const TSpaceVector origin{0, 0, 0, 1};
  device->SetColor(0xFFFF0000);
  device->DrawLine2(origin, {s100, 0, 0, 1}, 1.0f);
  device->SetColor(0xFF00FF00);
  device->DrawLine2(origin, {0, s100, 0, 1}, 1.0f);
  device->SetColor(0xFF0000FF);
  device->DrawLine2(origin, {0, 0, s100, 1}, 1.0f);
  // The handles keep one size on screen whatever the distance.
  struct TPlace {
    const char16_t* role;
    float width, height, depth;
    TSpaceVector position;
  };
  const TPlace places[] = {
      {u"rotatex", s10 / 3, s10 / 2, s10 * 2.5f, {0, s80, 0, 1}},
      {u"rotatey", s10 * 2.5f, s10 / 3, s10 / 2, {0, 0, s80, 1}},
      {u"rotatez", s10 / 2, s10 * 2.5f, s10 / 3, {s80, 0, 0, 1}},
      {u"movex", s10, s10, s10, {s100, 0, 0, 1}},
      {u"movey", s10, s10, s10, {0, s100, 0, 1}},
      {u"movez", s10, s10, s10, {0, 0, s100, 1}},
  };
  for (const TPlace& place : places) {
    GizmoBox* handle = Handle(place.role);
    if (!handle) continue;
    handle->SetWidth(place.width);
    handle->SetHeight(place.height);
    handle->SetDepth(place.depth);
    handle->Position()->SetSpaceVector(place.position);
  }
}

void Gizmo::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<Gizmo> self(this);
  VisualObject::MouseDown(button, shift, x, y);
  if (!self.Get() || button != mbLeft) return;
  dragging_ = true;
  rotateAccumulator_ = ZAngle();
  capture();
}

void Gizmo::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<Gizmo> self(this);
  VisualObject::MouseUp(button, shift, x, y);
  if (!self.Get()) return;
  dragging_ = false;
  releaseCapture();
}

void Gizmo::MouseMove(TShiftState shift, float x, float y, float dx, float dy) {
  VisualObject::MouseMove(shift, x, y, dx, dy);
  if (!dragging_) return;
  TSpaceVector origin, direction;
  bool picked = false;
  PickPoint(this, origin, direction, picked);
  if (!picked) return;
  TWeak<Gizmo> self(this);
  const TSpaceVector p = GetAbsolutePosition();
  TSpaceVector hit;
  if (shift == TShiftState{ssLeft} && PlaneHit(origin, direction, AsPoint(p), {0, 0, 1, 0}, hit))
    SetAbsolutePosition({GizmoBox::SnapMove(hit.x), GizmoBox::SnapMove(hit.y), GizmoBox::SnapMove(p.z), 1});
  if (!self.Get()) return;
  if (shift.Contains(ssShift) && PlaneHit(origin, direction, AsPoint(p), {0, -1, 0, 0}, hit))
    SetAbsolutePosition({GizmoBox::SnapMove(p.x), GizmoBox::SnapMove(p.y), GizmoBox::SnapMove(hit.z), 1});
  if (!self.Get()) return;
  if (shift.Contains(ssCtrl)) {
    rotateAccumulator_ += dx;
    SetZAngle(GizmoBox::SnapAngle(rotateAccumulator_));
  }
}

}  // namespace corvane
