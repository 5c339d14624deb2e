// The particle renderer on the recording device: the shared mesh, the
// states it draws with and leaves behind, and the applet's three renderers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/vector_math.h"
#include "base/geometry/vertex_format.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "platform/device.h"
#include "platform/window.h"
#include "resources/embedded_res_man.h"
#include "scene/particles/particle_renderer.h"
#include "tests/scene/particles/particle_test_kit.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"

namespace corvane {
namespace {

using test::TEmitter;
using test::TRecordedDraw;
using test::TRecordingDevice;

// An emitter whose effect draws through a renderer of its own on the
// recording device; it releases only what the test bursts.
struct TRendered : TEmitter {
  explicit TRendered(TPositionObjectKind kind = okScreen) : TEmitter(kind) {
    device = world.applet->UseRecordingDevice();
    renderer = Create<ParticleRenderer>(TCreateContext(world.applet));
    effect->SetRenderer(renderer);
    Quiet();
  }
  // The renderer's own paint, the records cleared before.
  void Paint() {
    device->ClearRecords();
    renderer->Paint();
  }
  // One particle of size 10 at (50, 60), painted.
  void PaintOne(float spin = 0) {
    parent->Position()->SetValues(50, 60, 0);
    effect->SetScaleMin(10);
    effect->SetScaleMax(10);
    effect->SetSpinMin(spin);
    effect->SetSpinMax(spin);
    effect->Burst(0, 1);
    Paint();
  }
  TRecordingDevice* device = nullptr;
  ParticleRenderer* renderer = nullptr;
};

TEST(ParticleRenderer, TheFirstRendererMakesTheSharedMesh) {
  TRendered r;
  TMesh* mesh = r.device->ParticleMesh;
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->VertexFormat, vfColorPixmapVertex);
  EXPECT_TRUE(mesh->Dynamic);
  auto* second = Create<ParticleRenderer>(TCreateContext(r.world.applet));
  EXPECT_EQ(r.device->ParticleMesh, mesh);
  second->Free();
  // The test filter has no default picture: none is shared.
  EXPECT_EQ(r.renderer->Pixmap(), nullptr);
}

TEST(ParticleRenderer, TheDefaultPictureIsLoadedOnceAndGoesWithTheDevice) {
  TEmitter e;
  TRecordingDevice* device = e.world.applet->UseRecordingDevice();
  e.world.engine->SetEmbeddedResMan(Create<TEmbeddedResMan>(TCreateContext(e.world.engine)));
  test::TTestFilter* filter = e.world.applet->Filters();
  filter->pixmapFiles[u"defaultpfx.pixmap"] = {256, 256};
  auto* first = Create<ParticleRenderer>(TCreateContext(e.world.applet));
  auto* second = Create<ParticleRenderer>(TCreateContext(e.world.applet));
  EXPECT_EQ(filter->pixmapLoads, 1);
  ASSERT_NE(device->ParticlePixmap, nullptr);
  EXPECT_EQ(first->Pixmap(), device->ParticlePixmap);
  EXPECT_EQ(second->Pixmap(), device->ParticlePixmap);
  // A renderer's own picture, given back, leaves the shared one alone.
  filter->pixmapFiles[u"spark.pixmap"] = {8, 8};
  first->SetPixmap("spark.pixmap");
  first->SetPixmap("");
  first->Free();
  EXPECT_EQ(second->Pixmap(), device->ParticlePixmap);
  EXPECT_NE(std::find(device->Pixmaps().begin(), device->Pixmaps().end(), device->ParticlePixmap),
            device->Pixmaps().end());
  // Destroyed with the device's other pixmaps: nothing points at it.
  TPixmap* shared = device->ParticlePixmap;
  device->DestroyPixmap(shared);
  EXPECT_EQ(device->ParticlePixmap, nullptr);
  EXPECT_EQ(second->Pixmap(), nullptr);
}

// A screen pass is capped at its share of the shared mesh; a space pass
// draws all 200. The device's count grows by what each paint drew.
TEST(ParticleRenderer, APassDrawsUpToItsShareOfTheMesh) {
  struct Case {
    TPositionObjectKind kind;
    int particles;
    TRenderState scene;
  };
  for (const Case c : {Case{okScreen, 138, rs2DScene}, Case{okSpace, 200, rs3DScene}}) {
    SCOPED_TRACE(c.particles);
    TRendered r(c.kind);
    r.effect->Burst(0, 200);
    r.Paint();
    ASSERT_EQ(r.device->Draws.size(), 1u);
    EXPECT_EQ(r.device->Draws[0].VertexCount(), 4 * c.particles);
    EXPECT_EQ(r.device->Draws[0].Indices.size(), 6u * static_cast<std::size_t>(c.particles));
    EXPECT_TRUE(r.device->Draws[0].States[c.scene]);
    EXPECT_EQ(r.device->ParticleCount, c.particles);
    r.Paint();
    EXPECT_EQ(r.device->ParticleCount, 2 * c.particles);
  }
}

TEST(ParticleRenderer, AScreenQuadSitsAroundItsParticle) {
  TRendered r;
  r.effect->Rect()->SetRect({0.25f, 0.5f, 0.75f, 1});
  r.PaintOne();
  ASSERT_EQ(r.device->Draws.size(), 1u);
  const TRecordedDraw& draw = r.device->Draws[0];
  const std::vector<test::TRecordedQuad> quads = test::QuadsOf(draw);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].Rect, (TRect{45, 55, 55, 65}));
  EXPECT_EQ(quads[0].Texture, (TRect{0.25f, 0.5f, 0.75f, 1}));
  EXPECT_FLOAT_EQ(quads[0].Z, 0.9f);
  EXPECT_EQ(quads[0].Color, r.device->CorrectMeshVertexColor(0xFFFFFFFF));
  EXPECT_EQ(draw.Indices, (std::vector<std::uint16_t>{1, 0, 3, 3, 2, 1}));
}

