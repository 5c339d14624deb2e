#include "tests/support/kit/test_filter.h"

#include <cstring>

#include "base/reflection/class_builder.h"
#include "engine/shell/applet.h"
#include "base/text/text_convert.h"
#include "platform/device.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TTestFilter)

TPixmap* TTestFilter::LoadPixmap(TResourceMan* resMan, const std::u16string& fileName) {
  ++pixmapLoads;
  pixmapRequests.push_back({resMan, fileName});
  const auto it = pixmapFiles.find(fileName);
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  if (it == pixmapFiles.end()) {
    TOwned<TPixmapFilter> filter = PictureFilterFor(fileName);
    return filter ? filter->LoadFromFile(resMan, Utf16ToUtf8(fileName)) : nullptr;
  }
  if (!device) return nullptr;
  TPixmap* pixmap = device->CreatePixmap(it->second.first, it->second.second);
  const auto texels = pixmapTexels.find(fileName);
  void* bits = nullptr;
  if (pixmap && texels != pixmapTexels.end() &&
      texels->second.size() == static_cast<std::size_t>(pixmap->Width) * static_cast<std::size_t>(pixmap->Height) &&
      device->LockPixmapRectARGB(pixmap, 0, 0, pixmap->Width, pixmap->Height, bits, false)) {
    for (std::int32_t y = 0; y < pixmap->Height; ++y)
      std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pixmap->Pitch,
                  texels->second.data() + static_cast<std::ptrdiff_t>(y) * pixmap->Width,
                  static_cast<std::size_t>(pixmap->Width) * 4);
    device->UnlockPixmap(pixmap);
  }
  return pixmap;
}

void TTestFilter::SavePixmap(TResourceMan* resMan, const std::u16string& fileName, TPixmap* pixmap) {
  pixmapSaves.push_back(fileName);
  if (TOwned<TPixmapFilter> filter = PictureFilterFor(fileName)) filter->SaveToFile(resMan, Utf16ToUtf8(fileName), pixmap);
}

TOwned<TPixmapFilter> TTestFilter::PictureFilterFor(const std::u16string& fileName) const {
  const std::string name = Utf16ToUtf8(fileName);
  if (!pictureFilter.Class || !pictureFilter.IsSupport(name) || !GetApplet()) return {};
  return TOwned<TPixmapFilter>(
      dynamic_cast<TPixmapFilter*>(pictureFilter.Class->CreateInstance(TCreateContext(GetApplet()->AppletObject()))));
}

TMesh* TTestFilter::LoadMesh(TResourceMan* resMan, const std::u16string& fileName) {
  ++meshLoads;
  meshRequests.push_back({resMan, fileName});
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  if (!device) return nullptr;
  if (const auto it = animatedMeshFiles.find(fileName); it != animatedMeshFiles.end())
    return device->CreateMesh(vfPixmapVertexNormal, 3, true, 3, false, true, it->second);
  if (!meshFiles.count(fileName)) return realMeshes ? TFilter::LoadMesh(resMan, fileName) : nullptr;
  return device->CreateMesh(vfVertex, 3, true, 3, false, false, 0);
}

}  // namespace corvane::test
