// TPixmapPngFilter: the pixmap filter for PNG pictures ("*.png*"). It loads
// them into device pixmaps and raw pixels and saves both back, alpha
// included. A picture that is not a PNG, or is missing, gives nothing
// silently; a damaged or oversized one is reported once.
#pragma once

#include <string_view>

#include "platform/filters/filter.h"

namespace corvane {

class TPixmapPngFilter : public TPixmapFilter {
  CORVANE_CLASS(TPixmapPngFilter, TPixmapFilter)
  using TPixmapFilter::TPixmapFilter;

  static bool IsSupport(std::string_view fileName) { return FileNameContains(fileName, ".png"); }
  static TFilterOptions Options() { return {foCanLoad, foCanSave}; }

  // Pixels are ARGB values, rows from the top.
  bool LoadRGBAFromFile(TResourceMan* resMan, const std::string& name, std::int32_t& width, std::int32_t& height,
                        std::vector<std::uint32_t>& pixels) override;
  bool SaveRGBAToFile(TResourceMan* resMan, const std::string& name, std::int32_t width, std::int32_t height,
                      const std::vector<std::uint32_t>& pixels) override;
  TPixmap* LoadFromFile(TResourceMan* resMan, const std::string& name) override;
  void SaveToFile(TResourceMan* resMan, const std::string& name, TPixmap* pixmap) override;
};

// Appends the PNG filter to the filter list (after the ".pixmap" filter, so
// that the converted copy is what ".pixmap" names find).
void RegisterPngFilter();

}  // namespace corvane
