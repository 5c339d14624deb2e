// Fuzzes the 3DS reader: any bytes are loaded as a chunk tree, then every
// mesh, light, camera, material and motion is extracted and the tree dumped
// at every level. Only the reader's own errors may come out.
#include <cstddef>
#include <cstdint>

#include "base/streams/memory_stream.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "tests/formats/3ds/exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  TMemoryStream stream(std::span<const std::uint8_t>(data, size));
  TFile3DS file;
  try {
    file.LoadFromStream(stream);
  } catch (const E3DSError&) {
    return 0;
  }
  test3ds::ExerciseFile3DS(file);
  return 0;
}
