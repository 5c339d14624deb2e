#include <gtest/gtest.h>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "formats/3ds/materials.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

void ExpectColor(const TFColor3DS& c, float r, float g, float b) {
  EXPECT_NEAR(c.r, r, 1e-6);
  EXPECT_NEAR(c.g, g, 1e-6);
  EXPECT_NEAR(c.b, b, 1e-6);
}

TEST(Materials, AsExportersWriteThem) {
  TLoaded loaded(Fixture("cube.3ds"));
  TFile3DS& file = loaded.file;
  ASSERT_EQ(file.Materials().GetCount(), 1);
  const TMaterial3DS* m = file.Materials().GetMaterial(0);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->NameStr, "Red Paint");
  // COLOR_24 then LIN_COLOR_24: the linear one, read last, wins.
  ExpectColor(m->Diffuse, 0, 1, 0);
  ExpectColor(m->Ambient, 0.2f, 0, 0);
  EXPECT_FLOAT_EQ(m->Shininess, 0.5f);
  EXPECT_FLOAT_EQ(m->ShinStrength, 0.1f);
  EXPECT_FLOAT_EQ(m->Transparency, -0.2f);  // MAT_XPFALLIN turns the sign of what came before
  EXPECT_EQ(m->Shading, stPhong);
  EXPECT_TRUE(m->TwoSided);
  EXPECT_FLOAT_EQ(m->WireSize, 1.0f);
  EXPECT_EQ(m->Texture.Map.NameStr, "checker.png");
  EXPECT_FLOAT_EQ(m->Texture.Map.Percent, 1.0f);
  EXPECT_FLOAT_EQ(m->Texture.Map.Blur, 0.07f);
  EXPECT_FLOAT_EQ(m->Texture.Map.UScale, 2.0f);
  EXPECT_FLOAT_EQ(m->Texture.Map.VScale, 3.0f);
  EXPECT_EQ(m->Texture.Map.Tiling, ttTile);
  ExpectColor(m->Texture.Map.Tint2, 1, 1, 1);
  ExpectColor(m->Texture.Map.RedTint, 1, 0, 0);
  EXPECT_EQ(m->Bump.Map.NameStr, "bumps.png");
  EXPECT_FLOAT_EQ(m->Bump.Map.Percent, 0.3f);  // MAT_BUMP_PERCENT overrides the map's own
  EXPECT_EQ(m->Bump.Map.Tiling, ttDecal);
  EXPECT_EQ(m->Reflect.AutoMap.MapSize, 100u);
  EXPECT_EQ(m->Reflect.AutoMap.NthFrame, 1u);
  EXPECT_EQ(file.Materials().GetMaterialByName("red PAINT"), m);
  EXPECT_EQ(file.Materials().GetMaterialByName("Blue"), nullptr);
}

TEST(Materials, LibraryEntriesAndIndexErrors) {
  TLoaded loaded(Fixture("library.mli"));
  TFile3DS& file = loaded.file;
  ASSERT_EQ(file.Materials().GetCount(), 2);
  const TMaterial3DS* gold = file.Materials().GetMaterial(0);
  EXPECT_EQ(gold->NameStr, "Gold");
  ExpectColor(gold->Diffuse, 1.0f, 0.8f, 0.1f);
  EXPECT_FLOAT_EQ(gold->Shininess, 0.75f);
  const TMaterial3DS* glass = file.Materials().GetMaterialByName("BLUE GLASS");
  ASSERT_NE(glass, nullptr);
  ExpectColor(glass->Diffuse, 0, 0, 1);
  EXPECT_FLOAT_EQ(glass->Transparency, 0.6f);
  EXPECT_EQ(file.GetDatabaseRelease(), rlRelease3);
  try {
    GetMaterialByIndex(file, 7);
    FAIL();
  } catch (const E3DSError& e) {
    EXPECT_STREQ(e.what(), "Invalid index 7.");
  }
}

