#include "base/streams/object_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "base/streams/memory_stream.h"
#include "base/streams/value_type.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

static_assert(std::endian::native == std::endian::little, "the byte strings below are little-endian");

// ------------------------------------------------ hand-written binary streams

const std::string kEnd(1, '\0');

std::string Str(std::string_view s) { return std::string(1, static_cast<char>(s.size())) + std::string(s); }
std::string Tag(TValueType t) { return std::string(1, static_cast<char>(t)); }
template <class T>
std::string LE(T value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}
std::string I8(int v) { return Tag(vaInt8) + std::string(1, static_cast<char>(v)); }
std::string I16(std::int16_t v) { return Tag(vaInt16) + LE(v); }
std::string I32(std::int32_t v) { return Tag(vaInt32) + LE(v); }
std::string I64(std::int64_t v) { return Tag(vaInt64) + LE(v); }
std::string Single(float v) { return Tag(vaSingle) + LE(v); }
std::string Double(double v) { return Tag(vaDouble) + LE(v); }
std::string Extended(double v) { return Tag(vaExtended) + LE(v); }
std::string Curr(std::int64_t v) { return Tag(vaCurrency) + LE(v); }
std::string Date(double v) { return Tag(vaDate) + LE(v); }
std::string Ident(std::string_view s) { return Tag(vaIdent) + Str(s); }
std::string S8(std::string_view s) { return Tag(vaString) + Str(s); }
std::string LStr(std::string_view s) {
  return Tag(vaLString) + LE(static_cast<std::uint32_t>(s.size())) + std::string(s);
}
std::string U8(std::string_view s) {
  return Tag(vaUTF8String) + LE(static_cast<std::uint32_t>(s.size())) + std::string(s);
}
std::string WStr(std::u16string_view s) {
  std::string r = Tag(vaWString) + LE(static_cast<std::uint32_t>(s.size()));
  for (char16_t c : s) r += LE(static_cast<std::uint16_t>(c));
  return r;
}
std::string Bin(std::string_view bytes) {
  return Tag(vaBinary) + LE(static_cast<std::uint32_t>(bytes.size())) + std::string(bytes);
}
std::string Set(std::initializer_list<std::string_view> names) {
  std::string r = Tag(vaSet);
  for (auto n : names) r += Str(n);
  return r + kEnd;
}
std::string List(std::initializer_list<std::string> items) {
  std::string r = Tag(vaList);
  for (const auto& i : items) r += i;
  return r + kEnd;
}
std::string Prop(std::string_view name, const std::string& value) { return Str(name) + value; }
// One collection item: an optional index value, then its properties.
std::string Item(const std::string& index, const std::string& props) { return index + Tag(vaList) + props + kEnd; }
std::string Coll(std::initializer_list<std::string> items) {
  std::string r = Tag(vaCollection);
  for (const auto& i : items) r += i;
  return r + kEnd;
}
std::string Record(const std::string& header, const std::string& props, const std::string& children = "") {
  return header + props + kEnd + children + kEnd;
}
std::string Root(const std::string& props, const std::string& children = "") {
  return "KVF0" + Record(Str("TFoo") + Str("Main"), props, children);
}
// The text of a root holding one property P.
std::string RootText(const std::string& value) { return "object Main: TFoo\n  P = " + value + "\nend\n"; }

// ------------------------------------------------------------- conversions

struct TOut {
  bool ok;
  std::string bytes;
};

TOut Convert(bool (*convert)(TStream&, TStream&), const std::string& input) {
  TMemoryStream in(std::span<const char>(input.data(), input.size()));
  TMemoryStream out;
  const bool ok = convert(in, out);
  return {ok, std::string(out.Memory(), static_cast<std::size_t>(out.Size()))};
}
TOut ToText(const std::string& binary) { return Convert(ObjectBinaryToText, binary); }
TOut ToBinary(const std::string& text) { return Convert(ObjectTextToBinary, text); }

std::string Hex(const std::string& bytes) {
  std::string text(2 * bytes.size(), '?');
  BinToHex(bytes.data(), text.data(), bytes.size());
  return text;
}

std::string Bytes(int count) {
  std::string b;
  for (int i = 0; i < count; ++i) b += static_cast<char>(i * 7 + 1);
  return b;
}

// ---------------------------------------------------------------- round trips

