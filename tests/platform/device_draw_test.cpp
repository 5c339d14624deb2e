#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "base/geometry/vector_math.h"
#include "base/reflection/class_info.h"
#include "base/reflection/variant.h"
#include "platform/device.h"
#include "tests/platform/recording_device_test.h"

namespace corvane {
namespace {

using DeviceDrawTest = test::RecordingDeviceTest;

TSpaceVector P(const TVertex& v) { return {v.x, v.y, v.z, 1}; }

TEST_F(DeviceDrawTest, FillBoxFacesPointOutwardsAndTurnCounterClockwise) {
  const TSpaceVector min{-1, -2, -3, 1}, max{4, 5, 6, 1};
  const TSpaceVector centre{1.5f, 1.5f, 1.5f, 1};
  device->SetColor(0xFF00FF00);
  device->ClearRecords();
  device->FillBox(min, max);
  ASSERT_EQ(device->Draws.size(), 1u);
  const test::TRecordedDraw& draw = device->Draws[0];
  EXPECT_EQ(draw.Format, vfColorPixmapVertexNormal);
  ASSERT_EQ(draw.VertexCount(), 24);
  ASSERT_EQ(draw.Indices.size(), 36u);
  const std::vector<TColorPixmapVertexNormal> v = draw.As<TColorPixmapVertexNormal>();

  std::set<std::vector<float>> normals;
  for (int f = 0; f < 6; ++f) {
    TSpaceVector faceCentre{};
    for (int c = 0; c < 4; ++c) AddSpaceVector(faceCentre, SpaceVectorScale(P(v[4 * f + c].position), 0.25f));
    const TSpaceVector outward = SpaceVectorSubtract(faceCentre, centre);
    for (int c = 0; c < 4; ++c) {
      const TVertex& n = v[4 * f + c].normal;
      EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 1e-6f);
      EXPECT_GT(SpaceVectorDotProduct(P(n), outward), 0) << "face " << f;
      EXPECT_EQ(v[4 * f + c].color, 0xFF00FF00u);
    }
    normals.insert({v[4 * f].normal.x, v[4 * f].normal.y, v[4 * f].normal.z});
  }
  EXPECT_EQ(normals.size(), 6u);

