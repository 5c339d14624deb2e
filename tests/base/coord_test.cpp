// Coordinate objects: every operation with its notification count, the
// published methods called by name, and the stream round trips of an owner
// whose coordinates start away from zero.
#include "base/geometry/coord.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/component.h"
#include "base/reflection/prop_access.h"
#include "base/streams/writer.h"
#include "tests/base/geometry_expect.h"
#include "tests/base/streaming_test_base.h"

namespace corvane {

// A positioned object's four coordinates with their usual start values.
class TCoordOwner : public TGComponent {
  CORVANE_CLASS(TCoordOwner, TGComponent)
  static void Describe(TClassBuilder<TCoordOwner>& c) {
    c.Property("position", &TCoordOwner::Position);
    c.Property("direction", &TCoordOwner::Direction);
    c.Property("up", &TCoordOwner::Up);
    c.Property("scale", &TCoordOwner::Scale);
  }
  explicit TCoordOwner(const TCreateContext& context)
      : TGComponent(context),
        position_(TSpaceCoord::CreateInitialized(this, {0, 0, 0, 1})),
        direction_(TSpaceCoord::CreateInitialized(this, {0, 1, 0, 1})),
        up_(TSpaceCoord::CreateInitialized(this, {0, 0, 1, 1})),
        scale_(TSpaceCoord::CreateInitialized(this, {1, 1, 1, 1})) {
    for (TSpaceCoord* c : {position_, direction_, up_, scale_}) c->OnChange = [this](TObject*) { ++changes; };
  }
  ~TCoordOwner() override {
    for (TSpaceCoord* c : {position_, direction_, up_, scale_}) c->Free();
  }
  TSpaceCoord* Position() const { return position_; }
  TSpaceCoord* Direction() const { return direction_; }
  TSpaceCoord* Up() const { return up_; }
  TSpaceCoord* Scale() const { return scale_; }

  int changes = 0;

 private:
  TSpaceCoord* position_;
  TSpaceCoord* direction_;
  TSpaceCoord* up_;
  TSpaceCoord* scale_;
};

// An owner whose construction moves its coordinate after creating it, and
// one whose coordinate starts as (0, 0, 1, 0).
class TMovedCoordOwner : public TCoordOwner {
  CORVANE_CLASS(TMovedCoordOwner, TCoordOwner)
  explicit TMovedCoordOwner(const TCreateContext& context) : TCoordOwner(context) {
    Position()->SetValues(0, 0, 10);
    Position()->MarkDefault();
    Up()->SetDirectVector({0, 0, 1, 0});
    Up()->MarkDefault();
    changes = 0;
  }
};

CORVANE_IMPLEMENT_CLASS(TCoordOwner)
CORVANE_IMPLEMENT_CLASS(TMovedCoordOwner)

namespace {

using test::ExpectVector;

// A free-standing coordinate counting its notifications.
struct TCounted {
  explicit TCounted(const TSpaceVector& v) : coord(TSpaceCoord::CreateInitialized(nullptr, v)) {
    coord->OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, coord);
      ++changes;
    };
  }
  ~TCounted() { coord->Free(); }
  TSpaceCoord* coord;
  int changes = 0;
};

