// A device pixmap's whole picture to and from memory: ARGB pixels, rows
// from the top, width * height of them, whatever pitch the device locks
// with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace corvane {

class TDevice;
class TPixmap;

// Locks the whole pixmap (reading its picture back when readBack) and hands
// use its first row and the pitch in bytes between rows; unlocks after.
// False when it cannot be locked, else what use returns.
bool UseLockedPixmap(TDevice& device, TPixmap& pixmap, bool readBack,
                     const std::function<bool(std::uint8_t* rows, std::ptrdiff_t pitch)>& use);
// Fills the pixmap with the pixels (at least width * height of them);
// false when it cannot be locked.
bool WritePixmapPixels(TDevice& device, TPixmap& pixmap, const std::vector<std::uint32_t>& pixels);
// The pixmap's current picture; false when it cannot be locked.
bool ReadPixmapPixels(TDevice& device, TPixmap& pixmap, std::vector<std::uint32_t>& pixels);

}  // namespace corvane
