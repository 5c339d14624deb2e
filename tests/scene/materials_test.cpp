// Materials: look-up by name and tag, colours as text, Apply with alpha.
#include <gtest/gtest.h>

#include "base/reflection/prop_access.h"
#include "engine/shell/applet.h"
#include "scene/materials.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"
#include "tests/support/stream_bytes.h"

namespace corvane {
namespace {

using test::TTestWorld;

TEST(Materials, FindByNameAndApplyWithAlpha) {
  TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  auto* materials = Create<Materials>(TCreateContext(world.applet));
  auto* plain = Create<Material>(TCreateContext(materials));
  plain->SetName(u"plain");
  plain->SetTagString(u"stone");
  EXPECT_EQ(plain->GetDiffuse(), u"#FF969696");
  EXPECT_EQ(materials->getMaterial(u"plain"), plain);
  EXPECT_EQ(materials->getMaterial(u"Plain"), nullptr) << "names match with case";
  EXPECT_EQ(materials->getMaterial(u"stone"), nullptr) << "by name, not by tag";

  struct Case {
    float alpha;
    std::uint32_t diffuse;
  };
  for (const Case c : {Case{0.5f, 0x7F969696}, Case{1.0f, 0xFF969696}, Case{-1, 0xFF969696}, Case{0, 0x00969696}}) {
    plain->Apply(c.alpha);
    EXPECT_EQ(device->Material.Diffuse, c.diffuse) << c.alpha;
  }
  EXPECT_EQ(plain->Record().Diffuse, 0xFF969696u) << "the stored colours do not change";

  plain->SetDiffuse(u"#80102030");
  materials->applyMaterial(u"stone");
  EXPECT_EQ(device->Material.Diffuse, 0x80102030u);
  device->SetColor(1);
  materials->applyMaterial(u"no such tag");
  EXPECT_EQ(device->Material.Diffuse, 1u);
  // Only a changed colour is written.
  EXPECT_TRUE(GetPropInfo(*plain, "diffuse")->IsStored(*plain));
  EXPECT_FALSE(GetPropInfo(*plain, "ambient")->IsStored(*plain));
}

TEST(Materials, LightingIsWrittenOffAsWellAsOn) {
  TTestWorld world;
  auto* material = Create<Material>(TCreateContext(world.applet));
  material->SetName(u"m");
  for (bool lit : {false, true}) {
    material->SetLighting(lit);
    const std::string written = test::WriteComponentText(material);
    EXPECT_NE(written.find(lit ? "lighting = True" : "lighting = False"), std::string::npos) << written;
  }
  material->Free();
}

}  // namespace
}  // namespace corvane
