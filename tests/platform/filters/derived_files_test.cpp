// The applet's TFilter over the engine's own filters: PNG, 3DS and MD3
// sources converted into the ".pixmap" or ".mesh" beside them, again once
// newer. File dates step by 2 seconds: every date set here is even.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "base/text/text_convert.h"
#include "platform/device.h"
#include "platform/filters/png_image.h"
#include "platform/media.h"
#include "resources/ext_res_man.h"
#include "tests/platform/filters/model_filter_kit.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/filter_world.h"
#include "tests/support/kit/recording_device.h"

namespace corvane {
namespace {

constexpr std::time_t kStart = 1700000000;

std::string PngBytes(std::int32_t width, std::int32_t height, const std::vector<std::uint32_t>& pixels) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(EncodePng(width, height, pixels, bytes));
  return {bytes.begin(), bytes.end()};
}

std::string Fixture3DS(const char* name) { return test::FixtureIn(CORVANE_3DS_FIXTURES, name); }

class DerivedFilesTest : public ::testing::Test {
 protected:
  TPixmap* LoadPixmap(const std::u16string& name) { return w.filter->LoadPixmap(w.resMan, name); }
  TMesh* LoadMesh(const std::u16string& name) { return w.filter->LoadMesh(w.resMan, name); }
  std::vector<std::uint32_t> Pixels(TPixmap* pixmap) const { return *w.device->PixelsOf(pixmap); }

  test::TFilterWorld w;
};

// The ".pixmap" carries the stamp of the picture it was converted from
// (base/streams/source_stamp.h) and serves while the picture is what it
// was, whatever its date; a changed picture is converted again, whatever
// its date.
TEST_F(DerivedFilesTest, APngIsConvertedOnceReadFromItsPixmapAndConvertedAgainWhenChanged) {
  const std::vector<std::uint32_t> first = {0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFFFFFFFFu, 0x40102030u, 0xFF000000u};
  w.Put("a.png", PngBytes(3, 2, first));
  w.SetTime("a.png", kStart);
  TPixmap* converted = LoadPixmap(u"a.png");
  ASSERT_NE(converted, nullptr) << w.world.log.Text();
  EXPECT_EQ(Pixels(converted), first);
  EXPECT_EQ(test::WithoutSourceStamp(w.Bytes("a.pixmap")), test::PixmapFileBytes(3, 2, first))
      << "written beside the source";
  const std::string stamp = test::SourceStampOf(w.Bytes("a.pixmap"));
  ASSERT_FALSE(stamp.empty());

  // Up to date: the ".pixmap" is what is read, also when the picture was
  // given another date. It is replaced by a marker picture with the same
  // stamp to tell the two apart; without the stamp it serves no more.
  const std::vector<std::uint32_t> marker = {0xFF123456u};
  w.Put("a.pixmap", test::PixmapFileBytes(1, 1, marker) + stamp);
  w.SetTime("a.png", kStart + 10);
  TPixmap* cached = LoadPixmap(u"a.png");
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(Pixels(cached), marker);
  w.Put("a.pixmap", test::PixmapFileBytes(1, 1, marker));
  ASSERT_NE(LoadPixmap(u"a.png"), nullptr);
  EXPECT_EQ(test::WithoutSourceStamp(w.Bytes("a.pixmap")), test::PixmapFileBytes(3, 2, first));

  // Another picture, dated before the ".pixmap": converted again, and the
  // ".pixmap" rewritten.
  const std::vector<std::uint32_t> second = {0xFF00FF00u, 0xFF0000FFu};
  w.Put("a.png", PngBytes(1, 2, second));
  w.SetTime("a.png", kStart - 10);
  TPixmap* again = LoadPixmap(u"a.png");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Width, 1);
  EXPECT_EQ(again->Height, 2);
  EXPECT_EQ(Pixels(again), second);
  EXPECT_EQ(test::WithoutSourceStamp(w.Bytes("a.pixmap")), test::PixmapFileBytes(1, 2, second));
  EXPECT_EQ(w.world.log.ErrorCount(), 0) << w.world.log.Text();

