#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "platform/filters/animation_list.h"
#include "platform/filters/mesh_md3_filter.h"
#include "resources/folder_res_man.h"
#include "tests/base/temp_dir.h"
#include "tests/platform/filters/model_filter_kit.h"
#include "tests/support/process_probes.h"

namespace corvane {
namespace {

using test::ModelFixture;
using test::PatchInt;

// Where the fixtures keep what the tests change (see make_md3_fixtures.py):
// the header's counts, and the surfaces, which start after one frame and
// one tag (two_surfaces.md3) or after 20 frames (walker.md3).
constexpr std::size_t kFrameCountAt = 76;
constexpr std::size_t kBodyAt = 108 + 56 + 112;
constexpr std::size_t kHeadAt = kBodyAt + 360;
constexpr std::size_t kLegsAt = 108 + 20 * 56;
// Fields of a surface header.
constexpr std::size_t kSurfaceFramesAt = 72;
constexpr std::size_t kSurfaceTrianglesAt = 88;
constexpr std::size_t kSurfaceEndAt = 104;
constexpr std::size_t kHeadTriangle = kHeadAt + 108 + 2 * 68;

// A model of one frame whose surfaces have these vertex counts and no
// triangles, all records zero; with shared, every surface after the first
// is a bare header whose records are the first surface's.
std::string WideModel(std::initializer_list<std::int32_t> surfaceVertices, bool shared = false) {
  std::string bytes(108 + 56, '\0');
  PatchInt(bytes, kFrameCountAt, 1);
  PatchInt(bytes, 84, static_cast<std::int32_t>(surfaceVertices.size()));
  bool first = true;
  for (const std::int32_t n : surfaceVertices) {
    const bool bare = shared && !first;
    const std::int32_t records = bare ? -16 * n : 108;
    std::string surface(bare ? 108 : 108 + 16 * static_cast<std::size_t>(n), '\0');
    for (const auto& [at, value] :
         {std::pair<std::size_t, std::int32_t>{72, 1}, {80, n}, {88, 108}, {92, 108}, {96, records},
          {100, records + 8 * n}, {104, static_cast<std::int32_t>(surface.size())}})
      PatchInt(surface, at, value);
    bytes += surface;
    first = false;
  }
  return bytes;
}

class MD3FilterTest : public test::ModelFilterTest {
 protected:
  MD3FilterTest() {
    for (const char* name : {"two_surfaces.md3", "walker.md3", "walker.aaf"}) files.Put(name, ModelFixture(name));
  }
  TMesh* Load(const std::string& name) { return ModelFilterTest::Load<TMeshMD3Filter>(name); }
  // Loads bytes as "x.md3": nil with one line naming why, nothing left on
  // the device.
  void ExpectRefused(const std::string& bytes, const std::string& why) {
    files.Put("x.md3", bytes);
    world.log.Clear();
    const std::size_t meshes = device->Meshes().size();
    EXPECT_EQ(Load("x.md3"), nullptr) << why;
    EXPECT_EQ(Errors(), 1) << world.log.Text();
    EXPECT_TRUE(world.log.Contains("Can't load mesh x.md3: ")) << world.log.Text();
    EXPECT_TRUE(world.log.Contains(why)) << world.log.Text();
    EXPECT_EQ(device->Meshes().size(), meshes);
  }
};

TEST_F(MD3FilterTest, SurfacesMergeIntoOneStaticMesh) {
  TMesh* mesh = Load("two_surfaces.md3");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(world.log.CountInfo("mesh two_surfaces.md3 have 1 and loaded as static"), 1) << world.log.Text();
  EXPECT_EQ(Errors(), 0);
  EXPECT_FALSE(mesh->Animated);
  EXPECT_EQ(mesh->VertexFormat, vfPixmapVertexNormal);
  EXPECT_TRUE(mesh->Indexed);
  ASSERT_EQ(mesh->VertexCount, 13);
  // Windings reversed; the second surface's vertices follow the first's 10.
  EXPECT_EQ(mesh->IndexData, (std::vector<std::uint16_t>{0, 2, 1, 2, 4, 3, 10, 12, 11}));

  const std::vector<TPixmapVertexNormal> v = VerticesOf<TPixmapVertexNormal>(*mesh);
  ASSERT_EQ(v.size(), 13u);
  EXPECT_EQ(v[10].position, (TVertex{1, -2, 0.5f}));
  EXPECT_EQ(v[9].position, (TVertex{9, 0, 0}));
  // Normal bytes (64, 0): a = 64 / 255 of a turn, b = 0.
  const double a = 64 * 2 * std::numbers::pi / 255;
  EXPECT_NEAR(v[10].normal.x, std::sin(a), 1e-6);
  EXPECT_NEAR(v[10].normal.y, 0, 1e-6);
  EXPECT_NEAR(v[10].normal.z, std::cos(a), 1e-6);
  EXPECT_NEAR(v[11].normal.z, 1, 1e-6);  // (0, 64): a = 0, straight up
  // Texture coordinates as stored, for vertices triangles use; the others
  // keep (0, 0).
  EXPECT_EQ(v[11].tex, (TTexVector{0.25f, 0.75f}));
  EXPECT_FLOAT_EQ(v[3].tex.u, 0.3f);
  EXPECT_EQ(v[7].tex, (TTexVector{0, 0}));
  EXPECT_EQ(mesh->Bounds, (TAABB{{0, -2, 0, 1}, {9, 1, 1, 1}}));
}

TEST_F(MD3FilterTest, ModelScaleScalesPositionsAndBounds) {
  SetModelScale(2);
  TMesh* mesh = Load("two_surfaces.md3");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(VerticesOf<TPixmapVertexNormal>(*mesh)[10].position, (TVertex{2, -4, 1}));
  EXPECT_EQ(mesh->Bounds, (TAABB{{0, -4, 0, 1}, {18, 2, 2, 1}}));
}

TEST_F(MD3FilterTest, FramesBecomeAnAnimatedMeshDrivenByItsNamedRanges) {
  TMesh* mesh = Load("walker.md3");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(world.log.CountInfo("mesh walker.md3 have 20 and loaded as dynamic"), 1) << world.log.Text();
  EXPECT_TRUE(mesh->Animated);
  EXPECT_EQ(mesh->FrameCount, 20);
  EXPECT_EQ(mesh->VertexCount, 3);
  ASSERT_EQ(mesh->Animations.size(), 2u);
  EXPECT_EQ(mesh->Animations[0].Name, "run");
  EXPECT_EQ(mesh->Animations[1].Name, "jump");
  EXPECT_EQ(mesh->Animations[1].FirstFrame, 10u);
  EXPECT_EQ(mesh->Animations[1].LastFrame, 19u);
  // Frame f holds (f, 0, 0), (f + 1, 0, 0), (f, 1, 0); texture coordinates
  // repeat in every frame.
  const std::vector<TPixmapVertexNormal> v = VerticesOf<TPixmapVertexNormal>(*mesh);
  ASSERT_EQ(v.size(), 60u);
  EXPECT_EQ(v[3 * 17 + 2].position, (TVertex{17, 1, 0}));
  EXPECT_EQ(v[3 * 17 + 1].tex, (TTexVector{1, 0}));

  // Half way from frame 12 to 13 of "jump", at one frame a second.
  const TMeshAni& jump = mesh->Animations[1];
  device->DrawAnimatedMesh(mesh, 2.5f, 1, static_cast<std::int32_t>(jump.FirstFrame),
                           static_cast<std::int32_t>(jump.LastFrame), false);
  ASSERT_EQ(device->Draws.size(), 1u);
  const std::vector<TPixmapVertexNormal> drawn = device->Draws[0].As<TPixmapVertexNormal>();
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[1].position, (TVertex{13.5f, 0, 0}));
  // "run" past its end holds its last frame.
  const TMeshAni& run = mesh->Animations[0];
  device->DrawAnimatedMesh(mesh, 50, 1, static_cast<std::int32_t>(run.FirstFrame),
                           static_cast<std::int32_t>(run.LastFrame), false);
  EXPECT_EQ(device->Draws.at(1).As<TPixmapVertexNormal>().at(2).position, (TVertex{9, 1, 0}));
}

TEST_F(MD3FilterTest, AnimationListsThatAreNoneOrBad) {
  // A lower-case first line is no list at all; only animated models look.
  files.Put("walker.aaf", "aaf\r\n1\r\nrun,0,9\r\n");
  TMesh* mesh = Load("walker.md3");
  ASSERT_NE(mesh, nullptr);
  EXPECT_TRUE(mesh->Animations.empty());
  EXPECT_EQ(Errors(), 0);
  files.Put("two_surfaces.aaf", "AAF\r\n1\r\nrun,0,9\r\n");
  TMesh* still = Load("two_surfaces.md3");
  ASSERT_NE(still, nullptr);
  EXPECT_TRUE(still->Animations.empty());

  // Fewer lines than announced, or a bad number: the ranges before the
  // first bad line stay, and the list is reported once.
  for (const char* text : {"AAF\r\n3\r\nrun,0,9\r\n", "AAF\r\n2\r\nrun,0,9\r\njump,ten,19\r\n"}) {
    files.Put("walker.aaf", text);
    world.log.Clear();
    mesh = Load("walker.md3");
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->Animations.size(), 1u) << text;
    EXPECT_EQ(mesh->Animations[0].Name, "run");
    EXPECT_EQ(Errors(), 1) << world.log.Text();
    EXPECT_EQ(world.log.CountError("Animation list walker.aaf stops at line 4; 1 animations kept"), 1)
        << world.log.Text();
  }
}

