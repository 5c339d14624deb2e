#include "platform/filters/png_image.h"

#include <png.h>

#include <cstring>

namespace corvane {

namespace {

// libpng's simplified API must be told the sides fit; it also caps the
// decoded size itself.
bool SidesInRange(std::uint64_t width, std::uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxPngSide && height <= kMaxPngSide;
}

// Every chunk lies inside the bytes: libpng allocates what a chunk's length
// claims before it reads it, so a damaged length would ask for gigabytes
// from a file of a hundred bytes.
// (A file cut short between chunks is left to libpng, which reads what is
// whole.)
bool ChunksInside(std::span<const std::uint8_t> bytes) {
  std::size_t at = 8;
  while (bytes.size() - at >= 12) {
    const std::uint64_t length = (std::uint64_t{bytes[at]} << 24) | (std::uint64_t{bytes[at + 1]} << 16) |
                                 (std::uint64_t{bytes[at + 2]} << 8) | bytes[at + 3];
    if (length > bytes.size() - at - 12) return false;
    if (std::memcmp(bytes.data() + at + 4, "IEND", 4) == 0) return true;
    at += 12 + static_cast<std::size_t>(length);
  }
  return true;
}

}  // namespace

bool IsPngSignature(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

bool PngSides(std::span<const std::uint8_t> bytes, std::uint32_t& width, std::uint32_t& height) {
  // The signature, then the header chunk: its length and type, then the
  // two sides, big-endian.
  if (!IsPngSignature(bytes) || bytes.size() < 24 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) return false;
  const auto word = [&](std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
  };
  width = word(16);
  height = word(20);
  return true;
}

bool DecodePng(std::span<const std::uint8_t> bytes, std::int32_t& width, std::int32_t& height,
               std::vector<std::uint32_t>& pixels, std::string& error) {
  if (IsPngSignature(bytes) && !ChunksInside(bytes)) {
    error = "a chunk runs past the end of the file";
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    error = image.message;
    return false;
  }
  if (!SidesInRange(image.width, image.height)) {
    error = "picture too large";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint32_t> decoded(static_cast<std::size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, decoded.data(), 0, nullptr)) {
    error = image.message;
    png_image_free(&image);
    return false;
  }
  width = static_cast<std::int32_t>(image.width);
  height = static_cast<std::int32_t>(image.height);
  pixels = std::move(decoded);
  return true;
}

bool EncodePng(std::int32_t width, std::int32_t height, std::span<const std::uint32_t> pixels,
               std::vector<std::uint8_t>& bytes) {
  if (width <= 0 || height <= 0 || !SidesInRange(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)) ||
      pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  // The first call measures, the second writes.
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) return false;
  std::vector<std::uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr)) return false;
  out.resize(size);
  bytes = std::move(out);
  return true;
}

}  // namespace corvane
