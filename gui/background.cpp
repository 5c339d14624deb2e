#include "gui/background.h"

#include <algorithm>
#include <cstring>

#include "base/geometry/scalar_math.h"
#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"
#include "platform/filters/filter.h"
#include "platform/media_budget.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Background)

void Background::Describe(TClassBuilder<Background>& c) {
  c.Property("fileName", &Background::FileName, &Background::SetFileName);
}

void Background::BeforeDestruction() {
  ReleaseTextures();
  GuiObject::BeforeDestruction();
}

void Background::ReleaseTextures() {
  TDevice* device = Device();
  for (TPixmap*& texture : textures_)
    if (device && texture) device->DestroyPixmap(texture);
  textures_.clear();
  tiles_.clear();
}

void Background::SetFileName(const std::string& name) {
  if (name == fileName_) return;
  TAppletServices* applet = GetApplet();
  TFilter* filter = applet ? applet->Filter() : nullptr;
  std::int32_t w = 0;
  std::int32_t h = 0;
  std::vector<std::uint32_t> pixels;
  if (!filter || !filter->LoadRGBAFile(applet->ResMan(), name, w, h, pixels) || w <= 0 || h <= 0 ||
      pixels.size() < static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {
    fileName_.clear();
    return;
  }
  // The decoded pixels count against the picture budget until they are in
  // the tiles' textures.
  const TPictureHold hold(static_cast<std::int64_t>(pixels.size()) * 4);
  // The previous picture's textures and tiles would otherwise stay: leaked,
  // or drawn under the new name.
  ReleaseTextures();
  pictureWidth_ = w;
  pictureHeight_ = h;
  if (IsPowerOf2(w) && IsPowerOf2(h)) {
    AddTile(w, h, pixels, 0, {0, 0, static_cast<float>(w), static_cast<float>(h)},
            {0, 0, static_cast<float>(w), static_cast<float>(h)});
  } else if (w == 800 && h == 600) {
    // Rows 0-499 from the first texture, 500-599 from rows 28-127 of the
    // second, which holds the last 128 rows.
    AddTile(1024, 512, pixels, 0, {0, 0, 800, 500}, {0, 0, 800, 500});
    AddTile(1024, 128, pixels, 472, {0, 28, 800, 128}, {0, 500, 800, 600});
  }
  fileName_ = name;
}

void Background::AddTile(std::int32_t width, std::int32_t height, const std::vector<std::uint32_t>& pixels,
                         std::int32_t firstRow, const TRect& source, const TRect& dest) {
  TDevice* device = Device();
  TPixmap* texture = device ? device->CreatePixmap(width, height) : nullptr;
  if (!texture || texture->Width <= 0 || texture->Height <= 0) {
    if (texture) device->DestroyPixmap(texture);
    return;
  }
  void* bits = nullptr;
  if (device->LockPixmapRectARGB(texture, 0, 0, width, height, bits, false) && bits) {
    const std::int32_t rows = std::min(height, pictureHeight_ - firstRow);
    const auto stride = static_cast<std::size_t>(texture->Pitch / 4);
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::int32_t row = 0; row < rows; ++row)
      std::memcpy(out + static_cast<std::size_t>(row) * stride,
                  pixels.data() + static_cast<std::size_t>(firstRow + row) * static_cast<std::size_t>(pictureWidth_),
                  static_cast<std::size_t>(std::min(pictureWidth_, width)) * sizeof(std::uint32_t));
    device->UnlockPixmap(texture);
  }
  tiles_.push_back({source, dest, static_cast<std::int32_t>(textures_.size())});
  textures_.push_back(texture);
}

void Background::Paint() {
  TDevice* device = Device();
  if (!device) return;
  for (const TBackgroundRect& tile : tiles_) {
    TPixmap* texture = textures_[static_cast<std::size_t>(tile.Texture)];
    if (!texture || texture->Width <= 0 || texture->Height <= 0) continue;
    TRect dest = tile.Dest;
    const float sx = Width() / static_cast<float>(pictureWidth_);
    const float sy = Height() / static_cast<float>(pictureHeight_);
    dest.left *= sx;
    dest.right *= sx;
    dest.top *= sy;
    dest.bottom *= sy;
    const auto tw = static_cast<float>(texture->Width);
    const auto th = static_cast<float>(texture->Height);
    TPlaneMatrix matrix = IdentityPlaneMatrix;
    matrix[0][0] = (tile.Source.right - tile.Source.left) / tw;
    matrix[1][1] = (tile.Source.bottom - tile.Source.top) / th;
    matrix[2][0] = tile.Source.left / tw;
    matrix[2][1] = tile.Source.top / th;
    device->SetTextureMatrix(matrix);
    device->SetPixmap(0, texture);
    device->SetRenderState(rsTexLinear);
    device->DrawPixmap(texture, dest);
    device->SetTextureMatrix(IdentityPlaneMatrix);
  }
}

}  // namespace corvane
