// Models in the scene: how a Mesh chooses its draw (still, posed, played by
// its effect, the last pose of a finished play), its bounds and body; the
// mirror's reflected paint.
#include <gtest/gtest.h>

#include <cmath>

#include "base/geometry/matrix.h"
#include "engine/shell/applet.h"
#include "platform/window.h"
#include "resources/empty_res_man.h"
#include "scene/box.h"
#include "scene/mesh.h"
#include "scene/mesh_animation_effect.h"
#include "scene/mesh_persistent.h"
#include "scene/mirror.h"
#include "scene/register.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/fake_physics.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TRecordedAnimation;
using test::TTestWorld;

struct MeshWorld {
  MeshWorld() {
    RegisterSceneClasses();
    device = world.applet->UseRecordingDevice();
    FinishConstruction(files.get(), TCreateContext());
    world.applet->SetResMan(files.get());
    world.applet->Filters()->animatedMeshFiles[u"walk.mesh"] = 7;
    world.applet->Filters()->animatedMeshFiles[u"run.mesh"] = 41;
    world.applet->Filters()->meshFiles.insert(u"rock.mesh");
  }
  Mesh* NewMesh(const std::string& file) {
    auto* mesh = Create<Mesh>(TCreateContext(world.applet));
    mesh->Model()->SetFileName(file);
    return mesh;
  }
  // What one paint of the object drew: its animated draws.
  std::vector<TRecordedAnimation> Paint(VisualObject* object) {
    device->ClearRecords();
    object->Paint();
    return device->Animations;
  }

  TTestWorld world;
  test::TRecordingDevice* device = nullptr;
  TOwned<TEmptyResourceMan> files{new TEmptyResourceMan(TCreateContext(), "applet")};
};

TEST(Mesh, ChoosesItsDraw) {
  MeshWorld w;
  Mesh* walk = w.NewMesh("walk.mesh");
  TMesh* model = walk->Model()->Mesh();
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(walk->ZTest());
  EXPECT_EQ(walk->Model()->KeyCount(), 6);
  // Still: no effect, key 0. Without a picture it is drawn untextured,
  // not in the picture the last object left on stage 0.
  w.device->SetPixmap(0, w.device->CreatePixmap(2, 2));
  EXPECT_TRUE(w.Paint(walk).empty());
  ASSERT_EQ(w.device->Draws.size(), 1u);
  EXPECT_EQ(w.device->Draws[0].Stage0, nullptr);
  EXPECT_TRUE(w.device->Draws[0].States[rsTexDisable]);
  // Posed at key 5.
  walk->Model()->SetKey(5);
  EXPECT_EQ(w.Paint(walk), (std::vector<TRecordedAnimation>{{model, 5.0f, 1.0f, 0, 6, false}}));

  // Played by a running effect.
  Mesh* run = w.NewMesh("run.mesh");
  TMesh* runModel = run->Model()->Mesh();
  auto* effect = Create<MeshAnimationEffect>(TCreateContext(run));
  effect->SetKey1(10);
  effect->SetKey2(40);
  effect->SetLoop(true);
  effect->SetRunning(true);
  EXPECT_EQ(run->Driver(), effect) << "an effect made at run time drives its model once started";
  effect->ProcessTick(0.25f, 0);
  EXPECT_EQ(w.Paint(run), (std::vector<TRecordedAnimation>{{runModel, 0.25f, 0.1f, 10, 40, true}}));
  // Stopped one-shot: its last pose.
  effect->SetLoop(false);
  effect->SetRunningTime(3);
  effect->SetRunning(false);
  EXPECT_EQ(w.Paint(run), (std::vector<TRecordedAnimation>{{runModel, 3.0f, 0.1f, 10, 40, false}}));
  // A still model, even with an effect, is drawn as it is.
  Mesh* rock = w.NewMesh("rock.mesh");
  Create<MeshAnimationEffect>(TCreateContext(rock))->SetRunning(true);
  EXPECT_TRUE(w.Paint(rock).empty());
  EXPECT_EQ(w.device->Draws.size(), 1u);
  // Without a model nothing is drawn.
  EXPECT_TRUE(w.Paint(w.NewMesh("")).empty());
  EXPECT_TRUE(w.device->Draws.empty());
}

TEST(Mesh, ShowBoundsFillsTheModelsBox) {
  MeshWorld w;
  Mesh* rock = w.NewMesh("rock.mesh");
  rock->Model()->Mesh()->Bounds = {{-1, -2, -3, 1}, {4, 1, 2, 1}};
  rock->SetShowBounds(true);
  w.device->SetColor(0xFFFFFFFF);
  w.Paint(rock);
  ASSERT_EQ(w.device->Draws.size(), 2u);
  EXPECT_EQ(w.device->Draws[1].VertexCount(), 24);
}

