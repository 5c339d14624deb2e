#include "gui/image_form.h"

#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(ImageForm)

void ImageForm::Describe(TClassBuilder<ImageForm>& c) {
  c.Property("pixmap", &ImageForm::Pixmap, &ImageForm::SetImage);
}

ImageForm::ImageForm(const TCreateContext& context) : Form(context), pixmap_(MakeSkinPixmap(this, "form")) {}

ImageForm::~ImageForm() = default;

void ImageForm::SetImage(TSkinPixmapPersistent* value) { AssignSkinPixmap(pixmap_.get(), value); }

void ImageForm::SetSkinElement(const std::string& name) { pixmap_->SetObjectName(name); }

void ImageForm::Paint() {
  pixmap_->Draw(GetClientRect(), 0xFFFFFFFF);
  PaintCaption();
}

}  // namespace corvane
