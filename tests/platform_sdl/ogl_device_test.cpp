// The OpenGL device's life and its 2D drawing, read back from a real
// context (Mesa's llvmpipe under SDL's offscreen driver).
#include "platform/sdl/ogl_device.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "platform/sdl/gl_loader.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

using test::TGLHarness;

using OGLDeviceTest = test::GLDeviceTest;

TEST_F(OGLDeviceTest, CreationLogsTheRendererAndPreparesEverything) {
  const test::TCaptureLog& log = gl->world.log;
  EXPECT_EQ(log.CountInfo("ogl device manager stared"), 1);
  EXPECT_EQ(log.CountInfo("Hardware info =================================================="), 2);
  EXPECT_TRUE(log.Contains("(i) OGL Renderer llvmpipe")) << log.Text();
  EXPECT_TRUE(log.Contains("(i) Extention supported - GL_ARB_vertex_buffer_object"));
  for (const char* line : {"GL_ARB_vertex_buffer_object supported", "GL_BGRA supported",
                           "GL_SGIS_generate_mipmap supported", "GL_EXT_blend_func_separate supported"})
    EXPECT_EQ(log.CountInfo(line), 1) << line;
  EXPECT_EQ(log.CountError("Can't create AGL context"), 0);
  EXPECT_TRUE(Device().IsHardwareSupport(gl->window));
  EXPECT_TRUE(Device().HasVertexBufferObject && Device().HasBGRA && Device().HasGenerateMipmap &&
              Device().HasBlendFuncSeparate && Device().HasDrawRangeElements);
  EXPECT_EQ(gl->window->GLContext, SDL_GL_GetCurrentContext());
  ASSERT_NE(Device().DynamicMesh, nullptr);
  EXPECT_NE(Device().DynamicMesh->VertexBufferHandle, 0u) << "the scratch mesh lives in a buffer object";
  for (int s = kFirstPreparedState; s <= kLastPreparedState; ++s) EXPECT_NE(Device().StateLists[s], 0u) << s;
  EXPECT_EQ(Device().DeviceName(), u"ogl");
  EXPECT_EQ(OGLRef, 1);

  gl.reset();
  EXPECT_EQ(OGLRef, 0);
  EXPECT_EQ(LibGL(), nullptr) << "the last device frees OpenGL";
  EXPECT_EQ(glClear, nullptr);
}

