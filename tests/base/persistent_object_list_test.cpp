// The persistent object list: growth, nil slots, stack and bulk operations,
// index errors and freeing items whose destruction changes the list.
#include "base/lists/persistent_object_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/base/list_items.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

// Records its destruction; optionally removes its own entry from a list
// while it is being freed.
class TListItem : public TObject {
 public:
  TListItem(int id, std::vector<int>* freed, TPersistentObjectList* owner = nullptr)
      : id_(id), freed_(freed), owner_(owner) {}
  void BeforeDestruction() override {
    if (owner_) owner_->Remove(this);
    if (freed_) freed_->push_back(id_);
  }

 private:
  int id_;
  std::vector<int>* freed_;
  TPersistentObjectList* owner_;
};

// Plain markers for lists that never free: their addresses are the items.
struct TMarkers {
  TObject a, b, c, d;
};

using test::Fill;
using test::ItemsOf;

TEST(PersistentObjectList, GrowsByItsDelta) {
  TPersistentObjectList list;
  TMarkers m;
  std::vector<int> capacities;
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(list.Add(&m.a), i);
    capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities[15], 16);
  EXPECT_EQ(capacities[16], 32);
  list.SetGrowthDelta(64);
  list.SetCount(32);
  list.Push(&m.b);
  EXPECT_EQ(list.Capacity(), 96);
  list.SetGrowthDelta(0);  // still grows
  list.Clear();
  list.Add(&m.a);
  EXPECT_EQ(list.Capacity(), 1);
  EXPECT_EQ(list.Expand()->Capacity(), 2);
}

TEST(PersistentObjectList, NilSlotsAndPacking) {
  TMarkers m;
  const struct Case {
    std::vector<TObject*> before;
    std::vector<TObject*> after;
  } cases[] = {
      {{&m.a, nullptr, &m.b, nullptr, nullptr}, {&m.a, &m.b}},
      {{nullptr, nullptr, nullptr}, {}},
      {{&m.a, &m.b}, {&m.a, &m.b}},
      {{nullptr, &m.c}, {&m.c}},
  };
  for (const Case& c : cases) {
    TPersistentObjectList list;
    Fill(list, c.before);
    list.Pack();
    EXPECT_EQ(ItemsOf(list), c.after);
  }

  TPersistentObjectList list;
  Fill(list, {&m.a, &m.b});
  list.AddNils(2);
  list.InsertNils(1, 1);
  list.InsertNils(0, 0);
  EXPECT_EQ(ItemsOf(list), (std::vector<TObject*>{&m.a, nullptr, &m.b, nullptr, nullptr}));
  list.SetCount(2);
  list.SetCount(4);  // the dropped slots come back as nil
  EXPECT_EQ(ItemsOf(list), (std::vector<TObject*>{&m.a, nullptr, nullptr, nullptr}));
  list.SetCapacity(1);
  EXPECT_EQ(list.Count(), 1);
  list.RequiredCapacity(10);
  EXPECT_EQ(list.Capacity(), 10);
  list.RequiredCapacity(5);
  EXPECT_EQ(list.Capacity(), 10);
}

TEST(PersistentObjectList, MovingAndBulkEdits) {
  TMarkers m;
  using V = std::vector<TObject*>;
  const V abcd{&m.a, &m.b, &m.c, &m.d};
  const struct Case {
    const char* name;
    std::function<void(TPersistentObjectList&)> call;
    V after;
  } cases[] = {
      {"move up", [](auto& l) { l.Move(0, 3); }, {&m.b, &m.c, &m.d, &m.a}},
      {"move down", [](auto& l) { l.Move(3, 0); }, {&m.d, &m.a, &m.b, &m.c}},
      {"exchange", [](auto& l) { l.Exchange(0, 2); }, {&m.c, &m.b, &m.a, &m.d}},
      {"insert", [&](auto& l) { l.Insert(4, &m.a); }, {&m.a, &m.b, &m.c, &m.d, &m.a}},
      {"delete", [](auto& l) { l.Delete(1); }, {&m.a, &m.c, &m.d}},
      {"delete items clamped", [](auto& l) { l.DeleteItems(2, 10); }, {&m.a, &m.b}},
      {"delete none", [](auto& l) { l.DeleteItems(9, 0); }, abcd},
      {"remove", [&](auto& l) { EXPECT_EQ(l.Remove(&m.c), 2); }, {&m.a, &m.b, &m.d}},
      {"remove absent", [&](auto& l) { EXPECT_EQ(l.Remove(&l), -1); }, abcd},
      {"first and last", [&](auto& l) { l.SetFirst(l.GetLast()); l.SetLast(&m.b); }, {&m.d, &m.b, &m.c, &m.b}},
      {"add own objects", [](auto& l) { EXPECT_EQ(l.AddObjects(&l), 4); },
       {&m.a, &m.b, &m.c, &m.d, &m.a, &m.b, &m.c, &m.d}},
      {"add nothing", [](auto& l) { EXPECT_EQ(l.AddObjects(nullptr), 0); }, abcd},
      {"push and pop", [&](auto& l) { l.Push(&m.a); EXPECT_EQ(l.Pop(), &m.a); EXPECT_EQ(l.Pop(), &m.d); },
       {&m.a, &m.b, &m.c}},
      {"remove own objects", [](auto& l) { l.RemoveObjects(&l); }, {}},
      // Members lie at increasing addresses: greatest address first.
      {"sort", [](auto& l) { l.Sort([](TObject* x, TObject* y) { return x == y ? 0 : (x > y ? -1 : 1); }); },
       {&m.d, &m.c, &m.b, &m.a}},
  };
  for (const Case& c : cases) {
    TPersistentObjectList list;
    Fill(list, abcd);
    test::TCaptureLog log;
    c.call(list);
    EXPECT_EQ(ItemsOf(list), c.after) << c.name;
    EXPECT_TRUE(log.Lines().empty()) << c.name << "\n" << log.Text();
  }
}

