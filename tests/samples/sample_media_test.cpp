// The sample's generated media as the engine reads them: the pictures
// through the PNG filter, the models through the 3DS and MD3 filters with
// the walker's animation list. The sounds are played by the recorded game
// (sample_play_test.cpp), whose log would carry any decoding error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/filters/mesh_3ds_filter.h"
#include "platform/filters/mesh_md3_filter.h"
#include "platform/filters/png_filter.h"
#include "tests/platform/filters/model_filter_kit.h"

namespace corvane {
namespace {

class SampleMediaTest : public test::ModelFilterTest {
 protected:
  // The file as the build made it; false (the test skipped) without it.
  bool Put(const char* name) {
    if (!std::filesystem::exists(std::string(CORVANE_SAMPLE_DIR) + "/" + name)) return false;
    files.Put(name, test::FixtureIn(CORVANE_SAMPLE_DIR, name));
    return true;
  }
};

TEST_F(SampleMediaTest, PicturesLoadInTheirSizesWithTheirTransparency) {
  struct TCase {
    const char* name;
    std::int32_t width, height;
    bool transparent;
  };
  for (const TCase c : {TCase{"sprites.png", 256, 64, true}, TCase{"floor.png", 128, 128, false},
                        TCase{"logo.png", 256, 128, true}}) {
    if (!Put(c.name)) GTEST_SKIP() << "no " << c.name << " in " << CORVANE_SAMPLE_DIR;
    TOwned<TPixmapPngFilter> filter(Create<TPixmapPngFilter>(TCreateContext(world.applet)));
    std::int32_t w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(filter->LoadRGBAFromFile(&files, c.name, w, h, pixels)) << c.name;
    EXPECT_EQ(w, c.width) << c.name;
    EXPECT_EQ(h, c.height) << c.name;
    const bool anyClear = std::ranges::any_of(pixels, [](std::uint32_t p) { return (p >> 24) == 0; });
    const bool anyOpaque = std::ranges::any_of(pixels, [](std::uint32_t p) { return (p >> 24) == 0xFF; });
    EXPECT_EQ(anyClear, c.transparent) << c.name;
    EXPECT_TRUE(anyOpaque) << c.name;
  }
  EXPECT_EQ(Errors(), 0) << world.log.Text();
}

TEST_F(SampleMediaTest, TheCrateIsOneStaticMeshOfTwelveFaces) {
  if (!Put("crate.3ds")) GTEST_SKIP() << "no crate.3ds in " << CORVANE_SAMPLE_DIR;
  TMesh* mesh = Load<TMesh3DSFilter>("crate.3ds");
  ASSERT_NE(mesh, nullptr) << world.log.Text();
  EXPECT_FALSE(mesh->Animated);
  EXPECT_EQ(mesh->VertexCount, 24);
  EXPECT_EQ(mesh->IndexCount, 36);
  // Standing on the ground, 40 units on each side.
  EXPECT_EQ(mesh->Bounds, (TAABB{{-20, -20, 0, 1}, {20, 20, 40, 1}}));
  EXPECT_EQ(Errors(), 0) << world.log.Text();
}

TEST_F(SampleMediaTest, TheWalkerIsAnimatedByItsNamedRanges) {
  if (!Put("walker.md3") || !Put("walker.aaf")) GTEST_SKIP() << "no walker in " << CORVANE_SAMPLE_DIR;
  TMesh* mesh = Load<TMeshMD3Filter>("walker.md3");
  ASSERT_NE(mesh, nullptr) << world.log.Text();
  EXPECT_TRUE(mesh->Animated);
  EXPECT_EQ(mesh->FrameCount, 20);
  EXPECT_EQ(mesh->VertexCount, 5);
  EXPECT_EQ(mesh->IndexCount, 18);
  ASSERT_EQ(mesh->Animations.size(), 2u);
  EXPECT_EQ(mesh->Animations[0].Name, "idle");
  EXPECT_EQ(mesh->Animations[0].FirstFrame, 0u);
  EXPECT_EQ(mesh->Animations[0].LastFrame, 9u);
  EXPECT_EQ(mesh->Animations[1].Name, "walk");
  EXPECT_EQ(mesh->Animations[1].FirstFrame, 10u);
  EXPECT_EQ(mesh->Animations[1].LastFrame, 19u);
  // Frame 0: the spike's tip 40 units above its foot.
  const std::vector<TPixmapVertexNormal> v = VerticesOf<TPixmapVertexNormal>(*mesh);
  ASSERT_EQ(v.size(), 100u);
  EXPECT_FLOAT_EQ(v[0].position.z - v[1].position.z, 40);
  EXPECT_EQ(Errors(), 0) << world.log.Text();
}

}  // namespace
}  // namespace corvane