TEST(Mesh, BoundsAndBody) {
  test::TUseFakePhysics physics;
  MeshWorld w;
  Mesh* rock = w.NewMesh("rock.mesh");
  rock->Model()->Mesh()->Bounds = {{-1, -2, -3, 1}, {4, 1, 2, 1}};
  EXPECT_EQ(rock->GetBoundsRadius(), 4);
  EXPECT_EQ(rock->GetBoundsBox().min, (TSpaceVector{-1, -2, -3, 1}));
  Mesh* empty = w.NewMesh("");
  EXPECT_EQ(empty->GetBoundsRadius(), 0);
  EXPECT_EQ(empty->GetBoundsBox().max, (TSpaceVector{0, 0, 0, 1}));

  // Mended: the first mesh to spawn in a fresh applet makes the engine
  // and gets its body.
  ASSERT_EQ(w.world.applet->DynamicEngine(), nullptr);
  rock->SetDynamic(true);
  rock->spawn();
  auto* engine = dynamic_cast<test::TFakeDynamicEngine*>(w.world.applet->DynamicEngine());
  ASSERT_NE(engine, nullptr);
  const auto* shape = engine->ShapeOf(rock->Body());
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->Shape, test::TFakeDynamicEngine::TShape::Box);
  EXPECT_EQ(shape->Size.x, 8);
  EXPECT_EQ(shape->Size.y, 4);
  EXPECT_EQ(shape->Size.z, 6);
  // A mesh without a model gets none.
  empty->SetDynamic(true);
  empty->spawn();
  EXPECT_EQ(empty->Body(), 0);
  EXPECT_EQ(engine->LiveBodies(), 1);
  rock->unspawn();
  EXPECT_EQ(rock->Body(), 0);
  EXPECT_EQ(engine->LiveBodies(), 0);
}

TEST(MeshAnimationEffect, RunsItsRangeAndLetsGoEitherWay) {
  MeshWorld w;
  BaseObject* loaded = w.world.Load(
      "object m: Mesh\n"
      "  mesh.fileName = 'run.mesh'\n"
      "  object e: MeshAnimationEffect\n"
      "    running = True\n"
      "    key1 = 10\n"
      "    key2 = 40\n"
      "  end\n"
      "end\n");
  auto* mesh = dynamic_cast<Mesh*>(loaded);
  ASSERT_NE(mesh, nullptr);
  auto* effect = dynamic_cast<MeshAnimationEffect*>(mesh->children(0));
  ASSERT_NE(effect, nullptr);
  EXPECT_FLOAT_EQ(effect->RunningTime(), 3);
  EXPECT_EQ(mesh->Driver(), effect);
  EXPECT_FLOAT_EQ(effect->KeyPerSecond(), 10);
  // Effect first: the model is left without a driver.
  effect->Free();
  EXPECT_EQ(mesh->Driver(), nullptr);
  EXPECT_TRUE(w.Paint(mesh).empty());

  // Mesh first: the effect, now elsewhere, outlives its model.
  auto* other = Create<MeshAnimationEffect>(TCreateContext(mesh));
  other->SetRunning(true);
  ASSERT_EQ(mesh->Driver(), other);
  other->MoveTo(w.world.applet);
  mesh->Free();
  EXPECT_EQ(other->Target(), nullptr);
  other->ProcessTick(0.1f, 0);
  other->Free();

  // Mended: the extreme keys a file may hold span their whole range, with
  // no overflow on the way.
  auto* wide = dynamic_cast<Mesh*>(w.world.Load("object m: Mesh\n  mesh.fileName = 'run.mesh'\n"
                                                "  object e: MeshAnimationEffect\n    running = True\n"
                                                "    key1 = -2147483648\n    key2 = 2147483647\n  end\nend\n"));
  ASSERT_NE(wide, nullptr);
  auto* extreme = dynamic_cast<MeshAnimationEffect*>(wide->children(0));
  ASSERT_NE(extreme, nullptr);
  EXPECT_FLOAT_EQ(extreme->RunningTime(), 4294967295.0f * 0.1f);
  extreme->ProcessTick(0.1f, 0);
  EXPECT_EQ(w.Paint(wide).size(), 1u);
}

TEST(MeshAnimationEffect, KeyTimeAndKeysPerSecond) {
  MeshWorld w;
  auto* effect = Create<MeshAnimationEffect>(TCreateContext(w.world.applet));
  EXPECT_FLOAT_EQ(effect->KeyTime(), 0.1f);
  effect->SetKeyPerSecond(4);
  EXPECT_FLOAT_EQ(effect->KeyTime(), 0.25f);
  // Mended: 0 keys a second is a keyTime of 0 and reads back as 0, never as
  // an infinity.
  effect->SetKeyPerSecond(0);
  EXPECT_EQ(effect->KeyTime(), 0);
  EXPECT_EQ(effect->KeyPerSecond(), 0);
  effect->SetKeyPerSecond(-2);
  EXPECT_EQ(effect->KeyTime(), 0);
  effect->SetKeyTime(0.5f);
  EXPECT_FLOAT_EQ(effect->KeyPerSecond(), 2);
}

