// PNG pictures in memory, through libpng's simplified API (which keeps
// libpng's error handling inside the library). Pixels are 32-bit ARGB
// values, blue, green, red, alpha in memory: the order of the device's
// locked pixmaps and of ".pixmap" files; rows run from the top.
#pragma once

#include <cstdint>
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