// Binary to the text expected, and back to compiled (empty: the binary
// itself); a second pass changes nothing, and nothing is reported.
void ExpectRoundTrip(const char* what, const std::string& binary, const std::string& text, const std::string& compiled) {
  SCOPED_TRACE(what);
  test::TCaptureLog log;
  const TOut written = ToText(binary);
  EXPECT_TRUE(written.ok);
  EXPECT_EQ(written.bytes, text);
  const TOut back = ToBinary(written.bytes);
  EXPECT_TRUE(back.ok);
  EXPECT_EQ(Hex(back.bytes), Hex(compiled.empty() ? binary : compiled));
  EXPECT_EQ(Hex(ToBinary(ToText(back.bytes).bytes).bytes), Hex(back.bytes));
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
}

TEST(ObjectText, EveryValueKindRoundTrips) {
  const std::string x300(300, 'x');
  const std::string b40 = Bytes(40);
  struct Case {
    const char* what;
    std::string value;     // in the binary stream
    std::string text;      // as written
    std::string compiled;  // compiled back from the text; empty: the value itself
  };
  const Case cases[] = {
      {"int8", I8(5), "5", ""},
      {"int16", I16(-300), "-300", ""},
      {"int32", I32(100000), "100000", ""},
      {"int64", I64(std::int64_t{1} << 40), "1099511627776", ""},
      {"wide int32 takes the smallest tag", I32(5), "5", I8(5)},
      {"wide int64 takes the smallest tag", I64(-2), "-2", I8(-2)},
      {"whole single", Single(2.0f), "2", I8(2)},
      {"whole single above 32 bits", Single(3e9f), "3000000000", I64(3000000000)},
      {"small single", Single(-0.1f), "-0.1000000015", ""},
      {"whole single of 2^63 or more", Single(1e20f), "100000002004087734272.0000000000", ""},
      {"single of -2^63", Single(-9223372036854775808.0f), "-9223372036854775808.0000000000", ""},
      {"double becomes single", Double(0.1), "0.100000000000000006", Single(0.1f)},
      {"extended becomes single", Extended(0.5), "0.500000000000000000", Single(0.5f)},
      {"currency keeps its cents", Curr(12345678901234), "12345678901234.000000000000000c", ""},
      {"date keeps double precision", Date(45000.123456789), "45000.123456788998737d", ""},
      {"ident", Ident("alClient"), "alClient", ""},
      {"dotted ident", Ident("Form1.Button1"), "Form1.Button1", ""},
      {"false", Tag(vaFalse), "False", ""},
      {"true", Tag(vaTrue), "True", ""},
      {"nil", Tag(vaNil), "nil", ""},
      {"null", Tag(vaNull), "Null", ""},
      {"string", S8("abc"), "'abc'", ""},
      {"quote", S8("it's"), "'it'#39's'", ""},
      {"empty string", S8(""), "''", WStr(u"")},
      {"control and DEL", S8("\t\x7F"), "#9'\x7F'", ""},
      {"8-bit string above 127 stays ASCII", S8("caf\xE9"), "'caf'#233", U8("caf\xC3\xA9")},
      {"wide e-acute", WStr(u"\u00e9"), "#233", ""},
      {"utf-8 string", U8("caf\xC3\xA9"), "'caf'#233", ""},
      {"cjk", WStr(u"\u65e5\u672c"), "#26085#26412", ""},
      {"surrogate pair", WStr(u"\U0001F600"), "#55357#56832", ""},
      {"long string", LStr(x300),
       "\n    '" + std::string(64, 'x') + "' +\n    '" + std::string(64, 'x') + "' +\n    '" + std::string(64, 'x') +
           "' +\n    '" + std::string(64, 'x') + "' +\n    '" + std::string(44, 'x') + "'",
       ""},
      {"code at the line break", S8(std::string(63, 'a') + "\x01" + "bbbbbb"),
       "\n    '" + std::string(63, 'a') + "'#1 +\n    'bbbbbb'", ""},
      {"binary", Bin("\x01\x02\xFF"), "{0102FF}", ""},
      {"empty binary", Bin(""), "{}", ""},
      {"31 bytes stay on the line", Bin(Bytes(31)), "{" + Hex(Bytes(31)) + "}", ""},
      {"32 bytes go one level deeper", Bin(Bytes(32)), "{\n    " + Hex(Bytes(32)) + "}", ""},
      {"40 bytes", Bin(b40), "{\n    " + Hex(b40.substr(0, 32)) + "\n    " + Hex(b40.substr(32)) + "}", ""},
      {"set", Set({"a", "b"}), "[a, b]", ""},
      {"empty set", Set({}), "[]", ""},
      {"char and integer set", Set({"#65", "12"}), "[#65, 12]", ""},
      {"list", List({I8(1), S8("x"), List({I8(2)}), List({})}), "(\n    1\n    'x'\n    (\n      2)\n    ())", ""},
      {"long string in a list", List({S8(std::string(70, 'a'))}),
       "(\n    \n      '" + std::string(64, 'a') + "' +\n      'aaaaaa')", ""},
      {"collection", Coll({Item("", Prop("A", I8(1))), Item(I8(2), Prop("B", S8("s")) + Prop("C", Tag(vaNull)))}),
       "<\n    item\n      A = 1\n    end\n    item [2]\n      B = 's'\n      C = Null\n    end>", ""},
      {"collection index takes the smallest tag", Coll({Item(I32(3), "")}), "<\n    item [3]\n    end>",
       Coll({Item(I8(3), "")})},
      {"empty collection", Coll({}), "<>", ""},
  };
  for (const Case& c : cases)
    ExpectRoundTrip(c.what, Root(Prop("P", c.value)), RootText(c.text),
                    c.compiled.empty() ? "" : Root(Prop("P", c.compiled)));
}

