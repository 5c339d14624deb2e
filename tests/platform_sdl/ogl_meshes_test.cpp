// Meshes through the OpenGL device: every vertex format draws its
// attributes from the right offsets, in buffer objects and in memory alike.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/scratch_quads.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

using OGLMeshesTest = test::GLDeviceTest;

constexpr std::uint32_t kVertexColor = 0xFFFF00FF;  // magenta
constexpr float kU = 0.75f, kV = 0.5f;              // the right texel

// One quad over (20, 20) - (60, 60) in the format: every vertex the same
// colour and texture coordinates, normal +z.
std::vector<std::uint8_t> QuadVertices(TVertexFormat format, std::uint32_t color) {
  const float corners[4][2] = {{20, 20}, {60, 20}, {60, 60}, {20, 60}};
  const std::size_t size = static_cast<std::size_t>(VertexSize(format));
  std::vector<std::uint8_t> bytes(4 * size);
  for (int i = 0; i < 4; ++i) {
    const float x = corners[i][0], y = corners[i][1];
    std::uint8_t* out = bytes.data() + static_cast<std::size_t>(i) * size;
    auto put = [&](const auto& vertex) { std::memcpy(out, &vertex, sizeof vertex); };
    switch (format) {
      case vfVertex: put(Vertex(x, y, 0)); break;
      case vfVertexNormal: put(VertexNormal(x, y, 0, 0, 0, 1)); break;
      case vfPixmapVertexNormal: put(PixmapVertexNormal(x, y, 0, 0, 0, 1, kU, kV)); break;
      case vfPixmapVertex: put(PixmapVertex(x, y, 0, kU, kV)); break;
      case vfColorVertex: put(ColorVertex(x, y, 0, color)); break;
      case vfColorVertexNormal: put(ColorVertexNormal(x, y, 0, color, 0, 0, 1)); break;
      case vfColorPixmapVertex: put(ColorPixmapVertex(x, y, 0, color, kU, kV)); break;
      case vfColorPixmapVertexNormal: put(ColorPixmapVertexNormal(x, y, 0, color, 0, 0, 1, kU, kV)); break;
      default: break;
    }
  }
  return bytes;
}

TMesh* MakeQuadMesh(TDevice& device, TVertexFormat format, bool animated = false) {
  const std::vector<std::uint8_t> vertices = QuadVertices(format, device.CorrectMeshVertexColor(kVertexColor));
  TMesh* mesh = device.CreateMesh(format, 4, true, 6, false, animated, animated ? 1 : 0);
  if (!mesh) return nullptr;
  void* data = nullptr;
  if (device.LockMeshVertex(mesh, 4, data)) {
    std::memcpy(data, vertices.data(), vertices.size());
    device.UnlockMeshVertex(mesh);
  }
  if (device.LockMeshIndex(mesh, 6, data)) {
    WriteQuadIndices(static_cast<std::uint16_t*>(data), 0, 0);
    device.UnlockMeshIndex(mesh);
  }
  // Animated meshes keep their frames in memory and their indices there too.
  if (animated) std::memcpy(mesh->VertexData.data(), vertices.data(), vertices.size());
  return mesh;
}

// A 2 x 1 texture, its left texel yellow and its right one white.
TPixmap* YellowWhiteTexture(TDevice& device) {
  TPixmap* texture = device.CreatePixmap(2, 1);
  void* bits = nullptr;
  if (!device.LockPixmapRectARGB(texture, 0, 0, 2, 1, bits, false)) return nullptr;
  static_cast<std::uint32_t*>(bits)[0] = 0xFFFFFF00;
  static_cast<std::uint32_t*>(bits)[1] = 0xFFFFFFFF;
  device.UnlockPixmap(texture);
  return texture;
}

// The mesh drawn in 2D, gray, modulating a texture whose left texel is
// yellow and right texel white: the centre pixel tells whether the colour
// array (magenta) and the texture coordinates (the white texel) were used.
std::vector<std::uint32_t> DrawnQuad(test::TGLHarness& gl, TPixmap* texture, TMesh* mesh) {
  gl.Begin2D();
  gl.device->SetColor(0xFF808080);
  gl.device->SetPixmap(0, texture);
  gl.device->SetRenderState(rsTexNearest);
  gl.device->SetRenderState(rsTexModulate);
  gl.device->DrawMesh(mesh);
  return gl.ReadAndFlip();
}

