// TStdCheckBox: a square that a left click toggles, with its text beside
// it. The release counts only while the pointer is still over the box.
#pragma once

#include <cstdint>
#include <string>

#include "base/reflection/notify_event.h"
#include "gui/gui_object.h"

namespace corvane {

class TStdCheckBox : public GuiObject {
  CORVANE_CLASS(TStdCheckBox, GuiObject)
  static void Describe(TClassBuilder<TStdCheckBox>& c);
  explicit TStdCheckBox(const TCreateContext& context);

  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  std::int32_t CheckSize() const { return checkSize_; }
  void SetCheckSize(std::int32_t value) { checkSize_ = value; }
  // For program code: run after onClick, the box as sender.
  TNotifyEvent OnClick;

  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
  void Paint() override;

 private:
  bool checked_ = false;
  std::u16string onClick_;
  std::int32_t checkSize_ = 12;
};

}  // namespace corvane