TEST(ParticleRenderer, SpinTurnsTheCornersAboutTheCentre) {
  TRendered r;
  r.PaintOne(90);
  ASSERT_EQ(r.device->Draws.size(), 1u);
  const std::vector<TColorPixmapVertex> v = r.device->Draws[0].As<TColorPixmapVertex>();
  ASSERT_EQ(v.size(), 4u);
  // A quarter turn: each corner takes the place of the next.
  const float expected[4][2] = {{55, 55}, {55, 65}, {45, 65}, {45, 55}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(v[k].position.x, expected[k][0], 1e-4f) << k;
    EXPECT_NEAR(v[k].position.y, expected[k][1], 1e-4f) << k;
    EXPECT_FLOAT_EQ(v[k].position.z, 0.9f);
  }
  // The texture corners stay with the vertices.
  EXPECT_EQ(v[0].tex, (TTexVector{0, 0}));
  EXPECT_EQ(v[2].tex, (TTexVector{1, 1}));
}

TEST(ParticleRenderer, BillboardsFaceTheCamera) {
  TRendered r(okSpace);
  const TSpaceVector direction = VectorSpaceNormalize({1, 2, -3, 0});
  r.device->SetCameraPos({0, 0, 50, 1}, direction, {0, 0, 1, 0});
  r.parent->Position()->SetValues(3, 4, 5);
  r.effect->SetScaleMin(2);
  r.effect->SetScaleMax(2);
  r.effect->Burst(0, 1);
  r.Paint();
  ASSERT_EQ(r.device->Draws.size(), 1u);
  const std::vector<TColorPixmapVertex> v = r.device->Draws[0].As<TColorPixmapVertex>();
  ASSERT_EQ(v.size(), 4u);
  const TSpaceVector centre{3, 4, 5, 1};
  for (const TColorPixmapVertex& corner : v) {
    const TSpaceVector offset = SpaceVectorSubtract(VertexToSpaceVector(corner.position), centre);
    EXPECT_NEAR(SpaceVectorDotProduct(offset, direction), 0, 1e-4f);
    // Half the size across and half up: the corner lies sqrt(2) away.
    EXPECT_NEAR(SpaceVectorLength(offset), std::sqrt(2.0f), 1e-4f);
  }
  // Both triangles wind counter-clockwise as the camera sees them (their
  // normal points back at it), so culling keeps them.
  const std::vector<std::uint16_t>& index = r.device->Draws[0].Indices;
  for (std::size_t t = 0; t + 2 < index.size(); t += 3) {
    const TSpaceVector a = VertexToSpaceVector(v[index[t]].position);
    const TSpaceVector b = VertexToSpaceVector(v[index[t + 1]].position);
    const TSpaceVector c = VertexToSpaceVector(v[index[t + 2]].position);
    const TSpaceVector normal = SpaceVectorCrossProduct(SpaceVectorSubtract(b, a), SpaceVectorSubtract(c, a));
    EXPECT_LT(SpaceVectorDotProduct(normal, direction), 0) << t;
  }
  // The first texture corner is the upper left one, as on the screen.
  EXPECT_GT(SpaceVectorDotProduct(VertexToSpaceVector(v[0].position), {0, 0, 1, 0}),
            SpaceVectorDotProduct(VertexToSpaceVector(v[3].position), {0, 0, 1, 0}));
  // Opposite corners across the centre, neighbours a side apart.
  const TSpaceVector side = SpaceVectorSubtract(VertexToSpaceVector(v[1].position), VertexToSpaceVector(v[0].position));
  EXPECT_NEAR(SpaceVectorLength(side), 2, 1e-4f);
}

