// The test applet's shapes on the real host, checked pixel by pixel and
// against its expected picture; particles through the applet's renderers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/geometry/vector_math.h"
#include "engine/core/event.h"
#include "engine/core/visual_object.h"
#include "platform/device.h"
#include "scene/particles/particle_effect.h"
#include "scene/particles/particle_renderer.h"
#include "tests/platform_sdl/applet_picture_kit.h"

namespace corvane {
namespace {

using test::ChannelDistance;
using test::TPngPicture;

// ------------------------------------------------ what the test applet draws

constexpr std::int32_t kWidth = 320;
constexpr std::int32_t kHeight = 240;
constexpr std::uint32_t kBackground = 0x204060;
// A filled rectangle, left/top inclusive, right/bottom exclusive.
constexpr std::uint32_t kRectColor = 0xE0A020;
constexpr int kRectLeft = 16, kRectTop = 24, kRectRight = 96, kRectBottom = 64;
// A 2 x 2 pixmap stretched with nearest filtering over an 80 x 80 square:
// each texel fills one 40 x 40 quadrant.
constexpr int kQuadLeft = 208, kQuadTop = 136, kQuadSize = 80;
constexpr std::uint32_t kTexels[4] = {0xFF0000, 0x00FF00,   // top row: red, green
                                      0x0000FF, 0xFFFFFF};  // bottom row: blue, white
// A box around the origin, seen by the applet's default camera.
constexpr std::uint32_t kBoxColor = 0x30C060;
constexpr float kBoxHalf = 10;

const char kTestApplet[] =
    "object pixels: Applet\n  title = 'Pixels'\n  width = 320\n  height = 240\n  bkColor = '#FF204060'\n"
    "  object shapes: TPixelShapes\n  end\nend\n";

// Draws the box in 3D, then the rectangle and the quad flat in applet
// units, untouched by depth or light.
class TPixelShapes : public VisualObject {
  CORVANE_CLASS(TPixelShapes, VisualObject)
  explicit TPixelShapes(const TCreateContext& context) : VisualObject(context) {}
  void BeforeDestruction() override {
    // Game objects go before the device; the device frees what is left.
    TDevice* device = Device();
    if (device && std::ranges::find(device->Pixmaps(), pixmap_) != device->Pixmaps().end())
      device->DestroyPixmap(pixmap_);
    VisualObject::BeforeDestruction();
  }
  void Paint() override {
    TDevice* device = Device();
    if (!device || (!pixmap_ && !MakePixmap(*device))) return;
    device->SetRenderState(rs3DScene);
    device->SetSpaceMatrix(IdentitySpaceMatrix);
    device->SetRenderState(rsZTestOn);
    device->SetRenderState(rsZWriteOn);
    device->SetRenderState(rsTexDisable);
    device->SetColor(0xFF000000 | kBoxColor);
    device->FillBox({-kBoxHalf, -kBoxHalf, -kBoxHalf, 1}, {kBoxHalf, kBoxHalf, kBoxHalf, 1});

    device->SetRenderState(rs2DScene);
    device->SetSpaceMatrix(IdentitySpaceMatrix);
    device->SetRenderState(rsZTestOff);
    device->SetRenderState(rsLightOff);
    device->SetRenderState(rsBlendNormal);
    device->SetColor(0xFF000000 | kRectColor);
    device->FillRect(kRectLeft, kRectTop, kRectRight, kRectBottom, 0);
    device->SetColor(0xFFFFFFFF);
    device->SetPixmap(0, pixmap_);
    device->SetRenderState(rsTexNearest);
    device->SetRenderState(rsTexReplace);
    device->DrawPixmap(pixmap_, Rect(kQuadLeft, kQuadTop, kQuadLeft + kQuadSize, kQuadTop + kQuadSize));
  }

