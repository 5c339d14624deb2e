#include "platform/window.h"

#include "base/class_builder.h"
#include "platform/media.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TWindow)

TWindow::TWindow(const TCreateContext& context) : TSomePersistent(context) {}

void TWindow::BeforeDestruction() {
  FreeAndNil(Caret);
  TSomePersistent::BeforeDestruction();
}

void TWindow::SetClientSize(std::int32_t width, std::int32_t height) {
  Width = width;
  Height = height;
  ClientRect = Rect(0, 0, static_cast<float>(width), static_cast<float>(height));
}

}  // namespace corvane