// A real list is a few lines: a file over the size limit is not read at
// all, and a list of more ranges than the limit keeps the first ones; each
// is reported once, naming the file.
TEST_F(MD3FilterTest, AnimationListsAreBoundedInBytesAndRanges) {
  std::string many = "AAF\r\n" + std::to_string(kMaxAnimationRanges + 1) + "\r\n";
  for (std::size_t i = 0; i <= kMaxAnimationRanges; ++i) many += "r" + std::to_string(i) + ",0,9\r\n";
  files.Put("walker.aaf", many);
  world.log.Clear();
  TMesh* mesh = Load("walker.md3");
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->Animations.size(), kMaxAnimationRanges);
  EXPECT_EQ(mesh->Animations.back().Name, "r4095");
  EXPECT_EQ(Errors(), 1) << world.log.Text();
  EXPECT_EQ(world.log.CountError("Animation list walker.aaf names too many animations; 4096 animations kept"), 1);

  std::string large = "AAF\r\n1\r\nrun,0,9\r\n";
  large.resize(static_cast<std::size_t>(kMaxAnimationListBytes) + 1, ' ');
  files.Put("walker.aaf", large);
  world.log.Clear();
  mesh = Load("walker.md3");
  ASSERT_NE(mesh, nullptr);
  EXPECT_TRUE(mesh->Animations.empty());
  EXPECT_EQ(Errors(), 1) << world.log.Text();
  EXPECT_EQ(world.log.CountError("Can't load animation list walker.aaf: its 1048577 bytes pass the limit of 1048576"), 1);

  // From a real folder, a list of 3 GB (kept sparse) is refused from its
  // size: the load's peak stays far below it.
  test::TTempDir dir;
  test::WriteFile(dir.File("walker.md3"), ModelFixture("walker.md3"));
  test::WriteFile(dir.File("walker.aaf"), "");
  std::filesystem::resize_file(dir.File("walker.aaf"), std::uintmax_t{3} << 30);
  TOwned<TFolderResourceMan> folder(CreateResMan<TFolderResourceMan>(dir.Path() + "/"));
  TOwned<TMeshMD3Filter> filter(Create<TMeshMD3Filter>(TCreateContext(world.applet)));
  world.log.Clear();
  if (!test::ResetPeakResidentBytes()) GTEST_SKIP() << "the kernel keeps the peak resident size";
  const std::size_t before = test::PeakResidentBytes();
  mesh = filter->LoadFromFile(folder.get(), "walker.md3");
  const std::size_t rise = test::PeakResidentBytes() - before;
  ASSERT_NE(mesh, nullptr);
  EXPECT_TRUE(mesh->Animations.empty());
  const std::string refused = "Can't load animation list walker.aaf: its 3221225472 bytes pass the limit of 1048576";
  EXPECT_EQ(world.log.CountError(refused), 1) << world.log.Text();
  EXPECT_LT(rise, std::size_t{64} << 20) << "the load's peak rose by " << rise / 1024 / 1024 << " MB";
}