TEST(ObjectText, HeadersAndChildren) {
  struct Case {
    const char* what;
    std::string binary;
    std::string text;
    std::string compiled;  // empty: the binary itself
  };
  const Case cases[] = {
      {"inherited with child position", "KVF0" + Record("\xF3" + I8(2) + Str("Dummy") + Str("Group1"), ""),
       "inherited Group1: Dummy [2]\nend\n", ""},
      {"inline without a name", "KVF0" + Record("\xF4" + Str("Dummy") + Str(""), ""), "inline Dummy\nend\n", ""},
      {"inherited and inline", "KVF0" + Record("\xF5" + Str("Dummy") + Str(""), ""), "inherited Dummy\nend\n",
       "KVF0" + Record("\xF1" + Str("Dummy") + Str(""), "")},
      {"child position beyond 16 bits", "KVF0" + Record("\xF2" + I32(70000) + Str("T") + Str("A"), ""),
       "object A: T [70000]\nend\n", ""},
      {"children",
       Root(Prop("X", I8(1)), Record(Str("TBar") + Str("A"), Prop("Y", I8(2)), Record(Str("TBaz") + Str(""), "")) +
                                  Record(Str("TBar") + Str("B"), "")),
       "object Main: TFoo\n  X = 1\n  object A: TBar\n    Y = 2\n    object TBaz\n    end\n  end\n"
       "  object B: TBar\n  end\nend\n",
       ""},
  };
  for (const Case& c : cases) ExpectRoundTrip(c.what, c.binary, c.text, c.compiled);
}