TEST_F(OGLDeviceTest, ADeviceWithoutAContextCountsAsNoneAndDrawsNothing) {
  gl.reset();
  TGLHarness none(64, 48, false);
  TGenericGLDevice& device = *none.device;
  EXPECT_EQ(none.world.log.CountError("Can't create AGL context"), 1);
  EXPECT_FALSE(device.HasContext());
  EXPECT_FALSE(device.IsHardwareSupport(none.window));
  EXPECT_EQ(device.DynamicMesh, nullptr);
  EXPECT_EQ(none.window->GLContext, nullptr);
  // Every operation returns at once.
  device.RenderWindow();
  EXPECT_FALSE(device.FramePending);
  device.SetRenderState(rs2DScene);
  device.SetColor(0xFFFFFFFF);
  device.FillRect(Rect(0, 0, 10, 10), 0);
  device.FillBox({-1, -1, -1, 1}, {1, 1, 1, 1});
  device.DrawBox({-1, -1, -1, 1}, {1, 1, 1, 1}, 1);
  device.SetTextureMatrix(IdentityPlaneMatrix);
  device.ResizeDevice();
  device.FullScreen(true, -1);
  device.FlipWindow();
  EXPECT_EQ(device.CreatePixmap(4, 4), nullptr);
  EXPECT_EQ(device.CreateMesh(vfVertex, 3, false, 0, false, false, 0), nullptr);
  // Made the ordinary way, such a device is none at all.
  EXPECT_EQ(CreateDevice(DeviceClassOf<TGenericGLDevice>(), none.window), nullptr);
  EXPECT_EQ(none.world.log.CountError("Can't create AGL context"), 2);
  EXPECT_EQ(OGLRef, 1);
  for (int i = 0; i < 3; ++i) device.ProcessTick(0.1f, 0);
  EXPECT_EQ(CurColorVertexCount, kStartColorVertexCount) << "no scratch mesh grows without a context";
  // Picking is arithmetic and needs no context.
  device.SetCameraPos({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
  TSpaceVector origin, direction;
  device.Pick(32, 24, origin, direction);
  EXPECT_NEAR(origin.y, -150, 1e-3f);
  EXPECT_NEAR(direction.y, 1, 1e-5f);
}

TEST_F(OGLDeviceTest, RegistrationMakesTheDeviceTheDefault) {
  const std::int32_t previous = DefaultDevice;
  const std::int32_t index = RegisterGLDevice();
  EXPECT_EQ(DefaultDevice, index);
  EXPECT_EQ(DeviceList()[static_cast<std::size_t>(index)].Class, TGenericGLDevice::StaticClass());
  DefaultDevice = previous;
}

TEST_F(OGLDeviceTest, FullScreenTakesOnlyTheModesItLists) {
  const std::int32_t width = gl->window->BufferWidth, count = Device().ScreenModes.Count();
  for (std::int32_t beyond : {count, count + 5}) {
    Device().FullScreen(true, beyond);
    EXPECT_FALSE(Device().FullScreenOn) << beyond;
    EXPECT_EQ(gl->window->BufferWidth, width);
  }
  // A text that names no mode is skipped.
  Device().ScreenModes.Add(u"big");
  Device().FullScreen(true, count);
  EXPECT_FALSE(Device().FullScreenOn);
  EXPECT_EQ(gl->window->BufferWidth, width);
  Device().ScreenModes.Delete(count);

  // The desktop's own mode, and back; the context stays.
  ASSERT_GT(Device().DesktopWidth, 0);
  Device().FullScreen(true, -1);
  EXPECT_TRUE(Device().FullScreenOn);
  EXPECT_EQ(gl->window->BufferWidth, Device().DesktopWidth);
  EXPECT_EQ(gl->window->Height, Device().DesktopHeight);
  Device().FullScreen(false, -1);
  EXPECT_FALSE(Device().FullScreenOn);
  EXPECT_TRUE(Device().HasContext());
  // The applet puts its window's size back and the device follows.
  gl->window->SetClientSize(gl->Width(), gl->Height());
  gl->window->BufferWidth = gl->Width();
  gl->window->BufferHeight = gl->Height();
  Device().ResizeDevice();
  EXPECT_TRUE(Device().FramePending) << "a resize draws a frame at the new size";
  Device().FlipWindow();
  gl->Begin2D();
  Device().SetColor(0xFFFFFFFF);
  Device().FillRect(Rect(0, 0, 2, 2), 0);
  EXPECT_EQ(gl->Rgb(gl->ReadPixels(), 1, 1), 0xFFFFFFu);
  Device().FlipWindow();
}

// Each draw call finds its own context current, however the calls of the
// two devices interleave; the library stays while any device lives.
TEST_F(OGLDeviceTest, DrawCallsOfTwoDevicesLandInTheirOwnWindows) {
  auto second = std::make_unique<TGLHarness>(64, 48);
  ASSERT_TRUE(second->device && second->device->HasContext());
  EXPECT_EQ(OGLRef, 2);
  TGenericGLDevice& other = *second->device;
  gl->Begin2D();
  second->Begin2D();
  const TRect rects[] = {Rect(0, 0, 8, 8), Rect(16, 0, 24, 8), Rect(32, 0, 40, 8)};
  for (const TRect& r : rects) {
    Device().SetColor(0xFFFF0000);
    Device().FillRect(r, 0);
    other.SetColor(0xFF00FF00);
    other.DrawRect(r, 1, 0);
  }
  auto pixelsOf = [](TGLHarness& harness) {
    SDL_GL_MakeCurrent(harness.HostWindow(), static_cast<SDL_GLContext>(harness.window->GLContext));
    return harness.ReadPixels();
  };
  const std::vector<std::uint32_t> mine = pixelsOf(*gl), theirs = pixelsOf(*second);
  for (const TRect& r : rects) {
    const int x = static_cast<int>(r.left);
    EXPECT_EQ(gl->Rgb(mine, x + 4, 4), 0xFF0000u) << x;
    EXPECT_EQ(gl->Rgb(mine, x, 0), 0xFF0000u) << x << ": no outline of the other device";
    EXPECT_EQ(second->Rgb(theirs, x, 0), 0x00FF00u) << x;
    EXPECT_EQ(second->Rgb(theirs, x + 4, 4), 0u) << x << ": no fill of the other device";
  }
  EXPECT_EQ(Lit(mine), 3 * 64);
  EXPECT_EQ(Lit(theirs), 3 * (64 - 36));
  Device().FlipWindow();
  other.FlipWindow();

  second.reset();
  EXPECT_EQ(OGLRef, 1);
  EXPECT_NE(LibGL(), nullptr);
  gl->Begin2D();
  Device().SetColor(0xFFFFFFFF);
  Device().FillRect(Rect(0, 0, 4, 4), 0);
  EXPECT_EQ(Lit(gl->ReadAndFlip()), 16) << "the first device draws on alone";
}

// ------------------------------------------------------------ 2D drawing

TEST_F(OGLDeviceTest, AMovedDrawLeavesTheNextOneWhereItsOwnMatrixPutsIt) {
  TSpaceMatrix moved = IdentitySpaceMatrix;
  moved[3] = {100, 50, 0, 1};
  gl->Begin2D();
  Device().SetColor(0xFFFFFFFF);
  Device().SetSpaceMatrix(moved);
  Device().FillRect(Rect(0, 0, 10, 10), 0);
  Device().SetSpaceMatrix(IdentitySpaceMatrix);
  Device().FillRect(Rect(0, 0, 10, 10), 0);
  Device().SetSpaceMatrix(moved);
  Device().FillRect(Rect(20, 0, 30, 10), 0);
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(Lit(pixels), 3 * 100);
  for (const auto& [x, y] : {std::pair{105, 55}, std::pair{5, 5}, std::pair{125, 55}})
    EXPECT_NE(gl->Rgb(pixels, x, y), 0u) << x << "," << y;
}


TEST_F(OGLDeviceTest, ColoursBlendByTheirAlphaInTheirOwnByteOrder) {
  struct TCase {
    std::uint32_t color;
    int r, g, b;
  };
  const TCase cases[] = {
      {0x80FF0000, 128, 0, 0}, {0x800000FF, 0, 0, 128}, {0xFF00FF00, 0, 255, 0}, {0xFF123456, 0x12, 0x34, 0x56}};
  for (const TCase& c : cases) {
    gl->Begin2D();
    Device().SetColor(c.color);
    Device().FillRect(Rect(0, 0, 8, 8), 0);
    const std::uint32_t pixel = gl->Rgb(gl->ReadAndFlip(), 4, 4);
    EXPECT_NEAR(static_cast<int>(pixel >> 16), c.r, 1) << std::hex << c.color;
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), c.g, 1) << std::hex << c.color;
    EXPECT_NEAR(static_cast<int>(pixel & 0xFF), c.b, 1) << std::hex << c.color;
  }
}

