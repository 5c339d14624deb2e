// The array wide-string list: index errors, sorting by text and by object,
// duplicates, growth and change events.
#include "base/lists/wide_string_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/base/list_items.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

using Items = std::vector<std::u16string>;

using test::ItemsOf;

// A score or other number kept in an item's object slot.
TObject* Slot(std::uintptr_t value) { return reinterpret_cast<TObject*>(value); }
std::uintptr_t ValueOf(const TObject* object) { return reinterpret_cast<std::uintptr_t>(object); }

TEST(WideStringList, IndexErrorsAreReportedAndTouchNothing) {
  struct Case {
    const char* name;
    std::function<void(TWideStringList&)> call;
    int reports;
  };
  const Case cases[] = {
      {"get", [](TWideStringList& l) { EXPECT_EQ(l.Get(3), u""); }, 1},
      {"get without a copy", [](TWideStringList& l) { EXPECT_EQ(l.GetRef(-1), u""); }, 1},
      {"get object", [](TWideStringList& l) { EXPECT_EQ(l.GetObject(-1), nullptr); }, 1},
      {"put", [](TWideStringList& l) { l.Put(3, u"x"); }, 1},
      {"put object", [](TWideStringList& l) { l.PutObject(-1, &l); }, 1},
      {"insert past count", [](TWideStringList& l) { l.Insert(4, u"x"); }, 1},
      {"insert object", [](TWideStringList& l) { l.InsertObject(-1, u"x", &l); }, 1},
      {"delete", [](TWideStringList& l) { l.Delete(3); }, 1},
      {"exchange one bad", [](TWideStringList& l) { l.Exchange(0, 3); }, 1},
      {"exchange both bad", [](TWideStringList& l) { l.Exchange(-1, 9); }, 2},
      {"move to count", [](TWideStringList& l) { l.Move(0, 3); }, 1},
      {"move from -1", [](TWideStringList& l) { l.Move(-1, 0); }, 1},
      {"name", [](TWideStringList& l) { EXPECT_EQ(l.GetName(7), u""); }, 1},
      {"value from index", [](TWideStringList& l) { EXPECT_EQ(l.GetValueFromIndex(7), u""); }, 1},
  };
  for (const Case& c : cases) {
    TWideStringList list;
    for (const char16_t* s : {u"a", u"b", u"c"}) list.Add(s);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    test::TCaptureLog log;
    c.call(list);
    EXPECT_EQ(log.CountError("list index error"), c.reports) << c.name;
    EXPECT_EQ(ItemsOf(list), (Items{u"a", u"b", u"c"})) << c.name;
    EXPECT_EQ(list.GetObject(0), nullptr) << c.name;
    EXPECT_EQ(changes, 0) << c.name;
  }
}

TEST(WideStringList, SortedAddFollowsTheDuplicatesPolicy) {
  const struct Case {
    TDuplicates policy;
    Items after;         // after adding b, a, B, c, A
    int lastIndex;       // what the last Add returned
    int duplicateErrors;
  } cases[] = {
      {dupIgnore, {u"a", u"b", u"c"}, 0, 0},
      {dupAccept, {u"A", u"a", u"B", u"b", u"c"}, 0, 0},
      {dupError, {u"A", u"a", u"B", u"b", u"c"}, 0, 2},
  };
  for (const Case& c : cases) {
    TWideStringList list;
    list.SetDuplicates(c.policy);
    list.SetSorted(true);
    test::TCaptureLog log;
    int last = -1;
    for (const char16_t* s : {u"b", u"a", u"B", u"c", u"A"}) last = list.Add(s);
    EXPECT_EQ(ItemsOf(list), c.after) << c.policy;
    EXPECT_EQ(last, c.lastIndex) << c.policy;
    EXPECT_EQ(log.CountError("Doublicate string"), c.duplicateErrors) << c.policy;
  }
}

TEST(WideStringList, SortedFindAndIndexOf) {
  TWideStringList list;
  for (const char16_t* s : {u"delta", u"Alpha", u"charlie", u"bravo"}) list.Add(s);
  list.SetSorted(true);
  EXPECT_EQ(ItemsOf(list), (Items{u"Alpha", u"bravo", u"charlie", u"delta"}));
  const struct Case {
    std::u16string text;
    bool found;
    int index;
  } cases[] = {
      {u"ALPHA", true, 0}, {u"charlie", true, 2}, {u"aaa", false, 0},
      {u"c", false, 2},    {u"zulu", false, 4},   {u"delta", true, 3},
  };
  for (const Case& c : cases) {
    int index = -1;
    EXPECT_EQ(list.Find(c.text, index), c.found) << c.text.size();
    EXPECT_EQ(index, c.index);
    EXPECT_EQ(list.IndexOf(c.text), c.found ? c.index : -1);
  }

  test::TCaptureLog log;
  list.Insert(0, u"zz");  // reported, done all the same
  list.Put(0, u"yy");
  EXPECT_EQ(log.CountError("sorted list error"), 2);
  EXPECT_EQ(list.Get(0), u"yy");
  list.SetCaseSensitive(true);  // no resort
  EXPECT_EQ(list.Get(0), u"yy");
}

