#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/streams/memory_stream.h"
#include "base/streams/stream_helpers.h"

namespace corvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Written(const std::function<void(TStream&)>& write) {
  TMemoryStream s;
  write(s);
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.Memory());
  return Bytes(p, p + s.Size());
}

TMemoryStream Over(const Bytes& bytes) { return TMemoryStream(std::span<const std::uint8_t>(bytes)); }

// Delivers at most one byte per Read and counts the calls: shows whether a
// reader asks once and what it does with the bytes it did not get.
class TTrickleStream : public TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  std::int64_t Read(void* buffer, std::int64_t count) override {
    ++reads;
    return TMemoryStream::Read(buffer, std::min<std::int64_t>(count, 1));
  }
  int reads = 0;
};

TEST(StreamHelpers, WritersPutLittleEndianBytes) {
  const double half = 0.5;
  const std::uint8_t extended[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  const std::uint16_t units[2] = {0x0102, 0xFEFF};
  struct Case {
    const char* what;
    std::function<void(TStream&)> write;
    Bytes expected;
  };
  const Case cases[] = {
      {"WriteByte", [](TStream& s) { WriteByte(s, 0xAB); }, {0xAB}},
      {"WriteWord", [](TStream& s) { WriteWord(s, 0xFEFF); }, {0xFF, 0xFE}},
      {"WriteReversedWord", [](TStream& s) { WriteReversedWord(s, 0x1234); }, {0x34, 0x12}},
      {"WriteLongword", [](TStream& s) { WriteLongword(s, 0x01020304); }, {0x04, 0x03, 0x02, 0x01}},
      {"WriteInteger", [](TStream& s) { WriteInteger(s, -2); }, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"WriteInt64", [](TStream& s) { WriteInt64(s, 0x0102030405060708); }, {8, 7, 6, 5, 4, 3, 2, 1}},
      {"WriteCurrency", [](TStream& s) { WriteCurrency(s, TCurrency{-1}); }, Bytes(8, 0xFF)},
      {"WriteSingle", [](TStream& s) { WriteSingle(s, 1.0f); }, {0x00, 0x00, 0x80, 0x3F}},
      {"WriteDouble", [](TStream& s) { WriteDouble(s, -2.0); }, {0, 0, 0, 0, 0, 0, 0x00, 0xC0}},
      {"Write8BytesReversed", [&](TStream& s) { Write8BytesReversed(s, &half); }, {0, 0, 0, 0, 0, 0, 0xE0, 0x3F}},
      {"Write10BytesReversed", [&](TStream& s) { Write10BytesReversed(s, extended); },
       std::endian::native == std::endian::little ? Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}
                                                  : Bytes{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
      {"WriteReversedWords", [&](TStream& s) { WriteReversedWords(s, units, 2); }, {0x02, 0x01, 0xFF, 0xFE}},
      {"WriteReversedWords of -1", [&](TStream& s) { WriteReversedWords(s, units, -1); }, {}},
      {"WriteNull of 3", [](TStream& s) { WriteNull(s, 3); }, {0, 0, 0}},
      {"WriteNull of -5", [](TStream& s) { WriteNull(s, -5); }, {}},
      {"WriteString", [](TStream& s) { WriteString(s, "abc"); }, {3, 0, 0, 0, 0x61, 0x62, 0x63}},
      {"WriteString with a zero byte", [](TStream& s) { WriteString(s, std::string("a\0", 2)); }, {2, 0, 0, 0, 0x61, 0}},
      {"WriteWideStringContent", [](TStream& s) { WriteWideStringContent(s, u"ab"); }, {0x61, 0x00, 0x62, 0x00}},
      {"WriteWideStringContent beyond Latin-1", [](TStream& s) { WriteWideStringContent(s, u"\u20AC"); }, {0xAC, 0x20}},
      {"WriteBuf", [](TStream& s) { WriteBuf(s, "\x01\x02", 2); }, {1, 2}},
  };
  for (const Case& c : cases) EXPECT_EQ(Written(c.write), c.expected) << c.what;
}

TEST(StreamHelpers, ReadersTakeLittleEndianBytes) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::function<void(TStream&)> check;
    std::int64_t endPosition;
  };
  const Case cases[] = {
      {"ReadByte", {0xAB, 0xCD}, [](TStream& s) { EXPECT_EQ(ReadByte(s), 0xAB); }, 1},
      {"ReadWord", {0xFF, 0xFE}, [](TStream& s) { EXPECT_EQ(ReadWord(s), 0xFEFF); }, 2},
      {"ReadLongword", {4, 3, 2, 1}, [](TStream& s) { EXPECT_EQ(ReadLongword(s), 0x01020304u); }, 4},
      {"ReadInteger", {0xFE, 0xFF, 0xFF, 0xFF}, [](TStream& s) { EXPECT_EQ(ReadInteger(s), -2); }, 4},
      {"ReadInt64", {8, 7, 6, 5, 4, 3, 2, 0x81},
       [](TStream& s) { EXPECT_EQ(ReadInt64(s), static_cast<std::int64_t>(0x8102030405060708ull)); }, 8},
      {"ReadSingle", {0, 0, 0x80, 0x3F}, [](TStream& s) { EXPECT_EQ(ReadSingle(s), 1.0f); }, 4},
      {"ReadDouble", {0, 0, 0, 0, 0, 0, 0xE0, 0x3F}, [](TStream& s) { EXPECT_EQ(ReadDouble(s), 0.5); }, 8},
      {"ReadCurrency", {0x10, 0x27, 0, 0, 0, 0, 0, 0},
       [](TStream& s) { EXPECT_EQ(ReadCurrency(s).ToDouble(), 1.0); }, 8},
      {"ReadString", {3, 0, 0, 0, 0x61, 0x62, 0x63, 0x64}, [](TStream& s) { EXPECT_EQ(ReadString(s), "abc"); }, 7},
      {"ReadWideString", {2, 0, 0, 0, 0x61, 0, 0x62, 0, 0x63, 0},
       [](TStream& s) { EXPECT_EQ(ReadWideString(s), u"ab"); }, 8},
      {"ReadWideString beyond Latin-1", {1, 0, 0, 0, 0xAC, 0x20},
       [](TStream& s) { EXPECT_EQ(ReadWideString(s), u"\u20AC"); }, 6},
      // Counts of 0 or with the top bit set: empty, and nothing read after the count.
      {"ReadString of 0", {0, 0, 0, 0, 0x61}, [](TStream& s) { EXPECT_EQ(ReadString(s), ""); }, 4},
      {"ReadString of -1", {0xFF, 0xFF, 0xFF, 0xFF, 0x61}, [](TStream& s) { EXPECT_EQ(ReadString(s), ""); }, 4},
      {"ReadWideString of 0", {0, 0, 0, 0, 0x61, 0}, [](TStream& s) { EXPECT_EQ(ReadWideString(s), u""); }, 4},
      {"ReadWideString of top bit", {0, 0, 0, 0x80, 0x61, 0},
       [](TStream& s) { EXPECT_EQ(ReadWideString(s), u""); }, 4},
      // Short streams: what was not delivered stays zero.
      {"ReadLongword short", {0x34, 0x12}, [](TStream& s) { EXPECT_EQ(ReadLongword(s), 0x1234u); }, 2},
      {"ReadInt64 short", {0xFF}, [](TStream& s) { EXPECT_EQ(ReadInt64(s), 0xFF); }, 1},
      {"ReadWord empty", {}, [](TStream& s) { EXPECT_EQ(ReadWord(s), 0); }, 0},
      {"ReadString of a cut-off count", {2, 0}, [](TStream& s) { EXPECT_EQ(ReadString(s), ""); }, 2},
  };
  for (const Case& c : cases) {
    TMemoryStream s = Over(c.bytes);
    SCOPED_TRACE(c.what);
    c.check(s);
    EXPECT_EQ(s.Position(), c.endPosition);
  }
}

