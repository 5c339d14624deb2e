// Reads a PNG file back as 8-bit RGB rows, for tests that look at the
// pictures the platform writes.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

}  // namespace corvane::test
