// GuiObject: the base of every widget, a positioned screen object with a
// size, an alignment inside its parent (its placement in the layout of
// engine/core/gui_layout.h) and hit testing in its own rectangle. Text, fonts
// and painting come with the widgets themselves.
#pragma once

#include "engine/core/gui_layout.h"
#include "engine/core/position_object.h"

namespace corvane {

class GuiObject : public PositionObject, public TGuiPlacement {
  CORVANE_CLASS(GuiObject, PositionObject)
  static void Describe(TClassBuilder<GuiObject>& c);
  explicit GuiObject(const TCreateContext& context);

  float Width() const override { return width_; }
  float Height() const override { return height_; }
  float RememberedWidth() const { return rememberedWidth_; }
  float RememberedHeight() const { return rememberedHeight_; }
  TGuiAlign Align() const override { return align_; }
  // Stores the alignment and lays out a widget parent again.
  void SetGuiAlign(TGuiAlign align);
  // A changed size remembers the old one, lays the children out and
  // repaints.
  void SetWidth(float value) override;
  void SetHeight(float value) override;
  // Position := (left, top, 0), then the size of the rectangle.
  void SetBoundsRect(const TRect& r) override;
  TRect GetBoundsRectInt() const;
  TRect GetClientRect() const { return {0, 0, width_, height_}; }
  // Lays the children out in the widget's own frame (0, 0, width, height).
  virtual void Realign();

  TGuiPlacement* AsGuiPlacement() override { return this; }
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
