#include "gui/std_check_box.h"

#include "base/geometry/rect_math.h"
#include "base/reflection/class_builder.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStdCheckBox)

void TStdCheckBox::Describe(TClassBuilder<TStdCheckBox>& c) {
  c.Property("checked", &TStdCheckBox::Checked, &TStdCheckBox::SetChecked).Default(false);
  c.Property("checkSize", &TStdCheckBox::CheckSize, &TStdCheckBox::SetCheckSize).Default(0);
  c.Property("font", &TStdCheckBox::Font);
  c.Property("text", &TStdCheckBox::Text, &TStdCheckBox::SetText);
  c.Property("onClick", &TStdCheckBox::onClick_);
}

TStdCheckBox::TStdCheckBox(const TCreateContext& context) : GuiObject(context) {}

void TStdCheckBox::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  repaint();
}

void TStdCheckBox::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdCheckBox> self(this);
  GuiObject::MouseDown(button, shift, x, y);
  if (self.Get() && button == mbLeft) capture();
}

void TStdCheckBox::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdCheckBox> self(this);
  GuiObject::MouseUp(button, shift, x, y);
  if (self.Get() && button == mbLeft && Hot()) {
    SetChecked(!checked_);
    CallScript(onClick_);
    if (self.Get() && OnClick) OnClick(this);
  }
  if (self.Get()) releaseCapture();
}

void TStdCheckBox::Paint() {
  TDevice* device = Device();
  if (!device) return;
  DrawText(Text(), {16, 0, Width(), Height()}, {tfVCenter}, Font()->Color());
  const auto side = static_cast<float>(checkSize_);
  TRect box{0, 0, side, side};
  RectCenter(box, {0, 0, Height(), Height()});
  device->SetColor(0xFFFFFFFF);
  device->DrawRect(box, 1, 0);
  if (!checked_) return;
  InflateRect(box, -3, -3);
  device->FillRect(box, 0);
}

}  // namespace corvane
