#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_info.h"
#include "base/reflection/value_convert.h"
#include "base/reflection/variant.h"
#include "engine/shell/applet.h"
#include "platform/device.h"
#include "resources/cache/cache.h"
#include "platform/filters/filter.h"
#include "platform/filters/pixmap_binary_filter.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/filter_world.h"
#include "tests/support/kit/recording_device.h"

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

// A load-only picture source for ".testpic" names that reads no RGBA.
class TTestPictureFilter : public TFakePixmapFilter {
  CORVANE_CLASS(TTestPictureFilter, TFakePixmapFilter)
  using TFakePixmapFilter::TFakePixmapFilter;
  static bool IsSupport(std::string_view name) { return FileNameContains(name, ".testpic"); }
  static TFilterOptions Options() { return {foCanLoad}; }
};

// A model source: any ".testmodel" file is a triangle.
class TTestModelFilter : public TMeshFilter {
  CORVANE_CLASS(TTestModelFilter, TMeshFilter)
  using TMeshFilter::TMeshFilter;
  static bool IsSupport(std::string_view name) { return FileNameContains(name, ".testmodel"); }
  static TFilterOptions Options() { return {foCanLoad}; }
  static inline int loads = 0;
  TMesh* LoadFromFile(TResourceMan*, const std::string&) override {
    ++loads;
    TMesh* mesh = Device()->CreateMesh(vfVertex, 3, false, 0, false, false, 0);
    void* data = nullptr;
    if (Device()->LockMeshVertex(mesh, 3, data)) {
      const TVertex corners[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
      std::memcpy(data, corners, sizeof corners);
      Device()->UnlockMeshVertex(mesh);
    }
    return mesh;
  }
  void SaveToFile(TResourceMan*, const std::string& name, TMesh*) override { ADD_FAILURE() << "saved " << name; }
};

// A picture source whose every load and save runs out of memory, as a
// decoder does on a machine short of it.
class TOutOfMemoryFilter : public TFakePixmapFilter {
  CORVANE_CLASS(TOutOfMemoryFilter, TFakePixmapFilter)
  using TFakePixmapFilter::TFakePixmapFilter;
  static bool IsSupport(std::string_view name) { return FileNameContains(name, ".oompic"); }
  static TFilterOptions Options() { return {foCanLoad, foCanSave}; }
  bool LoadRGBAFromFile(TResourceMan*, const std::string&, std::int32_t&, std::int32_t&,
                        std::vector<std::uint32_t>&) override {
    throw std::bad_alloc();
  }
  bool SaveRGBAToFile(TResourceMan*, const std::string&, std::int32_t, std::int32_t,
                      const std::vector<std::uint32_t>&) override {
    throw std::bad_alloc();
  }
  TPixmap* LoadFromFile(TResourceMan*, const std::string&) override { throw std::bad_alloc(); }
  void SaveToFile(TResourceMan*, const std::string&, TPixmap*) override { throw std::bad_alloc(); }
};

CORVANE_IMPLEMENT_CLASS(TFakePixmapFilter)
CORVANE_IMPLEMENT_CLASS(TOutOfMemoryFilter)
CORVANE_IMPLEMENT_CLASS(TGreedyMeshFilter)
CORVANE_IMPLEMENT_CLASS(TTestPictureFilter)
CORVANE_IMPLEMENT_CLASS(TTestModelFilter)

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

TEST(FilterTest, TheEngineFiltersComeInTheirFixedOrder) {
  test::TFilterWorld w;
  EXPECT_EQ(FilterClass, TFilter::StaticClass());
  const TFilterClass* pixmap = FindPixmapFilter("ui/button.PIXMAP");
  ASSERT_NE(pixmap, nullptr);
  EXPECT_EQ(pixmap->Class->Name(), "TPixmapBinaryFilter");
  const TFilterClass* mesh = FindMeshFilter("a.mesh");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Class->Name(), "TMeshBinaryFilter");
  const auto at = [](TClass cls) {
    for (std::size_t i = 0; i < FilterList().size(); ++i)
      if (FilterList()[i].Class == cls) return i;
    return FilterList().size();
  };
  // Other tests of this process may have registered some filters first;
  // the engine's own keep their relative order.
  const TFilterClass* model3ds = FindMeshFilter("a.3ds");
  const TFilterClass* md3 = FindMeshFilter("a.md3");
  ASSERT_NE(model3ds, nullptr);
  ASSERT_NE(md3, nullptr);
  ASSERT_NE(FindPixmapFilter("a.png"), nullptr);
  EXPECT_LT(at(pixmap->Class), at(mesh->Class));
  EXPECT_LT(at(mesh->Class), at(model3ds->Class));
  EXPECT_LT(at(model3ds->Class), at(md3->Class));
}

class DerivedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterFilter(FilterClassOf<TTestPictureFilter>());
    RegisterFilter(FilterClassOf<TTestModelFilter>());
    TTestModelFilter::loads = 0;
  }
  TPixmap* LoadPixmap(const std::u16string& name) { return w.filter->LoadPixmap(w.resMan, name); }

  test::TFilterWorld w;
};

TEST_F(DerivedFileTest, NamesWithoutAFilterFallBackOnTheirDerivedFile) {
  EXPECT_EQ(LoadPixmap(u"b.unknown"), nullptr);
  w.Put("b.pixmap", test::PixmapFileBytes(1, 1, {0xFF112233u}));
  TPixmap* pixmap = LoadPixmap(u"b.unknown");
  ASSERT_NE(pixmap, nullptr);
  EXPECT_EQ(*w.device->PixelsOf(pixmap), std::vector<std::uint32_t>{0xFF112233u});
  // The containment test: a further extension still names a pixmap file.
  w.Put("c.pixmap.bak", test::PixmapFileBytes(1, 1, {0xFF445566u}));
  TPixmap* backup = LoadPixmap(u"c.pixmap.bak");
  ASSERT_NE(backup, nullptr);
  EXPECT_EQ(*w.device->PixelsOf(backup), std::vector<std::uint32_t>{0xFF445566u});
}

TEST_F(DerivedFileTest, ModelsAreCachedAsMeshFilesAndOnlyFiltersThatSaveWrite) {
  w.Put("m.testmodel", "triangle");
  TMesh* converted = w.filter->LoadMesh(w.resMan, u"m.testmodel");
  ASSERT_NE(converted, nullptr);
  ASSERT_TRUE(w.Exists("m.mesh"));
  w.world.log.Clear();
  TMesh* cached = w.filter->LoadMesh(w.resMan, u"m.testmodel");
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(TTestModelFilter::loads, 1);
  EXPECT_EQ(w.world.log.CountInfo("file was loaded m.mesh"), 1);
  EXPECT_EQ(cached->VertexData, converted->VertexData);

  // A load-only filter's name saves nothing; a ".mesh" name does.
  w.filter->SaveMesh(w.resMan, u"copy.testmodel", cached);
  EXPECT_FALSE(w.Exists("copy.testmodel"));
  w.filter->SaveMesh(w.resMan, u"copy.mesh", cached);
  EXPECT_EQ(w.Bytes("copy.mesh"), test::WithoutSourceStamp(w.Bytes("m.mesh")));
  w.filter->SavePixmap(w.resMan, u"p.testpic", w.device->CreatePixmap(1, 1));
  EXPECT_FALSE(w.Exists("p.testpic"));
}

TEST_F(DerivedFileTest, ScriptsLoadAndSaveByMethodName) {
  w.Put("m.testmodel", "triangle");
  const TClass cls = TFilter::StaticClass();
  const Variant load[] = {Variant(static_cast<TObject*>(w.resMan)), Variant(u"m.testmodel")};
  TObject* mesh = cls->FindMethod("loadMesh")->Invoke(*w.filter, load).AsObject();
  ASSERT_NE(dynamic_cast<TMesh*>(mesh), nullptr);
  const Variant save[] = {Variant(static_cast<TObject*>(w.resMan)), Variant(u"copy.mesh"), Variant(mesh)};
  cls->FindMethod("saveMesh")->Invoke(*w.filter, save);
  EXPECT_EQ(w.Bytes("copy.mesh"), test::WithoutSourceStamp(w.Bytes("m.mesh")));
  const Variant missing[] = {Variant(static_cast<TObject*>(w.resMan)), Variant(u"none.pixmap")};
  EXPECT_EQ(cls->FindMethod("loadPixmap")->Invoke(*w.filter, missing).AsObject(), nullptr);

  // Raw pictures, the size and pixels coming back in the var arguments.
  const std::vector<std::uint32_t> pixels = {0xFF0000FFu, 0x80FF0000u};
  const Variant raw[] = {Variant(static_cast<TObject*>(w.resMan)), Variant(u"r.pixmap"), Variant(2), Variant(1),
                         ToVariant(pixels)};
  const TMethodInfo* saveRaw = cls->FindMethod("saveRGBAFile");
  const TMethodInfo* loadRaw = cls->FindMethod("loadRGBAFile");
  ASSERT_NE(saveRaw, nullptr);
  ASSERT_NE(loadRaw, nullptr);
  EXPECT_TRUE(saveRaw->Invoke(*w.filter, raw).AsBoolean());
  Variant read[] = {Variant(static_cast<TObject*>(w.resMan)), Variant(u"r.pixmap"), Variant(0), Variant(0),
                    Variant()};
  EXPECT_TRUE(loadRaw->InvokeVar(*w.filter, read).AsBoolean());
  EXPECT_EQ(read[2].AsInteger(), 2);
  EXPECT_EQ(read[3].AsInteger(), 1);
  EXPECT_EQ(VariantTo<std::vector<std::uint32_t>>(read[4]), pixels);
}

