#include "gui/inspector_form.h"

#include "base/reflection/class_builder.h"
#include "gui/close_button.h"
#include "gui/inspector.h"
#include "gui/std_dropdown.h"
#include "scene/skin_pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(InspectorForm)

void InspectorForm::Describe(TClassBuilder<InspectorForm>& c) {
  c.Property("root", &InspectorForm::Root, &InspectorForm::SetRoot);
}

InspectorForm::InspectorForm(const TCreateContext& context) : ImageForm(context) {
  SetHotTrack(true);
  SetText(u"Inspector");
  inspector_ = Create<Inspector>(TCreateContext(this));
  auto* close = Create<CloseButton>(TCreateContext(this));
  closeButton_ = close;
  close->SetWidth(12);
  close->SetHeight(12);
  close->SetX(Width() - 16);
  close->SetY(4);
  close->SetGuiAlign(gaTopRight);
  close->Pixmap()->SetObjectName("closebtn");
}

BaseObject* InspectorForm::Root() const {
  Inspector* inspector = inspector_.Get();
  return inspector ? inspector->Root() : nullptr;
}

void InspectorForm::SetRoot(BaseObject* value) {
  if (Inspector* inspector = inspector_.Get()) inspector->SetRoot(value);
}

void InspectorForm::RecalcAbsolute() {
  ImageForm::RecalcAbsolute();
  PlaceInspector();
}

void InspectorForm::Realign() {
  ImageForm::Realign();
  PlaceInspector();
}

void InspectorForm::PlaceInspector() {
  Inspector* inspector = inspector_.Get();
  if (!inspector) return;
  inspector->Position()->SetValues(5, 25, inspector->Z());
  inspector->SetWidth(Width() - 10);
  inspector->SetHeight(Height() - 30);
}

}  // namespace corvane
