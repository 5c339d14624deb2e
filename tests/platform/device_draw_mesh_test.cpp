#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/device.h"
#include "platform/mesh_animation.h"
#include "tests/platform/recording_device_test.h"

namespace corvane {
namespace {

struct FrameCase {
  float time, frameTime;
  std::int32_t first, last;
  bool loop;
  std::int32_t frameCount;
  TAnimationFrame expected;
};

TEST(AnimationFrame, ChoosesAndBlendsFrames) {
  const FrameCase cases[] = {
      {0, 1, 2, 8, false, 10, {2, 2, 0, false}},          // time 0: frame First
      {3.25f, 1, 0, 10, false, 11, {3, 4, 0.25f, true}},
      {3, 2, 0, 10, false, 11, {1, 2, 0.5f, true}},       // two seconds a frame
      // Mended: the next frame may be Last itself, so a one-shot range
      // blends into its last frame and a pose at the last key shows it.
      {9.5f, 1, 0, 10, false, 11, {9, 10, 0.5f, true}},
      {5, 1, 0, 6, false, 7, {5, 6, 0, true}},
      {10, 1, 0, 10, false, 11, {10, 10, 0, false}},
      {20, 1, 0, 10, false, 11, {10, 10, 0, false}},      // past the range
      {12.5f, 1, 0, 10, true, 11, {2, 3, 0.5f, true}},
      {9.5f, 1, 0, 10, true, 11, {9, 0, 0.5f, true}},     // Last itself is not shown in a loop
      {4.5f, 1, 3, 6, true, 11, {4, 5, 0.5f, true}},
      // Mended: a loop without room, or no frame time, holds frame First.
      {2.5f, 1, 5, 5, true, 11, {5, 5, 0, false}},
      {2.5f, 1, 5, 3, true, 11, {5, 5, 0, false}},
      {2.5f, 0, 1, 8, false, 11, {1, 1, 0, false}},
      {2.5f, -1, 1, 8, true, 11, {1, 1, 0, false}},
      {std::numeric_limits<float>::quiet_NaN(), 1, 1, 8, true, 11, {1, 1, 0, false}},
      // First, Last and the frames shown stay within the mesh.
      {1.5f, 1, -3, 99, false, 4, {1, 2, 0.5f, true}},
      {100, 1, -3, 99, false, 4, {3, 3, 0, false}},
      {1.5f, 1, 10, 99, true, 4, {3, 3, 0, false}},
      {1.5f, 1, 0, 0, false, 0, {0, 0, 0, false}},
  };
  for (const FrameCase& c : cases) {
    const TAnimationFrame f = AnimationFrame(c.time, c.frameTime, c.first, c.last, c.loop, c.frameCount);
    SCOPED_TRACE(::testing::Message() << "time " << c.time << " frameTime " << c.frameTime << " " << c.first << ".."
                                      << c.last << (c.loop ? " loop" : ""));
    EXPECT_EQ(f.Frame, c.expected.Frame);
    EXPECT_EQ(f.Next, c.expected.Next);
    EXPECT_FLOAT_EQ(f.Weight, c.expected.Weight);
    EXPECT_EQ(f.Blend, c.expected.Blend);
  }
}

TEST(AnimationFrame, ExtremeTimesStayInRange) {
  for (const float time : {1e30f, -1e30f, -2.5f, 1e9f, std::numeric_limits<float>::infinity()})
    for (const bool loop : {false, true}) {
      const TAnimationFrame f = AnimationFrame(time, 1e-30f, 2, 8, loop, 10);
      EXPECT_TRUE(f.Frame >= 0 && f.Frame < 10 && f.Next >= 0 && f.Next < 10) << time;
      EXPECT_TRUE(f.Weight >= 0 && f.Weight <= 1) << time;
    }
}

class DeviceMeshTest : public test::RecordingDeviceTest {
 protected:
  // Four frames of three vertices: vertex i of frame f at (10 f + i, f, 0)
  // with normal (0, 0, f + 1) and texture (i, f).
  TMesh* Animated(bool indexed = true, std::vector<std::uint16_t> indices = {2, 1, 0}) {
    TMesh* mesh = device->CreateMesh(vfPixmapVertexNormal, 3, indexed, static_cast<std::int32_t>(indices.size()),
                                     false, true, 4);
    std::vector<TPixmapVertexNormal> v;
    for (int f = 0; f < 4; ++f)
      for (int i = 0; i < 3; ++i) {
        const auto ff = static_cast<float>(f), fi = static_cast<float>(i);
        v.push_back(PixmapVertexNormal(10 * ff + fi, ff, 0, 0, 0, ff + 1, fi, ff));
      }
    std::memcpy(mesh->VertexData.data(), v.data(), v.size() * sizeof(TPixmapVertexNormal));
    if (indexed) mesh->IndexData = indices;
    return mesh;
  }
  std::vector<TPixmapVertexNormal> Drawn() {
    EXPECT_EQ(device->Draws.size(), 1u);
    if (device->Draws.empty()) return {};
    EXPECT_EQ(device->Draws.back().Format, vfPixmapVertexNormal);
    return device->Draws.back().As<TPixmapVertexNormal>();
  }
};

TEST_F(DeviceMeshTest, AStaticFrameIsCopied) {
  TMesh* mesh = Animated();
  device->DrawAnimatedMesh(mesh, 20, 1, 0, 2, false);  // past the range: frame Last
  const std::vector<TPixmapVertexNormal> v = Drawn();
  ASSERT_EQ(v.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(v[i].position, (TVertex{20.0f + static_cast<float>(i), 2, 0}));
    EXPECT_EQ(v[i].normal, (TVertex{0, 0, 3}));
    EXPECT_EQ(v[i].tex, (TTexVector{static_cast<float>(i), 2}));
  }
  EXPECT_EQ(device->Draws[0].Indices, (std::vector<std::uint16_t>{2, 1, 0}));
  EXPECT_TRUE(device->Draws[0].Dynamic);
  EXPECT_EQ(device->DynamicMesh->VertexFormat, vfColorPixmapVertex);

  // First and Last beyond the mesh are clamped to its last frame.
  device->ClearRecords();
  device->DrawAnimatedMesh(mesh, 7.5f, 1, 99, 99, true);
  EXPECT_EQ(Drawn().at(0).position, (TVertex{30, 3, 0}));
}

TEST_F(DeviceMeshTest, PositionsAndNormalsBlendTexturesDoNot) {
  TMesh* mesh = Animated();
  device->DrawAnimatedMesh(mesh, 12.5f, 1, 0, 3, true);  // frame 0 towards 1, half way
  const std::vector<TPixmapVertexNormal> v = Drawn();
  ASSERT_EQ(v.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(v[i].position, (TVertex{5.0f + static_cast<float>(i), 0.5f, 0}));
    EXPECT_EQ(v[i].normal, (TVertex{0, 0, 1.5f}));
    EXPECT_EQ(v[i].tex, (TTexVector{static_cast<float>(i), 0}));
  }
}

TEST_F(DeviceMeshTest, AMeshWithoutIndicesIsDrawnInOrder) {
  TMesh* mesh = Animated(false, {});
  device->DrawAnimatedMesh(mesh, 0, 1, 0, 3, false);
  ASSERT_EQ(device->Draws.size(), 1u);
  EXPECT_EQ(device->Draws[0].Indices, (std::vector<std::uint16_t>{0, 1, 2}));
}

TEST_F(DeviceMeshTest, BadMeshesAndFailedLocksDrawNothing) {
  TMesh* outside = Animated(true, {0, 1, 3});  // index 3 names no vertex of a frame
  device->DrawAnimatedMesh(outside, 0, 1, 0, 3, false);
  device->DrawAnimatedMesh(nullptr, 0, 1, 0, 3, false);
  device->DrawAnimatedMesh(device->DynamicMesh, 0, 1, 0, 3, false);
  TMesh* good = Animated();
  good->VertexData.resize(good->VertexData.size() / 2);  // frames 2 and 3 missing
  device->DrawAnimatedMesh(good, 20, 1, 0, 3, false);
  device->FailLocks = true;
  device->DrawAnimatedMesh(Animated(), 0, 1, 0, 3, false);
  EXPECT_TRUE(device->Draws.empty());
  EXPECT_EQ(device->DynamicMesh->VertexFormat, vfColorPixmapVertex);
}

TEST_F(DeviceMeshTest, AMeshLargerThanTheScratchMeshWaitsForItToGrow) {
  // 6000 scratch vertices of 24 bytes hold 4500 of 32.
  TMesh* mesh = device->CreateMesh(vfPixmapVertexNormal, 4501, true, 3, false, true, 2);
  mesh->IndexData = {0, 1, 2};
  device->DrawAnimatedMesh(mesh, 0, 1, 0, 1, false);
  EXPECT_TRUE(device->Draws.empty());
  EXPECT_TRUE(device->GrowRequest);
  device->ProcessTick(0.1f, 0);
  device->DrawAnimatedMesh(mesh, 0, 1, 0, 1, false);
  EXPECT_EQ(device->Draws.size(), 1u);
}

}  // namespace
}  // namespace corvane
