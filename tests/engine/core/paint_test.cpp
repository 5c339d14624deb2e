// Painting the tree through the recording device: states, materials looked
// up on every draw, culling by bounds, the mirror pass and the debug views.
#include <gtest/gtest.h>

#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "engine/core/mission.h"
#include "engine/core/position_object.h"
#include "scene/materials.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

// Records every Paint with the material in force then.
class TPaintProbe : public PositionObject {
  CORVANE_CLASS(TPaintProbe, PositionObject)
  using PositionObject::PositionObject;
  void Paint() override {
    TDevice* device = GetApplet()->Device();
    Painted.push_back(device->Material.Diffuse);
  }
  float Radius = 1;
  float GetBoundsRadius() override { return Radius; }
  TAABB GetBoundsBox() override { return {{-1, -1, -1, 1}, {1, 1, 1, 1}}; }
  std::vector<std::uint32_t> Painted;
};
CORVANE_IMPLEMENT_CLASS(TPaintProbe)

struct PaintWorld {
  TTestWorld world;
  test::TRecordingDevice* device;
  Materials* materials;
  PaintWorld() {
    RegisterClasses({TPaintProbe::StaticClass()});
    device = world.applet->UseRecordingDevice();
    materials = Create<Materials>(TCreateContext(world.applet));
    world.applet->SetMaterials(materials);
    AddMaterial(u"default", u"#FF969696");
    AddMaterial(u"red", u"#FFFF0000");
  }
  Material* AddMaterial(const char16_t* name, const char16_t* diffuse) {
    auto* m = Create<Material>(TCreateContext(materials));
    m->SetName(name);
    m->SetDiffuse(diffuse);
    return m;
  }
  TPaintProbe* Probe(BaseObject* parent = nullptr) {
    return Create<TPaintProbe>(TCreateContext(parent ? parent : world.applet));
  }
  void Paint() {
    world.applet->ResetPaintCounts();
    world.applet->PaintObject();
  }
};

TEST(Paint, EachDrawSetsItsStatesAndLooksUpItsMaterialByName) {
  PaintWorld p;
  TPaintProbe* probe = p.Probe();
  probe->SetKind(okSpace);
  probe->SetZTest(true);
  probe->SetAlpha(0.5f);
  p.Paint();
  ASSERT_EQ(probe->Painted.size(), 1u);
  EXPECT_EQ(probe->Painted[0], 0x7F969696u) << "the material with the object's alpha";
  EXPECT_TRUE(p.device->StateActive(rs3DScene));
  EXPECT_TRUE(p.device->StateActive(rsZTestOn));
  EXPECT_TRUE(p.device->StateActive(rsZWriteOn));
  EXPECT_EQ(p.device->SpaceMatrix, probe->GetAbsoluteMatrix());
  EXPECT_EQ(p.world.applet->VisibleCount(), 2) << "the applet and the probe";

  // A new material name takes effect at the next draw ...
  probe->SetAlpha(1);
  probe->SetMaterialName(u"red");
  p.Paint();
  EXPECT_EQ(probe->Painted.back(), 0xFFFF0000u);
  // ... and a freed material or Materials leaves nothing dangling.
  p.materials->getMaterial(u"red")->Free();
  p.device->SetColor(0xFF123456);
  p.Paint();
  EXPECT_EQ(probe->Painted.back(), 0xFF123456u);
  p.world.applet->SetMaterials(nullptr);
  p.Paint();
  EXPECT_EQ(probe->Painted.size(), 4u);

  // A screen object draws in the 2D scene without the depth test.
  probe->SetKind(okScreen);
  probe->SetZTest(false);
  p.Paint();
  EXPECT_TRUE(p.device->StateActive(rs2DScene));
  EXPECT_TRUE(p.device->StateActive(rsZTestOff));
  // Hidden objects are not painted, and neither are their children.
  TPaintProbe* child = p.Probe(probe);
  probe->hide();
  p.Paint();
  EXPECT_EQ(probe->Painted.size(), 5u);
  EXPECT_TRUE(child->Painted.empty());
}

