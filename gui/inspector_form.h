// InspectorForm: the skinned window that carries the applet's inspector
// ("Inspector" in its title) and a close button in its top right corner.
// The inspector fills the form below the title band.
#pragma once

#include "gui/image_form.h"

namespace corvane {

class BaseObject;
class CloseButton;
class Inspector;

class InspectorForm : public ImageForm {
  CORVANE_CLASS(InspectorForm, ImageForm)
  static void Describe(TClassBuilder<InspectorForm>& c);
  explicit InspectorForm(const TCreateContext& context);

  Inspector* GetInspector() const { return inspector_.Get(); }
  CloseButton* GetCloseButton() const { return closeButton_.Get(); }
  // The inspector's root; none once the inspector is gone.
  BaseObject* Root() const;
  void SetRoot(BaseObject* value);

  // The inspector at (5, 25), 10 narrower and 30 lower than the form;
  // placed again when the form moves and when it changes size.
  void RecalcAbsolute() override;
  void Realign() override;

 private:
  void PlaceInspector();
  // Children of the form, which frees them; a script may free them first.
  TWeak<CloseButton> closeButton_;
  TWeak<Inspector> inspector_;
};

}  // namespace corvane