TEST(StreamHelpers, HostileStringLengthsAreBoundedByTheStream) {
  struct Case {
    const char* what;
    Bytes bytes;
    bool wide;
    std::size_t expectedLength;
  };
  // A count of 0x7FFFFFFF over a few bytes: the result holds what is there.
  const Case cases[] = {
      {"8-bit, 6 bytes left", {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4, 5, 6}, false, 6},
      {"8-bit, nothing left", {0xFF, 0xFF, 0xFF, 0x7F}, false, 0},
      {"8-bit, count one past the end", {4, 0, 0, 0, 1, 2, 3}, false, 3},
      {"wide, 6 bytes left", {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4, 5, 6}, true, 3},
      {"wide, 5 bytes left", {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4, 5}, true, 3},
      {"wide, nothing left", {0xFF, 0xFF, 0xFF, 0x7F}, true, 0},
  };
  for (const Case& c : cases) {
    TMemoryStream s = Over(c.bytes);
    const auto started = std::chrono::steady_clock::now();
    const std::size_t length = c.wide ? ReadWideString(s).size() : ReadString(s).size();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1)) << c.what;
    EXPECT_EQ(length, c.expectedLength) << c.what;
    EXPECT_EQ(s.Position(), s.Size()) << c.what << ": the bytes that are there are consumed";
  }

  TMemoryStream odd = Over({0xFF, 0xFF, 0xFF, 0x7F, 0x61, 0x00, 0x62});
  EXPECT_EQ(ReadWideString(odd), u"ab") << "the missing high byte of the last unit is zero";

  // Bounded by what remains after the position, not by the whole size.
  TMemoryStream later = Over({9, 9, 9, 9, 9, 9, 0x10, 0, 0, 0, 0x61, 0x62});
  later.SetPosition(6);
  EXPECT_EQ(ReadString(later), "ab");
}

