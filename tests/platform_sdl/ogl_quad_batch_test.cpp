// The OpenGL device's runs of 2D draws: consecutive pictures in one state
// reach the renderer as one draw, each where its own model and texture
// matrices put it, and whatever would change what a gathered draw shows
// (an upload, a destroyed picture, a state) draws the run first; a run
// takes the texture matrix OpenGL holds, which the 2D scene resets.
#include <gtest/gtest.h>

#include <cstring>

#include "base/reflection/prop_access.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

using OGLQuadBatchTest = test::GLDeviceTest;

// Counts the renderer's indexed draws while it lives.
class TDrawCounter {
 public:
  TDrawCounter() {
    count_ = 0;
    range_ = glDrawRangeElementsEXT;
    elements_ = glDrawElements;
    if (range_) glDrawRangeElementsEXT = &Range;
    glDrawElements = &Elements;
  }
  ~TDrawCounter() {
    glDrawRangeElementsEXT = range_;
    glDrawElements = elements_;
  }
  TDrawCounter(const TDrawCounter&) = delete;
  TDrawCounter& operator=(const TDrawCounter&) = delete;
  int Count() const { return count_; }

 private:
  static void Range(GLenum mode, GLuint start, GLuint end, GLsizei count, GLenum type, const void* indices) {
    ++count_;
    range_(mode, start, end, count, type, indices);
  }
  static void Elements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    ++count_;
    elements_(mode, count, type, indices);
  }

  inline static int count_ = 0;
  inline static decltype(glDrawRangeElementsEXT) range_ = nullptr;
  inline static decltype(glDrawElements) elements_ = nullptr;
};

TPixmap* Picture(TDevice& device, std::int32_t size, const std::vector<std::uint32_t>& texels) {
  TPixmap* pixmap = device.CreatePixmap(size, size);
  void* bits = nullptr;
  if (!pixmap || !device.LockPixmapRectARGB(pixmap, 0, 0, size, size, bits, false)) return pixmap;
  std::memcpy(bits, texels.data(), texels.size() * 4);
  device.UnlockPixmap(pixmap);
  return pixmap;
}

void Bind(TDevice& device, TPixmap* pixmap) {
  device.SetPixmap(0, pixmap);
  device.SetRenderState(rsTexNearest);
  device.SetRenderState(rsTexReplace);
}

TSpaceMatrix Moved(float x, float y) {
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[3].x = x;
  m[3].y = y;
  return m;
}

TEST_F(OGLQuadBatchTest, PicturesInOneStateAreOneDrawEachInItsOwnPlaceAndCell) {
  TPixmap* sheet = Picture(Device(), 64, QuadrantTexels());
  ASSERT_NE(sheet, nullptr);
  gl->Begin2D();
  Device().SetColor(0xFFFFFFFF);
  Bind(Device(), sheet);
  const TDrawCounter draws;
  // Ten widgets, each in its own matrix, each showing one quadrant of the
  // sheet through the texture matrix as a skin does: red, green, red, ...
  for (int i = 0; i < 10; ++i) {
    Device().SetSpaceMatrix(Moved(static_cast<float>(40 * i), 0));
    TPlaneMatrix cell = IdentityPlaneMatrix;
    cell[0].x = cell[1].y = 0.5f;
    cell[2].x = i % 2 ? 0.5f : 0;
    Device().SetTextureMatrix(cell);
    Device().DrawPixmap(sheet, Rect(10, 10, 30, 30));
    Device().SetTextureMatrix(IdentityPlaneMatrix);
  }
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(draws.Count(), 1);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(gl->Rgb(pixels, 40 * i + 20, 20), i % 2 ? 0x00FF00u : 0xFF0000u) << "widget " << i;
    EXPECT_EQ(gl->Rgb(pixels, 40 * i + 35, 20), 0u) << "beside widget " << i;
  }
}

TEST_F(OGLQuadBatchTest, EachGatheredDrawShowsWhatItWouldHaveShownAlone) {
  TPixmap* picture = Picture(Device(), 1, {0xFFFF0000});
  TPixmap* other = Picture(Device(), 1, {0xFF0000FF});
  TPixmap* sheet = Picture(Device(), 64, QuadrantTexels());
  ASSERT_TRUE(picture && other && sheet);
  gl->Begin2D();
  Device().SetColor(0xFFFFFFFF);
  Bind(Device(), picture);
  Device().DrawPixmap(picture, Rect(0, 0, 20, 20));  // red, uploaded over below
  void* bits = nullptr;
  ASSERT_TRUE(Device().LockPixmapRectARGB(picture, 0, 0, 1, 1, bits, false));
  *static_cast<std::uint32_t*>(bits) = 0xFF00FF00;
  Device().UnlockPixmap(picture);
  Device().DrawPixmap(picture, Rect(30, 0, 50, 20));  // green
  Bind(Device(), other);
  Device().DrawPixmap(other, Rect(60, 0, 80, 20));  // blue, its texture deleted below
  Device().DestroyPixmap(other);
  // The 2D scene loads the identity texture matrix over the one set.
  TPlaneMatrix green = IdentityPlaneMatrix;
  green[0].x = green[1].y = green[2].x = 0.5f;
  Device().SetTextureMatrix(green);
  Device().SetRenderState(rs3DScene);
  Device().SetRenderState(rs2DScene);
  Bind(Device(), sheet);
  Device().DrawPixmap(sheet, Rect(120, 0, 160, 40));  // the whole sheet
  Bind(Device(), picture);
  Device().DrawPixmap(picture, Rect(90, 0, 110, 20));  // filled, then wire frames from here on
  Device().SetRenderState(rsFrame);
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(gl->Rgb(pixels, 10, 10), 0xFF0000u);
  EXPECT_EQ(gl->Rgb(pixels, 40, 10), 0x00FF00u);
  EXPECT_EQ(gl->Rgb(pixels, 70, 10), 0x0000FFu);
  EXPECT_EQ(gl->Rgb(pixels, 100, 10), 0x00FF00u);
  EXPECT_EQ(gl->Rgb(pixels, 125, 5), 0xFF0000u);
  EXPECT_EQ(gl->Rgb(pixels, 155, 5), 0x00FF00u);
}

// Unlit, a gathered rectangle carries its colour; lit, its material's
// ambient shades it (no light is on: the renderer's global ambient of 0.2).
TEST_F(OGLQuadBatchTest, ALitDrawKeepsItsOwnMaterial) {
  SetOrdProp(*gl->world.applet, PropByName(*gl->world.applet, "lighting"), 1);
  gl->Begin2D();
  Device().SetMaterial({true, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000});
  Device().FillRect(Rect(0, 0, 20, 20), 0);
  Device().SetMaterial({true, 0xFFFFFFFF, 0xFF000000, 0xFF000000});
  Device().FillRect(Rect(30, 0, 50, 20), 0);
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(gl->Rgb(pixels, 10, 10), 0x333333u);
  EXPECT_EQ(gl->Rgb(pixels, 40, 10), 0u);
}

}  // namespace
}  // namespace corvane