TEST(Mirror, PaintsTheObjectReflected) {
  MeshWorld w;
  TWindow* window = w.device->Window();
  auto* mirror = Create<Mirror>(TCreateContext(w.world.applet));
  EXPECT_FALSE(mirror->Mirrored());
  auto* box = Create<Box>(TCreateContext(w.world.applet));
  box->Position()->SetValues(3, 5, 0);
  w.device->SetColor(0xFFFFFFFF);
  // Unset: nothing.
  w.device->ClearRecords();
  mirror->Paint();
  EXPECT_TRUE(w.device->Calls.empty() && w.device->Draws.empty());
  // In design time: nothing.
  mirror->SetMirrorObject(box);
  mirror->SetDesignTime(true);
  w.device->ClearRecords();
  mirror->Paint();
  EXPECT_TRUE(w.device->Draws.empty());
  mirror->SetDesignTime(false);

  // Set: the object in its own matrix, under reflection x view; the view
  // and the winding come back after.
  mirror->Position()->SetValues(0, 2, 0);
  const TSpaceMatrix view = MatrixLookAtDirRH({0, 0, 10, 1}, {0, 0, -1, 0}, {0, 1, 0, 0});
  window->ViewMatrix = view;
  w.device->ClearRecords();
  mirror->Paint();
  ASSERT_EQ(w.device->Draws.size(), 1u);
  EXPECT_EQ(w.device->Draws[0].Matrix[3], (TSpaceVector{3, 5, 0, 1})) << "the object's own matrix";
  EXPECT_TRUE(w.device->Draws[0].States[rsBackFace]);
  EXPECT_EQ(window->ViewMatrix, view);
  EXPECT_TRUE(w.device->StateActive(rsFrontFace));
  std::vector<std::string> states;
  for (const std::string& call : w.device->Calls)
    if (call.rfind("ApplyRenderState rs2DScene", 0) == 0 || call.rfind("ApplyRenderState rs3DScene", 0) == 0 ||
        call.rfind("ApplyRenderState rsBackFace", 0) == 0 || call.rfind("ApplyRenderState rsFrontFace", 0) == 0)
      states.push_back(call.substr(17));
  EXPECT_EQ(states, (std::vector<std::string>{"rs2DScene", "rs3DScene", "rsBackFace", "rs2DScene", "rs3DScene",
                                               "rsFrontFace"}));
  EXPECT_FALSE(MirrorPaint);

  // Mended: a mirror showing itself, or an object that holds it, paints
  // once, not for ever.
  mirror->SetMirrorObject(mirror);
  w.device->ClearRecords();
  mirror->Paint();
  EXPECT_EQ(window->ViewMatrix, view);
  EXPECT_FALSE(MirrorPaint);
  auto* holder = Create<Box>(TCreateContext(w.world.applet));
  holder->SetMirrored(true);
  auto* inner = Create<Mirror>(TCreateContext(holder));
  inner->SetMirrorObject(holder);
  inner->SetMirrored(true);  // as a script may set it
  w.device->ClearRecords();
  inner->Paint();
  EXPECT_EQ(w.device->Draws.size(), 1u) << "the holder once, the mirror inside it not again";
  mirror->SetMirrorObject(box);

  // The mirrored object freed first: the mirror paints nothing, cleanly.
  box->Free();
  w.device->ClearRecords();
  mirror->Paint();
  EXPECT_TRUE(w.device->Draws.empty());
}

// Another object, or the mirror itself: the latter paints and goes with
// its applet like the former.
TEST(Mirror, ItsObjectStreamsAsAReferenceItselfIncluded) {
  struct TCase {
    const char* name;
    const char16_t* wide;
  };
  for (const TCase& target : {TCase{"target", u"target"}, TCase{"mirror", u"mirror"}}) {
    SCOPED_TRACE(target.name);
    test::TAppletWorld world;
    RegisterSceneClasses();
    Applet* applet = world.Launch(std::string("object Game: Applet\n  object mirror: Mirror\n    mirrorObject = ") +
                                  target.name + "\n  end\n  object target: Box\n  end\nend\n");
    ASSERT_NE(applet, nullptr) << world.Text();
    auto* mirror = dynamic_cast<Mirror*>(applet->findByName(u"mirror"));
    ASSERT_NE(mirror, nullptr) << world.Text();
    EXPECT_EQ(mirror->MirrorObject(), applet->findByName(target.wide));
    EXPECT_NE(mirror->MirrorObject(), nullptr);
    world.Steps(2);
    world.FreeApplet();
    EXPECT_EQ(world.Live(), nullptr);
  }
}

}  // namespace
}  // namespace corvane
