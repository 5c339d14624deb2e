#include "platform/filters/png_image.h"

#include <png.h>

#include <cstdint>
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

struct TPngDecoder::TImage {
  TImage() {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
  }
  ~TImage() { png_image_free(&image); }
  png_image image;
};

TPngDecoder::TPngDecoder() = default;
TPngDecoder::~TPngDecoder() = default;

bool TPngDecoder::Open(std::span<const std::uint8_t> bytes, std::string& error) {
  image_.reset();
  if (IsPngSignature(bytes) && !ChunksInside(bytes)) {
    error = "a chunk runs past the end of the file";
    return false;
  }
  auto opened = std::make_unique<TImage>();
  png_image& image = opened->image;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    error = image.message;
    return false;
  }
  if (!SidesInRange(image.width, image.height)) {
    error = "picture too large";
    return false;
  }
  image.format = PNG_FORMAT_BGRA;
  image_ = std::move(opened);
  return true;
}

std::uint32_t TPngDecoder::Width() const { return image_ ? image_->image.width : 0; }
std::uint32_t TPngDecoder::Height() const { return image_ ? image_->image.height : 0; }

bool TPngDecoder::Decode(void* rows, std::ptrdiff_t pitch, std::string& error) {
  // libpng's stride counts components, which are bytes in this format.
  if (!image_ || pitch < std::ptrdiff_t{4} * image_->image.width || pitch > INT32_MAX) {
    error = "no picture to decode";
    return false;
  }
  png_image& image = image_->image;
  const bool done = png_image_finish_read(&image, nullptr, rows, static_cast<png_int_32>(pitch), nullptr) != 0;
  if (!done) error = image.message;
  image_.reset();  // libpng has freed its state either way
  return done;
}

bool TPngDecoder::Decode(std::int32_t& width, std::int32_t& height, std::vector<std::uint32_t>& pixels,
                         std::string& error) {
  const std::uint32_t w = Width(), h = Height();
  std::vector<std::uint32_t> decoded(static_cast<std::size_t>(w) * h);
  if (!Decode(decoded.data(), std::ptrdiff_t{4} * w, error)) return false;
  width = static_cast<std::int32_t>(w);
  height = static_cast<std::int32_t>(h);
  pixels = std::move(decoded);
  return true;
}

bool DecodePng(std::span<const std::uint8_t> bytes, std::int32_t& width, std::int32_t& height,
               std::vector<std::uint32_t>& pixels, std::string& error) {
  TPngDecoder decoder;
  return decoder.Open(bytes, error) && decoder.Decode(width, height, pixels, error);
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
