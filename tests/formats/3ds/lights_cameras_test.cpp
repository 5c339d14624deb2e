#include <gtest/gtest.h>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/file.h"
#include "formats/3ds/lights_cameras.h"
#include "formats/3ds/meshes.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

TEST(LightsCameras, OmniAndSpotLights) {
  TLoaded loaded(Fixture("lights.3ds"));
  TFile3DS& file = loaded.file;
  TObjectList& objects = file.Objects();
  // A light with a spot child is a spot light and not an omni light.
  ASSERT_EQ(objects.GetOmniCount(), 2);
  ASSERT_EQ(objects.GetSpotCount(), 1);
  EXPECT_EQ(objects.GetMeshObjectCount(), 0);

  const TLight3DS* omni = objects.GetOmniLight(0);
  EXPECT_EQ(omni->Name, "Omni Light");
  EXPECT_EQ(omni->Pos, (TPoint3DS{1, 2, 3}));
  EXPECT_NEAR(omni->Color.g, 128 / 255.0f, 1e-6);
  EXPECT_FLOAT_EQ(omni->Multiplier, 2.0f);
  EXPECT_TRUE(omni->Attenuation.On);
  EXPECT_FLOAT_EQ(omni->Attenuation.Inner, 5);
  EXPECT_FLOAT_EQ(omni->Attenuation.Outer, 50);
  EXPECT_EQ(omni->Exclude, (std::vector<std::string>{"Cube Box", "Floor"}));
  EXPECT_EQ(omni->Spot, nullptr);

  const TLight3DS* plain = objects.GetOmniLight(1);
  EXPECT_EQ(plain->Color, (TFColor3DS{0.708852f, 0.708852f, 0.708852f}));  // no colour chunk
  EXPECT_FLOAT_EQ(plain->Multiplier, 1.0f);
  EXPECT_FLOAT_EQ(plain->Attenuation.Outer, 100.0f);

  const TLight3DS* spot = objects.GetSpotLight(0);
  ASSERT_NE(spot->Spot, nullptr);
  EXPECT_EQ(spot->Name, "Spot01");
  EXPECT_EQ(spot->Color, (TFColor3DS{0.25f, 0.5f, 1.0f}));
  EXPECT_FLOAT_EQ(spot->Spot->Hotspot, 30);
  EXPECT_FLOAT_EQ(spot->Spot->Falloff, 40);
  EXPECT_FLOAT_EQ(spot->Spot->Roll, 15);
  EXPECT_FLOAT_EQ(spot->Spot->Aspect, 1.0f);
  EXPECT_TRUE(spot->Spot->Shadows.Cast);
  EXPECT_TRUE(spot->Spot->Shadows.Local);
  EXPECT_FLOAT_EQ(spot->Spot->Shadows.Bias, 0.5f);
  EXPECT_FLOAT_EQ(spot->Spot->Shadows.Filter, 4.0f);
  EXPECT_EQ(spot->Spot->Shadows.MapSize, 256u);
  EXPECT_FLOAT_EQ(spot->Spot->Shadows.RayBias, 1.0f);
  EXPECT_TRUE(spot->Spot->Cone.Show);
  EXPECT_EQ(spot->Spot->Cone.Type, csCircular);
  EXPECT_TRUE(spot->Spot->Projector.Use);
  EXPECT_EQ(spot->Spot->Projector.BitmapName, "slide.png");
}

TEST(LightsCameras, CameraFieldOfViewFromTheLens) {
  struct Row {
    float focal;
    float fov;
  } rows[] = {{48, 50}, {24, 100}, {2400, 1}, {0, 45}};  // a lens of 0 keeps the default
  for (const Row& r : rows) {
    const std::string camera =
        Chunk(N_CAMERA, Floats({1, 2, 3, 4, 5, 6, 7, r.focal}), {Chunk(CAM_SEE_CONE), Chunk(CAM_RANGES, Floats({2, 300}))});
    TMemoryStream stream = StreamOf(Chunk(M3DMAGIC, {}, {Chunk(MDATA, {}, {Chunk(NAMED_OBJECT, Str("Cam One"), {camera})})}));
    TFile3DS file(stream);
    ASSERT_EQ(file.Objects().GetCamCount(), 1);
    const TCamera3DS* c = file.Objects().GetCamera(0);
    EXPECT_FLOAT_EQ(c->FOV, r.fov) << r.focal;
    EXPECT_EQ(c->Name, "Cam One");
    EXPECT_EQ(c->Position, (TPoint3DS{1, 2, 3}));
    EXPECT_EQ(c->Target, (TPoint3DS{4, 5, 6}));
    EXPECT_FLOAT_EQ(c->Roll, 7);
    EXPECT_TRUE(c->ShowCone);
    EXPECT_FLOAT_EQ(c->Ranges.CamNear, 2);
    EXPECT_FLOAT_EQ(c->Ranges.CamFar, 300);
  }
}

TEST(LightsCameras, CubeCameraAndDefaults) {
  TLoaded loaded(Fixture("cube.3ds"));
  TFile3DS& file = loaded.file;
  ASSERT_EQ(file.Objects().GetCamCount(), 1);
  EXPECT_FLOAT_EQ(file.Objects().GetCamera(0)->FOV, 50);
  EXPECT_EQ(file.Objects().GetOmniCount(), 0);
  EXPECT_EQ(file.Objects().GetOmniLight(0), nullptr);
  // Past the cameras: a zeroed record.
  EXPECT_FLOAT_EQ(GetCameraByIndex(file, 3).FOV, 0);
}

}  // namespace
}  // namespace corvane