// Text is read leniently; a small error is reported once and the rest still
// compiles.
TEST(ObjectText, TextIsReadLenientlyAndRecoversFromSmallErrors) {
  struct Case {
    const char* what;
    std::string text;
    std::string binary;
    std::string error = "";
  };
  const Case cases[] = {
      {"keywords in any case", "OBJECT Main: TFoo\n  P = 1\n  Object A: T\n  END\nEnd",
       Root(Prop("P", I8(1)), Record(Str("T") + Str("A"), ""))},
      {"layout does not matter", "object\tMain:TFoo P=1 Font . Size=\r\n2 end",
       Root(Prop("P", I8(1)) + Prop("Font.Size", I8(2)))},
      {"joined strings", "object Main: TFoo P = 'ab' + #67\n + 'd' end", Root(Prop("P", S8("abCd")))},
      {"hexadecimal integer", "object Main: TFoo P = $7FFF end", Root(Prop("P", I16(0x7FFF)))},
      {"float suffixes", "object Main: TFoo A = 1.5s B = 2.5 C = 15000c D = 2d E = 3S end",
       Root(Prop("A", Single(1.5f)) + Prop("B", Single(2.5f)) + Prop("C", Curr(15000)) + Prop("D", Date(2)) +
            Prop("E", Single(3)))},
      {"currency above single precision", "object Main: TFoo P = 16777217c end", Root(Prop("P", Curr(16777217)))},
      {"date in double precision", "object Main: TFoo P = 45000.123456789d end",
       Root(Prop("P", Date(45000.123456789)))},
      {"UTF-8 text", "object Main: TFoo P = 'caf\xC3\xA9' end", Root(Prop("P", U8("caf\xC3\xA9")))},
      {"Latin-1 text", "object Main: TFoo P = 'caf\xE9' end", Root(Prop("P", U8("caf\xC3\xA9")))},
      {"UTF-8 beyond Latin-1", "object Main: TFoo P = '\xE6\x97\xA5' end", Root(Prop("P", WStr(u"\u65e5")))},
      {"set elements of every kind", "object Main: TFoo P = [a, 12, 'A', #26085, '\xE6\x97\xA5'] end",
       Root(Prop("P", Set({"a", "12", "#65", "#26085", "#26085"})))},
      {"collection item without index", "object Main: TFoo P = <item A = 1 end> end",
       Root(Prop("P", Coll({Item("", Prop("A", I8(1)))})))},
      {"Null as a property value", "object Main: TFoo P = Null Q = <item R = Null end> end",
       Root(Prop("P", Tag(vaNull)) + Prop("Q", Coll({Item("", Prop("R", Tag(vaNull)))})))},
      {"nil, True and False in a list", "object Main: TFoo P = (nil True false) end",
       Root(Prop("P", List({Tag(vaNil), Tag(vaTrue), Tag(vaFalse)})))},
      {"binary over several lines", "object Main: TFoo P = {01 02\n 0a0B} end",
       Root(Prop("P", Bin("\x01\x02\x0A\x0B")))},
      {"missing =", "object Main: TFoo\n  P 5\nend", Root(Prop("P", I8(5))), "Parse error CharExpected2"},
      {"+ without a string", "object Main: TFoo\n  P = 'a' +\n  Q = 1\nend",
       Root(Prop("P", S8("a")) + Prop("Q", I8(1))), "Parse error  parser StringExpected3"},
      {"unterminated string", "object Main: TFoo\n  P = 'ab\n  Q = 1\nend",
       Root(Prop("P", S8("ab")) + Prop("Q", I8(1))), "Parse error  parser InvalidString2"},
      {"wrong keyword", "objekt Main: TFoo\nend", Root(""), "Parse error SSymbolExpected1"},
      {"item keyword missing", "object Main: TFoo\n  P = <\n    A = 1 end>\nend",
       Root(Prop("P", Coll({Item("", Prop("A", I8(1)))}))), "Parse error SSymbolExpected3"},
      {"comma missing in a set", "object Main: TFoo\n  P = [a b]\nend", Root(Prop("P", Set({"a", "b"}))),
       "Parse error CharExpected2"},
      {"bad binary digits", "object Main: TFoo\n  P = {01 0X 02}\n  Q = 1\nend",
       Root(Prop("P", Bin("\x01")) + Prop("Q", I8(1))), "Parse error  parser InvalidBinary2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TCaptureLog log;
    const TOut out = ToBinary(c.text);
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(Hex(out.bytes), Hex(c.binary));
    EXPECT_EQ(log.Lines(), c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{"(e) " + c.error});
  }
}

// ------------------------------------------------------- conversions that stop

TEST(ObjectText, TextConversionStopsWithOneMessage) {
  struct Case {
    const char* what;
    std::string text;
    std::string error;
  };
  const std::string head = "object Main: TFoo\n";
  const Case cases[] = {
      {"empty text", "", "Parse error SSymbolExpected1"},
      {"end of text in an object", head + "  P = 1\n", "Parse error SSymbolExpected3"},
      {"end of text in a child", head + "  object A: T\n", "Parse error SSymbolExpected3"},
      {"end of text after a name", head + "  P", "Parse error CharExpected2"},
      {"end of text after =", head + "  P =", "Parse error  parser InvalidProperty2"},
      {"end of text in a list", head + "  P = (1\n", "Parse error CharExpected3"},
      {"end of text in a set", head + "  P = [a\n", "Parse error CharExpected3"},
      {"end of text in a collection", head + "  P = <\n", "Parse error CharExpected3"},
      {"end of text in an item", head + "  P = <item\n", "Parse error SSymbolExpected3"},
      {"end of text in binary", head + "  P = {0102\n", "Parse error CharExpected3"},
      {"Null in a list", head + "  P = (1\n    Null)\nend", "Parse error  parser InvalidProperty3"},
      {"no value", head + "  P = )\nend", "Parse error  parser InvalidProperty2"},
      {"name not an identifier", head + "  'P' = 1\nend", "Parse error  parser IdentifierExpected2"},
      {"dotted name cut short", head + "  Font. = 1\nend", "Parse error  parser IdentifierExpected2"},
      {"class name not an identifier", "object Main: 5\nend", "Parse error  parser IdentifierExpected1"},
      {"class name too long for a record", "object " + std::string(240, 'T') + "\nend",
       "Parse error  parser IdentifierExpected1"},
      {"child position not a number", "object A: T [x]\nend", "Parse error  parser NumberExpected1"},
      {"child position beyond 32 bits", "object A: T [4294967296]\nend", "Parse error  parser NumberExpected1"},
      {"not a number", head + "  P = 5-3\nend", "Parse error  parser NumberExpected2"},
      {"64-bit overflow", head + "  P = 9223372036854775808\nend", "Parse error  parser NumberExpected2"},
      {"single overflow", head + "  P = 1e39\nend", "Parse error  parser NumberExpected2"},
      {"currency overflow", head + "  P = 1e19c\nend", "Parse error  parser NumberExpected2"},
      {"date overflow", head + "  P = 1e309d\nend", "Parse error  parser NumberExpected2"},
      {"bad number in a list", head + "  P = (1\n 2-)\nend", "Parse error  parser NumberExpected3"},
      {"line too long", head + "  P = " + std::string(5000, '1') + "\nend", "Parse error  parser LineTooLong2"},
  };
  for (const Case& c : cases) {
    test::TCaptureLog log;
    const TOut out = ToBinary(c.text);
    EXPECT_FALSE(out.ok) << c.what;
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) " + c.error}) << c.what;
  }
}

