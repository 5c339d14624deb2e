// Pixmaps as OpenGL textures: what goes in through a lock comes out, is
// drawn where it belongs, and stays with its own pixmap whatever else is
// created, locked or destroyed meanwhile.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

using OGLTexturesTest = test::GLDeviceTest;

// The whole picture of a pixmap, read back from its texture.
std::vector<std::uint32_t> PictureOf(TDevice& device, TPixmap* pixmap) {
  void* bits = nullptr;
  std::vector<std::uint32_t> picture;
  if (!device.LockPixmapRectARGB(pixmap, 0, 0, pixmap->Width, pixmap->Height, bits, true)) return picture;
  picture.resize(static_cast<std::size_t>(pixmap->Width) * static_cast<std::size_t>(pixmap->Height));
  for (std::int32_t y = 0; y < pixmap->Height; ++y)
    std::memcpy(picture.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pixmap->Width),
                static_cast<const std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pixmap->Pitch,
                static_cast<std::size_t>(pixmap->Width) * 4);
  device.UnlockPixmap(pixmap);
  return picture;
}

void Fill(TDevice& device, TPixmap* pixmap, const std::vector<std::uint32_t>& picture) {
  void* bits = nullptr;
  ASSERT_TRUE(device.LockPixmapRectARGB(pixmap, 0, 0, pixmap->Width, pixmap->Height, bits, false));
  for (std::int32_t y = 0; y < pixmap->Height; ++y)
    std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pixmap->Pitch,
                picture.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pixmap->Width),
                static_cast<std::size_t>(pixmap->Width) * 4);
  device.UnlockPixmap(pixmap);
}

// The pixmap stretched over (0, 0, 100, 100), texels as they are.
std::vector<std::uint32_t> Drawn(test::TGLHarness& gl, TPixmap* pixmap) {
  gl.Begin2D();
  gl.device->SetColor(0xFFFFFFFF);
  gl.device->SetPixmap(0, pixmap);
  gl.device->SetRenderState(rsTexNearest);
  gl.device->SetRenderState(rsTexReplace);
  gl.device->DrawPixmap(pixmap, Rect(0, 0, 100, 100));
  return gl.ReadAndFlip();
}

TEST_F(OGLTexturesTest, ALockedPictureComesBackByteForByte) {
  TPixmap* pixmap = Device().CreatePixmap(3, 2);
  ASSERT_NE(pixmap, nullptr);
  EXPECT_NE(pixmap->TextureHandle, 0u);
  const std::vector<std::uint32_t> picture = {0x12345678, 0xFF000000, 0x00FFFFFF,
                                              0x80FF0000, 0x0100FF00, 0xFE0000FF};
  Fill(Device(), pixmap, picture);
  EXPECT_EQ(PictureOf(Device(), pixmap), picture);
  EXPECT_EQ(pixmap->Pitch, 12);
}

TEST_F(OGLTexturesTest, APartLockedChangesOnlyThatPart) {
  TPixmap* pixmap = Device().CreatePixmap(3, 2);
  Fill(Device(), pixmap, {1, 2, 3, 4, 5, 6});
  void* bits = nullptr;
  ASSERT_TRUE(Device().LockPixmapRectARGB(pixmap, 1, 0, 2, 2, bits, true));
  auto* rows = static_cast<std::uint32_t*>(bits);
  EXPECT_EQ(pixmap->Pitch, 8);
  EXPECT_EQ(rows[0], 2u);
  EXPECT_EQ(rows[3], 6u);
  rows[0] = 20;
  rows[3] = 60;
  Device().UnlockPixmap(pixmap);
  EXPECT_EQ(PictureOf(Device(), pixmap), (std::vector<std::uint32_t>{1, 20, 3, 4, 5, 60}));

  // The first upload of a part of a fresh texture leaves the rest clear.
  TPixmap* fresh = Device().CreatePixmap(2, 2);
  ASSERT_TRUE(Device().LockPixmapRectARGB(fresh, 1, 1, 1, 1, bits, false));
  *static_cast<std::uint32_t*>(bits) = 0xFFFFFFFF;
  Device().UnlockPixmap(fresh);
  EXPECT_EQ(PictureOf(Device(), fresh), (std::vector<std::uint32_t>{0, 0, 0, 0xFFFFFFFF}));
}

TEST_F(OGLTexturesTest, ClearingOnePixmapNeverChangesAnother) {
  TPixmap* red = Device().CreatePixmap(4, 4);
  TPixmap* green = Device().CreatePixmap(4, 4);
  red->Clear(0xFFFF0000);
  // Bound for drawing while another is made and filled.
  gl->Begin2D();
  Device().SetPixmap(0, red);
  green->Clear(0xFF00FF00);
  TPixmap* blue = Device().CreatePixmap(4, 4);
  blue->Clear(0xFF0000FF);
  Device().SetRenderState(rsTexNearest);
  Device().SetRenderState(rsTexReplace);
  Device().SetColor(0xFFFFFFFF);
  Device().DrawPixmap(red, Rect(0, 0, 10, 10));
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(gl->Rgb(pixels, 5, 5), 0xFF0000u) << "the stage's own texture is drawn";

  EXPECT_EQ(PictureOf(Device(), red), std::vector<std::uint32_t>(16, 0xFFFF0000));
  EXPECT_EQ(PictureOf(Device(), green), std::vector<std::uint32_t>(16, 0xFF00FF00));
  EXPECT_EQ(PictureOf(Device(), blue), std::vector<std::uint32_t>(16, 0xFF0000FF));
}

