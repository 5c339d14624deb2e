// The roles widgets play for the applet that makes them by class name: the
// fade screen ("Screen"), the message box ("ImageForm") and its button
// ("Button"). Each is a GuiObject that implements the role's interface; the
// applet asks for both and logs a class that does not provide them.
#pragma once

#include <string>

#include "engine/core/container.h"

namespace corvane {

// A widget that fills its rectangle with one colour.
class TScreenFill {
 public:
  // "#AARRGGBB".
  virtual void SetFillColor(const std::u16string& color) = 0;

 protected:
  ~TScreenFill() = default;
};

// A widget drawn with an element of the applet's skin, with a caption.
class TSkinnedWidget {
 public:
  virtual void SetSkinElement(const std::string& name) = 0;
  virtual void SetCaption(const std::u16string& text) = 0;

 protected:
  ~TSkinnedWidget() = default;
};

// A form the user may or may not drag about.
class TMovableForm {
 public:
  virtual void SetMovable(bool value) = 0;

 protected:
  ~TMovableForm() = default;
};

// A button that ends the modal loop it stands in with its result.
class TModalButton {
 public:
  virtual void SetModalResult(TModalResult result) = 0;

 protected:
  ~TModalButton() = default;
};

}  // namespace corvane