std::string NestedObjects(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "object A: T\n";
  for (int i = 0; i < depth; ++i) text += "end\n";
  return text;
}

std::string NestedLists(int depth) {
  std::string text = "object A: T\nP = ";
  for (int i = 0; i < depth; ++i) text += "(\n";
  return text + std::string(static_cast<std::size_t>(depth), ')') + "\nend\n";
}

TEST(ObjectText, NestingIsBoundedInBothDirections) {
  struct Case {
    std::string text;
    bool ok;
  };
  const Case cases[] = {
      {NestedObjects(kMaxStreamDepth), true},
      {NestedObjects(kMaxStreamDepth + 1), false},
      {NestedLists(kMaxStreamDepth - 1), true},
      {NestedLists(kMaxStreamDepth), false},
      {NestedLists(100000), false},
  };
  for (const Case& c : cases) {
    test::TCaptureLog log;
    const TOut out = ToBinary(c.text);
    EXPECT_EQ(out.ok, c.ok) << c.text.size();
    if (c.ok) {
      EXPECT_TRUE(log.Lines().empty()) << log.Text();
      EXPECT_TRUE(ToText(out.bytes).ok);
    } else {
      ASSERT_EQ(log.Lines().size(), 1u) << log.Text();
      EXPECT_TRUE(log.Contains("Object text nested deeper than 256 levels at line ")) << log.Text();
    }
  }

  // Binary too deep for the text form: 100000 nested lists.
  std::string lists = Root(Prop("P", std::string(100000, static_cast<char>(vaList)) + std::string(100000, '\0')));
  test::TCaptureLog log;
  const TOut out = ToText(lists);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Object stream nested deeper than 256 levels"});
}

