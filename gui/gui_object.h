// GuiObject: the base of every widget, a positioned screen object with a
// size, a text and a font, an alignment inside its parent (its placement in
// the layout of engine/core/gui_layout.h), hit testing in its own rectangle
// and auto-show (hidden until the mouse comes over it). Painting comes with
// the widgets themselves.
#pragma once

#include <string>

#include "base/reflection/object.h"
#include "engine/core/gui_layout.h"
#include "engine/core/position_object.h"
#include "gui/text_align.h"

namespace corvane {

class TDevice;
class TFontPersistent;

class GuiObject : public PositionObject, public TGuiPlacement {
  CORVANE_CLASS(GuiObject, PositionObject)
  static void Describe(TClassBuilder<GuiObject>& c);
  explicit GuiObject(const TCreateContext& context);
  ~GuiObject() override;

  float Width() const override { return width_; }
  float Height() const override { return height_; }
  float RememberedWidth() const { return rememberedWidth_; }
  float RememberedHeight() const { return rememberedHeight_; }
  TGuiAlign Align() const override { return align_; }
  // Stores the alignment and lays out a widget parent again.
  void SetGuiAlign(TGuiAlign align);
  bool AutoShow() const { return autoShow_; }
  // Turned on, hides the widget at once unless the mouse is over it.
  void SetAutoShow(bool value);
  // A changed size remembers the old one, lays the children out and
  // repaints.
  void SetWidth(float value) override;
  void SetHeight(float value) override;
  // Position := (left, top, 0), then the size of the rectangle.
  void SetBoundsRect(const TRect& r) override;
  TRect GetBoundsRectInt() const;
  // Keeps the place and takes the rectangle's size.
  void SetClientRect(const TRect& r);
  TRect GetClientRect() const { return {0, 0, width_, height_}; }
  // Lays the children out in the widget's own frame (0, 0, width, height).
  virtual void Realign();

  const std::u16string& Text() const { return text_; }
  // A different text is stored and repainted.
  virtual void SetText(const std::u16string& value);
  TFontPersistent* Font() const { return font_.get(); }

  TGuiPlacement* AsGuiPlacement() override { return this; }
  void AddChild(BaseObject* child) override;
  void RecalcAbsolute() override;
  // Strictly inside (0, 0, width, height) in local units, while visible or
  // auto-shown (a faded-out widget still feels the mouse to fade in).
  bool PointInObject(float x, float y) override;
  // The ray through the widget's plane z = 0 lands inside it.
  bool RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) override;
  TRect GetUpdateRect() override;
  float GetBoundsRadius() override;
  // The highlight of the widget under the mouse in design mode.
  void PaintDesign() override;
  // Becoming visible lays the parent out again (the widget takes its place).
  void SetVisible(bool value) override;
  // Every widget takes the keyboard focus when clicked.
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 protected:
  // The applet's rendering device; null outside an applet or without one.
  TDevice* Device() const;
  // The font's engine font, drawn or measured with; null without a device.
  TFont* EngineFont() const;
  // The text in the rectangle with the font, in the colour.
  void DrawText(const std::u16string& text, const TRect& r, TTextFormats formats, std::uint32_t color) const;

 private:
  // The parent's layout: a widget's own, a Dummy's or the applet's.
  void RealignParent();
  void TellParentLayoutChanged();

  float width_ = 70;
  float height_ = 30;
  float rememberedWidth_ = 70;
  float rememberedHeight_ = 30;
  std::u16string text_;
  bool autoShow_ = false;
  TGuiAlign align_ = gaTopLeft;
  TOwned<TFontPersistent> font_;
  // While SetBoundsRect moves the widget (it lays out once afterwards).
  bool placing_ = false;
};

}  // namespace corvane
