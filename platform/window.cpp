#include "platform/window.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
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

void BoundWindowSize(std::int32_t& width, std::int32_t& height, TWindowLimit limit) {
  const auto bound = [](std::int32_t side, std::int32_t most) {
    const std::int32_t least = std::max(side, std::int32_t{1});
    return most > 0 ? std::min(least, most) : least;
  };
  const std::int32_t w = bound(width, limit.Width);
  const std::int32_t h = bound(height, limit.Height);
  if (w < width || h < height)
    EngineError(u"Window size " + IntToStr(width) + u"x" + IntToStr(height) + u" refused: " + IntToStr(w) + u"x" +
                IntToStr(h) + u" used");
  width = w;
  height = h;
}

}  // namespace corvane
