#include "platform/media.h"

#include <cmath>
#include <cstring>

#include "base/reflection/class_builder.h"
#include "platform/device.h"
#include "platform/sys_font.h"
#include "platform/window_host.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TCaret)
CORVANE_IMPLEMENT_CLASS(TFont)
CORVANE_IMPLEMENT_CLASS(TPixmap)
CORVANE_IMPLEMENT_CLASS(TMesh)

std::string FontStyleToStr(TFontStyles styles) {
  std::string text;
  if (styles.Contains(fsBold)) text += "bold";
  if (styles.Contains(fsItalic)) text += "italic";
  return text;
}

std::int32_t TruncFontSize(float size) {
  if (!std::isfinite(size) || size <= -2147483648.0f || size >= 2147483647.0f) return 0;
  return static_cast<std::int32_t>(size);
}

void TFont::BeforeDestruction() {
  FreeAndNil(Handle);
  TSomePersistent::BeforeDestruction();
}

void TPixmap::Clear(std::uint32_t color) {
  auto* host = dynamic_cast<TWindowHost*>(Owner());
  TDevice* device = host ? host->Device() : nullptr;
  if (!device) return;
  void* bits = nullptr;
  if (!device->LockPixmapRectARGB(this, 0, 0, Width, Height, bits, false)) return;
  const std::int32_t pitch = Pitch > 0 ? Pitch : Width * 4;
  for (std::int32_t y = 0; y < Height; ++y) {
    auto* row = static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch;
    for (std::int32_t x = 0; x < Width; ++x) std::memcpy(row + static_cast<std::ptrdiff_t>(x) * 4, &color, 4);
  }
  device->UnlockPixmap(this);
}

std::int64_t TMesh::VertexStoreSize() const {
  const std::int64_t frames = Animated && FrameCount > 1 ? FrameCount : 1;
  return static_cast<std::int64_t>(VertexBufferSize) * frames;
}

}  // namespace corvane
