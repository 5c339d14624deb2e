#include "engine/core/visual_object.h"

#include <algorithm>
#include <utility>

#include "base/geometry/bounds.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/rect_math.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "engine/core/event.h"
#include "engine/core/gui_layout.h"
#include "engine/core/position_object.h"
#include "platform/device.h"
#include "platform/platform.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(VisualObject)

bool MirrorPaint = false;

void VisualObject::Describe(TClassBuilder<VisualObject>& c) {
  c.Property("hot", &VisualObject::hot_).Stored(false);
  c.Property("hotTrack", &VisualObject::hotTrack_).Stored(false);
  c.Property("designTrack", &VisualObject::designTrack_).Stored(false);
  c.Property("focused", &VisualObject::focused_).Stored(false);
  c.Property("material", &VisualObject::material_).Stored([](const VisualObject& o) {
    return o.material_ != u"default";
  });
  c.Property("alpha", &VisualObject::Alpha, &VisualObject::SetAlpha).Stored([](const VisualObject& o) {
    return o.alpha_ != 1.0f;
  });
  c.Property("hitTest", &VisualObject::hitTest_).Default(htNone);
  c.Property("transparent", &VisualObject::transparent_).Default(false);
  c.Property("visible", &VisualObject::Visible, &VisualObject::SetVisible).Default(true);
  c.Property("mirrored", &VisualObject::Mirrored, &VisualObject::SetMirrored).Default(false);
  c.Property("onMouseDown", &VisualObject::onMouseDown_);
  c.Property("onMouseEnter", &VisualObject::onMouseEnter_);
  c.Property("onMouseLeave", &VisualObject::onMouseLeave_);
  c.Property("onSetFocus", &VisualObject::onSetFocus_);
  c.Property("onKillFocus", &VisualObject::onKillFocus_);

  c.Method("show", &VisualObject::show);
  c.Method("hide", &VisualObject::hide);
  c.Method("fadeShow", &VisualObject::fadeShow);
  c.Method("fadeHide", &VisualObject::fadeHide);
  c.Method("fadeShowWait", &VisualObject::fadeShowWait);
  c.Method("fadeHideWait", &VisualObject::fadeHideWait);
  c.Method("scheduleShow", &VisualObject::scheduleShow);
  c.Method("scheduleHide", &VisualObject::scheduleHide);
  c.Method("focus", &VisualObject::focus);
  c.Method("capture", &VisualObject::capture);
  c.Method("releaseCapture", &VisualObject::releaseCapture);
  c.Method("isVisible", &VisualObject::isVisible);
  c.Method("repaint", &VisualObject::repaint);
}

VisualObject::VisualObject(const TCreateContext& context) : BaseObject(context), material_(u"default") {}

void VisualObject::AfterConstruction() {
  BaseObject::AfterConstruction();
  if (BaseObject* parent = Parent()) parent->AddChild(this);
}

void VisualObject::Loaded() {
  TWeak<VisualObject> self(this);
  BaseObject::Loaded();
  if (!self.Get()) return;
  if (deferredAlpha_ >= 0) {
    const float alpha = deferredAlpha_;
    deferredAlpha_ = -1.0f;
    SetAlpha(alpha);
  }
}

void VisualObject::AddChild(BaseObject* child) {
  BaseObject::AddChild(child);
  // One its constructor places is placed again once whole (AfterConstruction).
  if (!child || child->Parent() != this || child->PlacedByConstructor()) return;
  if (!RecalcAfterRead()) {
    // A widget anchored at a corner moves none of its siblings: only it is
    // placed, so that widgets added one at a time cost each a step.
    PositionObject* positioned = child->AsPositionObject();
    const bool cornerWidget = positioned && positioned->AsGuiPlacement() && !TakesPartInLayout(child);
    if (!cornerWidget && (layoutStale_ || TakesPartInLayout(child))) {
      RecalcAbsolute();
      layoutStale_ = false;
    } else if (VisualObject* visual = child->AsVisualObject()) {
      visual->RecalcAbsolute();
    }
  }
  if (VisualObject* visual = child->AsVisualObject(); visual && alpha_ < 1.0f) visual->alpha_ = alpha_;
}