TEST(ParticleRenderer, NothingToDrawLocksNothingAndChangesNoState) {
  TRendered r;
  TMesh* mesh = r.device->ParticleMesh;
  mesh->LockedVertexCount = 7;  // a lock would reset it
  const std::int32_t changes = r.device->StateChanges;
  r.Paint();  // an effect without particles
  r.effect->SetRenderer(nullptr);
  r.Paint();  // no effect at all
  EXPECT_TRUE(r.device->Calls.empty());
  EXPECT_TRUE(r.device->Draws.empty());
  EXPECT_EQ(r.device->StateChanges, changes);
  EXPECT_EQ(mesh->LockedVertexCount, 7);
  EXPECT_EQ(r.device->ParticleCount, 0);
}

TEST(ParticleRenderer, DrawsAdditiveWithoutDepthWritesAndPutsTheStatesBack) {
  TRendered r;
  r.effect->Burst(0, 3);
  r.Paint();
  ASSERT_EQ(r.device->Draws.size(), 1u);
  const TRecordedDraw& draw = r.device->Draws[0];
  EXPECT_TRUE(draw.States[rsBlendAdditive]);
  EXPECT_TRUE(draw.States[rsZWriteOff]);
  EXPECT_TRUE(draw.States[rsLightOff]);
  EXPECT_TRUE(draw.States[rsTexLinear]);
  EXPECT_TRUE(draw.States[rsTexDisable]);  // no picture: the colours alone
  EXPECT_TRUE(r.device->StateActive(rsBlendNormal));
  EXPECT_TRUE(r.device->StateActive(rsZWriteOn));

  // Blended with depth writes: nothing to put back.
  r.renderer->SetBlendingMode(bmBlend);
  r.renderer->SetZWrite(true);
  r.device->SetRenderState(rsBlendAdditive);
  r.Paint();
  ASSERT_EQ(r.device->Draws.size(), 1u);
  EXPECT_TRUE(r.device->Draws[0].States[rsBlendNormal]);
  EXPECT_TRUE(r.device->Draws[0].States[rsZWriteOn]);
}

TEST(ParticleRenderer, APictureOfItsOwnIsDrawnAndGivenBack) {
  TRendered r;
  r.world.applet->Filters()->pixmapFiles[u"spark.pixmap"] = {8, 8};
  r.renderer->SetPixmap("spark.pixmap");
  TPixmap* spark = r.renderer->Pixmap();
  ASSERT_NE(spark, nullptr);
  r.effect->Burst(0, 1);
  r.Paint();
  ASSERT_EQ(r.device->Draws.size(), 1u);
  EXPECT_EQ(r.device->Draws[0].Stage0, spark);
  EXPECT_TRUE(r.device->Draws[0].States[rsTexModulate]);
  // Back to the shared picture (none here): the own one goes to the cache.
  r.renderer->SetPixmap("");
  EXPECT_EQ(r.renderer->Pixmap(), nullptr);
  EXPECT_EQ(std::find(r.device->Pixmaps().begin(), r.device->Pixmaps().end(), spark), r.device->Pixmaps().end());
}

TEST(ParticleRenderer, IsNeverCulled) {
  TRendered r;
  r.effect->Burst(0, 2);
  // Frustums that hold nothing near the origin, where the renderer is.
  TFrustum far{};
  for (TSpaceVector& plane : far.planes) plane = {0, 0, 1, -1000};
  r.world.applet->SetViewFrustums(far, far);
  r.world.applet->SetBoundsCulling(true);
  r.device->ClearRecords();
  r.renderer->PaintObject();
  EXPECT_EQ(r.device->Draws.size(), 1u);
}

TEST(ParticleRenderer, ThousandsOfEffectsFreedTogetherLeaveTheRestInOrder) {
  // A field of emitters freed with their parent, first to last, and every
  // other one of a second field freed alone: each leaves the list in a
  // step, and those left draw in the order they joined.
  TRendered r;
  constexpr int kField = 20000;
  auto* field = Create<PositionObject>(TCreateContext(r.world.applet));
  auto* kept = Create<PositionObject>(TCreateContext(r.world.applet));
  std::vector<ParticleEffect*> second;
  for (int i = 0; i < kField; ++i) {
    Create<ParticleEffect>(TCreateContext(field))->SetRenderer(r.renderer);
    second.push_back(Create<ParticleEffect>(TCreateContext(kept)));
    second.back()->SetRenderer(r.renderer);
  }
  ASSERT_EQ(r.renderer->Effects().size(), 2u * kField + 1);
  field->Free();
  for (int i = 0; i < kField; i += 2) second[static_cast<std::size_t>(i)]->Free();
  std::vector<ParticleEffect*> expected = {r.effect};
  for (int i = 1; i < kField; i += 2) expected.push_back(second[static_cast<std::size_t>(i)]);
  EXPECT_EQ(r.renderer->Effects(), expected);
}

