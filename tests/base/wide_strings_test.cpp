// The abstract wide-string list's behaviour (through the array list): the
// text and comma forms, name=value items, assignment, scripts' view and the
// "strings" property of object streams.
#include "base/lists/wide_strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/component.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "base/streams/writer.h"
#include "tests/base/list_items.h"
#include "tests/base/streaming_test_base.h"

namespace corvane {

// A component with a string list as a nested property, as applets have.
class TLinesHolder : public TGComponent {
  CORVANE_CLASS(TLinesHolder, TGComponent)
  static void Describe(TClassBuilder<TLinesHolder>& c) {
    c.Property("lines", &TLinesHolder::GetLines);
    c.Property("level", &TLinesHolder::level).Default(0);
  }
  explicit TLinesHolder(const TCreateContext& context)
      : TGComponent(context), lines(Create<TWideStringList>(TCreateContext(this))) {}
  ~TLinesHolder() override { lines->Free(); }
  TWideStringList* GetLines() const { return lines; }

  TWideStringList* lines;
  std::int32_t level = 0;
};

CORVANE_IMPLEMENT_CLASS(TLinesHolder)

namespace {

using Items = std::vector<std::u16string>;

using test::Fill;
using test::ItemsOf;

TEST(WideStrings, TextFormSplitsAtEveryBreakAndJoinsWithCrLf) {
  const struct Case {
    std::u16string text;
    Items items;
  } cases[] = {
      {u"a\r\nb\rc\n", {u"a", u"b", u"c"}},
      {u"a\r\n", {u"a"}},
      {u"", {}},
      {u"a\vb\fc\u2028d\u2029e", {u"a", u"b", u"c", u"d", u"e"}},
      {u"\r\n\r\n", {u"", u""}},
      {u"a\r\rb", {u"a", u"", u"b"}},
      {u"last without break", {u"last without break"}},
      {std::u16string(u"a\0b", 3), {u"a"}},  // a NUL ends the text
  };
  TWideStringList list;
  for (const Case& c : cases) {
    list.SetTextStr(c.text);
    EXPECT_EQ(ItemsOf(list), c.items) << c.items.size();
  }
  Fill(list, {u"a", u"b"});
  EXPECT_EQ(list.GetTextStr(), u"a\r\nb\r\n");
  list.SetText(u"x\ny");
  EXPECT_EQ(ItemsOf(list), (Items{u"x", u"y"}));
  list.SetText(nullptr);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.GetTextStr(), u"");
}

TEST(WideStrings, CommaTextQuotesWhatWouldNotReadBack) {
  const struct Case {
    Items items;
    std::u16string comma;
  } cases[] = {
      {{u"a", u"b", u"c"}, u"a,b,c"},
      {{}, u""},
      {{u""}, u""},
      {{u"x y", u"q\"r", u"a,b", u"", u"plain", u"\t"}, u"\"x y\",\"q\"\"r\",\"a,b\",,plain,\"\t\""},
      {{u"\"lead"}, u"\"\"\"lead\""},
      {{std::u16string(u"n\0l", 3)}, std::u16string(u"\"n\0l\"", 5)},
      {{u"caf\u00e9", u"\u4e2d"}, u"caf\u00e9,\u4e2d"},
  };
  TWideStringList list;
  for (const Case& c : cases) {
    Fill(list, c.items);
    EXPECT_EQ(list.GetCommaText(), c.comma);
    list.SetCommaText(c.comma);
    // A lone empty item is written as nothing and reads back as no item.
    const Items back = c.items.size() == 1 && c.items[0].empty() ? Items{} : c.items;
    EXPECT_EQ(ItemsOf(list), back) << list.GetCommaText().size();
  }
}

TEST(WideStrings, CommaTextReadsBlanksAsSeparatorsAndAlwaysMovesOn) {
  const struct Case {
    std::u16string comma;
    Items items;
  } cases[] = {
      {u" a ,b  c", {u"a", u"b", u"c"}},
      {u"\"ab\"cd", {u"ab", u"cd"}},
      {u"\"unterminated, still one", {u"unterminated, still one"}},
      {u",", {u""}},
      {u"a,,b", {u"a", u"", u"b"}},
      {u"a\"b", {u"a\"b"}},
      {std::u16string(u"a\0b", 3), {u"a"}},
      {u"   ", {}},
  };
  TWideStringList list;
  for (const Case& c : cases) {
    list.SetCommaText(c.comma);
    EXPECT_EQ(ItemsOf(list), c.items) << c.items.size();
  }
}

TEST(WideStrings, NamesAndValues) {
  TWideStringList list;
  const std::u16string longValue(40000, u'v');
  Fill(list, {u"K=v", u"plain", u"=anon", u"a=b=c", u"long=" + longValue});
  EXPECT_EQ(list.getValue(u"k"), u"v");  // names match without case
  EXPECT_EQ(list.getValue(u"a"), u"b=c");
  EXPECT_EQ(list.getValue(u"long"), longValue);  // the whole rest, no cut
  EXPECT_EQ(list.getValue(u"missing"), u"");
  EXPECT_EQ(list.IndexOfName(u"plain"), -1);
  EXPECT_EQ(list.GetName(1), u"");
  EXPECT_EQ(list.GetValueFromIndex(1), u"");  // no "=": no value
  EXPECT_EQ(list.GetValueFromIndex(2), u"anon");
  EXPECT_EQ(list.GetValueFromIndex(-1), u"");

  list.setValue(u"k", u"w");
  EXPECT_EQ(list.Get(0), u"k=w");
  list.setValue(u"new", u"1");
  EXPECT_EQ(list.Get(5), u"new=1");
  list.setValue(u"new", u"");
  EXPECT_EQ(list.Count(), 5);
  list.setValue(u"absent", u"");
  EXPECT_EQ(list.Count(), 5);

  list.SetValueFromIndex(3, u"z");
  EXPECT_EQ(list.Get(3), u"a=z");
  list.SetValueFromIndex(-1, u"added");
  EXPECT_EQ(list.Get(5), u"=added");
  list.SetValueFromIndex(5, u"");
  EXPECT_EQ(list.Count(), 5);
}

TEST(WideStrings, LookupsAndEquality) {
  TWideStringList a;
  TWideStringList b;
  Fill(a, {u"One", u"two", u"one"});
  EXPECT_EQ(a.IndexOf(u"ONE"), 0);
  EXPECT_EQ(a.IndexOf(u"three"), -1);
  a.PutObject(2, &b);
  EXPECT_EQ(a.IndexOfObject(&b), 2);
  EXPECT_EQ(a.IndexOfObject(&a), -1);
  Fill(b, {u"One", u"two", u"one"});
  EXPECT_TRUE(a.Equals(b));  // objects do not count
  b.SetItem(0, u"ONE");
  EXPECT_FALSE(a.Equals(b));  // case does
  b.Delete(0);
  EXPECT_FALSE(a.Equals(b));
}

TEST(WideStrings, MoveAndExchangeCarryObjects) {
  TWideStringList list;
  TWideStringList marker;
  Fill(list, {u"a", u"b", u"c", u"d"});
  list.PutObject(0, &marker);
  list.Move(0, 3);
  EXPECT_EQ(ItemsOf(list), (Items{u"b", u"c", u"d", u"a"}));
  EXPECT_EQ(list.GetObject(3), &marker);
  list.Exchange(3, 0);
  EXPECT_EQ(ItemsOf(list), (Items{u"a", u"c", u"d", u"b"}));
  EXPECT_EQ(list.GetObject(0), &marker);
}

TEST(WideStrings, AssignCopiesItemsWithObjectsBothWays) {
  TWideStringList source;
  Fill(source, {u"caf\u00e9", u"\u4e2d"});
  source.PutObject(1, &source);

  TWideStringList wide;
  wide.Add(u"old");
  wide.Assign(&source);
  EXPECT_EQ(ItemsOf(wide), ItemsOf(source));
  EXPECT_EQ(wide.GetObject(1), &source);

  TStringList narrow;
  narrow.Assign(&source);  // through the source's AssignTo
  ASSERT_EQ(narrow.Count(), 2);
  EXPECT_EQ(narrow.Get(0), "caf\xc3\xa9");
  EXPECT_EQ(narrow.GetObject(1), &source);

  narrow.Add("\xe6\x96\x87");
  wide.Assign(&narrow);
  EXPECT_EQ(ItemsOf(wide), (Items{u"caf\u00e9", u"\u4e2d", u"\u6587"}));

  wide.Assign(&wide);  // to itself: unchanged
  EXPECT_EQ(wide.Count(), 3);
  wide.AddStrings(wide);
  EXPECT_EQ(wide.Count(), 6);
}

TEST(WideStrings, ScriptsReachThePublishedMethodsAndProperties) {
  TWideStringList* list = Create<TWideStringList>();
  const TClass cls = list->ClassType();
  Variant text[] = {Variant(u"hello")};
  EXPECT_EQ(cls->FindMethod("add")->Invoke(*list, text).AsInteger(), 0);
  Variant second[] = {Variant(u"world")};
  cls->FindMethod("add")->Invoke(*list, second);
  Variant at[] = {Variant(1)};
  EXPECT_EQ(cls->FindMethod("items")->Invoke(*list, at).AsWideString(), u"world");
  Variant put[] = {Variant(0), Variant(u"hi")};
  cls->FindMethod("setItem")->Invoke(*list, put);
  EXPECT_EQ(list->Get(0), u"hi");
  EXPECT_EQ(GetPropValue(*list, "count").AsInteger(), 2);
  EXPECT_EQ(GetPropValue(*list, "commaText").AsWideString(), u"hi,world");
  cls->FindMethod("delete")->Invoke(*list, at);
  EXPECT_EQ(list->Count(), 1);
  cls->FindMethod("clear")->Invoke(*list, {});
  EXPECT_EQ(list->Count(), 0);
  for (const char* name : {"count", "commaText", "caseSensitive", "text", "sorted"})
    EXPECT_FALSE(cls->FindProperty(name)->IsStored(*list)) << name;
  EXPECT_TRUE(cls->FindProperty("sortByObject")->IsStored(*list));
  list->Free();
}

class WideStringsStream : public test::TStreamingTest {
 protected:
  void SetUp() override { Register({TLinesHolder::StaticClass()}); }
};

TEST_F(WideStringsStream, ItemsTravelAsTheStringsProperty) {
  TLinesHolder* holder = Create<TLinesHolder>();
  Fill(*holder->lines, {u"caf\u00e9", u"", u"\u4e2d=1", std::u16string(300, u'x')});
  holder->lines->SetSortByObject(true);
  holder->level = 3;
  const std::string bytes = test::WriteComponentBytes(holder);
  EXPECT_NE(bytes.find("lines.strings"), std::string::npos);

  TLinesHolder* back = ReadBack<TLinesHolder>(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(ItemsOf(*back->lines), ItemsOf(*holder->lines));
  EXPECT_TRUE(back->lines->SortByObject());
  EXPECT_EQ(back->level, 3);
  EXPECT_EQ(test::WriteComponentBytes(back), bytes);
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
  back->Free();

  holder->lines->Clear();  // an empty list without an ancestor writes nothing
  EXPECT_EQ(test::WriteComponentBytes(holder).find("lines.strings"), std::string::npos);
  holder->Free();
}

TEST_F(WideStringsStream, HostileStringsValuesAreSkipped) {
  auto stream = [](const std::string& lines) {
    return test::Unhex("4b564630 0c" + test::Hex("TLinesHolder") + "00") + lines +
           test::Unhex("05" + test::Hex("level") + "0207 0000");
  };
  const std::string strings = "\x0dlines.strings";
  const struct Case {
    const char* name;
    std::string value;
    std::vector<std::u16string> items;
    int invalid;  // "invalid property value" lines
  } cases[] = {
      {"not a list", test::Unhex("0205"), {}, 1},
      {"a number among the items", test::Unhex("01 060161 0205 12010000006200 00"), {u"a", u"b"}, 1},
      {"nested list", test::Unhex("01 01060178 00 060179 00"), {u"y"}, 1},
  };
  for (const Case& c : cases) {
    log.Clear();
    TLinesHolder* back = ReadBack<TLinesHolder>(stream(strings + c.value));
    ASSERT_NE(back, nullptr) << c.name;
    EXPECT_EQ(ItemsOf(*back->lines), c.items) << c.name;
    EXPECT_EQ(back->level, 7) << c.name;  // reading went on behind the value
    EXPECT_EQ(log.CountInfo("invalid property value"), c.invalid) << c.name << "\n" << log.Text();
    back->Free();
  }

  // A list cut short ends with what it held; nothing else happens.
  TLinesHolder* cut = ReadBack<TLinesHolder>(test::Unhex("4b564630 0c" + test::Hex("TLinesHolder") + "00") + strings +
                               test::Unhex("01 060161 1264000000"));
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->lines->Get(0), u"a");
  cut->Free();
}

}  // namespace
}  // namespace corvane