void VisualObject::Remove(BaseObject* child) {
  BaseObject::Remove(child);
  layoutStale_ = true;
}

bool VisualObject::RecalcAfterRead() {
  if (!HasState(csReading) && childBatches_ == 0) return false;
  recalcAfterRead_ = true;
  return true;
}

VisualObject::TChildBatch::TChildBatch(VisualObject& object) : object_(&object) { ++object.childBatches_; }

VisualObject::TChildBatch::~TChildBatch() {
  VisualObject* object = object_.Get();
  if (!object || --object->childBatches_ > 0 || object->HasState(csReading)) return;
  if (std::exchange(object->recalcAfterRead_, false)) object->RecalcAbsolute();
}

void VisualObject::ReadState(TGReader& reader) {
  TWeak<VisualObject> self(this);
  BaseObject::ReadState(reader);
  if (!self.Get()) return;
  // A read nested in this one (a file included by a property) may have
  // done it already.
  if (std::exchange(recalcAfterRead_, false)) RecalcAbsolute();
}

void VisualObject::SetAlpha(float value) {
  if (value == alpha_) return;
  if (HasState(csLoading)) {
    deferredAlpha_ = value;
    return;
  }
  alpha_ = value;
  for (BaseObject* child : ChildList())
    if (VisualObject* visual = child->AsVisualObject()) visual->SetAlpha(value);
  repaint();
}

void VisualObject::SetMirrored(bool value) {
  if (value) style_.Include(vsCanMirrored);
  else style_.Exclude(vsCanMirrored);
}

// ------------------------------------------------------------------ drawing

namespace {

// Whether the object is drawn itself or culled (its children are walked in
// either case).
bool ShouldDraw(VisualObject* object, TAppletServices* applet) {
  if (!applet || !applet->BoundsCulling() || object->NeverCulled()) return true;
  if (object->IsGroupingObject()) return false;
  PositionObject* positioned = object->AsPositionObject();
  if (!positioned) return true;
  // A radius of 0 names no bounds (a plane, a grid): such an object is
  // never known to lie outside.
  const float radius = positioned->GetBoundsRadius();
  if (radius <= 0) return true;
  const TFrustum& frustum = positioned->Kind() == okScreen ? applet->ScreenFrustum() : applet->SpaceFrustum();
  const TSpaceMatrix& absolute = positioned->GetAbsoluteMatrix();
  // The radius is the object's own; its scale (its own and its parents')
  // makes it larger or smaller on the way.
  const float scale =
      std::max({SpaceVectorLength(absolute[0]), SpaceVectorLength(absolute[1]), SpaceVectorLength(absolute[2])});
  const TBSphere sphere{absolute[3], radius * scale};
  switch (FrustumContainsBSphere(frustum, sphere)) {
    case scContainsFully: return true;
    case scContainsPartially: {
      TAABB box = positioned->GetBoundsBox();
      AABBTransform(box, absolute);
      return FrustumContainsAABB(frustum, box) != scNoOverlap;
    }
    default: return false;
  }
}

void DepthStates(TDevice* device, bool zTest) {
  device->SetRenderState(zTest ? rsZTestOn : rsZTestOff);
  device->SetRenderState(zTest ? rsZWriteOn : rsZWriteOff);
}

}  // namespace

