#include "gui/close_button.h"

#include "base/reflection/class_builder.h"
#include "gui/form.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(CloseButton)

CloseButton::CloseButton(const TCreateContext& context) : Button(context) {
  OnClick = [this](TObject* sender) { DoClickEvent(sender); };
}

void CloseButton::DoClickEvent(TObject*) {
  if (auto* form = dynamic_cast<Form*>(Parent())) form->Close();
}

}  // namespace corvane
