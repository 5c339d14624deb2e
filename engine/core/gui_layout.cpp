#include "engine/core/gui_layout.h"

#include "base/geometry/coord.h"
#include "engine/core/position_object.h"

namespace corvane {

namespace {

// A widget child: the positioned object and its placement.
struct TWidget {
  PositionObject* object;
  TGuiPlacement* place;
  TGuiAlign Align() const { return place->Align(); }
  float Width() const { return place->Width(); }
  float Height() const { return place->Height(); }
  float X() const { return object->X(); }
  float Y() const { return object->Y(); }
  void SetBoundsRect(const TRect& r) const { place->SetBoundsRect(r); }
};

// Child i as a visible widget; object is null for anything else.
TWidget WidgetAt(std::int32_t i, const TChildrenFunc& children) {
  BaseObject* child = children(i);
  PositionObject* object = child ? child->AsPositionObject() : nullptr;
  TGuiPlacement* place = object ? object->AsGuiPlacement() : nullptr;
  if (!place || !object->Visible()) return {nullptr, nullptr};
  return {object, place};
}

void Shift(const TWidget& widget, float dx, float dy) {
  TSpaceCoord* p = widget.object->Position();
  p->SetValues(p->Coordinates().x + dx, p->Coordinates().y + dy, p->Coordinates().z);
}

}  // namespace

bool TakesPartInLayout(TGuiAlign align) {
  return align != gaTopLeft && align != gaTopRight && align != gaBottomLeft && align != gaBottomRight;
}

bool TakesPartInLayout(const BaseObject* child) {
  PositionObject* object = child ? const_cast<BaseObject*>(child)->AsPositionObject() : nullptr;
  TGuiPlacement* place = object ? object->AsGuiPlacement() : nullptr;
  return place && TakesPartInLayout(place->Align());
}

void RealignGui(float left, float top, float right, float bottom, float& rememberedWidth, float& rememberedHeight,
                std::int32_t count, const TChildrenFunc& children) {
  if (!children || count <= 0) {
    rememberedWidth = right;
    rememberedHeight = bottom;
    return;
  }
  // The widgets are reached through the function on every pass rather
  // than gathered: laying out must not allocate per frame.
  auto forward = [&](auto&& visit) {
    for (std::int32_t i = 0; i < count; ++i)
      if (const TWidget w = WidgetAt(i, children); w.object) visit(w);
  };
  auto backward = [&](auto&& visit) {
    for (std::int32_t i = count; i-- > 0;)
      if (const TWidget w = WidgetAt(i, children); w.object) visit(w);
  };
  // Corner anchors follow the change of the right and bottom edges.
  const float dx = right - rememberedWidth;
  const float dy = bottom - rememberedHeight;
  if (right != rememberedWidth)
    forward([&](const TWidget& w) {
      if (w.Align() == gaTopRight) Shift(w, dx, 0);
    });
  if (right != rememberedWidth || bottom != rememberedHeight)
    forward([&](const TWidget& w) {
      if (w.Align() == gaBottomRight) Shift(w, dx, dy);
    });
  if (bottom != rememberedHeight)
    forward([&](const TWidget& w) {
      if (w.Align() == gaBottomLeft) Shift(w, 0, dy);
    });
  rememberedWidth = right;
  rememberedHeight = bottom;

  TRect W{left, top, right, bottom};
  auto sides = [&W](const TWidget& w, TGuiAlign leftAlign, TGuiAlign rightAlign) {
    if (w.Align() == leftAlign) {
      const float width = w.Width();
      w.SetBoundsRect({W.left, W.top, W.left + width, W.bottom});
      W.left += width;
    } else if (w.Align() == rightAlign) {
      const float width = w.Width();
      w.SetBoundsRect({W.right - width, W.top, W.right, W.bottom});
      W.right -= width;
    }
  };
  forward([&](const TWidget& w) { sides(w, gaMostLeft, gaMostRight); });
  forward([&](const TWidget& w) {
    if (w.Align() == gaTop) {
      const float height = w.Height();
      w.SetBoundsRect({W.left, W.top, W.right, W.top + height});
      W.top += height;
    } else if (w.Align() == gaBottom) {
      const float height = w.Height();
      w.SetBoundsRect({W.left, W.bottom - height, W.right, W.bottom});
      W.bottom -= height;
    }
  });
  forward([&](const TWidget& w) { sides(w, gaLeft, gaRight); });
  backward([&](const TWidget& w) {
    if (w.Align() != gaCenter) return;
    const float l = W.left + ((W.right - W.left) - w.Width()) / 2;
    const float t = W.top + ((W.bottom - W.top) - w.Height()) / 2;
    w.SetBoundsRect({l, t, l + w.Width(), t + w.Height()});
  });
  backward([&](const TWidget& w) {
    if (w.Align() != gaVertCenter) return;
    const float t = W.top + ((W.bottom - W.top) - w.Height()) / 2;
    w.SetBoundsRect({w.X(), t, w.X() + w.Width(), t + w.Height()});
  });
  backward([&](const TWidget& w) {
    if (w.Align() != gaHorzCenter) return;
    const float l = W.left + ((W.right - W.left) - w.Width()) / 2;
    w.SetBoundsRect({l, w.Y(), l + w.Width(), w.Y() + w.Height()});
  });
  forward([&](const TWidget& w) {
    if (w.Align() == gaClient) w.SetBoundsRect(W);
  });
  forward([&](const TWidget& w) {
    if (w.Align() == gaContents) w.SetBoundsRect({left, top, right, bottom});
  });
}

}  // namespace corvane
