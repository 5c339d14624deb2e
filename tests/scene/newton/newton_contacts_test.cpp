// Contacts on libnewton.so: one report per touching object per query, the
// normal from the other object to the mover; objects that do not take part
// are skipped; handlers may dispose the mover or query again; complex
// queries walk chains of any length.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/text/text_convert.h"
#include "engine/core/event.h"
#include "tests/scene/newton/newton_engine_fixture.h"

namespace corvane {
namespace {

// A box that records its contacts, and whose handlers can tell a complex
// query to go on ("call follow").
class TContactProbe : public Box {
  CORVANE_CLASS(TContactProbe, Box)
  static void Describe(TClassBuilder<TContactProbe>& c) { c.Method("follow", &TContactProbe::follow); }
  using Box::Box;
  void Collise(PositionObject* other, const TSpaceVector& position, const TSpaceVector& normal) override {
    Seen.push_back({Utf16ToUtf8(other->Name()), position, normal});
    Box::Collise(other, position, normal);
  }
  void follow() { GetApplet()->GetEvent()->paramResult = true; }
  struct TSeen {
    std::string Other;
    TSpaceVector Point, Normal;
  };
  std::vector<TSeen> Seen;
};
CORVANE_IMPLEMENT_CLASS(TContactProbe)

const std::string kTracking = "  kind = okSpace\n  collisable = True\n  colliseTrack = True\n";
const std::string kSolid = "  kind = okSpace\n  collisable = True\n";

class NewtonContacts : public NewtonEngineTest {
 protected:
  NewtonContacts() { RegisterClasses({TContactProbe::StaticClass()}); }
  TContactProbe* Probe(const std::string& name, float x, const std::string& extra = kSolid) {
    return Spawn<TContactProbe>(name, x, 0, 0, extra, "TContactProbe");
  }
  // Solid probes along x from x0, step apart, made directly and spawned
  // once all are there (every new child moves the bodies of its siblings).
  std::vector<TContactProbe*> Row(int count, float x0, float step, const std::u16string& onComplexCollise = u"") {
    std::vector<TContactProbe*> row;
    for (int i = 0; i < count; ++i) {
      auto* o = Create<TContactProbe>(TCreateContext(world.applet));
      o->SetName(u"o" + IntToStr(i));
      o->SetKind(okSpace);
      o->SetCollisable(true);
      o->Position()->SetValues(x0 + step * static_cast<float>(i), 0, 0);
      o->SetScriptObject(o);
      o->SetOnComplexCollise(onComplexCollise);
      row.push_back(o);
    }
    for (TContactProbe* o : row) o->spawn();
    return row;
  }
  std::vector<std::string> Names(const std::vector<PositionObject*>& objects) {
    std::vector<std::string> names;
    for (PositionObject* o : objects) names.push_back(Utf16ToUtf8(o->Name()));
    return names;
  }
};

TEST_F(NewtonContacts, OneReportPerTouchingObjectWithTheNormalFromItToTheMover) {
  TContactProbe* mover = Probe("mover", 0, kTracking);
  Probe("right", 0.9f);
  Probe("left", -0.9f);
  Probe("away", 5);
  mover->forward(0.1f);  // standing: one query
  ASSERT_EQ(mover->Seen.size(), 2u);
  for (const auto& seen : mover->Seen) {
    const float side = seen.Other == "right" ? 1.0f : -1.0f;
    EXPECT_NEAR(seen.Normal.x, -side, 1e-3f) << seen.Other;
    EXPECT_NEAR(seen.Normal.y, 0, 0.02f);  // Bullet's pair test is that exact
    EXPECT_EQ(seen.Normal.w, 1);
    EXPECT_NEAR(seen.Point.x, side * 0.45f, 0.02f) << seen.Other;
    EXPECT_EQ(seen.Point.w, 1);
  }
  EXPECT_EQ(mover->LastContactNormal().w, 1);
  // The list a query is handed names the objects it reported, and an
  // object already in it is not asked again.
  std::vector<PositionObject*> contacts;
  Engine()->Collise(mover, contacts);
  EXPECT_EQ(contacts.size(), 2u);
  contacts = {mover};
  Engine()->Collise(mover, contacts);
  EXPECT_EQ(mover->Seen.size(), 4u);
}

TEST_F(NewtonContacts, InvisibleDisposingUnwrappedAndBodilessObjectsTakeNoPart) {
  TContactProbe* mover = Probe("mover", 0, kTracking);
  Probe("hidden", 0.5f)->hide();
  Probe("unwrapped", -0.5f)->SetScriptObject(nullptr);
  Probe("disposing", 0.2f)->dispose();
  Probe("plain", -0.2f);
  mover->forward(0.1f);
  ASSERT_EQ(mover->Seen.size(), 1u);
  EXPECT_EQ(mover->Seen[0].Other, "plain");
  // A body outliving its object names no object.
  TContactProbe* gone = Probe("gone", 0.5f);
  const std::int32_t body = gone->Body();
  gone->SetBody(0);  // a script cleared it: the object goes without its body
  gone->Free();
  EXPECT_EQ(Engine()->ObjectByBody(body), nullptr);
  mover->forward(0.1f);
  ASSERT_EQ(mover->Seen.size(), 2u);
  EXPECT_EQ(mover->Seen[1].Other, "plain");
  // An invisible mover asks nothing.
  mover->hide();
  mover->forward(0.1f);
  EXPECT_EQ(mover->Seen.size(), 2u);
}

TEST_F(NewtonContacts, AHandlerMayDisposeTheMover) {
  TContactProbe* mover = Probe("mover", 0, kTracking + "  onCollise = 'dispose'\n");
  for (int i = 0; i < 5; ++i) Probe("other" + std::to_string(i), 0.1f * static_cast<float>(i + 1));
  mover->forward(0.1f);
  EXPECT_EQ(mover->Seen.size(), 1u);  // its body went with the first report
  world.Steps(1, kFrame);
}

TEST_F(NewtonContacts, AHandlerMayMoveAnotherTrackingObject) {
  // Each report of the mover runs a whole query of the other tracker,
  // whose own reports run handlers in turn.
  TContactProbe* mover = Probe("mover", 0, kTracking + "  onCollise = 'at second call forward 0.1'\n");
  TContactProbe* second = Probe("second", 0.3f, kTracking + "  onCollise = 'log second touched'\n");
  for (int i = 0; i < 4; ++i) Probe("other" + std::to_string(i), -0.1f * static_cast<float>(i + 1));
  mover->forward(0.1f);
  std::set<std::string> reported;
  for (const auto& seen : mover->Seen) reported.insert(seen.Other);
  EXPECT_EQ(mover->Seen.size(), 5u);
  EXPECT_EQ(reported.size(), 5u);
  EXPECT_EQ(second->Seen.size(), 5u * 5u);
}

TEST_F(NewtonContacts, FifteenHundredOverlappingBodiesAreEachReportedOnce) {
  TContactProbe* mover = Probe("mover", 0, kTracking);
  Row(1500, 0, 0.0001f);
  mover->forward(0.1f);
  std::set<std::string> reported;
  for (const auto& seen : mover->Seen) reported.insert(seen.Other);
  EXPECT_EQ(mover->Seen.size(), 1500u);
  EXPECT_EQ(reported.size(), 1500u);
}

TEST_F(NewtonContacts, AComplexQueryFollowsAChainWhileTheHandlersAskForIt) {
  const std::string follow = kSolid + "  onComplexCollise = 'call follow'\n  onComplexColliseAction = 'log reached'\n";
  TContactProbe* a = Probe("a", 0, follow);
  Probe("b", 0.9f, follow);
  Probe("c", 1.8f, follow);
  Probe("d", 9, follow);
  std::vector<PositionObject*> visited;
  Engine()->ComplexCollise(a, visited);
  EXPECT_EQ(Names(visited), (std::vector<std::string>{"a", "b", "c"}));
  const auto reached = world.log.CountInfo("reached");
  EXPECT_EQ(a->complexCollise(true), 3);
  EXPECT_EQ(world.log.CountInfo("reached"), reached + 3);
  // Without the handler's word the query stays with the first object; the
  // handler saw its neighbour as paramObject.
  a->SetOnComplexCollise(u"log seen");
  visited.clear();
  Engine()->ComplexCollise(a, visited);
  EXPECT_EQ(Names(visited), (std::vector<std::string>{"a"}));
  EXPECT_EQ(world.applet->GetEvent()->ParamObject(), nullptr);
}

TEST_F(NewtonContacts, AComplexQueryWalksAChainOfFiveThousand) {
  // Boxes of 1 every 0.35 along x, inside the world box.
  const std::vector<TContactProbe*> chain = Row(5000, -950, 0.35f, u"call follow");
  std::vector<PositionObject*> visited;
  Engine()->ComplexCollise(chain.front(), visited);
  ASSERT_EQ(visited.size(), 5000u);
  EXPECT_EQ(visited.front(), chain.front());
  std::set<PositionObject*> distinct(visited.begin(), visited.end());
  EXPECT_EQ(distinct.size(), 5000u);
}

}  // namespace
}  // namespace corvane