TEST(ObjectText, BinaryConversionStopsAtAnUnknownTagOrTheEnd) {
  struct Case {
    const char* what;
    std::string binary;
    std::string error;  // the log line that must be there
  };
  const Case cases[] = {
      {"unknown tag", Root(Prop("P", Tag(TValueType(22))) + Prop("Q", I8(1))), "(e) sPropertyExceptionMain.P22"},
      {"unknown tag in a list", Root(Prop("P", List({I8(1), Tag(TValueType(200))}))),
       "(e) sPropertyExceptionMain.P200"},
      {"unknown tag in an item", Root(Prop("P", Coll({Item("", Prop("Q", Tag(TValueType(99))))}))),
       "(e) sPropertyExceptionMain.Q99"},
      {"unknown tag in an unnamed child", Root("", Record(Str("TBar") + Str(""), Prop("R", Tag(TValueType(30))))),
       "(e) sPropertyExceptionTBar.R30"},
      {"item that is not a list", Root(Prop("P", Coll({Tag(TValueType(40))}))), "(e) sPropertyExceptionMain.P40"},
  };
  for (const Case& c : cases) {
    test::TCaptureLog log;
    const TOut out = ToText(c.binary);
    EXPECT_FALSE(out.ok) << c.what;
    EXPECT_EQ(log.Lines(), std::vector<std::string>{c.error}) << c.what;
  }

  // A stream cut short, at every length.
  const std::string whole = Root(Prop("P", S8("abc")) + Prop("Q", List({I8(1), Bin(Bytes(40))})),
                                 Record(Str("TBar") + Str("A"), Prop("R", WStr(u"xy"))));
  ASSERT_TRUE(ToText(whole).ok);
  for (std::size_t length = 4; length < whole.size(); ++length) {
    test::TCaptureLog log;
    const TOut out = ToText(whole.substr(0, length));
    EXPECT_FALSE(out.ok) << length;
    EXPECT_TRUE(log.Contains("ReadError 2 ")) << length << log.Text();
  }
  // A binary length far beyond the stream ends with it.
  test::TCaptureLog log;
  EXPECT_FALSE(ToText(Root(Prop("P", Tag(vaBinary) + LE(std::uint32_t{0xFFFFFFF0}) + "\x01\x02"))).ok);
}

TEST(ObjectText, InvalidFloatsBecomeZeroWithAMessage) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    std::string value;
    std::string text;
  };
  const Case cases[] = {
      {Single(nan), "0"},
      {Single(static_cast<float>(-inf)), "0"},
      {Double(-inf), "0.000000000000000000"},
      {Extended(std::numeric_limits<double>::quiet_NaN()), "0.000000000000000000"},
      {Date(inf), "0.000000000000000d"},
  };
  for (const Case& c : cases) {
    test::TCaptureLog log;
    const TOut out = ToText(Root(Prop("P", c.value)));
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(out.bytes, RootText(c.text));
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Invalid number in Main.P"});
  }
}

TEST(ObjectText, TextWrittenIsPlainAscii) {
  std::string all8;
  for (int c = 1; c < 256; ++c) all8 += static_cast<char>(c);
  std::u16string wide;
  for (char16_t c : {0x01, 0x41, 0x7F, 0x80, 0xFF, 0x100, 0xD800, 0xFFFF}) wide += c;
  for (const std::string& value : {LStr(all8), WStr(wide)}) {
    const TOut out = ToText(Root(Prop("P", value)));
    ASSERT_TRUE(out.ok);
    for (char c : out.bytes) ASSERT_LT(static_cast<unsigned char>(c), 128) << out.bytes;
    // And it reads back to the same characters.
    const TOut back = ToBinary(out.bytes);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(ToText(back.bytes).bytes, out.bytes);
  }
}

// Names come from objects, and an object keeps a name that is no
// identifier (after "InvalidName"): such text is refused rather than
// written as a file the parser would reject or read differently.
TEST(ObjectText, TextThatWouldNotReadBackIsRefused) {
  const auto named = [](std::string_view cls, std::string_view name) { return "KVF0" + Record(Str(cls) + Str(name), ""); };
  // The error for what, named as "name 'x' of Owner".
  const auto refused = [](const std::string& what) {
    return "(e) Can't write the " + what + " as text: it would not read back";
  };
  struct Case {
    std::string binary;
    std::string error;
  };
  const Case cases[] = {
      {named("Dummy", "M\xE9n"), refused("name 'M\xC3\xA9n' of Dummy")},
      {named("Dummy", "a b"), refused("name 'a b' of Dummy")},
      {named("Dummy", "1x"), refused("name '1x' of Dummy")},
      {named("Bad\nClass", ""), refused("class name 'Bad\nClass'")},
      {Root("", Record(Str("TBar") + Str("M\xE9n"), "")), refused("name 'M\xC3\xA9n' of TBar")},
      {Root(Prop("P Q", I8(1))), refused("property name 'P Q' of Main")},
      {Root(Prop("end", I8(1))), refused("property name 'end' of Main")},
      {Root(Prop("Inline.x", I8(1))), refused("property name 'Inline.x' of Main")},
      {Root(Prop("Font.", I8(1))), refused("property name 'Font.' of Main")},
      {Root(Prop("P", Ident("Owner.M\xE9n"))), refused("identifier 'Owner.M\xC3\xA9n' of Main")},
      {Root(Prop("P", Ident("nil"))), refused("identifier 'nil' of Main")},
      {Root(Prop("P", List({Ident("null")}))), refused("identifier 'null' of Main")},
      {Root(Prop("P", Set({"a", "x y"}))), refused("set element 'x y' of Main")},
      {Root(Prop("P", Set({"#0233"}))), refused("set element '#0233' of Main")},
      {Root(Prop("P", Set({"5.5"}))), refused("set element '5.5' of Main")},
  };
  for (const Case& c : cases) {
    test::TCaptureLog log;
    EXPECT_FALSE(ToText(c.binary).ok) << c.error;
    EXPECT_EQ(log.Lines(), std::vector<std::string>{c.error});
  }

  ExpectRoundTrip("what reads back is written",
                  "KVF0" + Record(Str("TFoo") + Str("_a1"),
                                  Prop("Font.Size", I8(1)) + Prop("P", Ident("Owner.Child")) +
                                      Prop("S", Set({"a", "5", "-3", "$FF", "#233", "#0", "-", "$"}))),
                  "object _a1: TFoo\n  Font.Size = 1\n  P = Owner.Child\n  S = [a, 5, -3, $FF, #233, #0, -, $]\nend\n",
                  "");
}

