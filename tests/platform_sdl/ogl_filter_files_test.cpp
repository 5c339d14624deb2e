// Pixmap and mesh files on the OpenGL device: pictures live in textures, a
// static mesh only in buffer objects, and saving reads them back through the
// device's locks.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/filters/mesh_binary_filter.h"
#include "platform/filters/pixmap_binary_filter.h"
#include "resources/folder_res_man.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/file_bytes.h"
#include "tests/support/kit/filter_files.h"

namespace corvane {
namespace {

class OGLFilterFilesTest : public test::GLDeviceTest {
 protected:
  void SetUp() override {
    test::GLDeviceTest::SetUp();
    folder_ = test::MakeTempFolder("corvane-glmesh-");
    ASSERT_FALSE(folder_.empty());
    resMan_.reset(CreateResMan<TFolderResourceMan>(folder_));
  }
  void TearDown() override {
    resMan_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    test::GLDeviceTest::TearDown();
  }
  template <class F = TMeshBinaryFilter>
  TOwned<F> Filter() const {
    return TOwned<F>(Create<F>(TCreateContext(gl->world.applet)));
  }
  void Put(const std::string& name, const std::string& bytes) const { test::WriteFileBytes(folder_ + name, bytes); }
  std::optional<std::string> Bytes(const std::string& name) const { return test::ReadFileBytes(folder_ + name); }

  std::string folder_;
  TOwned<TResourceMan> resMan_;
};

TEST_F(OGLFilterFilesTest, AMeshInBufferObjectsSavesAndLoadsBackByteIdentical) {
  for (int f = vfVertex; f < vfNone; ++f) {
    const auto format = static_cast<TVertexFormat>(f);
    SCOPED_TRACE(testing::Message() << "format " << f);
    const std::string bytes = test::MeshFileBytes(test::CountingMesh(format, 6, true));
    Put("in.mesh", bytes);
    TMesh* mesh = Filter()->LoadFromFile(resMan_.get(), "in.mesh");
    ASSERT_NE(mesh, nullptr) << gl->world.log.Text();
    EXPECT_NE(mesh->VertexBufferHandle, 0u);
    EXPECT_NE(mesh->IndexBufferHandle, 0u);
    EXPECT_TRUE(mesh->VertexData.empty() && mesh->IndexData.empty()) << "held only by the renderer";
    Filter()->SaveToFile(resMan_.get(), "out.mesh", mesh);
    EXPECT_EQ(Bytes("out.mesh"), bytes);
    Device().DestroyMesh(mesh);
  }
  // Animated meshes keep their frames in memory on this device too.
  const std::string animated = test::MeshFileBytes(test::CountingMesh(vfPixmapVertexNormal, 4, true, 3));
  Put("walk.mesh", animated);
  TMesh* mesh = Filter()->LoadFromFile(resMan_.get(), "walk.mesh");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->VertexBufferHandle, 0u);
  Filter()->SaveToFile(resMan_.get(), "walk2.mesh", mesh);
  EXPECT_EQ(Bytes("walk2.mesh"), animated);
}

TEST_F(OGLFilterFilesTest, APictureInATextureSavesAndLoadsBackByteIdentical) {
  const std::vector<std::uint32_t> pixels = {0xFF0000FFu, 0x80FF0000u, 0x00000000u, 0xFFFFFFFFu, 0x7F102030u, 0xFF00FF00u};
  const std::string bytes = test::PixmapFileBytes(3, 2, pixels);
  Put("in.pixmap", bytes);
  TPixmap* pixmap = Filter<TPixmapBinaryFilter>()->LoadFromFile(resMan_.get(), "in.pixmap");
  ASSERT_NE(pixmap, nullptr) << gl->world.log.Text();
  EXPECT_NE(pixmap->TextureHandle, 0u);
  Filter<TPixmapBinaryFilter>()->SaveToFile(resMan_.get(), "out.pixmap", pixmap);
  EXPECT_EQ(Bytes("out.pixmap"), bytes);
  Device().DestroyPixmap(pixmap);
}

}  // namespace
}  // namespace corvane