TEST(Paint, BoundsCullingSkipsWhatTheFrustumDoesNotHoldButNotTheChildrenOfGroups) {
  PaintWorld p;
  // A cube from -10 to 10 on every axis, planes facing in.
  TFrustum box;
  box.planes = {TSpaceVector{1, 0, 0, 10}, {0, -1, 0, 10}, {-1, 0, 0, 10}, {0, 1, 0, 10}, {0, 0, 1, 10}, {0, 0, -1, 10}};
  p.world.applet->SetViewFrustums(box, box);
  p.world.applet->SetBoundsCulling(true);
  TPaintProbe* inside = p.Probe();
  TPaintProbe* outside = p.Probe();
  outside->Position()->SetValues(50, 0, 0);
  TPaintProbe* edge = p.Probe();
  edge->Position()->SetValues(10.5f, 0, 0);
  TPaintProbe* belowOutside = p.Probe(outside);
  belowOutside->Position()->SetValues(-50, 0, 0);
  TPaintProbe* grown = p.Probe();
  grown->Position()->SetValues(50, 0, 0);
  grown->Scale()->SetValues(60, 60, 60);
  TPaintProbe* boundless = p.Probe();
  boundless->Position()->SetValues(50, 0, 0);
  boundless->Radius = 0;
  auto* mission = Create<Mission>(TCreateContext(p.world.applet));
  TPaintProbe* inMission = p.Probe(mission);
  p.Paint();
  EXPECT_EQ(inside->Painted.size(), 1u);
  EXPECT_TRUE(outside->Painted.empty());
  EXPECT_EQ(edge->Painted.size(), 1u) << "partly inside";
  EXPECT_EQ(grown->Painted.size(), 1u) << "its scale reaches inside";
  EXPECT_EQ(boundless->Painted.size(), 1u) << "no bounds: never known to lie outside";
  EXPECT_EQ(belowOutside->Painted.size(), 1u) << "a culled object's children are still walked";
  EXPECT_EQ(inMission->Painted.size(), 1u);
  // Culled: outside and the mission itself.
  EXPECT_EQ(p.world.applet->InvisibleCount(), 2);
}

TEST(Paint, TheMirrorPassAndTheDebugViews) {
  PaintWorld p;
  TPaintProbe* mirrored = p.Probe();
  TPaintProbe* plain = p.Probe();
  plain->SetMirrored(false);
  MirrorPaint = true;
  p.Paint();
  MirrorPaint = false;
  EXPECT_EQ(mirrored->Painted.size(), 1u);
  EXPECT_TRUE(plain->Painted.empty());

  // The wire frame paints again in frame mode; debugDynamics draws bodies
  // and motion lines.
  SetPropValue(*p.world.applet, "debugWireFrame", Variant(true));
  p.Paint();
  EXPECT_EQ(plain->Painted.size(), 2u);
  EXPECT_TRUE(p.device->StateActive(rsSolid));
  EXPECT_GT(p.device->CountCalls("ApplyRenderState rsFrame"), 0);
  SetPropValue(*p.world.applet, "debugWireFrame", Variant(false));
  SetPropValue(*p.world.applet, "debugDynamics", Variant(true));
  plain->Velocity()->SetValues(1, 0, 0);
  p.device->ClearRecords();
  p.Paint();
  EXPECT_EQ(p.device->Lines.size(), 2u);

  // At design time a hot object outlines its bounds box.
  SetPropValue(*p.world.applet, "debugDynamics", Variant(false));
  plain->SetDesignTime(true);
  plain->SetHot(true);
  p.device->ClearRecords();
  p.Paint();
  ASSERT_EQ(p.device->Lines.size(), 1u);
  EXPECT_EQ(p.device->Lines[0].Color, 0xFFFFEE77u);
}

}  // namespace
}  // namespace corvane
