#include "gui/gui_object.h"

#include <algorithm>
#include <vector>

#include "base/geometry/rect_math.h"
#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(GuiObject)

namespace {

// The visible widgets among the children, in index order.
std::vector<GuiObject*> Widgets(std::int32_t count, const TChildrenFunc& children) {
  std::vector<GuiObject*> widgets;
  for (std::int32_t i = 0; i < count; ++i)
    if (auto* widget = dynamic_cast<GuiObject*>(children(i)); widget && widget->Visible()) widgets.push_back(widget);
  return widgets;
}

void Shift(GuiObject* widget, float dx, float dy) {
  TSpaceCoord* p = widget->Position();
  p->SetValues(p->Coordinates().x + dx, p->Coordinates().y + dy, p->Coordinates().z);
}

}  // namespace

void RealignGui(float left, float top, float right, float bottom, float& rememberedWidth, float& rememberedHeight,
                std::int32_t count, const TChildrenFunc& children) {
  if (!children || count <= 0) {
    rememberedWidth = right;
    rememberedHeight = bottom;
    return;
  }
  const std::vector<GuiObject*> widgets = Widgets(count, children);
  // Corner anchors follow the change of the right and bottom edges.
  const float dx = right - rememberedWidth;
  const float dy = bottom - rememberedHeight;
  if (right != rememberedWidth)
    for (GuiObject* w : widgets)
      if (w->Align() == gaTopRight) Shift(w, dx, 0);
  if (right != rememberedWidth || bottom != rememberedHeight)
    for (GuiObject* w : widgets)
      if (w->Align() == gaBottomRight) Shift(w, dx, dy);
  if (bottom != rememberedHeight)
    for (GuiObject* w : widgets)
      if (w->Align() == gaBottomLeft) Shift(w, 0, dy);
  rememberedWidth = right;
  rememberedHeight = bottom;

  TRect W{left, top, right, bottom};
  auto sides = [&W](GuiObject* w, TGuiAlign leftAlign, TGuiAlign rightAlign) {
    if (w->Align() == leftAlign) {
      const float width = w->Width();
      w->SetBoundsRect({W.left, W.top, W.left + width, W.bottom});
      W.left += width;
    } else if (w->Align() == rightAlign) {
      const float width = w->Width();
      w->SetBoundsRect({W.right - width, W.top, W.right, W.bottom});
      W.right -= width;
    }
  };
  for (GuiObject* w : widgets) sides(w, gaMostLeft, gaMostRight);
  for (GuiObject* w : widgets) {
    if (w->Align() == gaTop) {
      const float height = w->Height();
      w->SetBoundsRect({W.left, W.top, W.right, W.top + height});
      W.top += height;
    } else if (w->Align() == gaBottom) {
      const float height = w->Height();
      w->SetBoundsRect({W.left, W.bottom - height, W.right, W.bottom});
      W.bottom -= height;
    }
  }
  for (GuiObject* w : widgets) sides(w, gaLeft, gaRight);
  for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) {
    GuiObject* w = *it;
    if (w->Align() != gaCenter) continue;
    const float l = W.left + ((W.right - W.left) - w->Width()) / 2;
    const float t = W.top + ((W.bottom - W.top) - w->Height()) / 2;
    w->SetBoundsRect({l, t, l + w->Width(), t + w->Height()});
  }
  for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) {
    GuiObject* w = *it;
    if (w->Align() != gaVertCenter) continue;
    const float t = W.top + ((W.bottom - W.top) - w->Height()) / 2;
    w->SetBoundsRect({w->X(), t, w->X() + w->Width(), t + w->Height()});
  }
  for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) {
    GuiObject* w = *it;
    if (w->Align() != gaHorzCenter) continue;
    const float l = W.left + ((W.right - W.left) - w->Width()) / 2;
    w->SetBoundsRect({l, w->Y(), l + w->Width(), w->Y() + w->Height()});
  }
  for (GuiObject* w : widgets)
    if (w->Align() == gaClient) w->SetBoundsRect(W);
  for (GuiObject* w : widgets)
    if (w->Align() == gaContents) w->SetBoundsRect({left, top, right, bottom});
}

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
