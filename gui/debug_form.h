// DebugForm: the overlay listing the engine's debug board, one
// "name value" line per entry; it grows with the board and never takes the
// focus.
#pragma once

#include "gui/form.h"

namespace corvane {

class DebugForm : public Form {
  CORVANE_CLASS(DebugForm, Form)
  explicit DebugForm(const TCreateContext& context);

  void Paint() override;
  void SetFocus() override {}
};

}  // namespace corvane