void VisualObject::PaintObject() {
  TWeak<VisualObject> self(this);
  TAppletServices* applet = GetApplet();
  const bool draw = ShouldDraw(this, applet);
  if (applet) applet->CountPainted(draw);
  TDevice* device = applet ? applet->Device() : nullptr;
  PositionObject* positioned = AsPositionObject();
  if (draw) {
    if (positioned && device) {
      device->SetRenderState(positioned->Kind() == okScreen ? rs2DScene : rs3DScene);
      SetMatrix();
      // Looked up by name on every draw: a cached material could outlive
      // its Materials, and a new `material` takes effect at once.
      applet->ApplyMaterial(material_, alpha_);
      DepthStates(device, positioned->ZTest());
    }
    Paint();
    if (!self.Get()) return;
    if (positioned && device && applet->DebugWireFrame() && !positioned->AsGuiPlacement()) {
      device->SetRenderState(rsLightOff);
      DepthStates(device, positioned->ZTest());
      device->SetRenderState(rsFrame);
      device->SetRenderState(rsTexDisable);
      Paint();
      if (!self.Get()) return;
      device->SetRenderState(rsSolid);
      device->SetRenderState(rsTexReplace);
    }
    if (positioned && applet->DebugDynamics() && positioned->Body() != 0) positioned->PaintDynamics();
  }
  PaintChildren();
  if (self.Get() && DesignTime()) PaintDesign();
}

void VisualObject::PaintChildren() {
  TWeak<VisualObject> self(this);
  for (std::size_t i = 0; i < ChildList().size(); ++i) {
    VisualObject* visual = ChildList()[i]->AsVisualObject();
    if (!visual || !visual->visible_) continue;
    if (MirrorPaint && !visual->Mirrored()) continue;
    visual->PaintObject();
    if (!self.Get()) return;
  }
}

void VisualObject::PaintDesign() {
  TAppletServices* applet = GetApplet();
  TDevice* device = applet ? applet->Device() : nullptr;
  if (!device) return;
  SetMatrix();
  PositionObject* positioned = AsPositionObject();
  if (!hot_ || !positioned) return;
  device->SetRenderState(rsLightOff);
  device->SetRenderState(rsZTestOn);
  device->SetRenderState(rsZWriteOn);
  device->SetColor(0xFFFFEE77);
  device->DrawBox(positioned->GetBoundsBox(), 0.1f);
}

// --------------------------------------------------------------- placement

void VisualObject::RecalcAbsolute() {
  for (std::size_t i = 0; i < ChildList().size(); ++i)
    if (VisualObject* visual = ChildList()[i]->AsVisualObject()) visual->RecalcAbsolute();
}

void VisualObject::AddUpdateRect(const TRect& r) {
  if (IsRectEmpty(r)) return;
  if (BaseObject* parent = Parent())
    if (VisualObject* visual = parent->AsVisualObject()) visual->AddUpdateRect(r);
}

TRect VisualObject::GetUpdateRect() {
  TRect result{};
  for (BaseObject* child : ChildList())
    if (VisualObject* visual = child->AsVisualObject(); visual && visual->visible_)
      result = UnionRect(result, visual->GetUpdateRect());
  return result;
}

void VisualObject::repaint() { AddUpdateRect(GetUpdateRect()); }

// ---------------------------------------------------------------- hit tests

THitTest VisualObject::GetHitTest(float x, float y) {
  TAppletServices* applet = GetApplet();
  if (applet && applet->GetEvent() && applet->GetEvent()->MouseAsquired()) return htNone;
  if (VisualObject* found = ObjectByPoint(x, y)) return found->hitTest_;
  return hitTest_;
}

VisualObject* VisualObject::ObjectByPoint(float x, float y) {
  if (!visible_) return nullptr;
  VisualObject* result = nullptr;
  PositionObject* positioned = AsPositionObject();
  bool hit;
  if (!positioned || positioned->Kind() == okScreen) {
    hit = PointInObject(x, y);
  } else {
    TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
    TSpaceVector origin, direction;
    hit = false;
    if (device) {
      device->Pick(x, y, origin, direction);
      hit = RayCastIntersect(origin, direction);
    }
  }
  if (hit && TracksHover()) result = this;
  const auto& children = ChildList();
  for (std::size_t i = children.size(); i-- > 0;) {
    VisualObject* visual = children[i]->AsVisualObject();
    if (!visual || !visual->visible_ || !visual->style_.Contains(vsMouseAware)) continue;
    VisualObject* found = visual->ObjectByPoint(x, y);
    if (!found) continue;
    // A transparent find passes the point on to what lies below, and the
    // object's own hit no longer counts.
    if (!found->transparent_) return found;
    result = nullptr;
  }
  return result;
}

