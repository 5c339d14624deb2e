// PNG pictures in memory, through libpng's simplified API (which keeps
// libpng's error handling inside the library). Pixels are 32-bit ARGB
// values, blue, green, red, alpha in memory: the order of the device's
// locked pixmaps and of ".pixmap" files; rows run from the top.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace corvane {

// The largest side a PNG picture may have: the pixels of the largest one
// take 256 MB.
inline constexpr std::uint32_t kMaxPngSide = 8192;

// Whether the bytes begin with the PNG signature.
bool IsPngSignature(std::span<const std::uint8_t> bytes);

// The sides the picture's header claims, read without decoding anything;
// false when the bytes hold no header.
bool PngSides(std::span<const std::uint8_t> bytes, std::uint32_t& width, std::uint32_t& height);

// A picture decoded in two steps: its header first, so that the caller can
// make room for the pixels (a vector, a locked pixmap) and have them decoded
// straight into it, with no second copy of a picture that may take 64 MB.
class TPngDecoder {
 public:
  TPngDecoder();
  ~TPngDecoder();
  TPngDecoder(const TPngDecoder&) = delete;
  TPngDecoder& operator=(const TPngDecoder&) = delete;

  // Reads the header. False, with the reason in error, for bytes that are
  // not a readable PNG or for a side of 0 or above kMaxPngSide. The bytes
  // must outlive the decoder.
  bool Open(std::span<const std::uint8_t> bytes, std::string& error);
  std::uint32_t Width() const;
  std::uint32_t Height() const;
  // Decodes the pixels of an opened picture into Height() rows of Width()
  // pixels, pitch bytes apart (at least 4 * Width()). False, with the
  // reason in error, when the picture is damaged; the rows are then partly
  // written.
  bool Decode(void* rows, std::ptrdiff_t pitch, std::string& error);
  // Decode into a vector of its own, rows packed; the outputs are untouched
  // on failure.
  bool Decode(std::int32_t& width, std::int32_t& height, std::vector<std::uint32_t>& pixels, std::string& error);

 private:
  struct TImage;
  std::unique_ptr<TImage> image_;
};

// Decodes the picture. False, with the reason in error and the outputs
// untouched, for bytes that are not a whole readable PNG or for a side of
// 0 or above kMaxPngSide (checked before the pixels are allocated).
bool DecodePng(std::span<const std::uint8_t> bytes, std::int32_t& width, std::int32_t& height,
               std::vector<std::uint32_t>& pixels, std::string& error);

// Encodes width x height pixels with their alpha. False for a side out of
// range or fewer pixels than the sides call for.
bool EncodePng(std::int32_t width, std::int32_t height, std::span<const std::uint32_t> pixels,
               std::vector<std::uint8_t>& bytes);

}  // namespace corvane