TEST_F(OGLTexturesTest, APixmapMadeWhereADestroyedOneWasIsBound) {
  TPixmap* first = Device().CreatePixmap(2, 2);
  first->Clear(0xFFFF0000);
  Device().SetPixmap(0, first);
  Device().DestroyPixmap(first);
  EXPECT_EQ(Device().Stages[0], nullptr) << "no stage keeps a destroyed pixmap";
  // Often the same address and texture name again.
  TPixmap* second = Device().CreatePixmap(2, 2);
  second->Clear(0xFF00FF00);
  const std::vector<std::uint32_t> pixels = Drawn(*gl, second);
  EXPECT_EQ(gl->Rgb(pixels, 50, 50), 0x00FF00u);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<std::uintptr_t>(bound), second->TextureHandle);
}

TEST_F(OGLTexturesTest, ANilPixmapKeepsTheBoundTexture) {
  TPixmap* pixmap = Device().CreatePixmap(2, 2);
  pixmap->Clear(0xFFFFFFFF);
  Device().SetPixmap(0, pixmap);
  Device().SetPixmap(0, nullptr);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<std::uintptr_t>(bound), pixmap->TextureHandle);
  EXPECT_EQ(Device().Stages[0], nullptr);
}

TEST_F(OGLTexturesTest, TheTextureMatrixScalesTextureCoordinates) {
  TPixmap* pixmap = Device().CreatePixmap(2, 2);
  Fill(Device(), pixmap, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  TPlaneMatrix half = IdentityPlaneMatrix;
  half[0][0] = 0.5f;  // only the left column of texels
  half[1][1] = 0.5f;  // and the top row
  gl->Begin2D();  // the 2D scene loads the identity
  Device().SetTextureMatrix(half);
  Device().SetColor(0xFFFFFFFF);
  Device().SetPixmap(0, pixmap);
  Device().SetRenderState(rsTexNearest);
  Device().SetRenderState(rsTexReplace);
  Device().DrawPixmap(pixmap, Rect(0, 0, 100, 100));
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(gl->Rgb(pixels, 75, 75), 0xFF0000u);
}

// Wider than the renderer takes (a long strip costs little memory): stored
// scaled down, drawn and read back as the picture, not plain white.
TEST_F(OGLTexturesTest, APictureWiderThanTheRendererTakesIsScaledDown) {
  GLint limit = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
  ASSERT_GT(limit, 0);
  const std::int32_t width = limit + 2;
  TPixmap* pixmap = Device().CreatePixmap(width, 2);
  std::vector<std::uint32_t> picture(static_cast<std::size_t>(width) * 2);
  for (std::int32_t x = 0; x < width; ++x)
    picture[static_cast<std::size_t>(x)] = picture[static_cast<std::size_t>(width + x)] =
        x < width / 2 ? 0xFFFF0000u : 0xFF00FF00u;
  Fill(Device(), pixmap, picture);
  const std::string scaled = "Picture of " + std::to_string(width) + " x 2 scaled down to " + std::to_string(limit) +
                             " x 2, the renderer's texture limit";
  EXPECT_EQ(gl->world.log.CountInfo(scaled), 1) << gl->world.log.Text();
  EXPECT_EQ(gl->world.log.ErrorCount(), 0) << gl->world.log.Text();
  const std::vector<std::uint32_t> pixels = Drawn(*gl, pixmap);
  EXPECT_EQ(gl->Rgb(pixels, 25, 50), 0xFF0000u);
  EXPECT_EQ(gl->Rgb(pixels, 75, 50), 0x00FF00u);
  // A lock sees the picture's own size; a part written goes where it lies.
  const std::vector<std::uint32_t> back = PictureOf(Device(), pixmap);
  ASSERT_EQ(back.size(), picture.size());
  EXPECT_EQ(back.front(), 0xFFFF0000u);
  EXPECT_EQ(back.back(), 0xFF00FF00u);
  void* bits = nullptr;
  ASSERT_TRUE(Device().LockPixmapRectARGB(pixmap, 0, 0, 8, 2, bits, false));
  std::fill_n(static_cast<std::uint32_t*>(bits), 16, 0xFF0000FFu);
  Device().UnlockPixmap(pixmap);
  EXPECT_EQ(PictureOf(Device(), pixmap).front(), 0xFF0000FFu);
  EXPECT_EQ(gl->world.log.CountInfo(scaled), 1) << "once per texture";
}

}  // namespace
}  // namespace corvane
