// The point and rectangle persistents: change notifications, margins and
// their stream round trip as nested properties.
#include "base/geometry/point_rect_persistent.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/reflection/class_builder.h"
#include "base/reflection/component.h"
#include "base/streams/writer.h"
#include "tests/base/streaming_test_base.h"

namespace corvane {

// A widget's contents margins and an anchor point.
class TMarginOwner : public TGComponent {
  CORVANE_CLASS(TMarginOwner, TGComponent)
  static void Describe(TClassBuilder<TMarginOwner>& c) {
    c.Property("margins", &TMarginOwner::Margins);
    c.Property("anchor", &TMarginOwner::Anchor);
  }
  explicit TMarginOwner(const TCreateContext& context)
      : TGComponent(context), margins_(Create<TRectPersistent>(this)), anchor_(Create<TPointPersistent>(this)) {
    margins_->OnChange = [this](TObject*) { ++changes; };
  }
  ~TMarginOwner() override {
    margins_->Free();
    anchor_->Free();
  }
  TRectPersistent* Margins() const { return margins_; }
  TPointPersistent* Anchor() const { return anchor_; }
  int changes = 0;

 private:
  TRectPersistent* margins_;
  TPointPersistent* anchor_;
};

CORVANE_IMPLEMENT_CLASS(TMarginOwner)

namespace {

TEST(RectPersistent, NotifiesOnlyOnRealChangesAndOnceForWholeRectangles) {
  // Every case starts from (1, 2, 3, 4); o is another rectangle to assign from.
  struct Case {
    const char* name;
    std::function<void(TRectPersistent& r, TRectPersistent& o)> op;
    TRect result;
    int changes;
  };
  const Case cases[] = {
      {"left to its value", [](auto& r, auto&) { r.SetLeft(1); }, {1, 2, 3, 4}, 0},
      {"left", [](auto& r, auto&) { r.SetLeft(0); }, {0, 2, 3, 4}, 1},
      {"top", [](auto& r, auto&) { r.SetTop(5); }, {1, 5, 3, 4}, 1},
      {"right to its value", [](auto& r, auto&) { r.SetRight(3); }, {1, 2, 3, 4}, 0},
      {"bottom", [](auto& r, auto&) { r.SetBottom(-4); }, {1, 2, 3, -4}, 1},
      {"SetRect four new", [](auto& r, auto&) { r.SetRect({5, 6, 7, 8}); }, {5, 6, 7, 8}, 1},
      {"SetRect one new", [](auto& r, auto&) { r.SetRect({1, 2, 3, 9}); }, {1, 2, 3, 9}, 1},
      {"SetRect unchanged", [](auto& r, auto&) { r.SetRect({1, 2, 3, 4}); }, {1, 2, 3, 4}, 0},
      {"Assign different", [](auto& r, auto& o) { o.SetRect({9, 8, 7, 6}); r.Assign(&o); }, {9, 8, 7, 6}, 1},
      {"Assign equal", [](auto& r, auto& o) { o.SetRect({1, 2, 3, 4}); r.Assign(&o); }, {1, 2, 3, 4}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRectPersistent* r = Create<TRectPersistent>();
    TRectPersistent* other = Create<TRectPersistent>();
    r->SetRect({1, 2, 3, 4});
    int changes = 0;
    r->OnChange = [&](TObject* sender) {
      EXPECT_EQ(sender, r);
      ++changes;
    };
    c.op(*r, *other);
    EXPECT_EQ(r->GetRect(), c.result);
    EXPECT_EQ(changes, c.changes);
    r->Free();
    other->Free();
  }

  TRectPersistent* quiet = Create<TRectPersistent>();
  quiet->SetLeft(3);  // no handler: nothing to call
  EXPECT_EQ(quiet->Left(), 3);
  quiet->Free();
}

TEST(RectPersistent, MarginsAndPublishedMethods) {
  test::TCaptureLog log;
  TRectPersistent* r = Create<TRectPersistent>();
  EXPECT_TRUE(r->marginEmpty());
  EXPECT_TRUE(r->empty());
  for (auto set : {&TRectPersistent::SetLeft, &TRectPersistent::SetTop, &TRectPersistent::SetRight,
                   &TRectPersistent::SetBottom}) {
    r->SetRect({0, 0, 0, 0});
    (r->*set)(0.5f);
    EXPECT_FALSE(r->marginEmpty());
  }

  r->SetRect({2, 3, 4, 5});
  EXPECT_EQ(r->MarginRect({0, 0, 100, 50}), Rect(2, 3, 96, 45));
  EXPECT_FLOAT_EQ(r->Width(), 2);
  EXPECT_FLOAT_EQ(r->Height(), 2);
  EXPECT_FALSE(r->empty());
  r->SetRight(2);  // zero width
  EXPECT_TRUE(r->ClassType()->FindMethod("empty")->Invoke(*r, {}).AsBoolean());
  EXPECT_FALSE(r->ClassType()->FindMethod("marginEmpty")->Invoke(*r, {}).AsBoolean());

  TPointPersistent* p = Create<TPointPersistent>();
  r->Assign(p);
  EXPECT_EQ(log.CountError("Cannot assign a TPointPersistent to a TRectPersistent"), 1) << log.Text();
  p->Free();
  r->Free();
}

using PointRectPersistent = test::TStreamingTest;

TEST_F(PointRectPersistent, StreamRoundTrip) {
  Register({TMarginOwner::StaticClass()});
  TMarginOwner* root = Create<TMarginOwner>();
  root->SetName(u"Panel");
  EXPECT_EQ(test::WriteComponentBytes(root).find("margins."), std::string::npos);

  root->Margins()->SetRect({4, 0, 8.5f, 2});
  root->Anchor()->SetPoint(Point(-1, 3));
  const std::string bytes = test::WriteComponentBytes(root);
  for (const char* name : {"margins.left", "margins.right", "margins.bottom", "anchor.x", "anchor.y"})
    EXPECT_NE(bytes.find(name), std::string::npos) << name;
  EXPECT_EQ(bytes.find("margins.top"), std::string::npos);

  auto* back = ReadBack<TMarginOwner>(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Margins()->GetRect(), Rect(4, 0, 8.5f, 2));
  EXPECT_EQ(back->Anchor()->GetPoint(), Point(-1, 3));
  EXPECT_EQ(back->changes, 3);  // one per side read
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
  back->Free();
  root->Free();
}

}  // namespace
}  // namespace corvane
