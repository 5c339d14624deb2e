// Button: the standard push button drawn with the skin's "button" picture
// and its text; the same picture in every state. The applet's message box
// makes one as its OK button.
#pragma once

#include <string>

#include "gui/applet_roles.h"
#include "gui/std_button.h"

namespace corvane {

class TSkinPixmapPersistent;

class Button : public TStdButton, public TSkinnedWidget, public TModalButton {
  CORVANE_CLASS(Button, TStdButton)
  static void Describe(TClassBuilder<Button>& c);
  explicit Button(const TCreateContext& context);
  ~Button() override;

  TSkinPixmapPersistent* Pixmap() const { return pixmap_.get(); }
  // Copies the given picture's values.
  void SetPixmap(TSkinPixmapPersistent* value);

  void SetSkinElement(const std::string& name) override;
  void SetCaption(const std::u16string& text) override { SetText(text); }
  void SetModalResult(TModalResult result) override { TStdButton::SetModalResult(result); }

  void Paint() override;

 private:
  TOwned<TSkinPixmapPersistent> pixmap_;
};

}  // namespace corvane
