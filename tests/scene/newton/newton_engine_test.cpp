// The physics engine on libnewton.so: bodies fall, rest, freeze and fly
// apart; destructions wait for the next update; handles from scripts are
// checked; engines keep their bodies and counts to themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "base/reflection/class_info.h"
#include "base/system/log_target.h"
#include "engine/shell/engine.h"
#include "resources/library_loader.h"
#include "tests/support/kit/test_applet.h"
#include "base/text/text_convert.h"
#include "tests/scene/newton/newton_engine_fixture.h"
#include "tests/support/kit/applet_world.h"

namespace corvane {
namespace {

const std::string kSpace = "  kind = okSpace\n";
const std::string kDynamic = "  dynamic = True\n";
const std::string kStatic = "  collisable = True\n";

// The debug board's last values.
struct TBoard : TInfoBoard {
  TBoard() : previous(SetInfoBoard(this)) {}
  ~TBoard() override { SetInfoBoard(previous); }
  void ShowInfo(std::u16string_view name, std::u16string_view value) override {
    values[Utf16ToUtf8(name)] = Utf16ToUtf8(value);
  }
  std::int32_t InfoCount() const override { return 0; }
  void InfoEntry(std::int32_t, std::u16string&, std::u16string&) const override {}
  std::map<std::string, std::string> values;
  TInfoBoard* previous;
};

using NewtonBodies = NewtonEngineTest;

TEST_F(NewtonBodies, ASpaceBoxFallsAlongMinusZAndAStaticOneStays) {
  Box* box = Spawn("falling", 0, 0, 100, kSpace + kDynamic);
  Box* ground = Spawn("ground", 50, 0, 0, kSpace + kStatic);
  ASSERT_NE(Engine(), nullptr);
  ASSERT_TRUE(TNewtonEngine::LibraryLoaded());
  ASSERT_NE(box->Body(), 0);
  EXPECT_NE(Engine()->SpaceWorld, 0);
  EXPECT_EQ(Engine()->ScreenWorld, 0);
  EXPECT_EQ(world.log.CountInfo("Newton Game Dynamics engine started TNewtonEngine"), 1);
  Update(59);
  const float before = BodyPosition(box).z;
  Update(1);
  const TSpaceVector at = BodyPosition(box);
  EXPECT_GE(100 - at.z, 4.40f);
  EXPECT_LE(100 - at.z, 4.60f);
  EXPECT_NEAR(at.x, 0, 1e-4f);
  EXPECT_NEAR((at.z - before) / kFrame, -8.9f, 0.1f);
  EXPECT_EQ(BodyPosition(ground).z, 0);
  EXPECT_EQ(BodyPosition(ground).x, 50);
  // The applet's tick copies the body into the object.
  world.Steps(1, kFrame);
  EXPECT_LT(box->Z(), 95.6f);
}

TEST_F(NewtonBodies, AScreenBoxFallsDownTheScreenTurningOnlyAboutZ) {
  // It lands off-centre in z on a static box and would tip over without
  // its up-vector joint.
  Box* box = Spawn("falling", 100, 100, 3, kDynamic + "  width = 10\n  height = 10\n  depth = 10\n");
  Update(60);
  EXPECT_NEAR(BodyPosition(box).y - 100, 24.9f, 0.5f);
  Spawn("floor", 100, 160, 0, kStatic + "  width = 40\n  height = 10\n  depth = 10\n");
  Update(120);
  const TSpaceMatrix m = Engine()->GetBodyMatrix(box->Body());
  EXPECT_NEAR(m[2].z, 1, 1e-3f);
  EXPECT_NEAR(m[3].y, 150, 1);  // resting on the floor's top face
  EXPECT_NE(Engine()->JointOf(box->Body()), 0u);
}

TEST_F(NewtonBodies, WithOnlyStaticBodiesNothingStepsButQueuedBodiesGo) {
  Box* a = Spawn("a", 0, 0, 0, kSpace + kStatic);
  Box* b = Spawn("b", 0, 0, 0, kSpace + kStatic);
  EXPECT_FALSE(Engine()->HasDynamicBodies());
  EXPECT_EQ(Engine()->BodyCount(), 2);
  b->unspawn();
  EXPECT_EQ(b->Body(), 0);
  EXPECT_EQ(Engine()->QueuedCount(), 1);
  Update();
  EXPECT_EQ(Engine()->QueuedCount(), 0);
  EXPECT_EQ(Engine()->BodyCount(), 1);
  // Spawning and unspawning static objects for ever stays bounded.
  for (int i = 0; i < 100; ++i) {
    b->spawn();
    b->unspawn();
    Update();
  }
  EXPECT_EQ(Engine()->BodyCount(), 1);
  EXPECT_NE(a->Body(), 0);
}

TEST_F(NewtonBodies, ABoxRestingOnAStaticBoxFreezesAndAnExplosionWakesIt) {
  TBoard board;
  world.applet->SetDebugFormVisible(true);
  Box* box = Spawn("resting", 0, 0, 1.02f, kSpace + kDynamic);
  Spawn("ground", 0, 0, 0, kSpace + kStatic + "  width = 10\n  height = 10\n");
  Update();
  EXPECT_EQ(Engine()->ActiveBodies(), 1);
  EXPECT_EQ(board.values["Body/Active:"], "2/1");
  Update(60);
  EXPECT_EQ(Engine()->ActiveBodies(), 0);
  EXPECT_EQ(board.values["Body/Active:"], "2/0");
  ASSERT_EQ(board.values["Physics:"].size(), 8u);
  Engine()->Explode(Engine()->SpaceWorld, BodyPosition(box), 1, 3);  // from its own centre: nothing
  Update();
  EXPECT_EQ(Engine()->ActiveBodies(), 0);
  Engine()->Explode(Engine()->SpaceWorld, {0, 0, 0, 1}, 5, 3);
  Update();
  EXPECT_EQ(Engine()->ActiveBodies(), 1);
  // A destroyed awake body no longer counts.
  box->unspawn();
  Update();
  EXPECT_EQ(Engine()->ActiveBodies(), 0);
  EXPECT_EQ(board.values["Body/Active:"], "1/0");
}

TEST_F(NewtonBodies, AMatrixStampChangesWheneverTheMatrixDid) {
  // A pile that settles, is hit from above, and settles again; some updates
  // long enough for a body to wake and freeze within one of them.
  Spawn("ground", 0, 0, 0, kSpace + kStatic + "  width = 10\n  height = 10\n");
  std::vector<Box*> boxes;
  for (int i = 0; i < 3; ++i) boxes.push_back(Spawn("pile" + std::to_string(i), i * 0.3f, 0, 1.02f + i, kSpace + kDynamic));
  // Each box's last matrix and stamp; a box new since is taken as moved.
  std::vector<TSpaceMatrix> matrices;
  std::vector<std::uint64_t> stamps;
  int unchanged = 0;
  for (int frame = -1; frame < 400; ++frame) {  // -1: as made
    if (frame == 150) boxes.push_back(Spawn("hammer", 0.2f, 0, 8, kSpace + kDynamic));
    if (frame == 300) Engine()->Explode(Engine()->SpaceWorld, {0, 0, 0, 1}, 5, 1);
    if (frame >= 0) Update(1, frame % 7 == 3 ? 10 * kFrame : kFrame);
    matrices.resize(boxes.size());
    stamps.resize(boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const TSpaceMatrix m = Engine()->GetBodyMatrix(boxes[i]->Body());
      const std::uint64_t stamp = Engine()->BodyMatrixStamp(boxes[i]->Body());
      EXPECT_NE(stamp, 0u);
      if (m != matrices[i]) {
        EXPECT_NE(stamp, stamps[i]) << "frame " << frame << " box " << i;
      }
      unchanged += stamp == stamps[i];
      matrices[i] = m;
      stamps[i] = stamp;
    }
  }
  EXPECT_EQ(Engine()->ActiveBodies(), 0);
  EXPECT_GT(unchanged, 500);  // resting bodies keep their number
  // Placing renews it, even for a static body; unknown handles never repeat.
  Box* ground = dynamic_cast<Box*>(world.applet->findByName(u"ground"));
  ASSERT_NE(ground, nullptr);
  const std::uint64_t placed = Engine()->BodyMatrixStamp(ground->Body());
  EXPECT_EQ(Engine()->BodyMatrixStamp(ground->Body()), placed);
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[3] = {0, 0, -1, 1};
  Engine()->SetBodyMatrix(ground->Body(), m);
  EXPECT_NE(Engine()->BodyMatrixStamp(ground->Body()), placed);
  EXPECT_NE(Engine()->BodyMatrixStamp(0x7FFF1234), Engine()->BodyMatrixStamp(0x7FFF1234));
}

TEST_F(NewtonBodies, TheTickCopiesARestingBodyAgainOnlyOnceTheObjectOrTheBodyMoved) {
  Spawn("ground", 0, 0, 0, kSpace + kStatic + "  width = 10\n  height = 10\n");
  Box* box = Spawn("box", 0, 0, 1.02f, kSpace + kDynamic);
  Box* other = Spawn("other", 3, 0, 1.02f, kSpace + kDynamic);
  world.Steps(90, kFrame);
  ASSERT_EQ(Engine()->ActiveBodies(), 0);
  const TSpaceVector rest = BodyPosition(box);
  EXPECT_EQ(box->Z(), rest.z);
  // A script moves the object: the next tick puts it back on its body.
  box->SetZ(50);
  box->SetYAngle(30);
  world.Steps(1, kFrame);
  EXPECT_EQ(box->Z(), rest.z);
  EXPECT_EQ(box->Position()->Coordinates(), (TSpaceVector{rest.x, rest.y, rest.z, 1}));
  // The body placed elsewhere: the object follows.
  TSpaceMatrix m = Engine()->GetBodyMatrix(box->Body());
  m[3].y = 2;
  Engine()->SetBodyMatrix(box->Body(), m);
  world.Steps(1, kFrame);
  EXPECT_EQ(box->Y(), 2);
  // Another body written into the object by a script.
  const std::int32_t own = box->Body();
  box->SetBody(other->Body());
  world.Steps(1, kFrame);
  EXPECT_NEAR(box->X(), 3, 1e-3f);
  box->SetBody(own);
}

TEST_F(NewtonBodies, AnExplosionPushesDynamicBodiesInItsCubeAwayFromItsCentre) {
  const TSpaceVector c{10, 10, 50, 1};
  Box* near = Spawn("near", 13, 14, 50, kSpace + kDynamic);  // 5 units away
  Box* centre = Spawn("centre", 10, 10, 50, kSpace + kDynamic);
  Box* outside = Spawn("outside", 10, 21, 50, kSpace + kDynamic);  // box wholly beyond 20
  Box* still = Spawn("still", 10, 5, 50, kSpace + kStatic);
  Box* control = Spawn("control", 500, 500, 50, kSpace + kDynamic);
  auto displacement = [&](Box* b, const TSpaceVector& from) {
    const TSpaceVector p = BodyPosition(b);
    return TSpaceVector{p.x - from.x, p.y - from.y, p.z - from.z, 0};
  };
  const TSpaceVector n0 = BodyPosition(near), c0 = BodyPosition(centre), o0 = BodyPosition(outside),
                     k0 = BodyPosition(control);
  Engine()->Explode(Engine()->SpaceWorld, c, 10, 3);
  Update();
  // Beyond what the force alone does, the velocity change times one frame.
  const TSpaceVector fall = displacement(control, k0);
  const TSpaceVector pushed = displacement(near, n0);
  EXPECT_NEAR((pushed.x - fall.x) / kFrame, 3 * 0.6f, 0.01f);
  EXPECT_NEAR((pushed.y - fall.y) / kFrame, 3 * 0.8f, 0.01f);
  EXPECT_NEAR((pushed.z - fall.z) / kFrame, 0, 0.01f);
  for (const auto& [b, from] : {std::pair{centre, c0}, std::pair{outside, o0}}) {
    const TSpaceVector d = displacement(b, from);
    EXPECT_NEAR(d.x, fall.x, 1e-5f) << Utf16ToUtf8(b->Name());
    EXPECT_NEAR(d.y, fall.y, 1e-5f) << Utf16ToUtf8(b->Name());
  }
  EXPECT_EQ(BodyPosition(still).y, 5);
  // Hostile numbers and foreign worlds do nothing.
  Engine()->Explode(Engine()->SpaceWorld, c, NAN, 3);
  Engine()->Explode(12345, c, 10, 3);
  Engine()->Explode(0, c, 10, 3);
}

TEST_F(NewtonBodies, QueuedBodiesGoWithTheirJointsAtTheNextUpdate) {
  Box* a = Spawn("a", 0, 0, 0, kDynamic);
  Box* b = Spawn("b", 100, 0, 0, kDynamic);
  Box* c = Spawn("c", 200, 0, 0, kDynamic);
  const std::uint32_t jointA = Engine()->JointOf(a->Body()), jointC = Engine()->JointOf(c->Body());
  ASSERT_NE(jointA, 0u);
  ASSERT_NE(jointC, 0u);
  std::int32_t bodyB = b->Body();
  b->unspawn();
  // Out of the world at once, gone after the update.
  EXPECT_EQ(Engine()->ObjectByBody(bodyB), b);
  Update();
  EXPECT_EQ(Engine()->ObjectByBody(bodyB), nullptr);
  EXPECT_EQ(Engine()->BodyCount(), 2);
  EXPECT_EQ(Engine()->JointOf(a->Body()), jointA);
  EXPECT_EQ(Engine()->JointOf(c->Body()), jointC);
  a->unspawn();
  Update();
  EXPECT_EQ(Engine()->JointOf(c->Body()), jointC);
  EXPECT_EQ(Engine()->ObjectByBody(c->Body()), c);
}

TEST_F(NewtonBodies, ForgedAndStaleHandlesAreRefused) {
  Box* a = Spawn("a", 0, 0, 10, kSpace + kDynamic);
  Box* b = Spawn("b", 5, 0, 10, kSpace + kDynamic);
  const std::int32_t bodyA = a->Body();
  std::int32_t forged = 0x7FFF1234;
  Engine()->DestroyBody(forged);
  EXPECT_EQ(forged, 0x7FFF1234);
  EXPECT_EQ(world.log.CountError("Unknown body 2147422772 not destroyed"), 1);
  a->unspawn();
  Update();
  // The old handle back in the object: every use of it does nothing.
  a->SetBody(bodyA);
  Engine()->SetBodyMatrix(bodyA, IdentitySpaceMatrix);
  EXPECT_EQ(Engine()->GetBodyMatrix(bodyA), IdentitySpaceMatrix);
  EXPECT_EQ(Engine()->ObjectByBody(bodyA), nullptr);
  std::int32_t stale = bodyA;
  Engine()->DestroyBody(stale);
  EXPECT_EQ(world.log.CountError("Unknown body " + std::to_string(bodyA) + " not destroyed"), 1);
  // Queued twice is refused too.
  std::int32_t queued = b->Body();
  const std::int32_t again = queued;
  Engine()->DestroyBody(queued);
  std::int32_t twice = again;
  Engine()->DestroyBody(twice);
  EXPECT_EQ(twice, again);
  EXPECT_EQ(Engine()->QueuedCount(), 1);
  // A second body for one object.
  b->SetBody(0);
  b->spawn();
  const std::int32_t bodyB = b->Body();
  EXPECT_EQ(Engine()->CreateBox(b, {1, 1, 1, 1}), bodyB);
  EXPECT_EQ(world.log.CountError("Body already exists"), 1);
  EXPECT_EQ(Engine()->BodyCount(), 2);  // b's new body and the queued one
}

TEST_F(NewtonBodies, TwoEnginesKeepTheirBodiesAndCountsApart) {
  Box* box = Spawn("a", 0, 0, 10, kSpace + kDynamic);
  auto* other = Create<test::TTestApplet>(TCreateContext(world.engine));
  other->SetDynamicEngine(
      static_cast<TDynamicEngine*>(DynamicEngineClass->CreateInstance(TCreateContext(other))));
  auto* second = dynamic_cast<TNewtonEngine*>(other->DynamicEngine());
  ASSERT_NE(second, nullptr);
  Update();
  second->UpdateWorlds(kFrame);
  EXPECT_EQ(Engine()->ActiveBodies(), 1);
  EXPECT_EQ(second->ActiveBodies(), 0);
  // Another applet's handle means nothing here.
  const TSpaceVector at = BodyPosition(box);
  second->SetBodyMatrix(box->Body(), IdentitySpaceMatrix);
  EXPECT_EQ(second->ObjectByBody(box->Body()), nullptr);
  std::int32_t foreign = box->Body();
  second->DestroyBody(foreign);
  EXPECT_NE(foreign, 0);
  EXPECT_EQ(BodyPosition(box).z, at.z);
  // The library stays while either engine lives.
  other->Free();
  EXPECT_TRUE(TNewtonEngine::LibraryLoaded());
  Update();
  EXPECT_LT(BodyPosition(box).z, at.z);
}

TEST_F(NewtonBodies, AnEngineFreedWithLiveAndQueuedBodiesTakesThemAlong) {
  Spawn("a", 0, 0, 0, kDynamic);
  Box* b = Spawn("b", 0, 0, 0, kSpace + kDynamic);
  Spawn("c", 0, 0, 0, kSpace + kStatic);
  b->unspawn();
  ASSERT_EQ(Engine()->QueuedCount(), 1);
  world.applet->SetDynamicEngine(nullptr);  // LSan reports whatever stayed
  EXPECT_FALSE(TNewtonEngine::LibraryLoaded());
}

// Whole applets: the Newton engine registered as the program registers
// it, the boxes ticked by the applet.
class NewtonLibraryTest : public ::testing::TestWithParam<const char*> {};

TEST(NewtonApplet, BoxesOfAnAppletFallAsItTicks) {
  test::TAppletWorld::TOptions options;
  options.physics = true;
  test::TAppletWorld applet(options);
  RegisterSceneClasses();
  ASSERT_NE(applet.Launch("object applet: Applet\n  onLoad = 'at box call spawn'\n  object box: Box\n"
                          "    kind = okSpace\n    dynamic = True\n    z = 10\n  end\nend\n"),
            nullptr);
  applet.Steps(62, kFrame);
  auto* box = dynamic_cast<Box*>(applet.Live()->findByName(u"box"));
  ASSERT_NE(box, nullptr);
  ASSERT_NE(box->Body(), 0);
  // About sixty updates: the first frames of an applet step nothing.
  EXPECT_NEAR(10 - box->Z(), 4.52f, 0.2f);
}

// A library that is not there, is no library (a truncated copy) or lacks
// an entry point gives one error line naming it, and what it lacks; the
// engine then says nothing of having started.
TEST_P(NewtonLibraryTest, AMissingDamagedOrLackingLibraryIsOneErrorAndNoBodies) {
  test::TUseNewtonPhysics physics(GetParam());
  test::TTestWorld world;
  RegisterSceneClasses();
  auto* box = dynamic_cast<Box*>(world.Load("object box: Box\n  dynamic = True\nend\n"));
  ASSERT_NE(box, nullptr);
  box->spawn();
  ASSERT_NE(world.applet->DynamicEngine(), nullptr);
  EXPECT_FALSE(TNewtonEngine::LibraryLoaded());
  EXPECT_EQ(box->Body(), 0);
  std::vector<PositionObject*> found;
  world.applet->DynamicEngine()->Collise(box, found);
  box->complexCollise(true);
  box->explode(10, 3);
  world.Steps(5, kFrame);
  box->Free();

  EXPECT_EQ(world.log.ErrorCount(), 1) << world.log.Text();
  const std::string path = LibraryFileName(GetParam());
  const std::string why = std::string(GetParam()) == "newton_nowhere"  ? " not found"
                          : std::string(GetParam()) == "newton_damaged" ? " could not be loaded ("
                                                                         : " lacks NewtonCollisionCollide:";
  EXPECT_TRUE(world.log.Contains("(e) Physics library " + path + why)) << world.log.Text();
  EXPECT_FALSE(world.log.Contains("engine started")) << world.log.Text();
}

INSTANTIATE_TEST_SUITE_P(MissingDamagedOrLacking, NewtonLibraryTest,
                         ::testing::Values("newton_nowhere", "newton_damaged", "newton_lacking"));

}  // namespace
}  // namespace corvane
