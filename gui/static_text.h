// StaticText: a text drawn in the widget's rectangle, aligned and
// optionally wrapped; no input of its own.
#pragma once

#include "gui/gui_object.h"

namespace corvane {

class StaticText : public GuiObject {
  CORVANE_CLASS(StaticText, GuiObject)
  static void Describe(TClassBuilder<StaticText>& c);
  using GuiObject::GuiObject;

  TTextAlign TextAlign() const { return textAlign_; }
  void SetTextAlign(TTextAlign value) { textAlign_ = value; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { wordWrap_ = value; }

  void Paint() override;

 private:
  TTextAlign textAlign_ = taLeft;
  bool wordWrap_ = false;
};

}  // namespace corvane