  // Without its source the derived file still serves; with neither, nil.
  w.Remove("a.png");
  ASSERT_NE(LoadPixmap(u"a.png"), nullptr);
  w.Remove("a.pixmap");
  EXPECT_EQ(LoadPixmap(u"a.png"), nullptr);
}

// Through the external manager a full path may name a picture anywhere:
// it is converted in memory, and nothing is written beside it; a name
// below the manager's folder (the applet's) keeps its ".pixmap" there.
TEST_F(DerivedFilesTest, APictureByAFullPathIsConvertedWithoutWritingBesideIt) {
  const std::vector<std::uint32_t> pixels = {0xFF102030u};
  w.Put("far.png", PngBytes(1, 1, pixels));
  w.Put("near.png", PngBytes(1, 1, pixels));
  TOwned<TExtResourceMan> external(CreateResMan<TExtResourceMan>(w.folder));
  TPixmap* far = w.filter->LoadPixmap(external.get(), Utf8ToUtf16(w.PathOf("far.png")));
  ASSERT_NE(far, nullptr) << w.world.log.Text();
  EXPECT_EQ(Pixels(far), pixels);
  EXPECT_EQ(w.Bytes("far.pixmap"), std::nullopt);
  ASSERT_NE(w.filter->LoadPixmap(external.get(), u"near.png"), nullptr);
  EXPECT_EQ(test::WithoutSourceStamp(w.Bytes("near.pixmap")), test::PixmapFileBytes(1, 1, pixels));
}

