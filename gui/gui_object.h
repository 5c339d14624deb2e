// GuiObject: the base of every widget, a positioned screen object with a
// size, an alignment inside its parent and hit testing in its own
// rectangle; and RealignGui, the layout routine the applet, grouping
// objects and widgets share. Text, fonts and painting come with the
// widgets themselves.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/position_object.h"

namespace corvane {

CORVANE_ENUM(TGuiAlign, gaTop, gaLeft, gaRight, gaBottom, gaMostLeft, gaMostRight, gaCenter, gaVertCenter,
             gaHorzCenter, gaClient, gaContents, gaTopLeft, gaTopRight, gaBottomLeft, gaBottomRight);

// Child i of the object being laid out.
using TChildrenFunc = std::function<BaseObject*(std::int32_t index)>;

// Lays out the visible GuiObject children 0 .. count-1 inside the rectangle
// by their alignment, from the remembered size to the current one (corner
// anchored children move by the change of right and bottom), and updates the
// two remembered extents.
void RealignGui(float left, float top, float right, float bottom, float& rememberedWidth, float& rememberedHeight,
                std::int32_t count, const TChildrenFunc& children);

class GuiObject : public PositionObject {
  CORVANE_CLASS(GuiObject, PositionObject)
  static void Describe(TClassBuilder<GuiObject>& c);
  explicit GuiObject(const TCreateContext& context);

  float Width() const { return width_; }
  float Height() const { return height_; }
  float RememberedWidth() const { return rememberedWidth_; }
  float RememberedHeight() const { return rememberedHeight_; }
  TGuiAlign Align() const { return align_; }
  // Stores the alignment and lays out a widget parent again.
  void SetGuiAlign(TGuiAlign align);
  // A changed size remembers the old one, lays the children out and
  // repaints.
  virtual void SetWidth(float value);
  virtual void SetHeight(float value);
  // Position := (left, top, 0), then the size of the rectangle.
  void SetBoundsRect(const TRect& r);
  TRect GetBoundsRectInt() const;
  TRect GetClientRect() const { return {0, 0, width_, height_}; }
  // Lays the children out in the widget's own frame (0, 0, width, height).
  virtual void Realign();

  void AddChild(BaseObject* child) override;
  void RecalcAbsolute() override;
  // Strictly inside (0, 0, width, height) in local units, while visible.
  bool PointInObject(float x, float y) override;
  TRect GetUpdateRect() override;
  float GetBoundsRadius() override;

 private:
  float width_ = 70;
  float height_ = 30;
  float rememberedWidth_ = 70;
  float rememberedHeight_ = 30;
  TGuiAlign align_ = gaTopLeft;
};

}  // namespace corvane
