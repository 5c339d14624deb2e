// The layout of GUI children, which the applet, grouping objects and
// widgets share: each widget child has an alignment inside its parent and a
// size of its own, and RealignGui places the visible ones inside a
// rectangle. Widgets (GuiObject and its kin) take part through
// TGuiPlacement, which their positioned object hands out; every other
// positioned object is left where it stands.
#pragma once

#include <cstdint>
#include <functional>

#include "base/geometry/geometry.h"
#include "base/reflection/type_info.h"

namespace corvane {

class BaseObject;

CORVANE_ENUM(TGuiAlign, gaTop, gaLeft, gaRight, gaBottom, gaMostLeft, gaMostRight, gaCenter, gaVertCenter,
             gaHorzCenter, gaClient, gaContents, gaTopLeft, gaTopRight, gaBottomLeft, gaBottomRight);

// A widget's placement among its parent's GUI children.
class TGuiPlacement {
 public:
  virtual TGuiAlign Align() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetWidth(float value) = 0;
  virtual void SetHeight(float value) = 0;
  // Position := (left, top, 0), then the size of the rectangle.
  virtual void SetBoundsRect(const TRect& r) = 0;

 protected:
  ~TGuiPlacement() = default;
};

// Whether a layout places a widget of this alignment or makes room for
// it. A corner-anchored one (gaTopLeft, the default, and the other
// corners) stays where it is put until its parent's size changes: adding
// one lays none of its siblings out again, so a script adding thousands
// of them costs each a step.
bool TakesPartInLayout(TGuiAlign align);
// The same for an object about to be added: false for anything that is no
// widget.
bool TakesPartInLayout(const BaseObject* child);

// Child i of the object being laid out.
using TChildrenFunc = std::function<BaseObject*(std::int32_t index)>;

// Lays out the visible widget children 0 .. count-1 inside the rectangle
// by their alignment, from the remembered size to the current one (corner
// anchored children move by the change of right and bottom), and updates the
// two remembered extents.
void RealignGui(float left, float top, float right, float bottom, float& rememberedWidth, float& rememberedHeight,
                std::int32_t count, const TChildrenFunc& children);

}  // namespace corvane
