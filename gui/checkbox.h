// Checkbox: the standard check box drawn with the skin's "check" or
// "uncheck" picture as its box.
#pragma once

#include "gui/std_check_box.h"

namespace corvane {

class TSkinPixmapPersistent;

class Checkbox : public TStdCheckBox {
  CORVANE_CLASS(Checkbox, TStdCheckBox)
  static void Describe(TClassBuilder<Checkbox>& c);
  explicit Checkbox(const TCreateContext& context);
  ~Checkbox() override;

  TSkinPixmapPersistent* PixmapChecked() const { return checked_.get(); }
  void SetPixmapChecked(TSkinPixmapPersistent* value);
  TSkinPixmapPersistent* PixmapUnchecked() const { return unchecked_.get(); }
  void SetPixmapUnchecked(TSkinPixmapPersistent* value);

  void Paint() override;

 private:
  TOwned<TSkinPixmapPersistent> checked_;
  TOwned<TSkinPixmapPersistent> unchecked_;
};

}  // namespace corvane
