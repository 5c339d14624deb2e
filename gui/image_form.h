// ImageForm: a form drawn over the skin's "form" picture. The applet's
// message box is one.
#pragma once

#include <string>

#include "gui/applet_roles.h"
#include "gui/form.h"

namespace corvane {

class TSkinPixmapPersistent;

class ImageForm : public Form, public TSkinnedWidget {
  CORVANE_CLASS(ImageForm, Form)
  static void Describe(TClassBuilder<ImageForm>& c);
  explicit ImageForm(const TCreateContext& context);
  ~ImageForm() override;

  TSkinPixmapPersistent* Pixmap() const { return pixmap_.get(); }
  // Copies the given picture's values.
  void SetImage(TSkinPixmapPersistent* value);

  void SetSkinElement(const std::string& name) override;
  void SetCaption(const std::u16string& text) override { SetText(text); }

  void Paint() override;

 private:
  TOwned<TSkinPixmapPersistent> pixmap_;
};

}  // namespace corvane
