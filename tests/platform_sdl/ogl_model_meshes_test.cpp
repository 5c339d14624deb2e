// Models converted by the mesh filters on the OpenGL device: a static model
// in buffer objects draws as it does from memory and as its ".mesh" copy,
// an animated one draws the frames its named ranges choose, and a lit model
// takes the light on the side it is seen from.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/filters/mesh_3ds_filter.h"
#include "platform/filters/mesh_md3_filter.h"
#include "platform/window.h"
#include "resources/folder_res_man.h"
#include "tests/base/temp_dir.h"
#include "tests/platform/filters/model_filter_kit.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/file_bytes.h"

namespace corvane {
namespace {

class OGLModelMeshesTest : public test::GLDeviceTest {
 protected:
  void SetUp() override {
    GLDeviceTest::SetUp();
    for (const char* name : {"boxes.3ds", "facing.3ds"}) files.Put(name, test::FixtureIn(CORVANE_3DS_FIXTURES, name));
    for (const char* name : {"walker.md3", "walker.aaf", "facing.md3"}) files.Put(name, test::ModelFixture(name));
    // One model unit, 20 pixels of the 2D scene.
    SetFloatProp(*gl->world.applet, PropByName(*gl->world.applet, "modelScale"), 20);
  }
  template <class F>
  TMesh* Load(const std::string& name) {
    TOwned<F> filter(Create<F>(TCreateContext(gl->world.applet)));
    return filter->LoadFromFile(&files, name);
  }
  // The pixels of one frame that draw does, in white.
  template <class Draw>
  std::vector<std::uint32_t> Drawn(Draw draw) {
    gl->Begin2D();
    Device().SetColor(0xFFFFFFFF);
    draw();
    return gl->ReadAndFlip();
  }
  // The columns [first, last] holding lit pixels; first > last when none.
  std::pair<int, int> LitColumns(const std::vector<std::uint32_t>& pixels) const {
    std::pair<int, int> columns{gl->Width(), -1};
    for (int y = 0; y < gl->Height(); ++y)
      for (int x = 0; x < gl->Width(); ++x)
        if (gl->Rgb(pixels, x, y) != 0) columns = {std::min(columns.first, x), std::max(columns.second, x)};
    return columns;
  }

