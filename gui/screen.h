// Screen: the widget filled with one colour, the applet's fade overlay.
// The colour's own alpha is not used: the object's alpha, which fades
// change, decides how opaque the fill is.
#pragma once

#include <cstdint>
#include <string>

#include "gui/applet_roles.h"
#include "gui/gui_object.h"

namespace corvane {

class Screen : public GuiObject, public TScreenFill {
  CORVANE_CLASS(Screen, GuiObject)
  static void Describe(TClassBuilder<Screen>& c);
  using GuiObject::GuiObject;

  // "#AARRGGBB".
  std::u16string GetColor() const;
  void SetColor(const std::u16string& value);
  void SetFillColor(const std::u16string& value) override { SetColor(value); }
  std::uint32_t ColorValue() const { return color_; }

  void Paint() override;

 private:
  std::uint32_t color_ = 0xFF000000;
};

}  // namespace corvane
