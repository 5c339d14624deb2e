#include "gui/std_button.h"

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStdButton)

void TStdButton::Describe(TClassBuilder<TStdButton>& c) {
  c.Property("modalResult", &TStdButton::ModalResult, &TStdButton::SetModalResult).Default(mrNone);
  c.Property("font", &TStdButton::Font);
  c.Property("text", &TStdButton::Text, &TStdButton::SetText);
  c.Property("textAlign", &TStdButton::TextAlign, &TStdButton::SetTextAlign).Default(taLeft);
  c.Property("onClick", &TStdButton::onClick_);
}

TStdButton::TStdButton(const TCreateContext& context) : GuiObject(context) {}

void TStdButton::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdButton> self(this);
  GuiObject::MouseDown(button, shift, x, y);
  if (self.Get()) capture();
}

void TStdButton::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdButton> self(this);
  GuiObject::MouseUp(button, shift, x, y);
  if (self.Get() && button == mbLeft) {
    CallScript(onClick_);
    if (self.Get() && OnClick) OnClick(this);
    if (self.Get() && modalResult_ != mrNone)
      if (Container* applet = AppletObjectOf(this)) applet->cancelModal(modalResult_);
  }
  if (self.Get()) releaseCapture();
}

void TStdButton::Paint() {
  TDevice* device = Device();
  if (!device) return;
  const TRect r = GetClientRect();
  device->SetColor(Focused() || Hot() ? 0xFFC0C0C0 : 0xFF808080);
  device->FillRect(r, 0);
  device->SetColor(0xFF000000);
  device->DrawRect(r, 1, 0);
  // Black: white would not stand out from either grey.
  DrawText(Text(), r, {tfCenter, tfVCenter}, 0xFF000000);
}

}  // namespace corvane
