#include <gtest/gtest.h>

#include <string>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_info.h"
#include "platform/filters/filter.h"

namespace corvane {

// Filters of the test's own, registered only here, for names no other
// filter takes: the list lives as long as the process.
class TFakePixmapFilter : public TPixmapFilter {
  CORVANE_CLASS(TFakePixmapFilter, TPixmapFilter)
  using TPixmapFilter::TPixmapFilter;
  static bool IsSupport(std::string_view name) { return FileNameContains(name, ".fakepix"); }
  static TFilterOptions Options() { return {foCanLoad, foCanSave}; }
  bool LoadRGBAFromFile(TResourceMan*, const std::string&, std::int32_t&, std::int32_t&,
                        std::vector<std::uint32_t>&) override {
    return false;
  }
  bool SaveRGBAToFile(TResourceMan*, const std::string&, std::int32_t, std::int32_t,
                      const std::vector<std::uint32_t>&) override {
    return false;
  }
  TPixmap* LoadFromFile(TResourceMan*, const std::string&) override { return nullptr; }
  void SaveToFile(TResourceMan*, const std::string&, TPixmap*) override {}
};

// Takes picture names too: only its kind keeps it from pixmap look-ups.
class TGreedyMeshFilter : public TMeshFilter {
  CORVANE_CLASS(TGreedyMeshFilter, TMeshFilter)
  using TMeshFilter::TMeshFilter;
  static bool IsSupport(std::string_view name) { return FileNameContains(name, ".fakepix"); }
  static TFilterOptions Options() { return {foCanLoad}; }
  TMesh* LoadFromFile(TResourceMan*, const std::string&) override { return nullptr; }
  void SaveToFile(TResourceMan*, const std::string&, TMesh*) override {}
};

CORVANE_IMPLEMENT_CLASS(TFakePixmapFilter)
CORVANE_IMPLEMENT_CLASS(TGreedyMeshFilter)

namespace {

TEST(FilterTest, ContainmentAnywhereInTheLowerCasedName) {
  struct Case {
    std::string name;
    bool contains;
  };
  const Case cases[] = {{"a.pixmap", true}, {"UI/A.PIXMAP", true}, {"a.pixmap.bak", true},
                        {"a.pix", false},   {"", false},           {"pixmap", false}};
  for (const Case& c : cases) EXPECT_EQ(FileNameContains(c.name, ".pixmap"), c.contains) << c.name;
}

TEST(FilterTest, FindPicksTheFirstRegisteredFilterOfTheKind) {
  EXPECT_EQ(FindPixmapFilter("a.fakepix"), nullptr);
  const std::size_t before = FilterList().size();
  RegisterFilter(FilterClassOf<TGreedyMeshFilter>());
  RegisterFilter(FilterClassOf<TFakePixmapFilter>());
  RegisterFilter(FilterClassOf<TGreedyMeshFilter>());  // listed once
  ASSERT_EQ(FilterList().size(), before + 2);

  const TFilterClass* pixmap = FindPixmapFilter("Skin.FAKEPIX");
  ASSERT_NE(pixmap, nullptr);
  EXPECT_EQ(pixmap->Class, TFakePixmapFilter::StaticClass());
  EXPECT_TRUE(pixmap->Options().Contains(foCanSave));
  EXPECT_EQ(FindPixmapFilter("model.unknown"), nullptr);
  const TFilterClass* mesh = FindMeshFilter("a.fakepix");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Class, TGreedyMeshFilter::StaticClass());
  EXPECT_FALSE(mesh->Options().Contains(foCanSave));
}

TEST(FilterTest, ScriptsReachTheAppletFilterByName) {
  for (const char* name : {"loadPixmap", "savePixmap", "loadMesh", "saveMesh"})
    EXPECT_NE(TFilter::StaticClass()->FindMethod(name), nullptr) << name;
}

}  // namespace
}  // namespace corvane
