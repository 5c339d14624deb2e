// Preview: one object file shown spinning in the widget's rectangle. The
// object is loaded as a hidden 2D child of the preview and drawn by it at
// its centre with objectScale; a script may dispose the object, after which
// nothing is drawn.
#pragma once

#include <string>

#include "gui/gui_object.h"

namespace corvane {

class Preview : public GuiObject {
  CORVANE_CLASS(Preview, GuiObject)
  static void Describe(TClassBuilder<Preview>& c);
  explicit Preview(const TCreateContext& context);

  const std::u16string& ObjectFile() const { return objectFile_; }
  // A different name loads its object; one loaded before stays a hidden
  // child.
  void SetObjectFile(const std::u16string& name);
  float ObjectScale() const { return objectScale_; }
  void SetObjectScale(float value) { objectScale_ = value; }
  // The loaded object while it lives.
  BaseObject* LoadedObject() const { return object_.Get(); }

  void Paint() override;

 private:
  std::u16string objectFile_;
  TWeak<BaseObject> object_;
  float objectScale_ = 1;
};

}  // namespace corvane