// -------------------------------------------------------------------- input

void VisualObject::SetFocus() {
  TWeak<VisualObject> self(this);
  CallScript(onSetFocus_);
  if (self.Get()) repaint();
}

void VisualObject::KillFocus() {
  TWeak<VisualObject> self(this);
  CallScript(onKillFocus_);
  if (self.Get()) repaint();
}

void VisualObject::MouseEnter() {
  // The stock effects' names are made once: a hover that moves every frame
  // must not allocate them anew.
  static const std::u16string kEnterEffect = u"enter";
  static const std::u16string kEnterSound = u"enter_snd";
  TWeak<VisualObject> self(this);
  if (hotTrack_) {
    RunEffect(kEnterEffect);
    RunEffect(kEnterSound);
  }
  if (self.Get()) CallScript(onMouseEnter_);
}

void VisualObject::MouseLeave() {
  static const std::u16string kLeaveEffect = u"leave";
  static const std::u16string kLeaveSound = u"leave_snd";
  TWeak<VisualObject> self(this);
  CallScript(onMouseLeave_);
  if (self.Get() && hotTrack_) {
    RunEffect(kLeaveEffect);
    RunEffect(kLeaveSound);
  }
}

void VisualObject::MouseDown(TMouseButton, TShiftState, float x, float y) {
  TAppletServices* applet = GetApplet();
  if (Event* event = applet ? applet->GetEvent() : nullptr) {
    event->ParamDelta()->SetPoint({0, 0});
    event->ParamPoint()->SetPoint({x, y});
  }
  CallScript(onMouseDown_);
}

// --------------------------------------------------------------- visibility

void VisualObject::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  repaint();
}

void VisualObject::fadeShow() {
  show();
  RunEffect(u"show");
}

void VisualObject::fadeHide() { RunEffect(u"hide"); }

void VisualObject::fadeShowWait() {
  show();
  RunEffectWait(u"show");
}

void VisualObject::fadeHideWait() {
  TWeak<VisualObject> self(this);
  RunEffectWait(u"hide");
  // The nested frames of the wait may have freed the object.
  if (self.Get()) hide();
}

void VisualObject::scheduleShow(float delay) {
  if (Event* event = GetApplet() ? GetApplet()->GetEvent() : nullptr) event->ScheduleAction(this, seaShow, delay);
}

void VisualObject::scheduleHide(float delay) {
  if (Event* event = GetApplet() ? GetApplet()->GetEvent() : nullptr) event->ScheduleAction(this, seaHide, delay);
}

bool VisualObject::isVisible() const {
  for (const BaseObject* o = this; o; o = o->Parent()) {
    const auto* visual = const_cast<BaseObject*>(o)->AsVisualObject();
    if (!visual) return true;
    if (!visual->visible_) return false;
  }
  return true;
}

// ------------------------------------------------------- focus and capture

Container* VisualObject::GeContainer() {
  for (BaseObject* o = this; o; o = o->Parent())
    if (auto* container = dynamic_cast<Container*>(o)) return container;
  return nullptr;
}

void VisualObject::focus() {
  if (Container* container = GeContainer()) container->SetFocused(this);
}

void VisualObject::capture() {
  Container* container = GeContainer();
  if (!container) return;
  // Capturing again while holding the capture keeps what came before: an
  // object that remembered itself would keep the capture once released.
  if (container->CapturedObject() != this) previousCapture_ = container->CapturedObject();
  container->SetCaptured(this);
  TPlatform* platform = RunningEngine() ? RunningEngine()->Platform() : nullptr;
  if (platform && GetApplet()) platform->CaptureMouse(GetApplet()->Window());
}

void VisualObject::releaseCapture() {
  if (Container* container = GeContainer()) container->SetCaptured(previousCapture_.Get());
  previousCapture_.Reset();
  if (TPlatform* platform = RunningEngine() ? RunningEngine()->Platform() : nullptr) platform->ReleaseMouse();
}

}  // namespace corvane
