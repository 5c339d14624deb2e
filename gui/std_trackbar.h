// TStdTrackbar: a horizontal track with a thumb dragged between min and
// max. onChange runs on every move of a drag, onEndDrag when it ends.
#pragma once

#include <string>

#include "gui/gui_object.h"

namespace corvane {

class TStdTrackbar : public GuiObject {
  CORVANE_CLASS(TStdTrackbar, GuiObject)
  static void Describe(TClassBuilder<TStdTrackbar>& c);
  explicit TStdTrackbar(const TCreateContext& context);

  float Value() const { return value_; }
  bool Dragging() const { return dragging_; }
  // The band the thumb runs along, and the thumb at the current value.
  TRect GetTrackRect() const;
  TRect GetThumbRect() const;

  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseMove(TShiftState shift, float x, float y, float dx, float dy) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
  void Paint() override;

 private:
  std::u16string onChange_;
  float min_ = 0;
  float max_ = 100;
  float value_ = 0;
  float trackSize_ = 8;
  float thumbHeight_ = 16;
  float thumbWidth_ = 10;
  bool dragging_ = false;
  float buttonSize_ = 10;
  std::u16string onEndDrag_;
};

}  // namespace corvane