 private:
  TDevice* Device() {
    Applet* applet = AppletOf(this);
    return applet ? applet->Device() : nullptr;
  }
  bool MakePixmap(TDevice& device) {
    pixmap_ = device.CreatePixmap(2, 2);
    void* bits = nullptr;
    if (!pixmap_ || !device.LockPixmapRectARGB(pixmap_, 0, 0, 2, 2, bits, false)) return false;
    for (int y = 0; y < 2; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(bits) + y * pixmap_->Pitch);
      for (int x = 0; x < 2; ++x) row[x] = 0xFF000000 | kTexels[y * 2 + x];
    }
    device.UnlockPixmap(pixmap_);
    return true;
  }
  TPixmap* pixmap_ = nullptr;
};
CORVANE_IMPLEMENT_CLASS(TPixelShapes)

class AppletPixelsTest : public test::AppletPictureTest {
 protected:
  void SetUp() override {
    AppletPictureTest::SetUp();
    RegisterClasses({TPixelShapes::StaticClass()});
  }

  // Asks the window to close, as the host does, runs the loop until the
  // program has ended, and finds no error in its log.
  void CloseWithoutErrors() {
    Applet* applet = Running();
    ASSERT_NE(applet, nullptr);
    applet->GetEvent()->AddEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeCloseWindow));
    for (int i = 0; i < 300 && env.engine->count() > 0; ++i) env.engine->RunStep();
    EXPECT_EQ(env.engine->count(), 0);
    env.Finish();
    for (const std::string& line : env.messages) EXPECT_FALSE(line.starts_with("(e) ")) << line;
  }
};

// Pixels of one colour in the picture: their count and bounds.
struct TColourBounds {
  int Count = 0;
  int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
};

TColourBounds BoundsOf(const TPngPicture& picture, std::uint32_t colour) {
  TColourBounds b;
  for (int y = 0; y < picture.Height; ++y)
    for (int x = 0; x < picture.Width; ++x)
      if (ChannelDistance(picture.Pixel(x, y), colour) <= 1) {
        ++b.Count;
        b.Left = std::min(b.Left, x);
        b.Top = std::min(b.Top, y);
        b.Right = std::max(b.Right, x);
        b.Bottom = std::max(b.Bottom, y);
      }
  return b;
}

// The drawn shapes where they were asked for, whatever the expected image
// says: these checks are what vouch for that image.
// nearFace: where the device's own projection puts the box's near face
// (left, top, right, bottom in pixels).
void ExpectTheShapes(const TPngPicture& picture, const TRect& nearFace) {
  const std::array<std::pair<int, int>, 4> corners{{{0, 0}, {kWidth - 1, 0}, {0, kHeight - 1}, {kWidth - 1, kHeight - 1}}};
  for (auto [x, y] : corners)
    EXPECT_EQ(picture.Pixel(x, y), kBackground) << "corner " << x << "," << y;

  // The rectangle: exactly its pixels, in exactly its colour.
  const TColourBounds rect = BoundsOf(picture, kRectColor);
  EXPECT_EQ(rect.Left, kRectLeft);
  EXPECT_EQ(rect.Top, kRectTop);
  EXPECT_EQ(rect.Right, kRectRight - 1);
  EXPECT_EQ(rect.Bottom, kRectBottom - 1);
  EXPECT_EQ(rect.Count, (kRectRight - kRectLeft) * (kRectBottom - kRectTop));
  EXPECT_EQ(picture.Pixel(kRectLeft, kRectTop), kRectColor);
  EXPECT_EQ(picture.Pixel(kRectRight - 1, kRectBottom - 1), kRectColor);

  // The quad: each texel fills its whole quadrant.
  const int half = kQuadSize / 2;
  for (int texel = 0; texel < 4; ++texel) {
    const TColourBounds q = BoundsOf(picture, kTexels[texel]);
    const int left = kQuadLeft + (texel % 2) * half, top = kQuadTop + (texel / 2) * half;
    SCOPED_TRACE("texel " + std::to_string(texel));
    EXPECT_EQ(q.Left, left);
    EXPECT_EQ(q.Top, top);
    EXPECT_EQ(q.Right, left + half - 1);
    EXPECT_EQ(q.Bottom, top + half - 1);
    EXPECT_EQ(q.Count, half * half);
  }

  // The box: only its near face shows, a solid square centred in the
  // picture, where the projection puts it.
  const TColourBounds box = BoundsOf(picture, kBoxColor);
  ASSERT_GT(box.Count, 0) << "the box was not drawn";
  EXPECT_NEAR((box.Left + box.Right) / 2.0, (kWidth - 1) / 2.0, 1.0);
  EXPECT_NEAR((box.Top + box.Bottom) / 2.0, (kHeight - 1) / 2.0, 1.0);
  EXPECT_NEAR(box.Right - box.Left, box.Bottom - box.Top, 1) << "square pixels";
  EXPECT_NEAR(box.Left, nearFace.left, 1.0);
  EXPECT_NEAR(box.Top, nearFace.top, 1.0);
  EXPECT_NEAR(box.Right + 1, nearFace.right, 1.0);
  EXPECT_NEAR(box.Bottom + 1, nearFace.bottom, 1.0);
  EXPECT_GT(box.Right - box.Left, 20);
  EXPECT_EQ(box.Count, (box.Right - box.Left + 1) * (box.Bottom - box.Top + 1)) << "a solid square";
  EXPECT_EQ(picture.Pixel(kWidth / 2, kHeight / 2), kBoxColor);
}