TEST_F(OGLDeviceTest, DrawRectBordersDoNotOverlap) {
  for (bool withDefaultPixmap : {false, true}) {
    if (withDefaultPixmap) {
      Device().DefaultPixmap = Device().CreatePixmap(1, 1);
      Device().DefaultPixmap->Clear(0xFFFFFFFF);
    }
    gl->Begin2D();
    // Half-transparent: a pixel two bands cover would come out brighter.
    Device().SetColor(0x80FFFFFF);
    Device().DrawRect(Rect(10, 10, 30, 20), 2, 0);
    const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
    EXPECT_EQ(Lit(pixels), 20 * 10 - 16 * 6) << withDefaultPixmap;
    for (int y = 10; y < 20; ++y)
      for (int x = 10; x < 30; ++x) {
        const bool border = x < 12 || x >= 28 || y < 12 || y >= 18;
        const std::uint32_t expected = border ? 0x808080u : 0u;
        const std::uint32_t got = gl->Rgb(pixels, x, y);
        ASSERT_NEAR(static_cast<int>(got & 0xFF), static_cast<int>(expected & 0xFF), 1)
            << x << "," << y << " with default pixmap " << withDefaultPixmap;
      }
  }
}

TEST_F(OGLDeviceTest, StatesApplyOnlyOnChangeAndAWireFrameKeepsItsTextureEnvironment) {
  gl->Begin2D();
  const std::int32_t changes = Device().StateChanges;
  Device().SetRenderState(rs2DScene);
  Device().SetRenderState(rsZTestOn);
  Device().SetRenderState(rsZTestOn);
  EXPECT_EQ(Device().StateChanges, changes + 1);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  Device().SetRenderState(rsZTestOff);
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));

  Device().SetRenderState(rsTexReplace);
  GLint mode = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  EXPECT_EQ(mode, GL_DECAL);
  Device().SetRenderState(rsFrame);
  Device().SetRenderState(rsTexModulate);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  EXPECT_EQ(mode, GL_DECAL) << "no texture environment under a wire frame";
  GLint polygon[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, polygon);
  EXPECT_EQ(polygon[0], GL_LINE);
  Device().SetRenderState(rsSolid);
  glGetIntegerv(GL_POLYGON_MODE, polygon);
  EXPECT_EQ(polygon[0], GL_FILL);
  Device().FlipWindow();
}