TEST_F(MD3FilterTest, EveryTruncatedListKeepsTheRangesReadSoFar) {
  const std::string whole = ModelFixture("walker.aaf");
  for (std::size_t size = 0; size < whole.size(); ++size) {
    files.Put("walker.aaf", whole.substr(0, size));
    world.log.Clear();
    TMesh* mesh = Load("walker.md3");
    ASSERT_NE(mesh, nullptr) << size;
    EXPECT_LE(mesh->Animations.size(), 2u) << size;
    EXPECT_LE(Errors(), 1) << size << "\n" << world.log.Text();
    device->DestroyMesh(mesh);
  }
}

TEST_F(MD3FilterTest, MissingFilesAreSilentAndFailedLocksLeaveNothing) {
  world.log.Clear();
  EXPECT_EQ(Load("gone.md3"), nullptr);
  EXPECT_TRUE(world.log.Lines().empty()) << world.log.Text();

  const std::size_t meshes = device->Meshes().size();
  device->FailLocks = true;
  EXPECT_EQ(Load("walker.md3"), nullptr);
  EXPECT_EQ(device->Meshes().size(), meshes);
  EXPECT_EQ(world.log.CountError("Can't load mesh walker.md3: the device did not take it"), 1) << world.log.Text();
}

TEST_F(MD3FilterTest, UntrustedModelsAreRefused) {
  const std::string model = ModelFixture("two_surfaces.md3");
  const std::string walker = ModelFixture("walker.md3");
  std::string bytes = walker;
  PatchInt(bytes, kLegsAt + kSurfaceFramesAt, 19);
  ExpectRefused(bytes, "surface 0: it has 19 frames, the model 20");
  bytes = model;
  PatchInt(bytes, kHeadTriangle + 8, 3);
  ExpectRefused(bytes, "surface 1: triangle 0 names vertex 3 of 3");
  bytes = model;
  PatchInt(bytes, kHeadTriangle + 4, -1);
  ExpectRefused(bytes, "names vertex -1 of 3");
  bytes = model;
  PatchInt(bytes, kFrameCountAt, 0);
  ExpectRefused(bytes, "it counts 0 frames");
  bytes = model;
  PatchInt(bytes, kFrameCountAt, 0x7FFFFFFF);
  ExpectRefused(bytes, "its frames and tags run past the end");
  for (const std::int32_t offset : {-1000, 0x7FFFFFF0}) {
    bytes = model;
    PatchInt(bytes, kHeadAt + kSurfaceTrianglesAt, offset);
    ExpectRefused(bytes, "surface 1: its records lie outside the file");
  }
  // Surfaces sharing one block of records would multiply what a small
  // file makes.
  ExpectRefused(WideModel({100, 100, 100}, true), "surface 1: its records lie outside the file or claim more");
  bytes = model;
  PatchInt(bytes, kBodyAt + kSurfaceEndAt, 0);
  ExpectRefused(bytes, "surface 0: it ends at 0");
  ExpectRefused("IDP3", "the header is cut short");
  // 16-bit indices address at most 65536 vertices; the merged model must
  // stay below that.
  ExpectRefused(WideModel({32768, 32768}), "its 65536 vertices do not fit one mesh");
  files.Put("wide.md3", WideModel({32768, 32767}));
  TMesh* wide = Load("wide.md3");
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->VertexCount, 65535);
}

