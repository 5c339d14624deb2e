#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "tests/base/temp_dir.h"

namespace corvane {
namespace {

std::string Content(TMemoryStream& s) { return std::string(s.Memory(), static_cast<std::size_t>(s.Size())); }

TEST(MemoryStream, WriteGrowsAndReadStopsAtEnd) {
  TMemoryStream s;
  std::string expected;
  // Many small writes force several capacity growths; content must survive.
  for (int i = 0; i < 5000; ++i) {
    const char c = static_cast<char>('a' + i % 26);
    ASSERT_EQ(s.Write(&c, 1), 1);
    expected += c;
  }
  EXPECT_EQ(s.Size(), 5000);
  EXPECT_EQ(s.Position(), 5000);
  EXPECT_EQ(Content(s), expected);

  s.SetPosition(4998);
  char buffer[10] = {};
  EXPECT_EQ(s.Read(buffer, 10), 2);
  EXPECT_EQ(std::string(buffer, 2), expected.substr(4998));
  EXPECT_EQ(s.Read(buffer, 10), 0);

  // Overwriting inside keeps the size.
  s.SetPosition(1);
  ASSERT_EQ(s.Write("XY", 2), 2);
  EXPECT_EQ(s.Size(), 5000);
  EXPECT_EQ(Content(s).substr(0, 4), "aXYd");
}

TEST(MemoryStream, SeekRules) {
  TMemoryStream s;
  s.Write("0123456789", 10);
  struct Case {
    std::int64_t start, offset;
    TSeekOrigin origin;
    std::int64_t expected;
  };
  const Case cases[] = {
      {5, 2, soBeginning, 2},  {5, 2, soCurrent, 7},     {5, -3, soEnd, 7},
      {5, -100, soCurrent, 0}, {5, -100, soBeginning, 0}, {5, 20, soEnd, 30},
      {5, INT64_MAX, soEnd, INT64_MAX}, {5, INT64_MIN, soEnd, 0},
  };
  for (const Case& c : cases) {
    s.SetPosition(c.start);
    EXPECT_EQ(s.Seek(c.offset, c.origin), c.expected) << c.offset << " from " << c.origin;
    EXPECT_EQ(s.Size(), 10) << "seeking never changes the size";
  }
}

TEST(MemoryStream, WriteAfterSeekPastEndFillsGapWithZeros) {
  TMemoryStream s;
  s.Write("ab", 2);
  s.Seek(3, soEnd);
  ASSERT_EQ(s.Write("c", 1), 1);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(Content(s), std::string("ab\0\0\0c", 6));
}

TEST(MemoryStream, SetSize) {
  TMemoryStream s;
  s.Write("abcdef", 6);
  ASSERT_TRUE(s.SetSize(3));
  EXPECT_EQ(s.Position(), 3) << "a position past the new end moves back to it";
  EXPECT_EQ(Content(s), "abc");

  s.SetPosition(1);
  ASSERT_TRUE(s.SetSize(5));
  EXPECT_EQ(s.Position(), 1);
  EXPECT_EQ(Content(s), std::string("abc\0\0", 5));

  EXPECT_FALSE(s.SetSize(-1));
  EXPECT_EQ(s.Size(), 5);

  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, HostileSizesFailWithoutAllocating) {
  TMemoryStream s;
  s.Write("abc", 3);
  EXPECT_FALSE(s.SetSize(INT64_MAX));
  EXPECT_FALSE(s.SetSize(TMemoryStream::kMaxSize + 1));
  EXPECT_EQ(Content(s), "abc");

  s.Seek(INT64_MAX - 1, soBeginning);
  EXPECT_EQ(s.Write("x", 1), 0);
  s.Seek(TMemoryStream::kMaxSize, soBeginning);
  EXPECT_EQ(s.Write("x", 1), 0);
  EXPECT_EQ(Content(s), "abc");

  EXPECT_EQ(s.Write(nullptr, 5), 0);
  EXPECT_EQ(s.Write("x", -1), 0);
  char c;
  s.SetPosition(0);
  EXPECT_EQ(s.Read(&c, 0), 0);
  EXPECT_EQ(s.Read(&c, -4), 0);
}

TEST(MemoryStream, LoadAndSaveThroughStreams) {
  TMemoryStream source;
  source.Write("payload", 7);
  source.SetPosition(4);  // loading takes the whole source, whatever its position

  TMemoryStream copy;
  copy.Write("old content", 11);
  ASSERT_TRUE(copy.LoadFromStream(source));
  EXPECT_EQ(copy.Position(), 0);
  EXPECT_EQ(Content(copy), "payload");

  TMemoryStream dest;
  dest.Write(">>", 2);
  copy.SetPosition(5);  // saving writes everything, whatever the position
  ASSERT_TRUE(copy.SaveToStream(dest));
  EXPECT_EQ(Content(dest), ">>payload");
}

TEST(MemoryStream, FileRoundTrip) {
  test::TTempDir dir;
  const std::string bytes("a\0b\xFF\r\n", 6);
  TMemoryStream out{std::span<const char>(bytes)};
  std::string error;
  ASSERT_TRUE(out.SaveToFile(dir.File("data.bin"), &error)) << error;

  TMemoryStream in;
  ASSERT_TRUE(in.LoadFromFile(dir.File("data.bin"), &error)) << error;
  EXPECT_EQ(Content(in), bytes);

  TMemoryStream missing;
  missing.Write("keep", 4);
  EXPECT_FALSE(missing.LoadFromFile(dir.File("nope.bin"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Content(missing), "keep") << "a file that cannot be opened changes nothing";
  EXPECT_FALSE(out.SaveToFile(dir.File("no-such-folder/data.bin"), &error));
  EXPECT_FALSE(std::filesystem::exists(dir.File("no-such-folder")));
}

}  // namespace
}  // namespace corvane
