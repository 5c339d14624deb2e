// Feeds arbitrary bytes to the ".pixmap" filter: as a device pixmap (saved
// again when it loads) and as a raw picture. Whatever the bytes, no crash,
// no hang, no memory beyond the pixels the input holds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/filter_files_fuzz.h"
#include "platform/device.h"
#include "platform/filters/pixmap_binary_filter.h"
#include "tests/support/kit/recording_device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  fuzz::TFuzzWorld& world = fuzz::World();
  world.input->input = {data, size};
  world.filters.world.log.Clear();
  auto filter = world.filters.Make<TPixmapBinaryFilter>();
  if (TPixmap* pixmap = filter->LoadFromFile(world.input.get(), "fuzz.pixmap")) {
    filter->SaveToFile(world.input.get(), "copy.pixmap", pixmap);
    world.filters.device->DestroyPixmap(pixmap);
  }
  std::int32_t width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  if (filter->LoadRGBAFromFile(world.input.get(), "fuzz.pixmap", width, height, pixels))
    filter->SaveRGBAToFile(world.input.get(), "copy.pixmap", width, height, pixels);
  return 0;
}