  test::TMemoryResMan files;
};

TEST_F(OGLModelMeshesTest, AStaticModelDrawsFromBufferObjectsAsFromMemory) {
  TMesh* inBuffers = Load<TMesh3DSFilter>("boxes.3ds");
  Device().HasVertexBufferObject = false;
  TMesh* inMemory = Load<TMesh3DSFilter>("boxes.3ds");
  Device().HasVertexBufferObject = true;
  ASSERT_TRUE(inBuffers && inMemory) << gl->world.log.Text();
  EXPECT_NE(inBuffers->VertexBufferHandle, 0u);
  EXPECT_EQ(inMemory->VertexBufferHandle, 0u);

  // Two boxes 20 pixels wide, 40 apart.
  const std::vector<std::uint32_t> fromBuffers = Drawn([&] { Device().DrawMesh(inBuffers); });
  EXPECT_GE(Lit(fromBuffers), 2 * 20 * 20);
  EXPECT_EQ(LitColumns(fromBuffers).first, 0);
  for (int y = 0; y < gl->Height(); ++y) ASSERT_EQ(gl->Rgb(fromBuffers, 40, y), 0u) << y;
  EXPECT_TRUE(fromBuffers == Drawn([&] { Device().DrawMesh(inMemory); }));
}

// Through the applet's filter, a 3DS model converted on this device lives in
// buffer objects only; its ".mesh" is read back from them, and the next
// load, from that file, draws the same pixels.
TEST_F(OGLModelMeshesTest, AModelConvertedThroughTheFilterDrawsTheSameFromItsMeshFile) {
  test::TTempDir dir;
  TOwned<TResourceMan> folder(CreateResMan<TFolderResourceMan>(dir.Path() + "/"));
  test::WriteFileBytes(dir.File("boxes.3ds"), test::FixtureIn(CORVANE_3DS_FIXTURES, "boxes.3ds"));
  TFilter* filter = gl->world.applet->UseEngineFilter();
  TMesh* converted = filter->LoadMesh(folder.get(), u"boxes.3ds");
  ASSERT_NE(converted, nullptr) << gl->world.log.Text();
  EXPECT_NE(converted->VertexBufferHandle, 0u);
  ASSERT_TRUE(std::filesystem::exists(dir.File("boxes.mesh")));
  gl->world.log.Clear();
  TMesh* cached = filter->LoadMesh(folder.get(), u"boxes.3ds");
  ASSERT_NE(cached, nullptr) << gl->world.log.Text();
  EXPECT_EQ(gl->world.log.CountInfo("file was loaded boxes.mesh"), 1) << gl->world.log.Text();
  EXPECT_EQ(cached->VertexCount, 16);
  EXPECT_EQ(cached->Bounds, converted->Bounds);
  const std::vector<std::uint32_t> fromSource = Drawn([&] { Device().DrawMesh(converted); });
  EXPECT_GE(Lit(fromSource), 2 * 20 * 20);
  EXPECT_TRUE(fromSource == Drawn([&] { Device().DrawMesh(cached); }));
}

// The "facing" models are turned towards -z, the viewer of the 2D scene,
// 20 pixels from the top left corner. A screen light in front of them
// lights them; one behind leaves them dark.
TEST_F(OGLModelMeshesTest, ALitModelTakesTheLightOnTheSideItIsSeenFrom) {
  SetOrdProp(*gl->world.applet, PropByName(*gl->world.applet, "lighting"), 1);
  TLight& light = gl->window->Lights[0];
  light = {{0, 0, 0, 1}, {0, 0, 0, 1}, 0xFFFFFFFF, 0, 0, true, true};
  const TMaterial lit{true, 0xFFFFFFFF, 0xFF000000, 0};
  for (TMesh* mesh : {Load<TMesh3DSFilter>("facing.3ds"), Load<TMeshMD3Filter>("facing.md3")}) {
    ASSERT_NE(mesh, nullptr) << gl->world.log.Text();
    auto drawn = [&](float z) {
      light.Position.z = z;
      return gl->Rgb(Drawn([&] {
        Device().SetMaterial(lit);
        Device().DrawMesh(mesh);
      }), 5, 5);
    };
    EXPECT_GE(drawn(-1000) & 0xFF, 200u) << std::hex << drawn(-1000);
    EXPECT_EQ(drawn(1000), 0u);
  }
}

TEST_F(OGLModelMeshesTest, AnAnimatedModelDrawsTheFrameItsRangeChooses) {
  TMesh* walker = Load<TMeshMD3Filter>("walker.md3");
  ASSERT_NE(walker, nullptr) << gl->world.log.Text();
  ASSERT_EQ(walker->Animations.size(), 2u);
  EXPECT_EQ(walker->VertexBufferHandle, 0u) << "frames stay in memory";
  // Frame f is a right triangle over x from 20 f to 20 f + 20.
  for (const TMeshAni& range : walker->Animations) {
    const std::vector<std::uint32_t> pixels = Drawn([&] {
      Device().DrawAnimatedMesh(walker, 0, 1, static_cast<std::int32_t>(range.FirstFrame),
                                static_cast<std::int32_t>(range.LastFrame), false);
    });
    const int left = 20 * static_cast<int>(range.FirstFrame);
    const std::pair<int, int> columns = LitColumns(pixels);
    EXPECT_EQ(columns.first, left) << range.Name;
    EXPECT_TRUE(columns.second >= left + 18 && columns.second <= left + 19) << range.Name << " " << columns.second;
    EXPECT_NEAR(Lit(pixels), 200, 20) << range.Name;
  }
}

}  // namespace
}  // namespace corvane
