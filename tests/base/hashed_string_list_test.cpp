// The hashed wide-string list and the chained hash table behind it.
#include "base/lists/hashed_string_list.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

TEST(StringHash, HashOfRotatesAndCombinesEveryUnit) {
  const struct Case {
    std::u16string key;
    std::uint32_t hash;
  } cases[] = {
      {u"", 0},
      {u"A", 0x41},
      {u"AB", 0x146},  // (0x41 rotated left by 2) xor 0x42
      {u"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 0x6C955547},  // bits wrap around
      {u"\u4e2d\u6587", 0x15D33},
  };
  TStringHash hash(256);
  for (const Case& c : cases) EXPECT_EQ(hash.HashOf(c.key), c.hash) << c.key.size();
}

TEST(StringHash, FirstMatchRulesAndCaseCounts) {
  TStringHash hash(4);
  hash.Add(u"key", 1);
  hash.Add(u"key", 2);  // at the head: found first
  hash.Add(u"other", 3);
  EXPECT_EQ(hash.ValueOf(u"key"), 2);
  EXPECT_EQ(hash.ValueOf(u"KEY"), -1);
  EXPECT_EQ(hash.ValueOf(u"missing"), -1);
  EXPECT_TRUE(hash.Modify(u"key", 5));
  EXPECT_FALSE(hash.Modify(u"missing", 5));
  EXPECT_EQ(hash.ValueOf(u"key"), 5);
  ASSERT_NE(*hash.Find(u"other"), nullptr);
  EXPECT_EQ((*hash.Find(u"other"))->Value, 3);
  EXPECT_EQ(*hash.Find(u"none"), nullptr);
  hash.Remove(u"key");
  EXPECT_EQ(hash.ValueOf(u"key"), 1);  // the older one shows again
  hash.Remove(u"key");
  hash.Remove(u"key");
  EXPECT_EQ(hash.ValueOf(u"key"), -1);
  hash.Clear();
  EXPECT_EQ(hash.ValueOf(u"other"), -1);
  hash.Add(u"again", 7);
  EXPECT_EQ(hash.ValueOf(u"again"), 7);
}

TEST(StringHash, LongChainsAreReleasedWithoutRecursion) {
  TStringHash hash(1);  // one bucket: one chain
  for (int i = 0; i < 300000; ++i) hash.Add(u"k", i);
  EXPECT_EQ(hash.ValueOf(u"k"), 299999);
}

TEST(HashedStringList, LooksUpWithoutCaseAndGivesTheLastOfEqualItems) {
  THashedStringList list;
  for (const char16_t* s : {u"a", u"x", u"b=1", u"Name=v", u"X", u"name=w"}) list.Add(s);
  const struct Case {
    std::u16string text;
    int index;
  } values[] = {{u"x", 4}, {u"A", 0}, {u"B=1", 2}, {u"b", -1}, {u"", -1}};
  for (const Case& c : values) EXPECT_EQ(list.IndexOf(c.text), c.index) << c.index;
  const Case names[] = {{u"NAME", 5}, {u"b", 2}, {u"a", -1}, {u"x", -1}};
  for (const Case& c : names) EXPECT_EQ(list.IndexOfName(c.text), c.index) << c.index;
  EXPECT_EQ(list.getValue(u"name"), u"w");
  // Names in another script are told apart.
  list.Add(u"\u4E2D=1");
  list.Add(u"\u6587=2");
  EXPECT_EQ(list.getValue(u"\u4E2D"), u"1");
  EXPECT_EQ(list.IndexOf(u"\u4E2D=1"), 6);
}

TEST(HashedStringList, EveryChangeRebuildsTheHashes) {
  THashedStringList list;
  for (const char16_t* s : {u"a", u"b", u"c=1"}) list.Add(s);
  EXPECT_EQ(list.IndexOf(u"c=1"), 2);
  EXPECT_EQ(list.IndexOfName(u"c"), 2);

  list.Delete(0);
  EXPECT_EQ(list.IndexOf(u"b"), 0);
  EXPECT_EQ(list.IndexOfName(u"c"), 1);

  list.BeginUpdate();  // changes inside an update count too
  list.Put(0, u"d=2");
  EXPECT_EQ(list.IndexOfName(u"d"), 0);
  list.Insert(0, u"z");
  EXPECT_EQ(list.IndexOf(u"z"), 0);
  EXPECT_EQ(list.IndexOfName(u"c"), 2);
  list.EndUpdate();

  list.Exchange(0, 2);
  EXPECT_EQ(list.IndexOf(u"z"), 2);
  list.setValue(u"d", u"3");
  EXPECT_EQ(list.getValue(u"D"), u"3");
  list.Clear();
  EXPECT_EQ(list.IndexOf(u"z"), -1);
  EXPECT_EQ(list.IndexOfName(u"d"), -1);
}

}  // namespace
}  // namespace corvane
