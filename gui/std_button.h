// TStdButton: the vector-drawn push button. A left release after a press on
// it (wherever the pointer is by then) runs onClick, the click event and,
// with a modal result, ends the applet's modal loop with it.
#pragma once

#include <string>

#include "base/reflection/notify_event.h"
#include "engine/core/container.h"
#include "gui/gui_object.h"

namespace corvane {

class TStdButton : public GuiObject {
  CORVANE_CLASS(TStdButton, GuiObject)
  static void Describe(TClassBuilder<TStdButton>& c);
  explicit TStdButton(const TCreateContext& context);

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  TTextAlign TextAlign() const { return textAlign_; }
  void SetTextAlign(TTextAlign value) { textAlign_ = value; }
  const std::u16string& OnClickScript() const { return onClick_; }
  // For program code: run after onClick, the button as sender.
  TNotifyEvent OnClick;

  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
  void Paint() override;

 private:
  TModalResult modalResult_ = mrNone;
  std::u16string onClick_;
  TTextAlign textAlign_ = taCenter;
};

}  // namespace corvane
