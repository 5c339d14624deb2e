// The stored forms of a wide-string list: UTF-16 with a byte-order mark in
// either order, the ciphered form, and files replaced whole.
#include "base/lists/wide_string_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "tests/base/list_items.h"
#include "tests/base/temp_dir.h"
#include "tests/support/capture_log.h"
#include "tests/support/stream_bytes.h"

namespace corvane {
namespace {

using test::Hex;
using test::StreamOf;
using test::Unhex;
using Items = std::vector<std::u16string>;

using test::ItemsOf;

TEST(WideStringFile, MarkedFormLoadsInEitherByteOrder) {
  const struct Case {
    const char* name;
    const char* hex;
    bool loaded;
    Items items;
  } cases[] = {
      {"host order", "fffe 6100 0d00 0a00 6200", true, {u"a", u"b"}},
      {"swapped", "feff 0061 000d 000a 4e2d", true, {u"a", u"\u4e2d"}},
      {"mark only", "fffe", true, {}},
      {"odd trailing byte", "fffe 6100 62", true, {u"a"}},
      {"no mark", "6100 6200", false, {u"keep"}},
      {"one byte", "ff", false, {u"keep"}},
      {"empty", "", false, {u"keep"}},
  };
  for (const Case& c : cases) {
    TWideStringList list;
    list.Add(u"keep");
    TMemoryStream in = StreamOf(Unhex(c.hex));
    EXPECT_EQ(list.LoadFromStream(in), c.loaded) << c.name;
    EXPECT_EQ(ItemsOf(list), c.items) << c.name;
  }
}

TEST(WideStringFile, CipheredFormRoundTripsWithoutMarkOrCount) {
  const Items samples[] = {{}, {u"name=Ann", u"score=12"}, {u"caf\u00e9", u"", u"\u4e2d\u6587", u"\U0001F600"}};
  for (const Items& items : samples) {
    TWideStringList list;
    for (const std::u16string& s : items) list.Add(s);
    TMemoryStream out;
    ASSERT_TRUE(list.SaveToStreamEncrypt(out));
    EXPECT_EQ(out.Size(), static_cast<std::int64_t>(list.GetTextStr().size() * 2));
    TWideStringList back;
    back.Add(u"old");
    out.SetPosition(0);
    EXPECT_TRUE(back.LoadFromStreamEncrypt(out));
    EXPECT_EQ(ItemsOf(back), items);
  }
  // The key, little-endian: 'a' ^ 0x6E51 = 0x6E30. Loading starts at the
  // stream's position.
  TWideStringList one;
  one.Add(u"a");
  TMemoryStream out;
  out.Write("HEAD", 4);
  one.SaveToStreamEncrypt(out);
  EXPECT_EQ(Hex(out), "48454144" "306e" "5c6e" "5b6e");
  out.SetPosition(4);
  TWideStringList back;
  EXPECT_TRUE(back.LoadFromStreamEncrypt(out));
  EXPECT_EQ(ItemsOf(back), (Items{u"a"}));
}

TEST(WideStringFile, OversizedTextIsRefusedAndTheListKept) {
  test::TCaptureLog log;
  std::string bytes = Unhex("fffe");
  bytes.resize(static_cast<std::size_t>(kMaxWideTextBytes) + 2, '\r');
  TMemoryStream in = StreamOf(bytes);
  TWideStringList list;
  list.Add(u"keep");
  EXPECT_FALSE(list.LoadFromStream(in));
  in.SetPosition(0);
  EXPECT_FALSE(list.LoadFromStreamEncrypt(in));
  EXPECT_EQ(ItemsOf(list), (Items{u"keep"}));
  EXPECT_EQ(log.CountError("String list text too large (16777218 bytes)"), 2) << log.Text();
}

// A text within the size limit may still hold more lines than a list
// takes (each a list item of some 40 bytes): refused in both forms, the
// list kept. Up to the limit it loads.
TEST(WideStringFile, TextsOfTooManyLinesAreRefusedAndTheListKept) {
  test::TCaptureLog log;
  const auto lines = static_cast<std::size_t>(kMaxWideTextLines);
  std::u16string text(lines, u'\n');
  TWideStringList list;
  for (const bool over : {false, true}) {
    if (over) text += u'\u2028';
    TMemoryStream marked;
    ASSERT_TRUE(WriteMarkedWideText(marked, text));
    TMemoryStream ciphered;
    ASSERT_TRUE(WriteCipheredWideText(ciphered, text));
    marked.SetPosition(0);
    ciphered.SetPosition(0);
    list.Clear();
    list.Add(u"keep");
    EXPECT_EQ(list.LoadFromStream(marked), !over);
    EXPECT_EQ(list.Count(), over ? 1 : kMaxWideTextLines);
    EXPECT_EQ(list.LoadFromStreamEncrypt(ciphered), !over);
    EXPECT_EQ(list.Count(), over ? 1 : kMaxWideTextLines);
  }
  EXPECT_EQ(log.CountError("String list text has too many lines (1048577, the limit is 1048576)"), 2) << log.Text();
  // From a file, the line names it.
  test::TTempDir dir;
  const std::string path = dir.File("lines.txt");
  {
    std::unique_ptr<TFileStream> file = TFileStream::Open(path, fmCreate);
    ASSERT_TRUE(file && WriteMarkedWideText(*file, text) && file->Close());
  }
  EXPECT_FALSE(list.LoadFromFile(path));
  EXPECT_EQ(log.CountError("String list text has too many lines (1048577, the limit is 1048576) in " + path), 1)
      << log.Text();
  EXPECT_EQ(log.ErrorCount(), 3);
}

TEST(WideStringFile, FilesAreReplacedWholeAndMissingFilesLoadNothing) {
  test::TTempDir dir;
  const std::string path = dir.File("scores.txt");
  TWideStringList list;
  list.Add(u"caf\u00e9");
  list.Add(u"\u4e2d");
  ASSERT_TRUE(list.SaveToFile(path));
  // The mark in host order (little-endian here), then each line ended by CR LF.
  EXPECT_EQ(Hex(test::ReadFile(path)), "fffe" "630061006600e900" "0d000a00" "2d4e" "0d000a00");

  TWideStringList back;
  EXPECT_TRUE(back.LoadFromFile(path));
  EXPECT_EQ(ItemsOf(back), ItemsOf(list));
  EXPECT_FALSE(back.LoadFromFile(dir.File("missing.txt")));
  EXPECT_EQ(ItemsOf(back), ItemsOf(list));

  test::TCaptureLog log;
  EXPECT_FALSE(list.SaveToFile(dir.File("no/such/folder.txt")));
  EXPECT_EQ(log.Lines().size(), 1u);
  EXPECT_TRUE(log.Contains("Cannot create file"));
}

}  // namespace
}  // namespace corvane