TEST(SpaceCoord, OperationsAndNotifications) {
  struct Case {
    const char* name;
    TSpaceVector start;
    std::function<void(TSpaceCoord&)> op;
    TSpaceVector result;
    int changes;
  };
  const Case cases[] = {
      {"setToZero", {1, 2, 3, 1}, [](auto& c) { c.setToZero(); }, {0, 0, 0, 0}, 1},
      {"normalize", {3, 0, 4, 5}, [](auto& c) { c.normalize(); }, {0.6f, 0, 0.8f, 1}, 1},
      {"normalize zero", {0, 0, 0, 5}, [](auto& c) { c.normalize(); }, {0, 0, 0, 1}, 1},
      {"invert", {1, -2, 3, 1}, [](auto& c) { c.invert(); }, {-1, 2, -3, 1}, 1},
      {"scale", {1, 2, 3, 0}, [](auto& c) { c.scale(2); }, {2, 4, 6, 1}, 1},
      {"rotateZ(90)", {1, 0, 0, 1}, [](auto& c) { c.rotateZ(90); }, {0, -1, 0, 1}, 1},
      {"rotateX(90)", {0, 1, 0, 1}, [](auto& c) { c.rotateX(90); }, {0, 0, -1, 1}, 1},
      {"rotateY(180)", {1, 0, 0, 1}, [](auto& c) { c.rotateY(180); }, {-1, 0, 0, 1}, 1},
      {"AddScaledVector", {0, 0, 0, 1}, [](auto& c) { c.AddScaledVector(2, {1, 0, 0, 0}); }, {2, 0, 0, 2}, 1},
      {"Translate", {1, 1, 1, 7}, [](auto& c) { c.Translate({1, 2, 3, 9}); }, {2, 3, 4, 7}, 1},
      {"SetValues", {9, 9, 9, 9}, [](auto& c) { c.SetValues(1, 2, 3); }, {1, 2, 3, 1}, 1},
      {"SetSpaceVector", {9, 9, 9, 9}, [](auto& c) { c.SetSpaceVector({1, 2, 3, 0}); }, {1, 2, 3, 1}, 1},
      {"SetDirectVector", {9, 9, 9, 9}, [](auto& c) { c.SetDirectVector({1, 2, 3, 0}); }, {1, 2, 3, 0}, 1},
      {"SetDirectVectorNoChange", {9, 9, 9, 9}, [](auto& c) { c.SetDirectVectorNoChange({1, 2, 3, 0}); }, {1, 2, 3, 9}, 0},
      {"SetCoordinateX", {1, 2, 3, 4}, [](auto& c) { c.SetCoordinateX(5); }, {5, 2, 3, 4}, 1},
      {"SetCoordinateY unchanged value", {1, 2, 3, 4}, [](auto& c) { c.SetCoordinateY(2); }, {1, 2, 3, 4}, 1},
      {"Rotate about a slanted axis", {1, 1, 0, 1}, [](auto& c) { c.Rotate({1, 1, 0, 0}, 33); }, {1, 1, 0, 1}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCounted counted(c.start);
    c.op(*counted.coord);
    ExpectVector(counted.coord->Coordinates(), c.result, 1e-6f);
    EXPECT_EQ(counted.changes, c.changes);
  }
}

TEST(SpaceCoord, ReflectAndCopy) {
  test::TCaptureLog log;
  TCounted normal({0, 1, 0, 0});
  struct Case {
    const char* name;
    TSpaceVector start, result;
    bool logs;
  };
  const Case cases[] = {
      {"against the normal", {0, -1, 0, 1}, {0, 1, 0, 0}, false},
      {"slanting against it", {1, -2, 0, 1}, {1, 2, 0, 0}, false},
      {"along the normal", {1, 1, 0, 1}, {0, std::sqrt(2.0f), 0, 1}, true},
      {"zero length", {0, 0, 0, 1}, {0, 0, 0, 1}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.Clear();
    TCounted counted(c.start);
    counted.coord->reflect(normal.coord);
    ExpectVector(counted.coord->Coordinates(), c.result, 1e-6f);
    EXPECT_EQ(counted.changes, 1);
    EXPECT_EQ(log.CountInfo("reflext to normal"), c.logs ? 1 : 0) << log.Text();
  }

  TCounted target({1, 2, 3, 4});
  target.coord->copy(normal.coord);
  EXPECT_EQ(target.coord->Coordinates(), SpaceVector(0, 1, 0, 0));
  EXPECT_EQ(target.changes, 1);

  // A missing argument is reported and changes nothing.
  log.Clear();
  target.coord->copy(nullptr);
  target.coord->reflect(nullptr);
  EXPECT_EQ(target.coord->Coordinates(), SpaceVector(0, 1, 0, 0));
  EXPECT_EQ(target.changes, 1);
  EXPECT_EQ(log.Lines().size(), 2u) << log.Text();
  EXPECT_EQ(normal.changes, 0);
}

TEST(SpaceCoord, PublishedSurface) {
  TCounted counted({1, 0, 0, 1});
  TCounted other({4, 5, 6, 7});
  TSpaceCoord& c = *counted.coord;
  const TClass cls = c.ClassType();
  Variant ninety(90.0);
  cls->FindMethod("rotateZ")->Invoke(c, std::span<const Variant>(&ninety, 1));
  ExpectVector(c.Coordinates(), {0, -1, 0, 1});
  Variant source(static_cast<TObject*>(other.coord));
  cls->FindMethod("copy")->Invoke(c, std::span<const Variant>(&source, 1));
  EXPECT_EQ(c.Coordinates(), SpaceVector(4, 5, 6, 7));
  cls->FindMethod("setToZero")->Invoke(c, {});
  EXPECT_EQ(c.Coordinates(), NullHmgVector);

  c.SetValues(3, 0, 4);
  SetPropValue(c, "y", Variant(2.0));
  EXPECT_EQ(c.Coordinates(), SpaceVector(3, 2, 4, 1));
  EXPECT_FLOAT_EQ(GetPropValue(c, "length").AsDouble(), std::sqrt(29.0f));
  SetPropValue(c, "length", Variant(1.0));  // accepted, changes nothing
  EXPECT_EQ(c.Coordinates(), SpaceVector(3, 2, 4, 1));
  EXPECT_FALSE(IsStoredProp(c, PropByName(c, "length")));
  c.SetValues(1.5f, 2, 0);
  EXPECT_EQ(c.GetAsString(), u"1.5 2 0");
}

TEST(SpaceCoord, AssignAndStoredRules) {
  test::TCaptureLog log;
  TCounted a({1, 2, 3, 4});
  TCounted b({5, 6, 7, 8});
  a.coord->Assign(b.coord);
  EXPECT_EQ(a.coord->Coordinates(), SpaceVector(5, 6, 7, 8));
  EXPECT_EQ(a.changes, 0);
  EXPECT_EQ(a.coord->DefaultValue(), SpaceVector(1, 2, 3, 4));  // values only

  TRectPersistent* rect = Create<TRectPersistent>();
  a.coord->Assign(rect);
  EXPECT_EQ(log.CountError("Cannot assign a TRectPersistent to a TSpaceCoord"), 1) << log.Text();
  rect->Free();

  // Compared with the default, not with zero.
  TCounted d({0, 1, 0, 1});
  d.coord->SetValues(1, 0, 0);
  EXPECT_TRUE(d.coord->IsStoredX());
  EXPECT_TRUE(d.coord->IsStoredY());
  EXPECT_FALSE(d.coord->IsStoredZ());
  d.coord->SetStored(false);
  EXPECT_FALSE(d.coord->IsStored());
  EXPECT_FALSE(d.coord->IsStoredX());
  EXPECT_FALSE(d.coord->IsStoredY());
}

TEST(PlaneCoord, OperationsAndNotifications) {
  struct Case {
    const char* name;
    TPlaneVector start;
    std::function<void(TPlaneCoord&)> op;
    TPlaneVector result;
  };
  const Case cases[] = {
      {"SetToZero", {1, 2, 5}, [](auto& c) { c.SetToZero(); }, {0, 0, 1}},
      {"Translate", {1, 2, 5}, [](auto& c) { c.Translate({1, 1, 9}); }, {2, 3, 5}},
      {"AddScaledVector", {1, 2, 5}, [](auto& c) { c.AddScaledVector(2, {1, 1, 9}); }, {3, 4, 1}},
      {"Normalize", {3, 4, 5}, [](auto& c) { c.Normalize(); }, {0.6f, 0.8f, 1}},
      {"Scale", {1, 2, 5}, [](auto& c) { c.Scale(3); }, {3, 6, 5}},
      {"Invert", {1, -2, 5}, [](auto& c) { c.Invert(); }, {-1, 2, 5}},
      {"Rotate", {1, 2, 5}, [](auto& c) { c.Rotate({0, 0, 1}, 1); }, {1, 2, 1}},
      {"SetValues", {1, 2, 5}, [](auto& c) { c.SetValues(7, 8); }, {7, 8, 1}},
      {"SetDirectVector", {1, 2, 5}, [](auto& c) { c.SetDirectVector({7, 8, 9}); }, {7, 8, 9}},
      {"SetCoordinateX", {1, 2, 5}, [](auto& c) { c.SetCoordinateX(7); }, {7, 2, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPlaneCoord* coord = TPlaneCoord::CreateInitialized(nullptr, c.start);
    int changes = 0;
    coord->OnChange = [&](TObject*) { ++changes; };
    c.op(*coord);
    test::ExpectPlaneVector(coord->Coordinates(), c.result);
    EXPECT_EQ(changes, 1);
    coord->Free();
  }

  TPlaneCoord* a = TPlaneCoord::CreateInitialized(nullptr, {3, 4, 2});
  TPlaneCoord* b = Create<TPlaneCoord>();
  b->Assign(a);
  EXPECT_EQ(b->Coordinates(), PlaneVector(3, 4, 2));
  EXPECT_FLOAT_EQ(b->VectorLength(), 5);
  EXPECT_EQ(b->GetAsString(), u"3 4");
  SetPropValue(*b, "x", Variant(-0.5));
  EXPECT_EQ(b->Coordinates().x, -0.5f);
  a->Free();
  b->Free();
}

// The largest component and exact equality over the coordinate's own axes
// (w, which the operations above move about freely, is not compared).
TEST(Coord, LargestComponentAndEquality) {
  TSpaceCoord* space = TSpaceCoord::CreateInitialized(nullptr, {-3, -1, -2, 9});
  EXPECT_EQ(space->MaxXYZ(), -1);
  space->SetValues(1, 2, 7);
  EXPECT_EQ(space->MaxXYZ(), 7);
  EXPECT_TRUE(space->Equals({1, 2, 7, 0}));
  EXPECT_FALSE(space->Equals({1, 2, 7.0001f, 1}));
  EXPECT_FALSE(space->Equals({0, 2, 7, 1}));
  space->Free();

  TPlaneCoord* plane = TPlaneCoord::CreateInitialized(nullptr, {-4, -6, 1});
  EXPECT_EQ(plane->MaxXY(), -4);
  EXPECT_TRUE(plane->Equals({-4, -6, 5}));
  EXPECT_FALSE(plane->Equals({-4, 6, 1}));
  plane->Free();
}

class CoordStream : public test::TStreamingTest {
 protected:
  void SetUp() override { Register({TCoordOwner::StaticClass(), TMovedCoordOwner::StaticClass()}); }
};

bool Writes(const std::string& bytes, const std::string& name) { return bytes.find(name) != std::string::npos; }

TEST_F(CoordStream, OnlyWhatDiffersFromTheStartValueIsWrittenAndEverythingReloads) {
  struct Case {
    const char* name;
    std::function<void(TCoordOwner&)> edit;
    std::vector<std::string> written, notWritten;
  };
  const Case cases[] = {
      {"fresh", [](TCoordOwner&) {}, {}, {"position.", "direction.", "up.", "scale.", "length"}},
      {"direction along x", [](TCoordOwner& o) { o.Direction()->SetValues(1, 0, 0); },
       {"direction.x", "direction.y"}, {"direction.z", "position.", "length"}},
      {"scale in x", [](TCoordOwner& o) { o.Scale()->SetValues(2, 1, 1); }, {"scale.x"}, {"scale.y", "scale.z"}},
      {"moved", [](TCoordOwner& o) { o.Position()->SetValues(-3, 0.5f, 1e-7f); },
       {"position.x", "position.y", "position.z"}, {"direction."}},
      {"up reversed", [](TCoordOwner& o) { o.Up()->SetValues(0, 0, -1); }, {"up.z"}, {"up.x", "up.y"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCoordOwner* root = Create<TCoordOwner>();
    root->SetName(u"Owner");
    c.edit(*root);
    const std::string bytes = test::WriteComponentBytes(root);
    for (const std::string& n : c.written) EXPECT_TRUE(Writes(bytes, n)) << n;
    for (const std::string& n : c.notWritten) EXPECT_FALSE(Writes(bytes, n)) << n;

    TCoordOwner* back = ReadBack<TCoordOwner>(bytes);
    ASSERT_NE(back, nullptr);
    for (auto get : {&TCoordOwner::Position, &TCoordOwner::Direction, &TCoordOwner::Up, &TCoordOwner::Scale}) {
      const TSpaceVector& want = (root->*get)()->Coordinates();
      const TSpaceVector& got = (back->*get)()->Coordinates();
      EXPECT_EQ(got.x, want.x);
      EXPECT_EQ(got.y, want.y);
      EXPECT_EQ(got.z, want.z);
    }
    EXPECT_EQ(test::WriteComponentBytes(back), bytes);
    EXPECT_TRUE(log.Lines().empty()) << log.Text();
    back->Free();
    root->Free();
  }
}

TEST_F(CoordStream, TheDefaultIsTheValueWhenConstructionEnds) {
  TMovedCoordOwner* root = Create<TMovedCoordOwner>();
  root->SetName(u"Moved");
  std::string bytes = test::WriteComponentBytes(root);
  EXPECT_FALSE(Writes(bytes, "position.")) << "the moved start value is the default";
  EXPECT_FALSE(Writes(bytes, "up.")) << "(0, 0, 1, 0) writes nothing";

  // Back at the value it was created with: now that differs and is written.
  root->Position()->SetValues(0, 0, 0);
  root->Up()->SetValues(0, 0, 0);
  bytes = test::WriteComponentBytes(root);
  EXPECT_TRUE(Writes(bytes, "position.z"));
  EXPECT_TRUE(Writes(bytes, "up.z"));
  TMovedCoordOwner* back = ReadBack<TMovedCoordOwner>(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Position()->Coordinates().z, 0);
  EXPECT_EQ(back->Up()->Coordinates().z, 0);
  EXPECT_EQ(back->changes, 2);  // the reader sets through the notifying setters
  back->Free();
  root->Free();
}

}  // namespace
}  // namespace corvane