// Mended: running out of memory in a picture's load or save is that
// picture's error line, never an exception out of the filter.
TEST_F(DerivedFileTest, OutOfMemoryInAPictureIsItsErrorLine) {
  RegisterFilter(FilterClassOf<TOutOfMemoryFilter>());
  w.Put("big.oompic", "pixels");
  EXPECT_EQ(LoadPixmap(u"big.oompic"), nullptr);
  std::int32_t width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  EXPECT_FALSE(w.filter->LoadRGBAFile(w.resMan, "big.oompic", width, height, pixels));
  EXPECT_FALSE(w.filter->SaveRGBAFile(w.resMan, "big.oompic", 1, 1, {0xFF000000u}));
  w.filter->SavePixmap(w.resMan, u"big.oompic", w.device->CreatePixmap(1, 1));
  EXPECT_EQ(w.world.log.CountError("Can't load picture big.oompic: out of memory"), 2) << w.world.log.Text();
  EXPECT_EQ(w.world.log.CountError("Can't save picture big.oompic: out of memory"), 2) << w.world.log.Text();
}

TEST_F(DerivedFileTest, RawPicturesPreferThePixmapBesideTheirName) {
  const std::vector<std::uint32_t> pixels = {0xFF0000FFu, 0x80FF0000u};
  EXPECT_TRUE(w.filter->SaveRGBAFile(w.resMan, "r.pixmap", 2, 1, pixels));
  EXPECT_EQ(w.Bytes("r.pixmap"), test::PixmapFileBytes(2, 1, pixels));
  EXPECT_FALSE(w.filter->SaveRGBAFile(w.resMan, "r.unknown", 2, 1, pixels)) << "no filter for the name";

  std::int32_t width = 0, height = 0;
  std::vector<std::uint32_t> read;
  ASSERT_TRUE(w.filter->LoadRGBAFile(w.resMan, "r.testpic", width, height, read)) << "r.pixmap beside it";
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 1);
  EXPECT_EQ(read, pixels);
  EXPECT_FALSE(w.filter->LoadRGBAFile(w.resMan, "q.unknown", width, height, read));
  EXPECT_FALSE(w.filter->LoadRGBAFile(w.resMan, "q.testpic", width, height, read)) << "its filter reads no RGBA";
}

TEST(FilterTest, AnAppletLoadsThroughTheEngineFilter) {
  test::TAppletWorld::TOptions options;
  options.filterClass = TFilter::StaticClass();
  test::TAppletWorld applet(options);
  applet.Put("pic.pixmap", test::PixmapFileBytes(1, 1, {0xFFABCDEFu}));
  Applet* running = applet.Launch("object Game: Applet\nend\n");
  ASSERT_NE(running, nullptr);
  ASSERT_NE(dynamic_cast<TFilter*>(running->Filter()), nullptr);
  EXPECT_EQ(running->Filter()->ClassType(), TFilter::StaticClass());
  TPixmap* pixmap = running->Cache()->LoadPixmap(running->ResMan(), u"pic.pixmap");
  ASSERT_NE(pixmap, nullptr);
  EXPECT_EQ(*applet.Device()->PixelsOf(pixmap), std::vector<std::uint32_t>{0xFFABCDEFu});
  running->Cache()->FreePixmap(pixmap);
}

}  // namespace
}  // namespace corvane
