// CloseButton: a skinned button that, after its own click behaviour,
// closes the form it sits in.
#pragma once

#include "gui/button.h"

namespace corvane {

class CloseButton : public Button {
  CORVANE_CLASS(CloseButton, Button)
  explicit CloseButton(const TCreateContext& context);

  // Closes a parent Form; nothing for any other parent.
  void DoClickEvent(TObject* sender);
};

}  // namespace corvane
