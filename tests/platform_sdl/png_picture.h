// Reads a PNG file back as 8-bit RGB rows, for tests that look at the
// pictures the platform writes.
#pragma once

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/geometry/color.h"

namespace corvane::test {

// An RGB picture, rows from the top; empty (0 x 0) when the file could not
// be read.
struct TPngPicture {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Rgb;
  // The pixel as 0xRRGGBB.
  std::uint32_t Pixel(std::int32_t x, std::int32_t y) const {
    const std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)) * 3;
    return (std::uint32_t{Rgb[at]} << 16) | (std::uint32_t{Rgb[at + 1]} << 8) | Rgb[at + 2];
  }
};

inline TPngPicture ReadPng(const std::string& fileName) {
  TPngPicture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, fileName.c_str()) == 0) return picture;
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return picture;
  }
  picture.Width = static_cast<std::int32_t>(image.width);
  picture.Height = static_cast<std::int32_t>(image.height);
  picture.Rgb = std::move(rgb);
  return picture;
}

// The largest difference of the two colours' channels (0xRRGGBB).
inline int ChannelDistance(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift : {16, 8, 0}) {
    const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    most = d > most ? d : most;
  }
  return most;
}

// The share of pixels in which two pictures of one size are alike within
// the tolerance; 0 for pictures of different sizes.
// How far apart the lightest and the darkest pixel of [x0, x1) x [y0, y1)
// are in brightness (0..255): text and the field under it, where text is.
inline int BrightnessSpread(const TPngPicture& picture, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                            std::int32_t y1) {
  int lightest = 0, darkest = 255;
  for (std::int32_t y = y0; y < y1; ++y)
    for (std::int32_t x = x0; x < x1; ++x) {
      const std::uint32_t p = picture.Pixel(x, y);
      const int brightness = static_cast<int>((299 * ((p >> 16) & 0xFF) + 587 * ((p >> 8) & 0xFF) + 114 * (p & 0xFF)) / 1000);
      lightest = brightness > lightest ? brightness : lightest;
      darkest = brightness < darkest ? brightness : darkest;
    }
  return lightest - darkest;
}

// How far the text of [x0, x1) x [y0, y1) stands out from its background,
// as ContrastRatio counts it: the background is the region's commonest
// colour, the text its pixel farthest from that. 1 for a region of one
// colour.
inline double TextContrast(const TPngPicture& picture, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                           std::int32_t y1) {
  std::map<std::uint32_t, int> counts;
  for (std::int32_t y = y0; y < y1; ++y)
    for (std::int32_t x = x0; x < x1; ++x) ++counts[picture.Pixel(x, y)];
  if (counts.empty()) return 1;
  const std::uint32_t background =
      std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second < b.second; })
          ->first;
  double most = 1;
  for (const auto& [colour, count] : counts) most = std::max(most, ContrastRatio(colour, background));
  return most;
}

inline double ShareAlike(const TPngPicture& a, const TPngPicture& b, int tolerance) {
  if (a.Width != b.Width || a.Height != b.Height || a.Width == 0) return 0;
  int alike = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) alike += ChannelDistance(a.Pixel(x, y), b.Pixel(x, y)) <= tolerance ? 1 : 0;
  return static_cast<double>(alike) / (static_cast<double>(a.Width) * a.Height);
}

}  // namespace corvane::test