TEST(StreamHelpers, EachValueIsAskedForInOneRead) {
  // A trickle stream hands over one byte per call: a reader that asks
  // once keeps the rest of the value zero.
  TTrickleStream scalar{std::span<const std::uint8_t>(Bytes{4, 3, 2, 1})};
  EXPECT_EQ(ReadLongword(scalar), 0x04u);
  EXPECT_EQ(scalar.reads, 1);

  TTrickleStream text{std::span<const std::uint8_t>(Bytes{3, 0x61, 0x62, 0x63})};
  EXPECT_EQ(ReadString(text), std::string("a\0\0", 3)) << "count and bytes each in one Read";
  EXPECT_EQ(text.reads, 2);
}

TEST(StreamHelpers, BlockReadersAndWriters) {
  const Bytes stored = {1, 2, 3, 4, 5, 6, 7, 8};
  TMemoryStream forLongs = Over(stored), forRaw = Over(stored), forWords = Over(stored), shortOne = Over({1, 2, 3});
  std::uint32_t got[2] = {}, raw[2] = {};
  std::uint16_t units[4] = {};
  EXPECT_EQ(ReadLongwordBuf(forLongs, got, 2), 8);
  EXPECT_EQ(got[0], 0x04030201u);
  EXPECT_EQ(got[1], 0x08070605u);
  EXPECT_EQ(ReadLongwordBuf2(forRaw, raw, 2), 8);
  EXPECT_EQ(std::memcmp(raw, stored.data(), 8), 0) << "kept exactly as stored";
  EXPECT_EQ(ReadWordBuf(forWords, units, 4), 8);
  EXPECT_EQ(units[0], 0x0201);
  EXPECT_EQ(units[3], 0x0807);
  EXPECT_EQ(ReadLongwordBuf(shortOne, got, 2), 3) << "the bytes actually read";
  EXPECT_EQ(ReadBuf(shortOne, raw, 4), 0);
  EXPECT_EQ(ReadBuf(shortOne, raw, -1), 0);

  const std::uint32_t longs[2] = {0x01020304, 0xA0B0C0D0};
  const std::uint16_t words[2] = {0xFEFF, 0x0102};
  TMemoryStream s;
  EXPECT_EQ(WriteLongwordBuf(s, longs, 2), 8);
  EXPECT_EQ(WriteWordBuf(s, words, 2), 4);
  EXPECT_EQ(WriteLongwordBuf(s, longs, 0), 0);
  EXPECT_EQ(longs[0], 0x01020304u) << "the caller's buffer is unchanged";
  EXPECT_EQ(longs[1], 0xA0B0C0D0u);
  EXPECT_EQ(words[0], 0xFEFF);
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.Memory());
  EXPECT_EQ(Bytes(p, p + s.Size()), (Bytes{4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0, 0xFF, 0xFE, 0x02, 0x01}));
}

TEST(StreamHelpers, ByteOrderUtilitiesAlwaysReverse) {
  struct Case {
    std::int32_t count;
    Bytes expected;
  };
  const Case cases[] = {
      {-1, {1, 2, 3, 4, 5}}, {0, {1, 2, 3, 4, 5}}, {1, {1, 2, 3, 4, 5}},
      {2, {2, 1, 3, 4, 5}},  {3, {3, 2, 1, 4, 5}}, {5, {5, 4, 3, 2, 1}},
  };
  for (const Case& c : cases) {
    Bytes bytes = {1, 2, 3, 4, 5};
    ReverseBytes(bytes.data(), c.count);
    EXPECT_EQ(bytes, c.expected) << c.count;
  }

  std::uint16_t units[3] = {0x0102, 0xA0B0, 0x1234};
  ReverseByteOrderInWords(units, 0);
  ReverseByteOrderInWords(units, -3);
  EXPECT_EQ(units[0], 0x0102);
  ReverseByteOrderInWords(units, 2);
  EXPECT_EQ(units[0], 0x0201);
  EXPECT_EQ(units[1], 0xB0A0);
  EXPECT_EQ(units[2], 0x1234);
}

}  // namespace
}  // namespace corvane