TEST_F(DerivedFilesTest, ADamagedPngWritesNoPixmap) {
  const std::string whole = PngBytes(2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
  w.Put("b.png", whole.substr(0, whole.size() / 2));
  const std::size_t pixmaps = w.device->Pixmaps().size();
  EXPECT_EQ(LoadPixmap(u"b.png"), nullptr);
  EXPECT_EQ(w.device->Pixmaps().size(), pixmaps);
  EXPECT_EQ(w.world.log.ErrorCount(), 1) << w.world.log.Text();
  EXPECT_TRUE(w.world.log.Contains("b.png")) << w.world.log.Text();
  EXPECT_FALSE(w.Exists("b.pixmap"));
}

TEST_F(DerivedFilesTest, A3dsModelIsConvertedOnceReadFromItsMeshAndConvertedAgainWhenNewer) {
  w.Put("model.3ds", Fixture3DS("boxes.3ds"));
  w.SetTime("model.3ds", kStart);
  TMesh* converted = LoadMesh(u"model.3ds");
  ASSERT_NE(converted, nullptr) << w.world.log.Text();
  EXPECT_EQ(w.world.log.CountInfo("3ds mesh was loaded"), 1) << w.world.log.Text();
  ASSERT_EQ(converted->VertexCount, 16);
  ASSERT_TRUE(w.Exists("model.mesh")) << "written beside the source";

  // Unchanged source: the ".mesh" is read and gives the same model.
  w.SetTime("model.mesh", kStart);
  w.world.log.Clear();
  TMesh* cached = LoadMesh(u"model.3ds");
  ASSERT_NE(cached, nullptr) << w.world.log.Text();
  EXPECT_EQ(w.world.log.CountInfo("file was loaded model.mesh"), 1) << w.world.log.Text();
  EXPECT_EQ(w.world.log.CountInfo("3ds mesh was loaded"), 0);
  EXPECT_EQ(cached->VertexFormat, converted->VertexFormat);
  EXPECT_EQ(cached->VertexData, converted->VertexData);
  EXPECT_EQ(cached->IndexData, converted->IndexData);
  EXPECT_EQ(cached->Bounds, converted->Bounds);

  // The source becomes another model, dated 10 s later: converted again.
  w.Put("model.3ds", Fixture3DS("cube.3ds"));
  w.SetTime("model.3ds", kStart + 10);
  w.world.log.Clear();
  TMesh* again = LoadMesh(u"model.3ds");
  ASSERT_NE(again, nullptr) << w.world.log.Text();
  EXPECT_EQ(w.world.log.CountInfo("3ds mesh was loaded"), 1) << w.world.log.Text();
  EXPECT_EQ(again->VertexCount, 24);
  const std::optional<std::string> rewritten = w.Bytes("model.mesh");
  w.SetTime("model.mesh", kStart + 10);
  TMesh* reread = LoadMesh(u"model.3ds");
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(reread->VertexData, again->VertexData);
  EXPECT_EQ(reread->IndexData, again->IndexData);
  EXPECT_EQ(w.world.log.ErrorCount(), 0) << w.world.log.Text();

  // A damaged newer source gives nil and leaves the converted model as it
  // was.
  const std::string cube = Fixture3DS("cube.3ds");
  w.Put("model.3ds", cube.substr(0, cube.size() - 7));
  w.SetTime("model.3ds", kStart + 20);
  w.world.log.Clear();
  EXPECT_EQ(LoadMesh(u"model.3ds"), nullptr);
  EXPECT_EQ(w.world.log.ErrorCount(), 1) << w.world.log.Text();
  EXPECT_EQ(w.Bytes("model.mesh"), rewritten);
}

// An animated model keeps its frames and the named ranges of its ".aaf"
// in the ".mesh" it is converted into.
TEST_F(DerivedFilesTest, AnMd3ModelKeepsItsFramesAndRangesInItsMeshFile) {
  for (const char* name : {"walker.md3", "walker.aaf"}) w.Put(name, test::ModelFixture(name));
  TMesh* converted = LoadMesh(u"walker.md3");
  ASSERT_NE(converted, nullptr) << w.world.log.Text();
  ASSERT_TRUE(w.Exists("walker.mesh"));
  w.world.log.Clear();
  TMesh* cached = LoadMesh(u"walker.md3");
  ASSERT_NE(cached, nullptr) << w.world.log.Text();
  EXPECT_EQ(w.world.log.CountInfo("file was loaded walker.mesh"), 1) << w.world.log.Text();
  EXPECT_TRUE(cached->Animated);
  EXPECT_EQ(cached->FrameCount, converted->FrameCount);
  EXPECT_EQ(cached->VertexData, converted->VertexData);
  EXPECT_EQ(cached->IndexData, converted->IndexData);
  EXPECT_EQ(cached->Bounds, converted->Bounds);
  ASSERT_EQ(cached->Animations.size(), converted->Animations.size());
  for (std::size_t i = 0; i < cached->Animations.size(); ++i) {
    EXPECT_EQ(cached->Animations[i].Name, converted->Animations[i].Name) << i;
    EXPECT_EQ(cached->Animations[i].FirstFrame, converted->Animations[i].FirstFrame) << i;
    EXPECT_EQ(cached->Animations[i].LastFrame, converted->Animations[i].LastFrame) << i;
    EXPECT_EQ(cached->Animations[i].Speed, converted->Animations[i].Speed) << i;
  }
}

TEST_F(DerivedFilesTest, ATruncated3dsFileIsOneErrorLineAndWritesNoMesh) {
  const std::string whole = Fixture3DS("boxes.3ds");
  const std::size_t meshes = w.device->Meshes().size();
  for (const std::size_t size : {std::size_t{0}, std::size_t{5}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(size);
    w.Put("cut.3ds", whole.substr(0, size));
    w.world.log.Clear();
    EXPECT_EQ(LoadMesh(u"cut.3ds"), nullptr);
    EXPECT_EQ(w.world.log.ErrorCount(), 1) << w.world.log.Text();
    EXPECT_TRUE(w.world.log.Contains("cut.3ds")) << w.world.log.Text();
    EXPECT_FALSE(w.Exists("cut.mesh"));
  }
  EXPECT_EQ(w.device->Meshes().size(), meshes);
}

}  // namespace
}  // namespace corvane