TEST_F(OGLDeviceTest, ACaretIsDrawnByTheFrameAndALayeredWindowReadsItBack) {
  TCaret* caret = Device().CreateCaret(4, 6, 0xFF00FF00);
  Device().ShowCaret(caret);
  Device().SetCaretPosition(caret, IdentitySpaceMatrix, 20, 10);
  caret->Phase = 1;
  gl->window->Style = layerStyle;
  // The frame draws the caret in the projection in force (the scene's
  // painting sets it): the 2D one here.
  Device().SetRenderState(rs2DScene);
  Device().RenderWindow();
  Device().FlipWindow();
  const std::vector<std::uint32_t>& layer = gl->window->LayerPixels;
  ASSERT_EQ(layer.size(), static_cast<std::size_t>(gl->Width() * gl->Height()));
  // Rows run bottom-up, as OpenGL reads them: the outline's 4 x 6 pixels
  // less its 2 x 4 inside.
  int lit = 0;
  for (std::uint32_t p : layer) lit += (p & 0x00FFFFFF) == 0x00FF00 ? 1 : 0;
  EXPECT_EQ(lit, 4 * 6 - 2 * 4);
  const std::size_t corner = static_cast<std::size_t>(gl->Height() - 1 - 10) * static_cast<std::size_t>(gl->Width()) + 20;
  EXPECT_EQ(layer[corner], 0xFF00FF00u);
}

TEST_F(OGLDeviceTest, ALineShowsItsColourWhateverPictureWasBound) {
  // A dark default picture (the engine's skin) and another one bound
  // before: neither may tint the line.
  Device().DefaultPixmap = Device().CreatePixmap(2, 2);
  Device().DefaultPixmap->Clear(0xFF101010);
  TPixmap* other = Device().CreatePixmap(2, 2);
  other->Clear(0xFF0000FF);
  for (TPixmap* before : {static_cast<TPixmap*>(nullptr), other}) {
    gl->Begin2D();
    Device().SetPixmap(0, before);
    Device().SetRenderState(rsTexModulate);
    Device().SetColor(0xFFFF0000);
    const TSpaceVector points[2] = {{10, 20, 0, 1}, {100, 20, 0, 1}};
    Device().DrawLine(points, 2, 4);
    const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
    EXPECT_EQ(gl->Rgb(pixels, 50, 20), 0xFF0000u) << (before ? "after a picture" : "first");
  }
}

}  // namespace
}  // namespace corvane
