#include "platform/filters/file_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/streams/memory_stream.h"

namespace corvane {
namespace {

// 200 KB whose byte i is i mod 251: every stretch tells where it came from.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

bool FromOffset(const std::vector<std::uint8_t>& got, std::size_t offset) {
  for (std::size_t i = 0; i < got.size(); ++i)
    if (got[i] != (offset + i) % 251) return false;
  return true;
}

TEST(FileReaderTest, ReadsAcrossTheBufferAndPastItLandWhereTheyBelong) {
  const std::string bytes = Pattern(200 * 1024);
  TMemoryStream stream(std::span<const char>(bytes.data(), bytes.size()));
  TFileReader reader(stream);
  std::vector<std::uint8_t> got(10);
  ASSERT_TRUE(reader.Bytes(got.data(), 10));  // fills the buffer
  EXPECT_TRUE(FromOffset(got, 0));
  ASSERT_TRUE(reader.Skip(60000));  // within the buffer
  got.resize(100000);               // the buffer's rest, then the stream
  ASSERT_TRUE(reader.Bytes(got.data(), 100000));
  EXPECT_TRUE(FromOffset(got, 60010));
  ASSERT_TRUE(reader.Skip(1000));  // the buffer is empty: a seek
  got.resize(300);                 // refills
  ASSERT_TRUE(reader.Bytes(got.data(), 300));
  EXPECT_TRUE(FromOffset(got, 161010));
  EXPECT_EQ(reader.Left(), static_cast<std::int64_t>(bytes.size()) - 161310);
  EXPECT_EQ(reader.Longword(), (161310u % 251) | ((161311u % 251) << 8) | ((161312u % 251) << 16) |
                                   ((161313u % 251) << 24));
  EXPECT_FALSE(reader.Failed());

  // Asking beyond the end fails once and for good; later reads give zeros.
  EXPECT_FALSE(reader.Need(reader.Left() / 4 + 1, 4, u"words"));
  EXPECT_EQ(reader.Reason(), u"words (10872) beyond the end of the file");  // 43486 bytes left
  EXPECT_EQ(reader.Longword(), 0u);
  EXPECT_EQ(reader.String(), "");
}

TEST(FileReaderTest, CountsThatDoNotFitAreRefusedWithoutOverflow) {
  const std::string bytes = Pattern(64);
  TMemoryStream stream(std::span<const char>(bytes.data(), bytes.size()));
  TFileReader reader(stream);
  EXPECT_TRUE(reader.Need(16, 4, u"x"));
  EXPECT_FALSE(reader.Need(std::int64_t{1} << 62, 36, u"vertices"));
  EXPECT_EQ(reader.Reason(), u"vertices (4611686018427387904) beyond the end of the file");
}

}  // namespace
}  // namespace corvane