TEST_F(OGLMeshesTest, EveryFormatDrawsTheSameFromBufferObjectsAndFromMemory) {
  TPixmap* texture = YellowWhiteTexture(Device());
  ASSERT_NE(texture, nullptr);

  struct TCase {
    TVertexFormat format;
    std::uint32_t centre;
  } cases[] = {
      {vfVertex, 0x808000},                   // gray x yellow
      {vfVertexNormal, 0x808000},
      {vfPixmapVertexNormal, 0x808080},       // gray x white
      {vfPixmapVertex, 0x808080},
      {vfColorVertex, 0xFF0000},              // magenta x yellow
      {vfColorVertexNormal, 0x808000},        // its colour is the material's
      {vfColorPixmapVertex, 0xFF00FF},        // magenta x white
      {vfColorPixmapVertexNormal, 0x808080},  // its colour is the material's
  };
  for (const TCase& c : cases) {
    Device().HasVertexBufferObject = true;
    TMesh* inBuffers = MakeQuadMesh(Device(), c.format);
    Device().HasVertexBufferObject = false;
    TMesh* inMemory = MakeQuadMesh(Device(), c.format);
    Device().HasVertexBufferObject = true;
    ASSERT_TRUE(inBuffers && inMemory);
    EXPECT_NE(inBuffers->VertexBufferHandle, 0u);
    EXPECT_TRUE(inBuffers->VertexData.empty());
    EXPECT_EQ(inMemory->VertexBufferHandle, 0u);
    EXPECT_EQ(inMemory->VertexData.size(), 4u * static_cast<std::size_t>(VertexSize(c.format)));

    const std::vector<std::uint32_t> fromBuffers = DrawnQuad(*gl, texture, inBuffers);
    EXPECT_EQ(Device().TriangleCount, 2);
    const std::vector<std::uint32_t> fromMemory = DrawnQuad(*gl, texture, inMemory);
    EXPECT_EQ(gl->Rgb(fromBuffers, 40, 40), c.centre) << "format " << int(c.format);
    EXPECT_EQ(Lit(fromBuffers), 40 * 40) << "format " << int(c.format);
    EXPECT_TRUE(fromBuffers == fromMemory) << "format " << int(c.format);
    Device().DestroyMesh(inBuffers);
    Device().DestroyMesh(inMemory);
  }
}

TEST_F(OGLMeshesTest, AMeshInTheBufferOfADestroyedOneDrawsItsOwnVertices) {
  TMesh* first = MakeQuadMesh(Device(), vfColorVertex);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Lit(DrawnQuad(*gl, nullptr, first)), 40 * 40);
  Device().DestroyMesh(first);
  // The same format, likely the same buffer names again: the vertices of
  // the new mesh are drawn, 100 pixels to the right.
  TMesh* second = MakeQuadMesh(Device(), vfColorVertex);
  ASSERT_NE(second, nullptr);
  void* data = nullptr;
  ASSERT_TRUE(Device().LockMeshVertex(second, 4, data));
  for (int i = 0; i < 4; ++i) static_cast<TColorVertex*>(data)[i].position.x += 100;
  Device().UnlockMeshVertex(second);
  const std::vector<std::uint32_t> pixels = DrawnQuad(*gl, nullptr, second);
  EXPECT_EQ(Lit(pixels), 40 * 40);
  EXPECT_EQ(gl->Rgb(pixels, 140, 40), 0xFF00FFu);  // its own magenta
  EXPECT_EQ(gl->Rgb(pixels, 40, 40), 0u);
}

TEST_F(OGLMeshesTest, TextureCoordinatesAreDrawnOnlyWhileStageZeroHoldsAPixmap) {
  TPixmap* texture = YellowWhiteTexture(Device());
  ASSERT_NE(texture, nullptr);
  TMesh* mesh = MakeQuadMesh(Device(), vfPixmapVertex);
  ASSERT_NE(mesh, nullptr);
  // With the pixmap the right (white) texel; without it no texture at all,
  // whatever is still bound: the plain colour. And back.
  const struct {
    TPixmap* stage;
    std::uint32_t centre;
  } draws[] = {{texture, 0x808080}, {nullptr, 0x808080}, {texture, 0x808080}};
  for (const auto& d : draws)
    EXPECT_EQ(gl->Rgb(DrawnQuad(*gl, d.stage, mesh), 40, 40), d.centre) << (d.stage ? "with" : "without");
}

TEST_F(OGLMeshesTest, AnAnimatedMeshShowsItsFirstFrameThroughTheScratchMesh) {
  TPixmap* texture = Device().CreatePixmap(2, 1);
  texture->Clear(0xFFFFFFFF);
  TMesh* still = MakeQuadMesh(Device(), vfPixmapVertexNormal);
  TMesh* animated = MakeQuadMesh(Device(), vfPixmapVertexNormal, true);
  ASSERT_TRUE(still && animated);
  EXPECT_EQ(animated->VertexBufferHandle, 0u) << "frames stay in memory";
  EXPECT_TRUE(DrawnQuad(*gl, texture, still) == DrawnQuad(*gl, texture, animated));
}

TEST_F(OGLMeshesTest, AnIndexPastTheVerticesDrawsNothing) {
  Device().HasVertexBufferObject = false;
  TMesh* mesh = MakeQuadMesh(Device(), vfVertex);
  ASSERT_NE(mesh, nullptr);
  void* data = nullptr;
  ASSERT_TRUE(Device().LockMeshIndex(mesh, 6, data));
  static_cast<std::uint16_t*>(data)[2] = 60000;
  Device().UnlockMeshIndex(mesh);
  EXPECT_EQ(Lit(DrawnQuad(*gl, nullptr, mesh)), 0);
}

TEST_F(OGLMeshesTest, ScratchDrawingIsCountedAndStaysWithinTheStore) {
  gl->Begin2D();
  Device().SetColor(0xFFFFFFFF);
  Device().FillRect(Rect(0, 0, 4, 4), 0);
  Device().FillRect(Rect(8, 0, 12, 4), 0);
  // A dynamic mesh counts its locked vertices / 3: one for each quad.
  EXPECT_EQ(Device().TriangleCount, 2);
  EXPECT_EQ(Device().CurrentMesh, Device().DynamicMesh);
  // A lock beyond the store is refused by the device.
  void* data = nullptr;
  EXPECT_FALSE(Device().LockMeshVertex(Device().DynamicMesh, CurColorVertexCount + 1, data));
  Device().FlipWindow();
}

}  // namespace
}  // namespace corvane
