// Feeds arbitrary bytes to the ".mesh" filter: a mesh that loads is saved
// again and drawn whole. Whatever the bytes, no crash, no hang, no memory
// beyond the counts the input holds.
#include <cstddef>
#include <cstdint>

#include "fuzz/filter_files_fuzz.h"
#include "platform/device.h"
#include "platform/filters/mesh_binary_filter.h"
#include "tests/support/kit/recording_device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  fuzz::TFuzzWorld& world = fuzz::World();
  world.input->input = {data, size};
  world.filters.world.log.Clear();
  world.filters.device->Calls.clear();
  world.filters.device->Draws.clear();
  auto filter = world.filters.Make<TMeshBinaryFilter>();
  if (TMesh* mesh = filter->LoadFromFile(world.input.get(), "fuzz.mesh")) {
    filter->SaveToFile(world.input.get(), "copy.mesh", mesh);
    if (mesh->Animated)
      world.filters.device->DrawAnimatedMesh(mesh, 0.5f, 0.1f, 0, mesh->FrameCount - 1, true);
    else
      world.filters.device->DrawMesh(mesh);
    world.filters.device->DestroyMesh(mesh);
  }
  return 0;
}
