#include "base/lists/string_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/streams/memory_stream.h"
#include "tests/base/list_items.h"
#include "tests/base/temp_dir.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

using test::Fill;
using test::ItemsOf;

// Counts its destructions, to check that owned objects die exactly once.
class TCounted : public TObject {
 public:
  explicit TCounted(int& freed) : freed_(freed) {}
  ~TCounted() override { ++freed_; }

 private:
  int& freed_;
};

using test::ReadFile;
using test::WriteFile;

TEST(StringList, IndexErrorsAreReportedAndLeaveTheListIntact) {
  struct Case {
    const char* name;
    std::function<void(TStringList&)> call;
    const char* message;
  };
  const Case cases[] = {
      {"get", [](auto& l) { EXPECT_EQ(l.Strings(3), ""); }, "List index out of bounds (3)"},
      {"object", [](auto& l) { EXPECT_EQ(l.Objects(-1), nullptr); }, "List index out of bounds (-1)"},
      {"set string", [](auto& l) { l.SetString(3, "x"); }, "List index out of bounds (3)"},
      {"set object", [](auto& l) { l.SetObject(4, &l); }, "List index out of bounds (4)"},
      {"insert past count", [](auto& l) { l.Insert(4, "x"); }, "List index out of bounds (4)"},
      {"delete", [](auto& l) { l.Delete(3); }, "List index out of bounds (3)"},
      {"exchange", [](auto& l) { l.Exchange(-2, 0); }, "List index out of bounds (-2)"},
      {"move", [](auto& l) { l.Move(0, 3); }, "List index out of bounds (3)"},
      {"names", [](auto& l) { EXPECT_EQ(l.Names(9), ""); }, "List index out of bounds (9)"},
      {"value from index", [](auto& l) { EXPECT_EQ(l.ValueFromIndex(-1), ""); }, "List index out of bounds (-1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    Fill(list, {"a", "b=1", "c"});
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    test::TCaptureLog log;
    c.call(list);
    EXPECT_EQ(log.CountError(c.message), 1) << log.Text();
    EXPECT_EQ(ItemsOf(list), (Lines{"a", "b=1", "c"}));
    EXPECT_EQ(changes, 0);
  }
}

TEST(StringList, SortedAddFollowsTheDuplicatesPolicy) {
  struct Case {
    TDuplicates policy;
    std::vector<int> indexes;  // what each Add returned
    Lines lines;
    int errors;
  };
  // Adds "b", "a", "B", "c", "A" to a sorted list (case is ignored).
  const Case cases[] = {
      {dupIgnore, {0, 0, 1, 2, 0}, {"a", "b", "c"}, 0},
      {dupAccept, {0, 0, 1, 3, 0}, {"A", "a", "B", "b", "c"}, 0},
      {dupError, {0, 0, -1, 2, -1}, {"a", "b", "c"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.policy));
    test::TCaptureLog log;
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(c.policy);
    std::vector<int> indexes;
    for (const char* s : {"b", "a", "B", "c", "A"}) indexes.push_back(list.Add(s));
    EXPECT_EQ(indexes, c.indexes);
    EXPECT_EQ(ItemsOf(list), c.lines);
    EXPECT_EQ(log.CountError("String list does not allow duplicates"), c.errors) << log.Text();
  }
}

TEST(StringList, SortedListFindsByBinarySearchAndRefusesDisorder) {
  TStringList list;
  Fill(list, {"pear", "Apple", "fig", "banana"});
  list.SetSorted(true);
  EXPECT_EQ(ItemsOf(list), (Lines{"Apple", "banana", "fig", "pear"}));
  int index = -1;
  EXPECT_TRUE(list.Find("APPLE", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find("cherry", index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(list.IndexOf("FIG"), 2);

  test::TCaptureLog log;
  list.Insert(0, "zebra");
  list.SetString(0, "zebra");
  list.Exchange(0, 1);
  list.Move(0, 3);
  EXPECT_EQ(log.CountError("Operation not allowed on sorted list"), 4);
  EXPECT_EQ(ItemsOf(list), (Lines{"Apple", "banana", "fig", "pear"}));

  // Case-sensitive order puts upper-case letters first.
  list.Add("Zoo");
  list.SetCaseSensitive(true);
  EXPECT_EQ(ItemsOf(list), (Lines{"Apple", "Zoo", "banana", "fig", "pear"}));
  EXPECT_EQ(list.IndexOf("apple"), -1);
}

TEST(StringList, CaseSensitivityOfLookups) {
  TStringList list;
  Fill(list, {"Alpha", "beta=1", "_x"});
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOfName("BETA"), 1);
  // '_' lies between the upper- and lower-case letters: folding is to upper case.
  EXPECT_LT(list.CompareStrings("a", "_"), 0);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("ALPHA"), -1);
  EXPECT_EQ(list.IndexOf("Alpha"), 0);
  EXPECT_EQ(list.IndexOfName("BETA"), -1);
}

TEST(StringList, NamesAndValuesSplitAtTheFirstSeparator) {
  TStringList list;
  Fill(list, {"plain", "url=http://x/?a=b", "empty=", "=nameless", "Key=v"});
  const struct {
    int index;
    const char* name;
    const char* value;
  } cases[] = {{0, "", ""}, {1, "url", "http://x/?a=b"}, {2, "empty", ""}, {3, "", "nameless"}, {4, "Key", "v"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(list.Names(c.index), c.name);
    EXPECT_EQ(list.ValueFromIndex(c.index), c.value);
  }
  EXPECT_EQ(list.Values("URL"), "http://x/?a=b");
  EXPECT_EQ(list.Values("key"), "v");
  EXPECT_EQ(list.Values("plain"), "");  // a line without "=" has no name
  EXPECT_EQ(list.IndexOfName("plain"), -1);

  list.SetValue("key", "w=z");
  EXPECT_EQ(list.Strings(4), "key=w=z");
  list.SetValue("new", "1");
  EXPECT_EQ(list.Strings(5), "new=1");
  list.SetValue("url", "");
  EXPECT_EQ(list.IndexOfName("url"), -1);
  EXPECT_EQ(list.Count(), 5);

  list.SetNameValueSeparator(':');
  list.Add("host:port=80");
  EXPECT_EQ(list.Values("host"), "port=80");
}

TEST(StringList, TextSplitsAtEveryLineBreakAndJoinsWithLineFeeds) {
  struct Case {
    const char* name;
    std::string text;
    Lines lines;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"crlf", "a\r\nb\r\n", {"a", "b"}},
      {"lf", "a\nb", {"a", "b"}},
      {"cr", "a\rb\r", {"a", "b"}},
      {"mixed", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"empty lines", "\n\r\n\rx\n\n", {"", "", "", "x", ""}},
      {"lf cr is two breaks", "a\n\rb", {"a", "", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(ItemsOf(list), c.lines);
  }
  TStringList list;
  Fill(list, {"a", "", "b"});
  EXPECT_EQ(list.Text(), "a\n\nb");
}

TEST(StringList, CommaTextRoundTripsAwkwardItems) {
  const Lines cases[] = {
      {},
      {""},
      {"", ""},
      {"a", "", "b"},
      {"trailing", ""},
      {"two words", "x,y", "say \"hi\"", "\"", ","},
      {"tab\there", " lead", "trail ", "line\nbreak"},
      {"caf\xC3\xA9 au lait", "\xE2\x82\xAC"},
  };
  for (const Lines& items : cases) {
    TStringList source;
    Fill(source, items);
    const std::string text = source.CommaText();
    SCOPED_TRACE(text);
    TStringList copy;
    copy.Add("stale");
    copy.SetCommaText(text);
    EXPECT_EQ(ItemsOf(copy), items);
  }
  TStringList list;
  Fill(list, {"a b", "c\"d", "e"});
  EXPECT_EQ(list.CommaText(), "\"a b\",\"c\"\"d\",e");
}

TEST(StringList, CommaTextReading) {
  struct Case {
    const char* text;
    Lines lines;
  };
  const Case cases[] = {
      {" a, b  c", {"a", "b", "c"}},  // blanks separate as commas do
      {"\"a\"\"b\",c", {"a\"b", "c"}},
      {"\"open to the end", {"open to the end"}},
      {"a,", {"a", ""}},
      {",a", {"", "a"}},
      {"\"\"", {""}},
      {"\"x\"y", {"x", "y"}},
      {"a\0b", {"a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TStringList list;
    list.SetCommaText(c.text);
    EXPECT_EQ(ItemsOf(list), c.lines);
  }
  TStringList list;
  list.SetDelimiter(';');
  list.SetQuoteChar('\'');
  list.SetDelimitedText("'it''s';b,c");
  EXPECT_EQ(ItemsOf(list), (Lines{"it's", "b,c"}));
  EXPECT_EQ(list.DelimitedText(), "'it''s';b,c");
  EXPECT_EQ(list.CommaText(), "it's,\"b,c\"");
}

TEST(StringList, StreamsLoadTheRestAsLinesAndSaveEveryLineEnded) {
  struct Case {
    const char* name;
    std::string bytes;
    Lines lines;
  };
  const Case cases[] = {
      {"bom", "\xEF\xBB\xBFone\r\n", {"one"}},
      {"bom only", "\xEF\xBB\xBF", {}},
      {"bom not at start stays", "x\n\xEF\xBB\xBFy", {"x", "\xEF\xBB\xBFy"}},
      {"empty", "", {}},
      {"nul kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryStream stream{std::span<const char>(c.bytes)};
    TStringList list;
    list.Add("old");
    list.LoadFromStream(stream);
    EXPECT_EQ(ItemsOf(list), c.lines);
  }
  // Only from the current position on.
  const std::string bytes = "skip\nkeep\n";
  TMemoryStream stream{std::span<const char>(bytes)};
  stream.SetPosition(5);
  TStringList list;
  list.LoadFromStream(stream);
  EXPECT_EQ(ItemsOf(list), (Lines{"keep"}));

  Fill(list, {"a", "", "b"});
  TMemoryStream saved;
  EXPECT_TRUE(list.SaveToStream(saved));
  EXPECT_EQ(std::string(saved.Memory(), static_cast<std::size_t>(saved.Size())), "a\n\nb\n");
}

TEST(StringList, FilesRoundTripAndFailuresLeaveThingsAlone) {
  test::TTempDir dir;
  const std::string path = dir.File("list \xC3\xA9.txt");
  TStringList list;
  Fill(list, {"first", "second"});
  ASSERT_TRUE(list.SaveToFile(path));
  EXPECT_EQ(ReadFile(path), "first\nsecond\n");
  TStringList back;
  ASSERT_TRUE(back.LoadFromFile(path));
  EXPECT_EQ(ItemsOf(back), (Lines{"first", "second"}));

  test::TCaptureLog log;
  EXPECT_FALSE(back.LoadFromFile(dir.File("missing.txt")));
  EXPECT_EQ(ItemsOf(back), (Lines{"first", "second"}));
  EXPECT_FALSE(list.SaveToFile(dir.File("no/such/folder.txt")));
  EXPECT_TRUE(log.Contains("Cannot open file \"" + dir.File("missing.txt") + "\"")) << log.Text();
  EXPECT_TRUE(log.Contains("Cannot create file \"" + dir.File("no/such/folder.txt") + "\"")) << log.Text();
  EXPECT_EQ(ReadFile(path), "first\nsecond\n");
}

// Every line costs a list item however short, so a text of more lines, or
// of more bytes, than a list takes is read as nothing: the list stays, and
// one line says why (naming the file when there is one). Up to the limits
// it loads.
TEST(StringList, TextsBeyondTheLimitsAreRefusedWholeAndTheListKept) {
  test::TTempDir dir;
  test::TCaptureLog log;
  const std::string breaks(static_cast<std::size_t>(kMaxStringListLines), '\n');
  TStringList list;
  list.Add("old");
  TMemoryStream atLimit{std::span<const char>(breaks)};
  EXPECT_TRUE(list.LoadFromStream(atLimit));
  EXPECT_EQ(list.Count(), kMaxStringListLines);
  EXPECT_EQ(log.ErrorCount(), 0);

  const std::string path = dir.File("lines.txt");
  WriteFile(path, breaks + "\r");
  Fill(list, {"old"});
  EXPECT_FALSE(list.LoadFromFile(path));
  EXPECT_EQ(ItemsOf(list), (Lines{"old"}));
  EXPECT_EQ(log.CountError("Text of too many lines for a list (1048577, the limit is 1048576) in " + path), 1)
      << log.Text();

  const std::string bytes = "line\n" + std::string(64, 'x');
  TMemoryStream large{std::span<const char>(bytes)};
  EXPECT_FALSE(list.LoadFromStream(large, 68));
  EXPECT_EQ(ItemsOf(list), (Lines{"old"}));
  EXPECT_EQ(log.CountError("Text too large for a list (more than 68 bytes)"), 1) << log.Text();
  large.SetPosition(0);
  EXPECT_TRUE(list.LoadFromStream(large, 69));
  EXPECT_EQ(ItemsOf(list), (Lines{"line", std::string(64, 'x')}));
}

TEST(StringList, NestedUpdatesFireTheEventsOnce) {
  TStringList list;
  std::string events;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    events += '<';
  };
  list.OnChange = [&](TObject*) { events += '>'; };
  list.Add("a");
  EXPECT_EQ(events, "<>");
  events.clear();
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Delete(0);
  list.EndUpdate();
  list.Add("c");
  list.EndUpdate();
  EXPECT_EQ(events, "<>");
  events.clear();
  list.EndUpdate();  // unbalanced: ignored
  list.SetText("x\ny\nz");
  list.SetCommaText("p,q");
  EXPECT_EQ(events, "<><>");
  EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(StringList, OwnedObjectsAreFreedExactlyOnce) {
  int freed = 0;
  {
    TStringList list;
    list.SetOwnsObjects(true);
    for (const char* s : {"a", "b", "c", "d", "e"}) list.AddObject(s, new TCounted(freed));
    list.Move(0, 4);  // moving never frees
    list.Exchange(0, 1);
    EXPECT_EQ(freed, 0);
    list.Delete(0);
    EXPECT_EQ(freed, 1);
    list.Clear();
    EXPECT_EQ(freed, 5);
    list.AddObject("f", new TCounted(freed));
  }
  EXPECT_EQ(freed, 6);

  int kept = 0;
  TCounted object(kept);
  {
    TStringList list;  // not owning: objects are the caller's
    list.AddObject("x", &object);
    list.Delete(0);
    list.AddObject("y", &object);
  }
  EXPECT_EQ(kept, 0);
}

TEST(StringList, ObjectsTravelWithTheirLines) {
  TStringList list;
  TStringList a, b, c;
  list.AddObject("a", &a);
  list.AddObject("b", &b);
  list.InsertObject(0, "c", &c);
  list.Move(0, 2);
  list.Exchange(0, 1);
  EXPECT_EQ(ItemsOf(list), (Lines{"b", "a", "c"}));
  EXPECT_EQ(list.Objects(0), &b);
  EXPECT_EQ(list.Objects(1), &a);
  EXPECT_EQ(list.IndexOfObject(&c), 2);
  list.SetString(2, "z");
  EXPECT_EQ(list.Objects(2), &c);
  list.SetSorted(true);
  EXPECT_EQ(ItemsOf(list), (Lines{"a", "b", "z"}));
  EXPECT_EQ(list.Objects(0), &a);
  EXPECT_EQ(list.IndexOfObject(&list), -1);
}

TEST(StringList, SortAndCustomSort) {
  TStringList list;
  Fill(list, {"b", "B", "a", "c", "A"});
  list.Sort();
  EXPECT_EQ(ItemsOf(list), (Lines{"a", "A", "b", "B", "c"}));  // equal lines keep their order
  list.CustomSort([](const TStringList& l, int i, int j) { return l.CompareStrings(l.Get(j), l.Get(i)); });
  EXPECT_EQ(ItemsOf(list), (Lines{"c", "b", "B", "a", "A"}));
  list.SetSorted(true);
  list.CustomSort([](const TStringList&, int, int) { return 1; });  // a sorted list is left alone
  EXPECT_EQ(ItemsOf(list), (Lines{"a", "A", "b", "B", "c"}));
}

TEST(StringList, AssignCopiesLinesAndObjects) {
  TStringList source, target;
  source.AddObject("one", &source);
  source.Add("two");
  target.Add("old");
  int changes = 0;
  target.OnChange = [&](TObject*) { ++changes; };
  target.Assign(&source);
  EXPECT_EQ(ItemsOf(target), (Lines{"one", "two"}));
  EXPECT_EQ(target.Objects(0), &source);
  EXPECT_EQ(changes, 1);

  target.Assign(&target);  // onto itself: kept
  EXPECT_EQ(ItemsOf(target), (Lines{"one", "two"}));
  target.AddStrings(target);
  EXPECT_EQ(ItemsOf(target), (Lines{"one", "two", "one", "two"}));

  test::TCaptureLog log;
  target.Assign(nullptr);
  EXPECT_EQ(log.CountError("Cannot assign a nil to a TStringList"), 1) << log.Text();
  EXPECT_EQ(target.Count(), 4);
}

TEST(ExtractStrings, SplitsItemsAndKeepsQuotedStretchesWhole) {
  struct Case {
    const char* name;
    const char* separators;
    const char* whiteSpace;
    std::string content;
    Lines items;
  };
  const Case cases[] = {
      {"plain", ",", " ", "a, b ,c", {"a", "b ", "c"}},
      {"empty items dropped", ",;", "", ",a,,;b;", {"a", "b"}},
      {"double quotes", ",", " ", "x, \"p, q\", y", {"x", "\"p, q\"", "y"}},
      {"single quotes", " ", "", "'a b' c", {"'a b'", "c"}},
      {"other quote inside", ",", "", "\"it's, ok\",n", {"\"it's, ok\"", "n"}},
      {"quote mid item", ",", "", "ab'c,d'e,f", {"ab'c,d'e", "f"}},
      {"unclosed quote", ",", "", "a,\"b,c", {"a", "\"b,c"}},
      {"line breaks split", "", "", "a\r\nb\rc\n", {"a", "b", "c"}},
      {"nul ends", ",", "", std::string("a,b\0c,d", 7), {"a", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    list.Add("kept");
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(ExtractStrings(c.separators, c.whiteSpace, c.content, &list), static_cast<int>(c.items.size()));
    Lines expected{"kept"};
    expected.insert(expected.end(), c.items.begin(), c.items.end());
    EXPECT_EQ(ItemsOf(list), expected);
    EXPECT_EQ(changes, 1);
  }
  TStringList list;
  EXPECT_EQ(ExtractStrings(",", " ", "", &list), 0);
  EXPECT_EQ(ExtractStrings(",", " ", "a,b", nullptr), 0);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace corvane
