#include "gui/gui_object.h"

#include <algorithm>

#include "base/geometry/rect_math.h"
#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(GuiObject)

void GuiObject::Describe(TClassBuilder<GuiObject>& c) {
  c.Property("align", &GuiObject::Align, &GuiObject::SetGuiAlign).Default(gaTopLeft);
  c.Property("width", &GuiObject::Width, &GuiObject::SetWidth);
  c.Property("height", &GuiObject::Height, &GuiObject::SetHeight);
}

GuiObject::GuiObject(const TCreateContext& context) : PositionObject(context) {
  SetHotTrack(true);
  SetDesignTrack(true);
  SetMaterialName(u"gui");
  SetStyle({vsMouseAware, vsCanFocused});
}

void GuiObject::SetGuiAlign(TGuiAlign align) {
  if (align == align_) return;
  align_ = align;
  if (auto* parent = dynamic_cast<GuiObject*>(Parent())) parent->Realign();
}

void GuiObject::SetWidth(float value) {
  if (value == width_) return;
  rememberedWidth_ = width_;
  width_ = value;
  Realign();
  repaint();
}

void GuiObject::SetHeight(float value) {
  if (value == height_) return;
  rememberedHeight_ = height_;
  height_ = value;
  Realign();
  repaint();
}

void GuiObject::SetBoundsRect(const TRect& r) {
  Position()->SetValues(r.left, r.top, 0);
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

void GuiObject::Realign() {
  RealignGui(0, 0, width_, height_, rememberedWidth_, rememberedHeight_, count(),
             [this](std::int32_t i) { return children(i); });
}

void GuiObject::AddChild(BaseObject* child) {
  PositionObject::AddChild(child);
  if (!RecalcAfterRead()) Realign();
}

void GuiObject::RecalcAbsolute() {
  PositionObject::RecalcAbsolute();
  Realign();
  repaint();
}

bool GuiObject::PointInObject(float x, float y) {
  if (!Visible()) return false;
  const TPoint p = AbsoluteToLocal({x, y});
  return 0 < p.x && p.x < width_ && 0 < p.y && p.y < height_;
}

TRect GuiObject::GetUpdateRect() {
  TRect r = CornersUpdateRect(width_, height_);
  for (BaseObject* child : ChildList())
    if (VisualObject* visual = child->AsVisualObject(); visual && visual->Visible())
      r = UnionRect(r, visual->GetUpdateRect());
  return r;
}

float GuiObject::GetBoundsRadius() { return std::max(width_, height_) / 2; }

}  // namespace corvane
