#include <gtest/gtest.h>

#include <vector>

#include "platform/device.h"
#include "platform/pixmap_slices.h"
#include "tests/platform/recording_device_test.h"

namespace corvane {
namespace {

using test::QuadsOf;
using test::TRecordedQuad;

class DevicePixmapTest : public test::RecordingDeviceTest {
 protected:
  DevicePixmapTest() { device->SetColor(0xFFFFFFFF); }
  std::vector<TRecordedQuad> OnlyDraw() {
    EXPECT_EQ(device->Draws.size(), 1u);
    return device->Draws.empty() ? std::vector<TRecordedQuad>{} : QuadsOf(device->Draws.back());
  }
  void Scale(float sx, float sy) {
    TPlaneMatrix m = IdentityPlaneMatrix;
    m[0][0] = sx;
    m[1][1] = sy;
    device->SetTextureMatrix(m);
  }
};

TEST_F(DevicePixmapTest, DrawPixmapStretchesOneQuadAndChangesNoState) {
  TPixmap* pixmap = device->CreatePixmap(16, 8);
  device->SetColor(0xFF804020);
  const int states = device->CountCalls("ApplyRenderState");
  device->DrawPixmap(pixmap, {1, 2, 50, 60});
  EXPECT_EQ(OnlyDraw(), (std::vector<TRecordedQuad>{{{1, 2, 50, 60}, {0, 0, 1, 1}, 0, 0xFF804020}}));
  EXPECT_EQ(device->Draws[0].Stage0, pixmap);
  EXPECT_EQ(device->CountCalls("ApplyRenderState"), states);

  device->ClearRecords();
  device->DrawPixmapXy(pixmap, 3, 4);
  EXPECT_EQ(OnlyDraw()[0].Rect, (TRect{3, 4, 19, 12}));

  device->ClearRecords();
  device->DrawPixmap(nullptr, {0, 0, 1, 1});
  device->DrawPixmapXy(nullptr, 0, 0);
  device->DrawPixmapMargins(nullptr, {0, 0, 1, 1}, {1, 1, 1, 1});
  device->DrawPixmapMarginsTile(nullptr, {0, 0, 1, 1}, {1, 1, 1, 1});
  device->DrawPixmapTile(nullptr, {0, 0, 1, 1});
  EXPECT_TRUE(device->Draws.empty());
}

TEST_F(DevicePixmapTest, NineSliceCutsAtTheMargins) {
  TPixmap* pixmap = device->CreatePixmap(32, 32);
  device->DrawPixmapMargins(pixmap, {0, 0, 100, 50}, {8, 8, 8, 8});
  ASSERT_EQ(device->Draws.size(), 1u);
  EXPECT_EQ(device->Draws[0].VertexCount(), 36);
  EXPECT_EQ(device->Draws[0].Indices.size(), 54u);
  EXPECT_EQ(device->Draws[0].Stage0, pixmap);
  const std::vector<TRecordedQuad> quads = QuadsOf(device->Draws[0]);
  ASSERT_EQ(quads.size(), 9u);
  const float x[4] = {0, 8, 92, 100}, y[4] = {0, 8, 42, 50}, t[4] = {0, 0.25f, 0.75f, 1};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) {
      const TRecordedQuad& q = quads[static_cast<std::size_t>(3 * row + column)];
      EXPECT_EQ(q.Rect, (TRect{x[column], y[row], x[column + 1], y[row + 1]})) << row << " " << column;
      EXPECT_EQ(q.Texture, (TRect{t[column], t[row], t[column + 1], t[row + 1]})) << row << " " << column;
      EXPECT_EQ(q.Z, 0.0f);
    }