TEST(ObjectText, ConvertersLeaveTheInputJustAfterWhatTheyUsed) {
  const std::string text = "object A: T\nend\nrest";
  TMemoryStream in(std::span<const char>(text.data(), text.size()));
  TMemoryStream out;
  EXPECT_TRUE(ObjectTextToBinary(in, out));
  EXPECT_EQ(in.Position(), static_cast<std::int64_t>(text.find("rest")));

  const std::string binary = Root(Prop("P", I8(1))) + "tail";
  TMemoryStream bin(std::span<const char>(binary.data(), binary.size()));
  TMemoryStream txt;
  EXPECT_TRUE(ObjectBinaryToText(bin, txt));
  EXPECT_EQ(bin.Position(), static_cast<std::int64_t>(binary.size() - 4));
}

TEST(ObjectText, WrongSignatureIsLoggedAndReadAllTheSame) {
  test::TCaptureLog log;
  std::string binary = Root(Prop("P", I8(1)));
  binary.replace(0, 4, "XXXX");
  const TOut out = ToText(binary);
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.bytes, RootText("1"));
  EXPECT_EQ(log.CountInfo("Invalid image"), 1);
}

TEST(ObjectText, TestStreamFormat) {
  struct Case {
    std::string bytes;
    TStreamOriginalFormat format;
  };
  const Case cases[] = {
      {"KVF0\x04TFoo", sofBinary},
      {"\xFF\x0A", sofBinary},
      {"object", sofText},
      {"inherited", sofText},
      {"Inline", sofText},
      {" obj", sofText},
      {"\vx", sofText},
      {"\nobject", sofUnknown},
      {"KVF1", sofUnknown},
      {"", sofUnknown},
      {"x", sofUnknown},
  };
  for (const Case& c : cases) {
    TMemoryStream s(std::span<const char>(c.bytes.data(), c.bytes.size()));
    s.SetPosition(0);
    EXPECT_EQ(TestStreamFormat(s), c.format) << c.bytes;
    EXPECT_EQ(s.Position(), 0);
  }
}

TEST(ObjectText, HexDigits) {
  const std::uint8_t bytes[] = {0x00, 0x0F, 0xA5, 0xFF};
  char text[8];
  BinToHex(bytes, text, 4);
  EXPECT_EQ(std::string(text, 8), "000FA5FF");

  struct Case {
    const char* text;
    std::size_t count;
    std::string bytes;
  };
  const Case cases[] = {
      {"000fA5Ff", 4, std::string("\x00\x0F\xA5\xFF", 4)},
      {"0102", 1, "\x01"},
      {"010", 4, "\x01"},
      {"01:0", 4, "\x01"},
      {"01G0", 4, "\x01"},
      {"01_0", 4, "\x01"},
      {"01`0", 4, "\x01"},
      {"", 4, ""},
  };
  for (const Case& c : cases) {
    std::uint8_t out[8] = {};
    const std::size_t made = HexToBin(c.text, out, c.count);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), made), c.bytes) << c.text;
  }
}

}  // namespace
}  // namespace corvane
