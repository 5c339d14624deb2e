// A device pixmap's whole picture to and from memory: ARGB pixels, rows
// from the top, width * height of them, whatever pitch the device locks
// with.
#pragma once

#include <cstdint>
#include <vector>

namespace corvane {

class TDevice;
class TPixmap;

// Fills the pixmap with the pixels (at least width * height of them);
// false when it cannot be locked.
bool WritePixmapPixels(TDevice& device, TPixmap& pixmap, const std::vector<std::uint32_t>& pixels);
// The pixmap's current picture; false when it cannot be locked.
bool ReadPixmapPixels(TDevice& device, TPixmap& pixmap, std::vector<std::uint32_t>& pixels);

}  // namespace corvane