TEST_F(MD3FilterTest, EveryTruncationIsRefusedCleanly) {
  const std::size_t meshes = device->Meshes().size();
  for (const char* name : {"two_surfaces.md3", "walker.md3"}) {
    const std::string whole = ModelFixture(name);
    for (std::size_t size = 0; size < whole.size(); ++size) {
      files.Put("x.md3", whole.substr(0, size));
      world.log.Clear();
      ASSERT_EQ(Load("x.md3"), nullptr) << name << " cut at " << size;
      ASSERT_EQ(Errors(), 1) << name << " cut at " << size << "\n" << world.log.Text();
    }
  }
  EXPECT_EQ(device->Meshes().size(), meshes);
}

TEST_F(MD3FilterTest, SeededMutationsEndCleanly) {
  std::mt19937 random(1234);
  const std::int32_t extremes[] = {0, -1, 1, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000), 65536, 108};
  for (const char* name : {"two_surfaces.md3", "walker.md3"}) {
    const std::string whole = ModelFixture(name);
    for (int round = 0; round < 1500; ++round) {
      std::string bytes = whole;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i) {
        const std::size_t at = random() % bytes.size();
        if (random() % 2 && at + 4 <= bytes.size())
          PatchInt(bytes, at & ~std::size_t{3}, extremes[random() % std::size(extremes)]);
        else
          bytes[at] = static_cast<char>(random());
      }
      files.Put("x.md3", bytes);
      world.log.Clear();
      TMesh* mesh = Load("x.md3");
      ASSERT_LE(Errors(), 1) << name << " round " << round << "\n" << world.log.Text();
      if (mesh) device->DestroyMesh(mesh);
    }
  }
}

}  // namespace
}  // namespace corvane
