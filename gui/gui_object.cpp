#include "gui/gui_object.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/rect_math.h"
#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/core/dummy.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(GuiObject)

void GuiObject::Describe(TClassBuilder<GuiObject>& c) {
  c.Property("align", &GuiObject::Align, &GuiObject::SetGuiAlign).Default(gaTopLeft);
  c.Property("autoShow", &GuiObject::AutoShow, &GuiObject::SetAutoShow).Default(false);
  c.Property("width", &GuiObject::Width, &GuiObject::SetWidth);
  c.Property("height", &GuiObject::Height, &GuiObject::SetHeight);
}

GuiObject::GuiObject(const TCreateContext& context)
    : PositionObject(context), font_(Create<TFontPersistent>(TCreateContext(AppletObjectOf(this)))) {
  SetHotTrack(true);
  SetDesignTrack(true);
  SetMaterialName(u"gui");
  SetStyle({vsMouseAware, vsCanFocused});
}

GuiObject::~GuiObject() = default;

void GuiObject::SetGuiAlign(TGuiAlign align) {
  if (align == align_) return;
  align_ = align;
  TellParentLayoutChanged();
  if (auto* parent = dynamic_cast<GuiObject*>(Parent())) parent->Realign();
}

void GuiObject::SetAutoShow(bool value) {
  if (value == autoShow_) return;
  autoShow_ = value;
  if (value) SetVisible(Hot());
}

void GuiObject::SetWidth(float value) {
  if (value == width_) return;
  rememberedWidth_ = width_;
  width_ = value;
  TellParentLayoutChanged();
  Realign();
  repaint();
}

void GuiObject::SetHeight(float value) {
  if (value == height_) return;
  rememberedHeight_ = height_;
  height_ = value;
  TellParentLayoutChanged();
  Realign();
  repaint();
}

void GuiObject::SetBoundsRect(const TRect& r) {
  // The move recalculates the subtree, which would lay this widget out
  // again before the layout below: a widget placed by its parent's layout
  // would be laid out twice, its children four times, and so on down the
  // tree. The same place is not set again, and a move lays out only once.
  if (X() != r.left || Y() != r.top || Z() != 0) {
    const bool outer = !placing_;
    placing_ = true;
    Position()->SetValues(r.left, r.top, 0);
    if (outer) placing_ = false;
  }
  if (RectWidth(r) != width_) {
    rememberedWidth_ = width_;
    width_ = RectWidth(r);
  }
  if (RectHeight(r) != height_) {
    rememberedHeight_ = height_;
    height_ = RectHeight(r);
  }
  Realign();
  repaint();
}

TRect GuiObject::GetBoundsRectInt() const { return {X(), Y(), X() + width_, Y() + height_}; }

void GuiObject::SetClientRect(const TRect& r) { SetBoundsRect({X(), Y(), X() + RectWidth(r), Y() + RectHeight(r)}); }

void GuiObject::Realign() {
  RealignGui(0, 0, width_, height_, rememberedWidth_, rememberedHeight_, count(),
             [this](std::int32_t i) { return children(i); });
}

void GuiObject::SetText(const std::u16string& value) {
  if (value == text_) return;
  text_ = value;
  repaint();
}

void GuiObject::AddChild(BaseObject* child) {
  // A widget's parts place themselves by the whole widget; a widget
  // anchored at a corner moves none of them. One its constructor places
  // is placed again once whole.
  if (child && child->PlacedByConstructor()) {
    PositionObject::AddChild(child);
    return;
  }
  PositionObject* positioned = child ? child->AsPositionObject() : nullptr;
  const bool cornerWidget = positioned && positioned->AsGuiPlacement() && !TakesPartInLayout(child);
  if (!cornerWidget) LayoutChanged();
  PositionObject::AddChild(child);
  if (!cornerWidget && !RecalcAfterRead()) Realign();
}

void GuiObject::RecalcAbsolute() {
  TellParentLayoutChanged();
  PositionObject::RecalcAbsolute();
  if (!placing_) Realign();
  repaint();
}

