#include <gtest/gtest.h>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/file.h"
#include "formats/3ds/keyframer.h"
#include "formats/3ds/scene_settings.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

TEST(SceneSettings, LightsFixtureSettings) {
  TLoaded loaded(Fixture("lights.3ds"));
  TFile3DS& file = loaded.file;
  const TMeshSet3DS set = file.GetMeshSettings();
  EXPECT_FLOAT_EQ(set.MasterScale, 1.0f);  // no MASTER_SCALE: the default
  EXPECT_EQ(set.AmbientLight, (TFColor3DS{0.4f, 0.5f, 0.6f}));  // the linear colour overwrites
  EXPECT_EQ(set.Shadow.MapSize, 512u);

  const TAtmosphere3DS atmo = file.GetAtmosphereData();
  // FOG and USE_DISTANCE_CUE without USE_FOG: the distance cue is active,
  // the fog values filled all the same.
  EXPECT_EQ(atmo.ActiveAtmo, atUseDistanceCue);
  EXPECT_FLOAT_EQ(atmo.Fog.FarPlane, 300);
  EXPECT_EQ(atmo.Fog.FogColor, (TFColor3DS{0.5f, 0.5f, 0.5f}));
  EXPECT_FALSE(atmo.Fog.FogBgnd);  // no FOG_BGND under the fog
  EXPECT_FLOAT_EQ(atmo.DCue.FarDim, 60);
  EXPECT_TRUE(atmo.DCue.DCueBgnd);
  EXPECT_FLOAT_EQ(atmo.LayerFog.Density, 50);  // defaults of what is absent

  const TBackground3DS bg = file.GetBackgroundData();
  EXPECT_EQ(bg.BgndUsed, btUseSolidBgnd);
  EXPECT_EQ(bg.Solid, (TFColor3DS{0, 0, 1}));
  EXPECT_FLOAT_EQ(bg.VGradient.GradPercent, 0.3f);
  EXPECT_EQ(bg.VGradient.Top, (TFColor3DS{1, 0, 0}));
  EXPECT_EQ(bg.VGradient.Mid, (TFColor3DS{0, 1, 0}));
  EXPECT_EQ(bg.VGradient.Bottom, (TFColor3DS{0, 0, 1}));

  // The layout's second value picks the second viewport record.
  const TViewport3DS view = file.GetViewportData();
  EXPECT_EQ(view.ViewType, vtUserView3DS);
  EXPECT_FLOAT_EQ(view.User.Zoom, 0.5f);
  EXPECT_EQ(view.User.Center, (TPoint3DS{4, 5, 6}));
  EXPECT_FLOAT_EQ(view.User.HorAng, 10);
  EXPECT_EQ(view.Size.Width, 640);
}

TEST(SceneSettings, WithoutEditorDataEverythingIsZero) {
  TMemoryStream stream = StreamOf(Chunk(M3DMAGIC, {}, {Chunk(M3D_VERSION, U32(4))}));
  TFile3DS file(stream);
  EXPECT_FLOAT_EQ(file.GetMeshSettings().MasterScale, 0);  // not 1.0
  EXPECT_FLOAT_EQ(file.GetAtmosphereData().Fog.FarPlane, 0);
  EXPECT_FLOAT_EQ(file.GetBackgroundData().VGradient.GradPercent, 0);
  EXPECT_EQ(file.GetViewportData().ViewType, vtNoView3DS);
  EXPECT_EQ(file.GetDatabaseRelease(), rlReleaseNotKnown);  // version 4
}

TEST(SceneSettings, ReleaseLevels) {
  struct Row {
    std::uint16_t root;
    std::string body;
    TReleaseLevel database, mesh, kf;
  } rows[] = {
      {M3DMAGIC, Chunk(M3D_VERSION, U32(3)) + Chunk(MDATA, {}, {Chunk(MESH_VERSION, U32(2))}), rlRelease3, rlRelease2,
       rlReleaseNotKnown},
      {CMAGIC, Chunk(MDATA, {}, {Chunk(MESH_VERSION, U32(1))}) + Chunk(KFDATA, {}, {Chunk(KFHDR, U16(2) + Str("x") + U32(9))}),
       rlRelease1, rlRelease1, rlRelease2},
      {MLIBMAGIC, Chunk(M3D_VERSION, U32(1)), rlRelease3, rlReleaseNotKnown, rlReleaseNotKnown},
  };
  for (const Row& r : rows) {
    TMemoryStream stream = StreamOf(U16(r.root) + U32(static_cast<std::uint32_t>(6 + r.body.size())) + r.body);
    TFile3DS file(stream);
    EXPECT_EQ(file.GetDatabaseRelease(), r.database) << std::hex << r.root;
    EXPECT_EQ(file.GetMeshRelease(), r.mesh) << std::hex << r.root;
    EXPECT_EQ(GetKFRelease(file), r.kf) << std::hex << r.root;
  }
}

TEST(SceneSettings, ProjectFileMasterScale) {
  TLoaded loaded(Fixture("project.prj"));
  TFile3DS& file = loaded.file;
  EXPECT_EQ(file.GetDatabaseType(), dbProjectFile);
  EXPECT_FLOAT_EQ(file.GetMeshSettings().MasterScale, 2.5f);
  EXPECT_EQ(file.GetDatabaseRelease(), rlRelease2);
}

}  // namespace
}  // namespace corvane
