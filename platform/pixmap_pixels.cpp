#include "platform/pixmap_pixels.h"

#include <cstring>

#include "platform/device.h"

namespace corvane {

namespace {

std::size_t PixelCount(const TPixmap& pixmap) {
  return static_cast<std::size_t>(pixmap.Width) * static_cast<std::size_t>(pixmap.Height);
}

// The rows of the locked pixmap, one after the other.
template <class Copy>
bool ForEachRow(TDevice& device, TPixmap& pixmap, bool readBack, Copy copy) {
  return UseLockedPixmap(device, pixmap, readBack, [&](std::uint8_t* rows, std::ptrdiff_t pitch) {
    const std::size_t rowBytes = static_cast<std::size_t>(pixmap.Width) * 4;
    for (std::int32_t y = 0; y < pixmap.Height; ++y)
      copy(rows + y * pitch, static_cast<std::size_t>(y) * pixmap.Width, rowBytes);
    return true;
  });
}

}  // namespace

bool UseLockedPixmap(TDevice& device, TPixmap& pixmap, bool readBack,
                     const std::function<bool(std::uint8_t* rows, std::ptrdiff_t pitch)>& use) {
  if (pixmap.Width <= 0 || pixmap.Height <= 0) return false;
  void* bits = nullptr;
  if (!device.LockPixmapRectARGB(&pixmap, 0, 0, pixmap.Width, pixmap.Height, bits, readBack)) return false;
  const std::ptrdiff_t pitch = pixmap.Pitch > 0 ? pixmap.Pitch : static_cast<std::ptrdiff_t>(pixmap.Width) * 4;
  bool used = false;
  try {
    used = use(static_cast<std::uint8_t*>(bits), pitch);
  } catch (...) {
    device.UnlockPixmap(&pixmap);
    throw;
  }
  device.UnlockPixmap(&pixmap);
  return used;
}

bool WritePixmapPixels(TDevice& device, TPixmap& pixmap, const std::vector<std::uint32_t>& pixels) {
  if (pixels.size() < PixelCount(pixmap)) return false;
  return ForEachRow(device, pixmap, false, [&](std::uint8_t* row, std::size_t first, std::size_t bytes) {
    std::memcpy(row, pixels.data() + first, bytes);
  });
}

bool ReadPixmapPixels(TDevice& device, TPixmap& pixmap, std::vector<std::uint32_t>& pixels) {
  std::vector<std::uint32_t> out(PixelCount(pixmap));
  if (!ForEachRow(device, pixmap, true, [&](const std::uint8_t* row, std::size_t first, std::size_t bytes) {
        std::memcpy(out.data() + first, row, bytes);
      }))
    return false;
  pixels = std::move(out);
  return true;
}

}  // namespace corvane