TEST_F(AppletPixelsTest, TheTestAppletMatchesItsExpectedPicture) {
  Applet* applet = Launch(kTestApplet);
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());

  const TPngPicture picture = Picture(applet, "pixels.png");
  ASSERT_EQ(picture.Width, kWidth) << ::testing::PrintToString(env.Messages());
  ASSERT_EQ(picture.Height, kHeight);
  // The near face (y = -kBoxHalf, towards the camera) through the device's
  // model-view-projection, x right and y down.
  auto project = [applet](const TSpaceVector& p) {
    const TSpaceVector clip = SpaceVectorTransform(p, applet->Device()->ModelViewProj());
    return TPoint{(clip.x / clip.w + 1) / 2 * kWidth, (1 - clip.y / clip.w) / 2 * kHeight};
  };
  const TPoint topLeft = project({-kBoxHalf, -kBoxHalf, kBoxHalf, 1});
  const TPoint bottomRight = project({kBoxHalf, -kBoxHalf, -kBoxHalf, 1});
  ExpectTheShapes(picture, Rect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y));

  ExpectLikeExpected("pixels.png", "test_applet");
  CloseWithoutErrors();
}

// Particles through the applet's own renderers: a red emitter standing at
// (100, 100) lights the pixels around it once its first particles are out.
TEST_F(AppletPixelsTest, AnEmitterLightsItsPlace) {
  Applet* applet = Launch(
      "object sparks: Applet\n  width = 320\n  height = 240\n  bkColor = '#FF000000'\n"
      "  object emitter: PositionObject\n    x = 100\n    y = 100\n"
      "    object fx: ParticleEffect\n      keys = <\n"
      "        item\n          key = 0\n          color = '#FFFF0000'\n          scale = 20\n        end\n"
      "        item\n          key = 60\n          color = '#FFFF0000'\n          scale = 20\n        end>\n"
      "    end\n  end\nend\n");
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  auto* effect = dynamic_cast<ParticleEffect*>(applet->findByName(u"fx"));
  ASSERT_NE(effect, nullptr) << ::testing::PrintToString(env.Messages());
  EXPECT_FLOAT_EQ(effect->LifeTime(), 2.0f);
  EXPECT_EQ(static_cast<BaseObject*>(effect->Renderer()), applet->Renderer(0));
  // Frames run on the real clock: as many as it takes for a release (0.1 s
  // of frames), bounded in wall time rather than in frames, whose length
  // depends on the machine's load.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (effect->ParticleCount() == 0 && env.engine->count() > 0 && std::chrono::steady_clock::now() < giveUp)
    env.engine->RunStep();
  ASSERT_GT(effect->ParticleCount(), 0);
  env.engine->RunStep();

  const TPngPicture picture = Picture(applet, "sparks.png");
  ASSERT_EQ(picture.Width, 320) << ::testing::PrintToString(env.Messages());
  const std::uint32_t centre = picture.Pixel(100, 100);
  EXPECT_GE((centre >> 16) & 0xFF, 200u) << std::hex << centre;
  EXPECT_LE((centre >> 8) & 0xFF, 40u) << std::hex << centre;
  EXPECT_EQ(picture.Pixel(20, 20), 0u);
  EXPECT_EQ(picture.Pixel(200, 100), 0u);

  CloseWithoutErrors();
}

}  // namespace
}  // namespace corvane
