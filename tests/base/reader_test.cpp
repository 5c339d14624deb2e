// The value half of the object-stream reader: tags, typed reads, skipping,
// copying, and hostile input.
#include <gtest/gtest.h>

#include <random>

#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "base/reflection/variant.h"
#include "base/streams/reader.h"
#include "base/streams/writer.h"
#include "tests/support/capture_log.h"
#include "tests/support/stream_bytes.h"

namespace corvane {

CORVANE_ENUM(TReaderFruit, rfApple, rfPear);

namespace {

using test::StreamOf;
using test::Unhex;

// One encoded value of every tag, as hex, with a marker byte 0x7e after it.
const struct TaggedValue {
  const char* name;
  const char* hex;
} kValues[] = {
    {"null", "00"},
    {"list", "01 02 05 06 01 61 01 09 00 00"},  // (5, 'a', (True))
    {"int8", "02 fe"},
    {"int16", "03 fe ff"},
    {"int32", "04 01 00 00 00"},
    {"extended", "05 00 00 00 00 00 00 f8 3f"},
    {"string", "06 03 61 62 63"},
    {"ident", "07 02 6f 6b"},
    {"false", "08"},
    {"true", "09"},
    {"binary", "0a 03 00 00 00 01 02 03"},
    {"set", "0b 01 61 01 62 00"},
    {"lstring", "0c 02 00 00 00 68 69"},
    {"nil", "0d"},
    {"collection", "0e 02 01 01 01 61 02 01 00 01 01 62 06 01 78 00 00"},  // [1]item(a=1), item(b='x')
    {"single", "0f 00 00 c0 3f"},
    {"currency", "10 98 3a 00 00 00 00 00 00"},
    {"date", "11 00 00 00 00 00 00 04 40"},
    {"wstring", "12 02 00 00 00 41 00 42 00"},
    {"int64", "13 00 00 00 00 01 00 00 00"},
    {"utf8", "14 03 00 00 00 61 c3 a9"},
    {"double", "15 9a 99 99 99 99 99 b9 3f"},
};

// Skipping and copying each end exactly at the next value; the copy reads
// back as one whole value.
TEST(Reader, SkipAndCopyTakeEveryTagWhole) {
  test::TCaptureLog log;
  for (const TaggedValue& v : kValues) {
    const std::string bytes = Unhex(v.hex);
    TMemoryStream skipped = StreamOf(bytes + "\x7e");
    TGReader skipper(skipped);
    skipper.SkipValue();
    EXPECT_EQ(skipper.ReadValue(), 0x7e) << v.name;

    TMemoryStream in = StreamOf(bytes + "\x7e");
    TMemoryStream out;
    {
      TGReader reader(in);
      TGWriter writer(out);
      reader.CopyValue(writer);
      EXPECT_EQ(reader.ReadValue(), 0x7e) << v.name;
    }
    // Integers may change width; everything else is copied as it stands.
    const std::string name = v.name;
    if (name != "list" && name != "collection" && name != "int16" && name != "int32") {
      EXPECT_EQ(test::Hex(out), test::Hex(bytes)) << v.name;
    }
    out.SetPosition(0);
    TGReader check(out);
    check.SkipValue();
    EXPECT_EQ(check.GetPosition(), out.Size()) << v.name;
  }
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
}

// A typed read that meets the wrong tag reports once, gives its neutral
// result and skips the whole value, so the next value still reads.
TEST(Reader, WrongTagsAreSkippedWhole) {
  using TRead = std::function<Variant(TGReader&)>;
  const TRead integer = [](TGReader& r) { return Variant(r.ReadInteger()); };
  const TRead boolean = [](TGReader& r) { return Variant(r.ReadBoolean()); };
  const TRead ident = [](TGReader& r) { return Variant(r.ReadIdent()); };
  const TRead variant = [](TGReader& r) { return r.ReadVariant(); };
  struct Row {
    const char* what;
    const char* hex;
    TRead read;
    Variant expected;
    int messages;
  } rows[] = {
      {"integer from string", "06 03 61 62 63", integer, Variant(0), 1},
      {"integer from int16", "03 fe ff", integer, Variant(-2), 0},
      {"integer from int8", "02 80", integer, Variant(-128), 0},
      {"boolean from int", "02 01", boolean, Variant(false), 0},
      {"boolean from true", "09", boolean, Variant(true), 0},
      {"float from int", "02 05", [](TGReader& r) { return Variant(r.ReadFloat()); }, Variant(5.0), 0},
      {"single from double", "15 9a 99 99 99 99 99 b9 3f", [](TGReader& r) { return Variant(r.ReadSingle()); },
       Variant(0.0f), 1},
      {"ident from false", "08", ident, Variant(std::string("False")), 0},
      {"ident from nil", "0d", ident, Variant(std::string("nil")), 0},
      {"ident from list", "01 02 01 00", ident, Variant(std::string()), 1},
      {"string from utf8", "14 03 00 00 00 61 c3 a9", [](TGReader& r) { return Variant(r.ReadString()); },
       Variant(std::string("a\xe9")), 0},
      {"wide from wstring", "12 02 00 00 00 41 00 42 00", [](TGReader& r) { return Variant(r.ReadWideString()); },
       Variant(u"AB"), 0},
      {"wide char too long", "06 02 61 62", [](TGReader& r) { return Variant(std::u16string(1, r.ReadWideChar())); },
       Variant(u"a"), 1},
      {"set from int", "04 01 00 00 00",
       [](TGReader& r) { return Variant(r.ReadSet(*TTypeInfoOf<TSet<TReaderFruit>>::Get())); }, Variant(0u), 1},
      {"variant from ident", "07 02 6f 6b", variant, Variant(), 1},
      {"variant int16", "03 fe ff", variant, Variant::OfInteger(varSmallInt, -2), 0},
  };
  for (const Row& row : rows) {
    test::TCaptureLog log;
    TMemoryStream in = StreamOf(Unhex(row.hex) + "\x7e");
    TGReader reader(in);
    EXPECT_EQ(row.read(reader), row.expected) << row.what;
    EXPECT_EQ(reader.ReadValue(), 0x7e) << row.what;
    EXPECT_EQ(static_cast<int>(log.Lines().size()), row.messages) << row.what << "\n" << log.Text();
  }
}

TEST(Reader, SignatureAndPrefix) {
  test::TCaptureLog log;
  TMemoryStream in = StreamOf(Unhex("4b564631 f3 02 07"));
  TGReader reader(in);
  reader.ReadSignature();
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(i) Invalid image"});
  TGFilerFlags flags;
  std::int32_t position = -1;
  reader.ReadPrefix(flags, position);
  EXPECT_EQ(flags, (TGFilerFlags{ffInherited, ffChildPos}));
  EXPECT_EQ(position, 7);
}

TEST(Reader, HostileLengthsReturnQuickly) {
  // A string announcing 2 GB on a 10-byte stream, in every length-carrying kind.
  for (const char* hex : {"0c ff ff ff 7f 61 62", "12 ff ff ff 7f 61 00", "14 ff ff ff 7f 61",
                          "0a ff ff ff 7f 00 00"}) {
    test::TCaptureLog log;
    TMemoryStream in = StreamOf(Unhex(hex));
    TGReader reader(in);
    reader.SkipValue();
    EXPECT_TRUE(reader.Exhausted()) << hex;
    in.SetPosition(0);
    TGReader again(in);
    EXPECT_LE(again.ReadWideString().size(), 10u) << hex;
    EXPECT_EQ(log.CountError("ReadError 2 4096TMemoryStream size: " + std::to_string(in.Size()) + " pos: " +
                             std::to_string(in.Size())),
              2)
        << log.Text();
  }
}

TEST(Reader, NestingDeeperThanTheLimitEndsTheRead) {
  test::TCaptureLog log;
  const std::string deep = std::string(100000, '\x01') + std::string(100000, '\x00');
  TMemoryStream in = StreamOf(deep + "\x7e");
  TGReader reader(in);
  reader.SkipValue();
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(log.Lines().size(), 1u) << log.Text();
}

TEST(Reader, DestroyingTheReaderHandsTheStreamOn) {
  std::string bytes(5000, '\x02');
  TMemoryStream in = StreamOf(bytes);
  {
    TGReader reader(in);
    char skip[14];
    reader.Read(skip, 14);
    EXPECT_EQ(in.Position(), 4096);
  }
  EXPECT_EQ(in.Position(), 14);
}

// Thousands of seeded mutations of a real stream: each ends in bounded time
// and memory, with no sanitizer report. Many are valid streams.
TEST(Reader, SeededMutationsOfARealStreamAreHarmless) {
  TMemoryStream base;
  {
    TGWriter writer(base);
    writer.WriteSignature();
    writer.WriteStr("TGComponent");
    writer.WriteStr("root");
    writer.WriteStr("Tag");
    writer.WriteInteger(12345);
    writer.WriteStr("Name");
    writer.WriteWideString(u"r\u4e2d");
    writer.WriteListEnd();
    for (int i = 0; i < 3; ++i) {
      writer.WriteStr("TGComponent");
      writer.WriteStr("child");
      writer.WriteStr("Tag");
      writer.WriteInteger(i);
      writer.WriteListEnd();
      writer.WriteListEnd();
    }
    writer.WriteListEnd();
  }
  const std::string original(base.Memory(), static_cast<std::size_t>(base.Size()));

  FinalizeClassRegistry();
  RegisterClass(TGComponent::StaticClass());
  test::TCaptureLog log;
  std::mt19937 random(20261208);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = original;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0: bytes[at] = static_cast<char>(random()); break;
        case 1: bytes.erase(at, 1 + random() % 8); break;
        default: bytes.insert(at, 1, static_cast<char>(random() % 24)); break;
      }
      if (bytes.empty()) bytes = "K";
    }
    log.Clear();
    TMemoryStream in = StreamOf(bytes);
    TGReader reader(in);
    if (TGComponent* back = reader.ReadRootComponent(nullptr)) back->Free();
  }
  FinalizeClassRegistry();
}

}  // namespace
}  // namespace corvane