TEST(WideStringList, SortByObjectPutsTheGreatestFirst) {
  const struct Case {
    std::vector<std::uintptr_t> values;
    std::vector<std::uintptr_t> sorted;
  } cases[] = {
      {{3, 10, 7}, {10, 7, 3}},
      // Low 32 bits as signed: 0x80000010 is negative and goes last; a
      // difference of more than 2^31 does not wrap.
      {{5, 0x80000010u, 0x7FFFFFF0u}, {0x7FFFFFF0u, 5, 0x80000010u}},
      {{1, 1, 2, 0}, {2, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    TWideStringList list;
    list.SetSortByObject(true);
    for (std::size_t i = 0; i < c.values.size(); ++i)
      list.AddObject(std::u16string(1, static_cast<char16_t>(u'a' + i)), Slot(c.values[i]));
    list.SetSorted(true);
    std::vector<std::uintptr_t> got;
    for (int i = 0; i < list.Count(); ++i) got.push_back(ValueOf(list.GetObject(i)));
    EXPECT_EQ(got, c.sorted);
  }

  TWideStringList list;
  list.SetSortByObject(true);
  for (std::uintptr_t v : {40, 10, 30, 20}) list.AddObject(u"s" + std::u16string(1, static_cast<char16_t>(v)), Slot(v));
  list.SetSorted(true);
  int index = -1;
  EXPECT_TRUE(list.FindByObject(Slot(20), index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.FindByObject(Slot(25), index));
  EXPECT_EQ(index, 2);
  // Appended, and found by a plain search (the list is in no text order).
  EXPECT_EQ(list.Add(u"a"), 4);
  EXPECT_EQ(list.IndexOf(u"s\u0028"), 0);
  EXPECT_EQ(CompareWideListObjects(Slot(std::uintptr_t{1} << 32 | 5), Slot(5)), 0);
}

TEST(WideStringList, CapacityNeverFallsBelowTheCount) {
  TWideStringList list;
  for (int i = 0; i < 77; ++i) list.Add(u"x");
  list.SetCapacity(10);
  EXPECT_EQ(list.GetCapacity(), 77);  // never below the count
  list.Clear();
  EXPECT_EQ(list.GetCapacity(), 0);
}

TEST(WideStringList, ChangeEventsFireAroundChangesAndOncePerUpdate) {
  TWideStringList list;
  std::vector<std::string> events;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    events.push_back("changing");
  };
  list.OnChange = [&](TObject*) { events.push_back("changed"); };
  const struct Case {
    const char* name;
    std::function<void()> call;
    int pairs;
  } cases[] = {
      {"add", [&] { list.Add(u"b"); }, 1},
      {"put object", [&] { list.PutObject(0, &list); }, 1},
      {"update of three", [&] {
         list.BeginUpdate();
         list.BeginUpdate();
         list.Add(u"c");
         list.Add(u"a");
         list.EndUpdate();
         list.Delete(0);
         list.EndUpdate();
       }, 1},
      {"text", [&] { list.SetTextStr(u"x\ny\nz"); }, 1},
      {"sort", [&] { list.Sort(); }, 1},
      {"exchange", [&] { list.Exchange(0, 2); }, 1},
      {"clear", [&] { list.Clear(); }, 1},
      {"clear when empty", [&] { list.Clear(); }, 0},
      {"unbalanced end", [&] { list.EndUpdate(); }, 0},
  };
  for (const Case& c : cases) {
    events.clear();
    c.call();
    std::vector<std::string> expected;
    for (int i = 0; i < c.pairs; ++i) {
      expected.push_back("changing");
      expected.push_back("changed");
    }
    EXPECT_EQ(events, expected) << c.name;
  }
}

TEST(WideStringList, HandlersThatChangeTheListCannotMisplaceAChange) {
  TWideStringList list;
  // Empties the list once, unhooking itself from inside the call.
  const auto emptyOnce = [&](TObject*) {
    list.OnChanging = nullptr;
    list.BeginUpdate();
    list.Clear();
    list.EndUpdate();
  };
  for (const char16_t* s : {u"a", u"b", u"c"}) list.Add(s);
  list.OnChanging = emptyOnce;
  list.Delete(2);  // the item is gone by the time the delete happens
  EXPECT_EQ(list.Count(), 0);
  for (const char16_t* s : {u"a", u"b", u"c"}) list.Add(s);
  list.OnChanging = emptyOnce;
  EXPECT_EQ(list.Add(u"x"), 0);  // meant for index 3, the list emptied meanwhile
  list.Insert(0, u"y");
  EXPECT_EQ(ItemsOf(list), (Items{u"y", u"x"}));
}

}  // namespace
}  // namespace corvane
