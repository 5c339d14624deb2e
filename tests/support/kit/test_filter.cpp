#include "tests/support/kit/test_filter.h"

#include "base/reflection/class_builder.h"
#include "engine/shell/applet.h"
#include "platform/device.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TTestFilter)

TPixmap* TTestFilter::LoadPixmap(TResourceMan*, const std::u16string& fileName) {
  ++pixmapLoads;
  const auto it = pixmapFiles.find(fileName);
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  if (it == pixmapFiles.end() || !device) return nullptr;
  return device->CreatePixmap(it->second.first, it->second.second);
}

TMesh* TTestFilter::LoadMesh(TResourceMan*, const std::u16string& fileName) {
  ++meshLoads;
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  if (!meshFiles.count(fileName) || !device) return nullptr;
  return device->CreateMesh(vfVertex, 3, true, 3, false, false, 0);
}

}  // namespace corvane::test
