// TPixmapBinaryFilter: the ".pixmap" file, the binary form every picture is
// cached in beside its source. Little-endian: "PIXMAPB", width and height
// (32-bit), 512 reserved zero bytes, then width x height pixels row after
// row from the top, each the bytes blue, green, red, alpha (a
// little-endian ARGB value), as the device's locked pixmap holds them.
//
// The sides are untrusted: a file whose pixels are not all there, or with
// a side of 0, is refused (one error line); a missing file or another
// signature gives nothing silently.
#pragma once

#include "platform/filters/filter.h"

namespace corvane {

class TPixmapBinaryFilter : public TPixmapFilter {
  CORVANE_CLASS(TPixmapBinaryFilter, TPixmapFilter)
  using TPixmapFilter::TPixmapFilter;

  static bool IsSupport(std::string_view fileName) { return FileNameContains(fileName, ".pixmap"); }
  static TFilterOptions Options() { return {foCanLoad, foCanSave}; }

  bool LoadRGBAFromFile(TResourceMan* resMan, const std::string& name, std::int32_t& width, std::int32_t& height,
                        std::vector<std::uint32_t>& pixels) override;
  // Writes the file; false for sides below 1, pixels that do not match
  // them, or a file that could not be written.
  bool SaveRGBAToFile(TResourceMan* resMan, const std::string& name, std::int32_t width, std::int32_t height,
                      const std::vector<std::uint32_t>& pixels) override;
  // A device pixmap of the file's size holding its pixels.
  TPixmap* LoadFromFile(TResourceMan* resMan, const std::string& name) override;
  // Nothing is written when the pixmap cannot be read back.
  void SaveToFile(TResourceMan* resMan, const std::string& name, TPixmap* pixmap) override;
};

}  // namespace corvane
