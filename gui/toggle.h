// Toggle: the standard toggle drawn with the skin's "button" picture and
// its current item's text.
#pragma once

#include "gui/std_toggle.h"

namespace corvane {

class TSkinPixmapPersistent;

class Toggle : public TStdToggle {
  CORVANE_CLASS(Toggle, TStdToggle)
  static void Describe(TClassBuilder<Toggle>& c);
  explicit Toggle(const TCreateContext& context);
  ~Toggle() override;

  TSkinPixmapPersistent* Pixmap() const { return pixmap_.get(); }
  void SetPixmap(TSkinPixmapPersistent* value);

  void Paint() override;

 private:
  TOwned<TSkinPixmapPersistent> pixmap_;
};

}  // namespace corvane
