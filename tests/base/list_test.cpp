#include "base/lists/list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/capture_log.h"

namespace corvane {
namespace {

// Five distinct addressable values; the list holds pointers to them.
struct TListFixture : ::testing::Test {
  int v[5] = {0, 1, 2, 3, 4};
  TList<int> list;

  void Fill() {
    for (int& x : v) list.Add(&x);
  }
  std::vector<int> Values() const {
    std::vector<int> out;
    for (int* p : list) out.push_back(p ? *p : -1);
    return out;
  }
};

TEST_F(TListFixture, EditingOperationsKeepTheRightOrder) {
  struct Case {
    const char* name;
    std::function<void(TListFixture&)> edit;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"insert front", [](TListFixture& f) { f.list.Insert(0, &f.v[4]); }, {4, 0, 1, 2, 3, 4}},
      {"insert at count", [](TListFixture& f) { f.list.Insert(5, &f.v[0]); }, {0, 1, 2, 3, 4, 0}},
      {"delete middle", [](TListFixture& f) { f.list.Delete(2); }, {0, 1, 3, 4}},
      {"exchange", [](TListFixture& f) { f.list.Exchange(0, 4); }, {4, 1, 2, 3, 0}},
      {"move down", [](TListFixture& f) { f.list.Move(1, 3); }, {0, 2, 3, 1, 4}},
      {"move up", [](TListFixture& f) { f.list.Move(4, 0); }, {4, 0, 1, 2, 3}},
      {"put", [](TListFixture& f) { f.list.Put(1, &f.v[3]); }, {0, 3, 2, 3, 4}},
      {"pack", [](TListFixture& f) { f.list.Put(0, nullptr); f.list.Put(3, nullptr); f.list.Pack(); }, {1, 2, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TCaptureLog log;
    list.Clear();
    Fill();
    c.edit(*this);
    EXPECT_EQ(Values(), c.expected);
    EXPECT_TRUE(log.Lines().empty()) << log.Text();
  }
}

TEST_F(TListFixture, IndexErrorsAreReportedAndChangeNothing) {
  struct Case {
    const char* name;
    std::function<void(TList<int>&)> call;
    const char* message;
  };
  const Case cases[] = {
      {"get", [](TList<int>& l) { EXPECT_EQ(l.Get(5), nullptr); }, "List index out of bounds (5)"},
      {"operator[]", [](TList<int>& l) { EXPECT_EQ(l[-1], nullptr); }, "List index out of bounds (-1)"},
      {"put", [](TList<int>& l) { l.Put(7, nullptr); }, "List index out of bounds (7)"},
      {"insert past count", [](TList<int>& l) { l.Insert(6, nullptr); }, "List index out of bounds (6)"},
      {"delete", [](TList<int>& l) { l.Delete(-3); }, "List index out of bounds (-3)"},
      {"exchange second", [](TList<int>& l) { l.Exchange(0, 5); }, "List index out of bounds (5)"},
      {"move target", [](TList<int>& l) { l.Move(1, 9); }, "List index out of bounds (9)"},
      {"capacity below count", [](TList<int>& l) { l.SetCapacity(2); }, "List capacity out of bounds (2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    list.Clear();
    Fill();
    test::TCaptureLog log;
    c.call(list);
    EXPECT_EQ(log.CountError(c.message), 1) << log.Text();
    EXPECT_EQ(Values(), (std::vector<int>{0, 1, 2, 3, 4}));
  }
}

TEST_F(TListFixture, FirstAndLastOfAnEmptyListReportInsteadOfCrashing) {
  test::TCaptureLog log;
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Last(), nullptr);
  EXPECT_EQ(log.CountError("List index out of bounds (0)"), 1);
  EXPECT_EQ(log.CountError("List index out of bounds (-1)"), 1);
}

TEST_F(TListFixture, RemoveAndExtractFindTheFirstOccurrence) {
  Fill();
  list.Add(&v[2]);
  EXPECT_EQ(list.Remove(&v[2]), 2);
  EXPECT_EQ(Values(), (std::vector<int>{0, 1, 3, 4, 2}));
  EXPECT_EQ(list.IndexOf(&v[2]), 4);
  EXPECT_EQ(list.Extract(&v[2]), &v[2]);
  EXPECT_EQ(list.Remove(&v[2]), -1);
  EXPECT_EQ(list.Extract(&v[2]), nullptr);
  EXPECT_EQ(list.First(), &v[0]);
  EXPECT_EQ(list.Last(), &v[4]);
}

TEST_F(TListFixture, SortKeepsEqualItemsInOrder) {
  int a = 1, b = 0, c = 1, d = 0;
  for (int* p : {&a, &b, &c, &d}) list.Add(p);
  list.Sort([](int* x, int* y) { return *x - *y; });
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[0], &b);
  EXPECT_EQ(list[1], &d);
  EXPECT_EQ(list[2], &a);
  EXPECT_EQ(list[3], &c);
}

}  // namespace
}  // namespace corvane
