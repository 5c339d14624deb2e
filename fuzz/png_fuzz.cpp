// Fuzzes the PNG decoder of the picture filter: any bytes are either
// refused or give a picture within the side bound whose pixels encode and
// decode again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "platform/filters/png_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  std::int32_t width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::string error;
  if (!DecodePng(std::span<const std::uint8_t>(data, size), width, height, pixels, error)) return 0;
  if (width <= 0 || height <= 0 || static_cast<std::uint32_t>(width) > kMaxPngSide ||
      static_cast<std::uint32_t>(height) > kMaxPngSide ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    std::abort();
  std::vector<std::uint8_t> encoded;
  if (!EncodePng(width, height, pixels, encoded)) std::abort();
  std::int32_t w2 = 0, h2 = 0;
  std::vector<std::uint32_t> again;
  if (!DecodePng(encoded, w2, h2, again, error) || w2 != width || h2 != height || again != pixels) std::abort();
  return 0;
}
