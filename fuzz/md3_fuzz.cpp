// Fuzzes the MD3 reader: any bytes are loaded as a model and, when they
// are accepted, built into the merged model the filter hands the device.
// Whatever the bytes, this ends without a crash and with memory bounded by
// a few times their size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "base/streams/memory_stream.h"
#include "platform/filters/md3_file.h"
#include "platform/filters/mesh_md3_filter.h"
#include "platform/filters/model_mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  TMemoryStream stream(std::span<const std::uint8_t>(data, size));
  TFileMD3 file;
  std::string error;
  if (!file.LoadFromStream(stream, error)) return 0;
  TModelMesh model;
  if (!BuildMD3Model(file, model, error)) return 0;
  // Every index names a vertex of the merged frame.
  for (const std::uint16_t index : model.Indices)
    if (index >= model.VertexCount) std::abort();
  return 0;
}