// Nothing dangles, whichever goes first.
TEST(ParticleRenderer, AFreedEffectLeavesItsRenderersList) {
  TRendered r;
  r.effect->Burst(0, 5);
  ASSERT_EQ(r.renderer->Effects().size(), 1u);
  r.effect->Free();
  EXPECT_TRUE(r.renderer->Effects().empty());
  r.Paint();
  EXPECT_TRUE(r.device->Draws.empty());
}

TEST(ParticleRenderer, AnEffectOutlivesItsRenderer) {
  TRendered r;
  r.effect->Burst(0, 5);
  r.renderer->Free();
  EXPECT_EQ(r.effect->Renderer(), nullptr);
  r.Frames(10);
  EXPECT_EQ(r.effect->ParticleCount(), 5);
  r.effect->SetRenderer(nullptr);
  r.effect->Free();
}

TEST(ParticleRenderer, KillAllEndsEveryEffectsParticles) {
  TRendered r;
  auto* other = Create<ParticleEffect>(TCreateContext(r.parent));
  other->SetRenderer(r.renderer);
  r.effect->Burst(0, 4);
  other->Burst(0, 6);
  r.renderer->KillAll();
  EXPECT_EQ(r.effect->ParticleCount(), 0);
  EXPECT_EQ(other->ParticleCount(), 0);
}

TEST(ParticleRenderer, EffectsPickTheAppletsRendererByBlendingAndDepthTest) {
  test::TAppletWorld world;
  Applet* applet = world.Launch(
      "object Game: Applet\n"
      "  object holder: PositionObject\n"
      "    object add: ParticleEffect\n    end\n"
      "    object blend: ParticleEffect\n      blendingMode = bmBlend\n    end\n"
      "    object deep: ParticleEffect\n      blendingMode = bmBlend\n      zTest = True\n    end\n"
      "  end\n"
      "end\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  auto effect = [&](const char16_t* name) { return dynamic_cast<ParticleEffect*>(applet->findByName(name)); };
  ASSERT_NE(effect(u"add"), nullptr) << world.Text();
  // Additive, blended, and additive with the depth test.
  const struct {
    TBlendingMode blending;
    bool zTest;
  } kRenderings[3] = {{bmAdditive, false}, {bmBlend, false}, {bmAdditive, true}};
  for (int i = 0; i < 3; ++i) {
    const auto* renderer = dynamic_cast<ParticleRenderer*>(applet->Renderer(i));
    ASSERT_NE(renderer, nullptr) << i;
    EXPECT_EQ(renderer->BlendingMode(), kRenderings[i].blending) << i;
    EXPECT_EQ(renderer->ZTest(), kRenderings[i].zTest) << i;
  }
  EXPECT_EQ(world.Text().find("(e)"), std::string::npos) << world.Text();
  EXPECT_EQ(effect(u"add")->Renderer(), applet->Renderer(0));
  EXPECT_EQ(effect(u"blend")->Renderer(), applet->Renderer(1));
  EXPECT_EQ(effect(u"deep")->Renderer(), applet->Renderer(2));
  // Changed at run time, chosen again at once.
  effect(u"deep")->SetZTest(false);
  EXPECT_EQ(effect(u"deep")->Renderer(), applet->Renderer(1));
  effect(u"blend")->SetBlendingMode(bmAdditive);
  EXPECT_EQ(effect(u"blend")->Renderer(), applet->Renderer(0));
  EXPECT_EQ(dynamic_cast<ParticleRenderer*>(applet->Renderer(0))->Effects().size(), 2u);

  // Streamed with both keys at frame 0, their particles would not live.
  for (const char16_t* name : {u"add", u"blend", u"deep"}) effect(name)->SetLifeTime(1);
  world.Steps(5);
  for (const char16_t* name : {u"add", u"blend", u"deep"}) EXPECT_GT(effect(name)->ParticleCount(), 0);
  // The applet's frame draws them through its renderers: screen emitters
  // here, one draw per renderer.
  auto* device = dynamic_cast<TRecordingDevice*>(applet->Device());
  ASSERT_NE(device, nullptr);
  device->ClearRecords();
  device->RenderWindow();
  EXPECT_GT(device->ParticleCount, 0);
  int particleDraws = 0;
  for (const TRecordedDraw& draw : device->Draws) particleDraws += draw.Format == vfColorPixmapVertex && draw.Dynamic;
  EXPECT_GE(particleDraws, 2);
  applet->killParticles();
  for (const char16_t* name : {u"add", u"blend", u"deep"}) EXPECT_EQ(effect(name)->ParticleCount(), 0);
  world.FreeApplet();
}

}  // namespace
}  // namespace corvane