  // Counter-clockwise seen from outside: the winding's normal points away
  // from the centre.
  for (std::size_t t = 0; t < 12; ++t) {
    const TSpaceVector a = P(v[draw.Indices[3 * t]].position), b = P(v[draw.Indices[3 * t + 1]].position),
                       c = P(v[draw.Indices[3 * t + 2]].position);
    const TSpaceVector winding = SpaceVectorCrossProduct(SpaceVectorSubtract(b, a), SpaceVectorSubtract(c, a));
    TSpaceVector triangleCentre = SpaceVectorScale(SpaceVectorAdd(SpaceVectorAdd(a, b), c), 1.0f / 3);
    EXPECT_GT(SpaceVectorDotProduct(winding, SpaceVectorSubtract(triangleCentre, centre)), 0) << "triangle " << t;
  }
  // The scratch mesh keeps its own format; no default pixmap: untextured.
  EXPECT_EQ(device->DynamicMesh->VertexFormat, vfColorPixmapVertex);
  EXPECT_TRUE(draw.States[rsTexDisable]);
  EXPECT_EQ(v[2].tex, (TTexVector{0, 0}));
}

TEST_F(DeviceDrawTest, FillBoxBindsTheDefaultPixmapThroughTheIdentityTextureMatrix) {
  EXPECT_EQ(device->TextureMatrix, IdentityPlaneMatrix);
  device->DefaultPixmap = device->CreatePixmap(4, 8);
  device->SetColor(0x80FFFFFF);
  device->FillBox({0, 0, 0, 1}, {1, 1, 1, 1});
  ASSERT_EQ(device->Draws.size(), 1u);
  const test::TRecordedDraw& draw = device->Draws[0];
  EXPECT_EQ(draw.Stage0, device->DefaultPixmap);
  EXPECT_TRUE(draw.States[rsTexNearest] && draw.States[rsTexModulate]);
  const std::vector<TColorPixmapVertexNormal> v = draw.As<TColorPixmapVertexNormal>();
  EXPECT_EQ(v[0].tex, (TTexVector{0, 0}));
  EXPECT_EQ(v[1].tex, (TTexVector{0.25f, 0}));
  EXPECT_EQ(v[2].tex, (TTexVector{0.25f, 0.125f}));
  EXPECT_EQ(v[3].tex, (TTexVector{0, 0.125f}));
}

TEST_F(DeviceDrawTest, FillBoxDrawsNothingTransparentOrTooLarge) {
  device->SetColor(0x00FFFFFF);
  device->FillBox({0, 0, 0, 1}, {1, 1, 1, 1});
  EXPECT_TRUE(device->Draws.empty());

  // A scratch mesh too small for one box: nothing drawn, a larger one asked
  // for and made at the next tick.
  device->DestroyMesh(device->DynamicMesh);
  device->DynamicMesh = device->CreateMesh(vfColorPixmapVertex, 30, true, 36, true, false, 0);
  device->SetColor(0xFFFFFFFF);
  device->FillBox({0, 0, 0, 1}, {1, 1, 1, 1});
  EXPECT_TRUE(device->Draws.empty());
  EXPECT_TRUE(device->GrowRequest);
  device->ProcessTick(0.1f, 0);
  device->FillBox({0, 0, 0, 1}, {1, 1, 1, 1});
  EXPECT_EQ(device->Draws.size(), 1u);

  // A failed lock draws nothing either.
  device->FailLocks = true;
  device->FillBox({0, 0, 0, 1}, {1, 1, 1, 1});
  EXPECT_EQ(device->Draws.size(), 1u);
  EXPECT_EQ(device->DynamicMesh->VertexFormat, vfColorPixmapVertex);
}

TEST_F(DeviceDrawTest, ScratchFitsChecksVerticesIndicesAndTheIndexRange) {
  struct Case {
    TVertexFormat format;
    std::int32_t vertices, indices;
    bool fits;
  };
  const Case cases[] = {
      {vfColorPixmapVertex, 6000, 12000, true},       {vfColorPixmapVertex, 6001, 6, false},
      {vfColorPixmapVertex, 4, 12001, false},         {vfColorPixmapVertexNormal, 4000, 6, true},
      {vfColorPixmapVertexNormal, 4001, 6, false},    {vfColorPixmapVertex, -1, 0, false},
  };
  for (const Case& c : cases) {
    device->GrowRequest = false;
    EXPECT_EQ(device->ScratchFits(c.format, c.vertices, c.indices), c.fits) << c.vertices << " " << c.indices;
    EXPECT_EQ(device->GrowRequest, !c.fits);
  }
  // No 16-bit index reaches a vertex past 65535, however large the mesh.
  CurColorVertexCount = MaxColorVertex;
  CurIndexCount = MaxIndex;
  device->DestroyMesh(device->DynamicMesh);
  device->PrepareObjects();
  EXPECT_TRUE(device->ScratchFits(vfColorPixmapVertex, 65536, 6));
  EXPECT_FALSE(device->ScratchFits(vfColorPixmapVertex, 65537, 6));
}

TEST_F(DeviceDrawTest, DrawRectDrawsFourBandsThatDoNotOverlap) {
  device->SetColor(0xFF112233);
  device->DrawRect({0, 0, 10, 10}, 1, 0);
  ASSERT_EQ(device->Draws.size(), 1u);
  const TRect none{};
  constexpr std::uint32_t c = 0xFF112233;
  EXPECT_EQ(test::QuadsOf(device->Draws[0]), (std::vector<test::TRecordedQuad>{
                                                 {{0, 0, 9, 1}, none, 0, c},     // top
                                                 {{1, 9, 10, 10}, none, 0, c},   // bottom
                                                 {{0, 1, 1, 10}, none, 0, c},    // left
                                                 {{9, 0, 10, 9}, none, 0, c}}));  // right
  // No default pixmap: untextured.
  EXPECT_TRUE(device->Draws[0].States[rsTexDisable]);

  device->DrawRect({0, 0, 10, 10}, 0, 0);
  device->DrawRect({0, 0, 10, 10}, -1, 0);
  EXPECT_EQ(device->Draws.size(), 1u);
}

TEST_F(DeviceDrawTest, DrawRectWithTheDefaultPixmapModulatesOneTexel) {
  device->DefaultPixmap = device->CreatePixmap(4, 4);
  device->SetColor(0x80FFFFFF);
  device->DrawRect({5, 5, 25, 15}, 2, 0.5f);
  ASSERT_EQ(device->Draws.size(), 1u);
  const test::TRecordedDraw& draw = device->Draws[0];
  EXPECT_EQ(draw.Stage0, device->DefaultPixmap);
  EXPECT_TRUE(draw.States[rsTexNearest] && draw.States[rsTexModulate]);
  const std::vector<test::TRecordedQuad> quads = test::QuadsOf(draw);
  ASSERT_EQ(quads.size(), 4u);
  EXPECT_EQ(quads[0].Rect, (TRect{5, 5, 23, 7}));
  EXPECT_EQ(quads[3].Rect, (TRect{23, 5, 25, 13}));
  for (const test::TRecordedQuad& q : quads) {
    EXPECT_EQ(q.Texture, (TRect{0, 0, 0.25f, 0.25f}));
    EXPECT_EQ(q.Z, 0.5f);
  }
}

TEST_F(DeviceDrawTest, FillRectIsOneUntexturedQuadAlsoForScripts) {
  struct Case {
    bool defaultPixmap;
    TRect texture;
  };
  for (const Case c : {Case{false, {}}, Case{true, {0, 0, 0.5f, 0.125f}}}) {
    device->DefaultPixmap = c.defaultPixmap ? device->CreatePixmap(2, 8) : nullptr;
    device->ClearRecords();
    device->SetColor(0xFF0000FF);
    device->FillRect(1, 2, 30, 40, 0.25f);  // the scripts' form
    ASSERT_EQ(device->Draws.size(), 1u);
    const test::TRecordedDraw& draw = device->Draws[0];
    EXPECT_EQ(test::QuadsOf(draw),
              (std::vector<test::TRecordedQuad>{{{1, 2, 30, 40}, c.texture, 0.25f, 0xFF0000FFu}}));
    EXPECT_TRUE(draw.States[rsTexDisable]);
    EXPECT_EQ(draw.Stage0, device->DefaultPixmap);
    EXPECT_EQ(draw.States[rsTexNearest], c.defaultPixmap);
  }
  const TMethodInfo* method = device->ClassType()->FindMethod("FillRect");
  ASSERT_NE(method, nullptr);
  device->ClearRecords();
  const std::vector<Variant> args{Variant(1.0), Variant(2.0), Variant(3), Variant(4.5f), Variant(0.0)};
  method->Invoke(*device, args);
  ASSERT_EQ(device->Draws.size(), 1u);
  EXPECT_EQ(test::QuadsOf(device->Draws[0])[0].Rect, (TRect{1, 2, 3, 4.5f}));
}

TEST_F(DeviceDrawTest, RectanglesThatDoNotFitDrawNothing) {
  device->DestroyMesh(device->DynamicMesh);
  device->DynamicMesh = device->CreateMesh(vfColorPixmapVertex, 12, true, 18, true, false, 0);
  device->SetColor(0xFFFFFFFF);
  device->DrawRect({0, 0, 10, 10}, 1, 0);
  EXPECT_TRUE(device->Draws.empty());
  EXPECT_TRUE(device->GrowRequest);
  device->GrowRequest = false;
  device->FillRect({0, 0, 10, 10}, 0);
  EXPECT_EQ(device->Draws.size(), 1u);
  EXPECT_FALSE(device->GrowRequest);

  device->FailLocks = true;
  device->FillRect({0, 0, 10, 10}, 0);
  device->DrawRect({0, 0, 10, 10}, 1, 0);
  EXPECT_EQ(device->Draws.size(), 1u);
}

TEST_F(DeviceDrawTest, DrawBoxDrawsTheTwelveEdges) {
  device->SetColor(0xFFFF0000);
  device->DrawBox(AABB({0, 0, 0, 1}, {1, 2, 3, 1}), 0.5f);
  ASSERT_EQ(device->Lines.size(), 1u);
  const test::TRecordedLine& line = device->Lines[0];
  EXPECT_EQ(line.Width, 0.5f);
  EXPECT_EQ(line.Color, 0xFFFF0000u);
  ASSERT_EQ(line.Points.size(), 24u);
  std::set<std::vector<float>> edges;
  int alongAxis[3] = {0, 0, 0};
  for (std::size_t i = 0; i < 24; i += 2) {
    const TSpaceVector a = line.Points[i], b = line.Points[i + 1];
    const float d[3] = {std::abs(b.x - a.x), std::abs(b.y - a.y), std::abs(b.z - a.z)};
    int moving = 0;
    for (int axis = 0; axis < 3; ++axis)
      if (d[axis] != 0) {
        ++moving;
        ++alongAxis[axis];
        EXPECT_EQ(d[axis], static_cast<float>(axis + 1));
      }
    EXPECT_EQ(moving, 1);
    std::vector<float> key{std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z),
                           std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
    edges.insert(key);
  }
  EXPECT_EQ(edges.size(), 12u);
  EXPECT_EQ(alongAxis[0], 4);
  EXPECT_EQ(alongAxis[1], 4);
  EXPECT_EQ(alongAxis[2], 4);

  device->DrawBox({0, 0, 0, 1}, {1, 1, 1, 1}, -0.1f);
  device->DrawBox({0, 0, 0, 1}, {1, 1, 1, 1}, 0);
  EXPECT_EQ(device->Lines.size(), 2u);
}

}  // namespace
}  // namespace corvane
