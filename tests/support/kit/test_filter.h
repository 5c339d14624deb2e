// A filter for tests: it knows no file until told. Known pixmap names give
// a device pixmap of the given size (filled with its texels when the test
// gives them), known mesh names a small static mesh or an animated one of
// the given frames, all made through the applet's device; every load is
// counted and recorded with the resource manager it was asked of. Given a
// real pixmap filter class, the names it takes go through it on the
// applet's files (loads and saves), and every save is recorded; asked to,
// unknown models load through the engine's filters.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/filters/filter.h"

namespace corvane::test {

class TTestFilter : public TFilter {
  CORVANE_CLASS(TTestFilter, TFilter)
  using TFilter::TFilter;

  TPixmap* LoadPixmap(TResourceMan* resMan, const std::u16string& fileName) override;
  void SavePixmap(TResourceMan* resMan, const std::u16string& fileName, TPixmap* pixmap) override;
  TMesh* LoadMesh(TResourceMan* resMan, const std::u16string& fileName) override;
  void SaveMesh(TResourceMan*, const std::u16string&, TMesh*) override {}
  bool LoadRGBAFile(TResourceMan*, const std::string&, std::int32_t&, std::int32_t&,
                    std::vector<std::uint32_t>&) override {
    return false;
  }
  bool SaveRGBAFile(TResourceMan*, const std::string&, std::int32_t, std::int32_t,
                    const std::vector<std::uint32_t>&) override {
    return false;
  }

  // Files the filter finds: pixmaps with their size, meshes.
  std::map<std::u16string, std::pair<std::int32_t, std::int32_t>> pixmapFiles;
  std::set<std::u16string> meshFiles;
  // Pixmaps whose pixels are known: ARGB, row by row from the top.
  std::map<std::u16string, std::vector<std::uint32_t>> pixmapTexels;
  // Animated meshes with their frame counts.
  std::map<std::u16string, std::int32_t> animatedMeshFiles;
  // The pixmap filter for real files, unset by default.
  TFilterClass pictureFilter;
  // Whether mesh names it does not know go through the engine's own
  // filters (real model files).
  bool realMeshes = false;
  std::vector<std::u16string> pixmapSaves;
  int pixmapLoads = 0;
  int meshLoads = 0;
  struct TRequest {
    TResourceMan* ResMan;
    std::u16string Name;
  };
  std::vector<TRequest> pixmapRequests;
  std::vector<TRequest> meshRequests;

 private:
  TOwned<TPixmapFilter> PictureFilterFor(const std::u16string& fileName) const;
};

}  // namespace corvane::test