bool GuiObject::PointInObject(float x, float y) {
  if (!Visible() && !autoShow_) return false;
  const TPoint p = AbsoluteToLocal({x, y});
  return 0 < p.x && p.x < width_ && 0 < p.y && p.y < height_;
}

bool GuiObject::RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) {
  const TSpaceVector p = VectorAbsoluteToLocal(origin);
  const TSpaceVector far = VectorAbsoluteToLocal(
      {origin.x + direction.x, origin.y + direction.y, origin.z + direction.z, origin.w});
  TSpaceVector d{far.x - p.x, far.y - p.y, far.z - p.z, 0};
  const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  if (!(length > 0)) return false;
  d.x /= length;
  d.y /= length;
  d.z /= length;
  // The ray must head towards the plane z = 0 from the side it starts on.
  if (p.z < 0 ? !(d.z > 0) : !(d.z < 0)) return false;
  const float t = p.z / d.z;
  const float hx = p.x - t * d.x;
  const float hy = p.y - t * d.y;
  return 0 < hx && hx <= width_ && 0 < hy && hy <= height_;
}

TRect GuiObject::GetUpdateRect() {
  TRect r = CornersUpdateRect(width_, height_);
  for (BaseObject* child : ChildList())
    if (VisualObject* visual = child->AsVisualObject(); visual && visual->Visible())
      r = UnionRect(r, visual->GetUpdateRect());
  return r;
}

float GuiObject::GetBoundsRadius() { return std::max(width_, height_) / 2; }

void GuiObject::PaintDesign() {
  TDevice* device = Device();
  if (!device || !Hot()) return;
  SetMatrix();
  device->SetRenderState(rs3DScene);
  device->SetRenderState(rsLightOff);
  device->SetRenderState(rsZTestOn);
  device->SetRenderState(rsZWriteOn);
  device->FillBox({0, 0, 0, 1}, {width_, height_, 0.1f, 1});
}

void GuiObject::SetVisible(bool value) {
  if (value == Visible()) return;
  TellParentLayoutChanged();
  PositionObject::SetVisible(value);
  if (value) RealignParent();
}

void GuiObject::TellParentLayoutChanged() {
  if (VisualObject* parent = Parent() ? Parent()->AsVisualObject() : nullptr) parent->LayoutChanged();
}

void GuiObject::RealignParent() {
  BaseObject* parent = Parent();
  if (!parent) return;
  if (auto* widget = dynamic_cast<GuiObject*>(parent)) {
    widget->Realign();
  } else if (auto* dummy = dynamic_cast<Dummy*>(parent)) {
    dummy->ReAlign();
  } else if (TAppletServices* applet = GetApplet();
             applet && parent == applet->AppletObject() && applet->HasWindow()) {
    // The applet lays its widgets out over its whole window.
    const TRect r = applet->GuiClientRect();
    RealignGui(r.left, r.top, r.right, r.bottom, applet->RememberedWidth(), applet->RememberedHeight(),
               parent->count(), [parent](std::int32_t i) { return parent->children(i); });
  }
}

void GuiObject::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<GuiObject> self(this);
  PositionObject::MouseDown(button, shift, x, y);
  if (self.Get()) focus();
}

void GuiObject::MouseEnter() {
  TWeak<GuiObject> self(this);
  PositionObject::MouseEnter();
  if (self.Get() && HotTrack() && autoShow_) fadeShow();
}

void GuiObject::MouseLeave() {
  TWeak<GuiObject> self(this);
  PositionObject::MouseLeave();
  if (self.Get() && HotTrack() && autoShow_) fadeHide();
}

TDevice* GuiObject::Device() const {
  TAppletServices* applet = GetApplet();
  return applet ? applet->Device() : nullptr;
}

TFont* GuiObject::EngineFont() const { return font_ ? font_->Font() : nullptr; }

void GuiObject::DrawText(const std::u16string& text, const TRect& r, TTextFormats formats, std::uint32_t color) const {
  TDevice* device = Device();
  if (!device || text.empty()) return;
  // Kept inside the rectangle: lines beyond its height would be drawn over
  // what lies below.
  device->DrawStringInside(EngineFont(), text, r, formats, color);
}

}  // namespace corvane