TEST(Materials, MapTilingFlags) {
  struct Row {
    std::uint16_t flags;
    TTileType3DS tiling;
    TTintType3DS source;
    bool mirror, negative, ignoreAlpha;
    TFilterType3DS filter;
  } rows[] = {
      {0x0000, ttTile, ttRGB, false, false, false, ftPyramidal},
      {0x0011, ttDecal, ttRGB, false, false, false, ftPyramidal},
      {0x0001, ttBoth, ttRGB, false, false, false, ftPyramidal},
      {0x000A, ttTile, ttRGB, true, true, false, ftPyramidal},
      {0x0120, ttTile, ttRGB, false, false, true, ftSummedArea},
      {0x0080, ttTile, ttRGBLumaTint, false, false, false, ftPyramidal},
      {0x00C0, ttTile, ttAlphaTint, false, false, false, ftPyramidal},
      {0x0200, ttTile, ttRGBTint, false, false, false, ftPyramidal},
      {0x0040, ttTile, ttAlpha, false, false, false, ftPyramidal},
  };
  for (const Row& r : rows) {
    const std::string map = Chunk(MAT_OPACMAP, {}, {Chunk(MAT_MAP_TILING, U16(r.flags)), Chunk(MAT_MAP_COL1, "\x33\x66\x99")});
    TMemoryStream stream = StreamOf(Chunk(MLIBMAGIC, {}, {Chunk(MAT_ENTRY, {}, {Chunk(MAT_NAME, Str("m")), map})}));
    TFile3DS file(stream);
    const TBitmap3DS& b = file.Materials().GetMaterial(0)->Opacity.Map;
    EXPECT_EQ(b.Tiling, r.tiling) << r.flags;
    EXPECT_EQ(b.Source, r.source) << r.flags;
    EXPECT_EQ(b.Mirror, r.mirror) << r.flags;
    EXPECT_EQ(b.Negative, r.negative) << r.flags;
    EXPECT_EQ(b.IgnoreAlpha, r.ignoreAlpha) << r.flags;
    EXPECT_EQ(b.Filter, r.filter) << r.flags;
    ExpectColor(b.Tint1, 0.2f, 0.4f, 0.6f);
  }
}

TEST(Materials, EntryChildrenAreCheckedStrictly) {
  struct Row {
    const char* what;
    std::string child;
    bool fails;
  } rows[] = {
      {"a colour directly under the entry", Chunk(COLOR_F, Floats({1, 0, 0})), true},
      {"an id the reader does not know", Chunk(0x1234, "x"), true},
      {"extended data is skipped", Chunk(XDATA_SECTION), false},
      {"accepted markers", Chunk(MAT_SHIN3PCT, {}, {Chunk(INT_PERCENTAGE, U16(5))}) + Chunk(MAT_DECAL), false},
  };
  for (const Row& r : rows) {
    TMemoryStream stream = StreamOf(Chunk(MLIBMAGIC, {}, {Chunk(MAT_ENTRY, {}, {Chunk(MAT_NAME, Str("m")), r.child})}));
    TFile3DS file(stream);
    if (!r.fails) {
      EXPECT_NE(file.Materials().GetMaterial(0), nullptr) << r.what;
      continue;
    }
    try {
      file.Materials().GetMaterial(0);
      ADD_FAILURE() << r.what;
    } catch (const E3DSError& e) {
      EXPECT_EQ(e.what(), Error3DSText(error3ds_invalid_chunk)) << r.what;
    }
  }
}

TEST(Materials, ShadingValues) {
  struct Row {
    std::int16_t value;
    TShadeType3DS shading;
  } rows[] = {{0, stWire}, {1, stFlat}, {2, stGouraud}, {4, stMetal}, {9, stPhong}, {-1, stPhong}};  // unknown: the default
  for (const Row& r : rows) {
    TMemoryStream stream =
        StreamOf(Chunk(MLIBMAGIC, {}, {Chunk(MAT_ENTRY, {}, {Chunk(MAT_NAME, Str("m")), Chunk(MAT_SHADING, U16(static_cast<std::uint16_t>(r.value)))})}));
    TFile3DS file(stream);
    EXPECT_EQ(file.Materials().GetMaterial(0)->Shading, r.shading) << r.value;
  }
}

TEST(Materials, EntryWithoutNameIsListedWithAnEmptyOne) {
  const std::string entry = Chunk(MAT_ENTRY, {}, {Chunk(MAT_DIFFUSE, {}, {Chunk(COLOR_24, std::string("\xff\x00\x00", 3))})});
  TMemoryStream stream = StreamOf(Chunk(M3DMAGIC, {}, {Chunk(MDATA, {}, {entry})}));
  TFile3DS file(stream);
  ASSERT_EQ(file.Materials().GetCount(), 1);
  EXPECT_EQ(file.Materials().GetMaterial(0)->NameStr, "");
  ExpectColor(file.Materials().GetMaterial(0)->Diffuse, 1, 0, 0);
  EXPECT_EQ(file.Materials().GetMaterialByName(""), file.Materials().GetMaterial(0));
}

}  // namespace
}  // namespace corvane
