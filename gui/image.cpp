#include "gui/image.h"

#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Image)

void Image::Describe(TClassBuilder<Image>& c) { c.Property("pixmap", &Image::Pixmap, &Image::SetPixmap); }

Image::Image(const TCreateContext& context) : GuiObject(context), pixmap_(MakeSkinPixmap(this, nullptr)) {}

Image::~Image() = default;

void Image::SetPixmap(TSkinPixmapPersistent* value) { AssignSkinPixmap(pixmap_.get(), value); }

void Image::Paint() { pixmap_->Draw(GetClientRect(), 0xFFFFFFFF); }

}  // namespace corvane
