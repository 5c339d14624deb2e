// Edit: the standard edit over the skin's "edit" picture, with wider
// margins; text, selection and caret as the standard edit paints them.
#pragma once

#include "gui/std_edit.h"

namespace corvane {

class TSkinPixmapPersistent;

class Edit : public TStdEdit {
  CORVANE_CLASS(Edit, TStdEdit)
  static void Describe(TClassBuilder<Edit>& c);
  explicit Edit(const TCreateContext& context);
  ~Edit() override;

  TSkinPixmapPersistent* Pixmap() const { return pixmap_.get(); }
  void SetPixmap(TSkinPixmapPersistent* value);

  void Paint() override;

 private:
  TOwned<TSkinPixmapPersistent> pixmap_;
};

}  // namespace corvane