TEST(PersistentObjectList, IndexErrorsAreReportedAndChangeNothing) {
  TMarkers m;
  const struct Case {
    const char* name;
    std::function<void(TPersistentObjectList&)> call;
  } cases[] = {
      {"get", [](auto& l) { EXPECT_EQ(l.Get(4), nullptr); }},
      {"put", [](auto& l) { l.Put(-1, &l); }},
      {"insert", [](auto& l) { l.Insert(5, &l); }},
      {"insert nils", [](auto& l) { l.InsertNils(-1, 2); }},
      {"delete", [](auto& l) { l.Delete(4); }},
      {"delete items", [](auto& l) { l.DeleteItems(4, 1); }},
      {"exchange", [](auto& l) { l.Exchange(0, 4); }},
      {"move", [](auto& l) { l.Move(-1, 0); }},
      {"delete and free", [](auto& l) { l.DeleteAndFree(4); }},
      {"delete and free items", [](auto& l) { l.DeleteAndFreeItems(-1, 3); }},
  };
  for (const Case& c : cases) {
    TPersistentObjectList list;
    Fill(list, {&m.a, &m.b, &m.c, &m.d});
    test::TCaptureLog log;
    c.call(list);
    EXPECT_EQ(log.CountError("List index error"), 1) << c.name << "\n" << log.Text();
    EXPECT_EQ(ItemsOf(list), (std::vector<TObject*>{&m.a, &m.b, &m.c, &m.d})) << c.name;
  }

  test::TCaptureLog log;
  TPersistentObjectList empty;
  EXPECT_EQ(empty.Pop(), nullptr);
  EXPECT_EQ(empty.GetLast(), nullptr);
  empty.SetCount(-1);
  empty.AddNils(-3);
  empty.SetCapacity(TPersistentObjectList::kMaxCount + 1);
  EXPECT_EQ(empty.Count(), 0);
  EXPECT_EQ(empty.Capacity(), 0);
  EXPECT_EQ(log.CountError("List index error"), 1);
  EXPECT_TRUE(log.Contains("List capacity out of bounds (-1)"));
}

TEST(PersistentObjectList, FreeingItemsThatRemoveThemselves) {
  std::vector<int> freed;
  TPersistentObjectList list;
  auto fill = [&](int n) {
    list.Clear();
    freed.clear();
    for (int i = 0; i < n; ++i) list.Add(new TListItem(i, &freed, &list));
    list.Add(nullptr);
  };

  fill(4);
  list.Clean();
  EXPECT_EQ(freed, (std::vector<int>{3, 2, 1, 0}));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);

  fill(5);
  list.DeleteAndFreeItems(1, 3);
  EXPECT_EQ(freed, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(list.Count(), 3);  // item 0, item 4, nil
  list.DeleteAndFree(0);
  EXPECT_EQ(freed.back(), 0);
  TMarkers m;
  TObject* last = list.Get(0);
  EXPECT_EQ(list.RemoveAndFree(last), 0);
  EXPECT_EQ(freed.back(), 4);
  EXPECT_EQ(list.RemoveAndFree(&m.a), -1);
  EXPECT_EQ(list.Count(), 1);

  // Items that stay in the list while they die are freed as well.
  freed.clear();
  list.Clear();
  for (int i = 0; i < 3; ++i) list.Add(new TListItem(i, &freed));
  list.DeleteAndFreeItems(1, 5);
  EXPECT_EQ(freed, (std::vector<int>{1, 2}));
  list.Clean();
  EXPECT_EQ(freed, (std::vector<int>{1, 2, 0}));

  auto* owned = Create<TPersistentObjectList>();
  owned->Add(new TListItem(9, &freed, owned));
  owned->CleanFree();
  EXPECT_EQ(freed.back(), 9);
}

TEST(PersistentObjectList, SortingIsSafeWithAnyComparison) {
  TMarkers m;
  TPersistentObjectList list;
  for (int i = 0; i < 50; ++i) list.Add(i % 2 ? &m.a : &m.b);
  list.Sort([](TObject*, TObject*) { return -1; });  // inconsistent
  EXPECT_EQ(list.Count(), 50);
  list.Sort([&](TObject*, TObject*) {
    list.Clear();  // changes the list mid-sort
    return 1;
  });
  EXPECT_EQ(list.Count(), 0);
  list.Sort(nullptr);
}

}  // namespace
}  // namespace corvane