  // Margins are in texture pixels: a scaled texture moves the cuts.
  device->ClearRecords();
  Scale(0.5f, 2);
  device->DrawPixmapMargins(pixmap, {0, 0, 100, 100}, {8, 8, 8, 8});
  EXPECT_EQ(OnlyDraw().at(4).Texture, (TRect{0.5f, 0.125f, 0.5f, 0.875f}));
}

TEST_F(DevicePixmapTest, ZeroMarginsDrawThePixmapStretched) {
  TPixmap* pixmap = device->CreatePixmap(32, 32);
  device->DrawPixmap(pixmap, {0, 0, 100, 50});
  device->DrawPixmapMargins(pixmap, {0, 0, 100, 50}, {});
  device->DrawPixmapMarginsTile(pixmap, {0, 0, 100, 50}, {});
  ASSERT_EQ(device->Draws.size(), 3u);
  EXPECT_EQ(device->Draws[1].Vertices, device->Draws[0].Vertices);
  EXPECT_EQ(device->Draws[2].Vertices, device->Draws[0].Vertices);
  EXPECT_EQ(device->Draws[2].Indices, device->Draws[0].Indices);
}

TEST_F(DevicePixmapTest, ATextureSizeOfZeroDrawsNothing) {
  TPixmap* empty = device->CreatePixmap(0, 32);
  TPixmap* pixmap = device->CreatePixmap(32, 32);
  device->DrawPixmapMargins(empty, {0, 0, 100, 50}, {8, 8, 8, 8});
  device->DrawPixmapMarginsTile(empty, {0, 0, 100, 50}, {8, 8, 8, 8});
  device->DrawPixmapTile(empty, {0, 0, 100, 50});
  Scale(1, 0);
  device->DrawPixmapMargins(pixmap, {0, 0, 100, 50}, {8, 8, 8, 8});
  device->DrawPixmapMarginsTile(pixmap, {0, 0, 100, 50}, {8, 8, 8, 8});
  device->DrawPixmapTile(pixmap, {0, 0, 100, 50});
  EXPECT_TRUE(device->Draws.empty());
}

TEST_F(DevicePixmapTest, EdgeTilesAreCutBackAtTheCell) {
  // A 40-pixel pixmap with 5-pixel margins: 30-pixel middle tiles; the top
  // edge is 100 pixels wide, so four tiles, the last cut to 10 pixels and
  // its texture end by 20 texture pixels.
  TPixmap* pixmap = device->CreatePixmap(40, 40);
  device->DrawPixmapMarginsTile(pixmap, {0, 0, 110, 45}, {5, 5, 5, 5});
  const std::vector<TRecordedQuad> quads = OnlyDraw();
  ASSERT_EQ(quads.size(), 24u);
  // The four corners as in the nine-slice.
  EXPECT_EQ(quads[0], (TRecordedQuad{{0, 0, 5, 5}, {0, 0, 0.125f, 0.125f}, 0, 0xFFFFFFFF}));
  EXPECT_EQ(quads[1].Rect, (TRect{105, 0, 110, 5}));
  EXPECT_EQ(quads[2].Rect, (TRect{0, 40, 5, 45}));
  EXPECT_EQ(quads[3], (TRecordedQuad{{105, 40, 110, 45}, {0.875f, 0.875f, 1, 1}, 0, 0xFFFFFFFF}));
  // The top edge.
  const TRect top[4] = {{5, 0, 35, 5}, {35, 0, 65, 5}, {65, 0, 95, 5}, {95, 0, 105, 5}};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(quads[static_cast<std::size_t>(4 + i)].Rect, top[i]);
  EXPECT_EQ(quads[4].Texture, (TRect{0.125f, 0, 0.875f, 0.125f}));
  EXPECT_EQ(quads[7].Texture, (TRect{0.125f, 0, 0.375f, 0.125f}));
  // The left edge: 35 pixels of 30-pixel tiles, the second cut to 5.
  EXPECT_EQ(quads[12].Rect, (TRect{0, 5, 5, 35}));
  EXPECT_EQ(quads[13], (TRecordedQuad{{0, 35, 5, 40}, {0, 0.125f, 0.125f, 0.25f}, 0, 0xFFFFFFFF}));
  // The centre's last tile is cut both ways.
  EXPECT_EQ(quads[23], (TRecordedQuad{{95, 35, 105, 40}, {0.125f, 0.125f, 0.375f, 0.25f}, 0, 0xFFFFFFFF}));
}

TEST_F(DevicePixmapTest, TilingCountsAgreeBetweenThePasses) {
  struct Case {
    std::int32_t width, height;
    float scaleX, scaleY;
    TRect rect, margins;
  };
  const Case cases[] = {
      {40, 40, 1, 1, {0, 0, 110, 45}, {5, 5, 5, 5}},
      {32, 32, 1, 1, {10, 20, 74, 84}, {8, 8, 8, 8}},         // exact multiples: nothing cut
      {64, 16, 0.5f, 2, {0, 0, 333, 77}, {3, 4, 5, 6}},
      {16, 16, 1, 1, {0, 0, 100, 100}, {8, 0, 8, 0}},         // the middle column has no width
      {16, 16, 1, 1, {0, 0, 100, 100}, {10, 10, 10, 10}},     // margins beyond the pixmap
      {16, 16, 1, 1, {0, 0, 12, 12}, {4, 4, 4, 4}},           // a rectangle narrower than its margins
      {16, 16, -1, 1, {0, 0, 100, 100}, {4, 4, 4, 4}},        // a mirrored texture
      {7, 9, 1, 1, {0.5f, 0.25f, 93.7f, 61.1f}, {1.5f, 2.25f, 0.75f, 3}},
  };
  for (const Case& c : cases) {
    device->ClearRecords();
    TPixmap* pixmap = device->CreatePixmap(c.width, c.height);
    Scale(c.scaleX, c.scaleY);
    device->DrawPixmapMarginsTile(pixmap, c.rect, c.margins);
    const TPixmapSlices slices = PixmapSlices(c.rect, c.margins, static_cast<float>(c.width) * c.scaleX,
                                              static_cast<float>(c.height) * c.scaleY);
    const std::vector<TRecordedQuad> quads = OnlyDraw();
    EXPECT_EQ(static_cast<std::int64_t>(quads.size()), MarginTileQuadCount(slices, c.margins))
        << c.rect.right << " " << c.margins.left;
    // Every tile stays inside its cell, so inside the rectangle.
    for (std::size_t i = 4; i < quads.size(); ++i) {
      const TRect& r = quads[i].Rect;
      EXPECT_TRUE(r.left >= c.rect.left && r.right <= c.rect.right && r.left <= r.right) << i;
      EXPECT_TRUE(r.top >= c.rect.top && r.bottom <= c.rect.bottom && r.top <= r.bottom) << i;
    }
    device->DestroyPixmap(pixmap);
  }
}

// Margins beyond the pixmap leave its middle tiles no size.
TEST_F(DevicePixmapTest, TileSizesOfZeroOrLessSkipTheirCells) {
  TPixmap* pixmap = device->CreatePixmap(16, 16);
  device->DrawPixmapMarginsTile(pixmap, {0, 0, 100, 100}, {10, 10, 10, 10});
  EXPECT_EQ(OnlyDraw().size(), 4u);  // the corners alone
}

TEST_F(DevicePixmapTest, DrawPixmapTileRepeatsThePixmapAtItsSize) {
  TPixmap* pixmap = device->CreatePixmap(32, 16);
  device->DrawPixmapTile(pixmap, {0, 0, 70, 20});
  const std::vector<TRecordedQuad> quads = OnlyDraw();
  ASSERT_EQ(quads.size(), 6u);
  EXPECT_EQ(device->Draws[0].Stage0, pixmap);
  EXPECT_EQ(quads[0], (TRecordedQuad{{0, 0, 32, 16}, {0, 0, 1, 1}, 0, 0xFFFFFFFF}));
  EXPECT_EQ(quads[2], (TRecordedQuad{{64, 0, 70, 16}, {0, 0, 0.1875f, 1}, 0, 0xFFFFFFFF}));
  EXPECT_EQ(quads[5], (TRecordedQuad{{64, 16, 70, 20}, {0, 0, 0.1875f, 0.25f}, 0, 0xFFFFFFFF}));

  device->ClearRecords();
  device->DrawPixmapTile(pixmap, {0, 0, 0, 20});
  EXPECT_TRUE(device->Draws.empty());
}

TEST_F(DevicePixmapTest, TilingBeyondTheScratchMeshDrawsNothingAndAsksForMore) {
  TPixmap* pixmap = device->CreatePixmap(1, 1);
  device->DrawPixmapTile(pixmap, {0, 0, 1000, 1000});  // a million tiles
  EXPECT_TRUE(device->Draws.empty());
  EXPECT_TRUE(device->GrowRequest);

  // A vanishing texture scale asks for more tiles than can be counted.
  device->GrowRequest = false;
  Scale(1e-30f, 1e-30f);
  device->DrawPixmapMarginsTile(pixmap, {0, 0, 1000, 1000}, {1e-31f, 1e-31f, 1e-31f, 1e-31f});
  device->DrawPixmapTile(pixmap, {0, 0, 1000, 1000});
  EXPECT_TRUE(device->Draws.empty());
  EXPECT_TRUE(device->GrowRequest);

  // The largest call that fits: 6000 vertices make 1500 quads.
  Scale(1, 1);
  device->DrawPixmapTile(pixmap, {0, 0, 1500, 1});
  EXPECT_EQ(OnlyDraw().size(), 1500u);
  device->ClearRecords();
  device->DrawPixmapTile(pixmap, {0, 0, 1501, 1});
  EXPECT_TRUE(device->Draws.empty());

  device->FailLocks = true;
  device->DrawPixmapMargins(pixmap, {0, 0, 10, 10}, {1, 1, 1, 1});
  device->DrawPixmap(pixmap, {0, 0, 10, 10});
  EXPECT_TRUE(device->Draws.empty());
}

}  // namespace
}  // namespace corvane
