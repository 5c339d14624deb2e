#include "base/streams/parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/streams/memory_stream.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

TMemoryStream Over(std::string_view text) { return TMemoryStream(std::span<const char>(text.data(), text.size())); }

// Delivers at most one byte per Read: a stream that is slow, not at its end.
class TTrickleStream : public TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  std::int64_t Read(void* buffer, std::int64_t count) override {
    return TMemoryStream::Read(buffer, std::min<std::int64_t>(count, 1));
  }
};

struct TTok {
  int token;
  std::string text;
  bool operator==(const TTok&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TTok& t) { return os << "{" << t.token << ", '" << t.text << "'}"; }

std::vector<TTok> Tokens(TStream& stream) {
  TParser parser(stream);
  std::vector<TTok> out;
  while (parser.Token() != toEOF) {
    out.push_back({parser.Token(), parser.TokenString()});
    parser.NextToken();
  }
  return out;
}

std::vector<TTok> Tokens(std::string_view text) {
  TMemoryStream stream = Over(text);
  return Tokens(stream);
}

TEST(Parser, SplitsTextIntoTokens) {
  struct Case {
    std::string text;
    std::vector<TTok> tokens;
  };
  const Case cases[] = {
      {"object Main: Applet [2]",
       {{toSymbol, "object"}, {toSymbol, "Main"}, {':', ":"}, {toSymbol, "Applet"}, {'[', "["}, {toInteger, "2"},
        {']', "]"}}},
      {"Font.Size = -12", {{toSymbol, "Font"}, {'.', "."}, {toSymbol, "Size"}, {'=', "="}, {toInteger, "-12"}}},
      {"$1F $ _a1", {{toInteger, "$1F"}, {toInteger, "$"}, {toSymbol, "_a1"}}},
      {"1.5 2e3 5-3 -", {{toFloat, "1.5"}, {toFloat, "2e3"}, {toFloat, "5-3"}, {toInteger, "-"}}},
      {"7x 8 c", {{toInteger, "7"}, {toSymbol, "x"}, {toInteger, "8"}, {toSymbol, "c"}}},
      {"\t\r\n\v ( ) < > { } + , \x80", {{'(', "("}, {')', ")"}, {'<', "<"}, {'>', ">"}, {'{', "{"}, {'}', "}"},
                                          {'+', "+"}, {',', ","}, {0x80, "\x80"}}},
      {"", {}},
      {std::string("a\0b", 3), {{toSymbol, "a"}}},  // a NUL byte ends the text
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST(Parser, FloatSuffixesAndNumbers) {
  struct Case {
    const char* text;
    int token;
    char floatType;
    double value;
  };
  const Case cases[] = {
      {"1.5", toFloat, 0, 1.5},      {"15000c", toFloat, 'c', 15000}, {"2.5C", toFloat, 'C', 2.5},
      {"45000.5d", toFloat, 'd', 45000.5}, {"3s", toFloat, 's', 3}, {"-0.25S", toFloat, 'S', -0.25},
      {"1e2", toFloat, 0, 100},
  };
  test::TCaptureLog log;
  for (const Case& c : cases) {
    TMemoryStream s = Over(c.text);
    TParser parser(s);
    EXPECT_EQ(parser.Token(), c.token) << c.text;
    EXPECT_EQ(parser.FloatType(), c.floatType) << c.text;
    EXPECT_DOUBLE_EQ(parser.TokenFloat(), c.value) << c.text;
    EXPECT_FALSE(parser.Failed()) << c.text;
  }
  EXPECT_TRUE(log.Lines().empty()) << log.Text();

  struct IntCase {
    const char* text;
    std::int64_t value;
  };
  const IntCase ints[] = {{"0", 0}, {"-128", -128}, {"$FF", 255}, {"$FFFFFFFFFFFFFFFF", -1},
                          {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN}};
  for (const IntCase& c : ints) {
    TMemoryStream s = Over(c.text);
    TParser parser(s);
    EXPECT_EQ(parser.TokenInt(), c.value) << c.text;
  }
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
}

TEST(Parser, ANumberThatIsNoneIsFatal) {
  struct Case {
    const char* text;
    bool asFloat;
  };
  const Case cases[] = {{"\n5-3 x", true}, {"\n9223372036854775808 x", false}, {"\n- x", false},
                        {"\n$ x", false},  {"\n1e x", true},                    {"\n$1FFFFFFFFFFFFFFFF x", false}};
  for (const Case& c : cases) {
    test::TCaptureLog log;
    TMemoryStream s = Over(c.text);
    TParser parser(s);
    const double value = c.asFloat ? parser.TokenFloat() : static_cast<double>(parser.TokenInt());
    EXPECT_EQ(value, 0) << c.text;
    EXPECT_TRUE(parser.Failed()) << c.text;
    EXPECT_EQ(log.CountError("Parse error  parser NumberExpected2"), 1) << c.text << "\n" << log.Text();
    EXPECT_EQ(parser.Token(), toEOF);
    EXPECT_EQ(parser.NextToken(), toEOF) << "a failed parse reads no further";
  }
}

TEST(Parser, DecodesStringLiterals) {
  struct Case {
    std::string text;
    int token;
    std::u16string value;
  };
  const Case cases[] = {
      {"'it'#39's'", toString, u"it's"},
      {"''", toString, u""},
      {"'a''b'", toString, u"a'b"},
      {"#65#66'C'#13#10", toString, u"ABC\r\n"},
      {"#233", toWString, u"\u00e9"},               // a code above 127 makes the token wide
      {"'caf'#233", toWString, u"caf\u00e9"},
      {"'caf\xC3\xA9'", toString, u"caf\u00e9"},    // valid UTF-8 is read as UTF-8
      {"'\xE6\x97\xA5\xE6\x9C\xAC'", toWString, u"\u65e5\u672c"},
      {"'\xF0\x9F\x98\x80'", toWString, u"\U0001F600"},
      {"'caf\xE9'", toString, u"caf\u00e9"},         // any other byte is Latin-1
      {"'\xC3\xA9\xE9'", toString, u"\u00c3\u00a9\u00e9"},  // the whole run decides
      {"'\xC3\xA9' + '\xE9'", toString, u"\u00e9"},
      {"#0", toString, std::u16string(1, u'\0')},
      {"#65535", toWString, u"\uffff"},
  };
  test::TCaptureLog log;
  for (const Case& c : cases) {
    TMemoryStream s = Over(c.text);
    TParser parser(s);
    EXPECT_EQ(parser.Token(), c.token) << c.text;
    EXPECT_EQ(parser.TokenWideString(), c.value) << c.text;
    if (c.token == toString) {
      EXPECT_EQ(parser.TokenString().size(), c.value.size()) << c.text;
    }
  }
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
}

TEST(Parser, BadStringsAreReportedAndParsingGoesOn) {
  struct Case {
    std::string text;
    std::u16string value;
    TTok next;
  };
  const Case cases[] = {
      {"'abc\nx", u"abc", {toSymbol, "x"}},
      {"'abc\r\nx", u"abc", {toSymbol, "x"}},
      {"'abc", u"abc", {toEOF, ""}},
      {"#70000 x", u"\ufffd", {toSymbol, "x"}},
  };
  for (const Case& c : cases) {
    test::TCaptureLog log;
    TMemoryStream s = Over(c.text);
    TParser parser(s);
    EXPECT_EQ(parser.TokenWideString(), c.value) << c.text;
    EXPECT_EQ(log.CountError("Parse error  parser InvalidString1"), 1) << c.text << log.Text();
    EXPECT_FALSE(parser.Failed());
    parser.NextToken();
    EXPECT_EQ((TTok{parser.Token(), parser.TokenString()}), c.next) << c.text;
  }
}

TEST(Parser, CheckMessagesCarryTheLineNumber) {
  struct Case {
    int expected;
    const char* message;
  };
  const Case cases[] = {
      {toSymbol, "Parse error  parser IdentifierExpected3"}, {toString, "Parse error  parser StringExpected3"},
      {toWString, "Parse error  parser StringExpected3"},    {toInteger, "Parse error  parser NumberExpected3"},
      {toFloat, "Parse error  parser NumberExpected3"},      {'=', "Parse error CharExpected3"},
  };
  for (const Case& c : cases) {
    test::TCaptureLog log;
    TMemoryStream s = Over("\n\r\n  ;");
    TParser parser(s);
    EXPECT_FALSE(parser.CheckToken(c.expected));
    EXPECT_EQ(log.Lines(), std::vector<std::string>{std::string("(e) ") + c.message});
    EXPECT_FALSE(parser.Failed()) << "a failed check is not fatal";
  }
  test::TCaptureLog log;
  TMemoryStream s = Over("\n\nObJeCt x");
  TParser parser(s);
  EXPECT_TRUE(parser.CheckTokenSymbol("OBJECT"));
  parser.NextToken();
  EXPECT_FALSE(parser.CheckTokenSymbol("end"));
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Parse error SSymbolExpected3"});
}

TEST(Parser, ErrorHandlerCanTakeOverTheMessage) {
  test::TCaptureLog log;
  TMemoryStream s = Over("x");
  std::vector<std::string> seen;
  TParser parser(s, [&](TParser&, const std::string& message, bool& handled) {
    seen.push_back(message);
    handled = message.find("Number") != std::string::npos;
  });
  parser.CheckToken(toInteger);
  parser.CheckToken('(');
  EXPECT_EQ(seen, (std::vector<std::string>{" parser NumberExpected", "CharExpected"}));
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Parse error CharExpected1"});
}

TEST(Parser, DottedIdentifiers) {
  test::TCaptureLog log;
  TMemoryStream s = Over("Form1.Button1.Caption Foo.5");
  TParser parser(s);
  EXPECT_EQ(parser.TokenComponentIdent(), "Form1.Button1.Caption");
  parser.NextToken();
  EXPECT_EQ(parser.TokenComponentIdent(), "Foo.");
  EXPECT_EQ(log.CountError("Parse error  parser IdentifierExpected1"), 1);
  EXPECT_EQ(parser.NextToken(), toInteger);
}

TEST(Parser, LineStartFindsThePrecedingLineFeed) {
  const char buffer[] = "ab\ncd\n\nef";
  struct Case {
    int position;
    int expected;
  };
  const Case cases[] = {{0, 0}, {1, 0}, {2, 0}, {3, 2}, {4, 2}, {6, 5}, {7, 6}, {9, 6}};
  for (const Case& c : cases) EXPECT_EQ(LineStart(buffer, buffer + c.position) - buffer, c.expected) << c.position;
  const char leading[] = "\nab";
  EXPECT_EQ(LineStart(leading, leading + 1), leading);
}

TEST(Parser, RefillsNeverSplitATokenAndCountLines) {
  // Tokens of every kind across many buffer fills, from a stream that gives
  // one byte per read.
  std::string text;
  std::vector<TTok> expected;
  for (int i = 0; i < 2000; ++i) {
    const std::string name = "Name" + std::to_string(i);
    const std::string number = std::to_string(i * 7919) + ".25";
    text += "  " + name + " = " + number + " 'str" + std::to_string(i) + "'#10\n";
    expected.push_back({toSymbol, name});
    expected.push_back({'=', "="});
    expected.push_back({toFloat, number});
    expected.push_back({toString, "str" + std::to_string(i) + "\n"});
  }
  text += "last";
  expected.push_back({toSymbol, "last"});
  TTrickleStream slow(std::span<const char>(text.data(), text.size()));
  EXPECT_EQ(Tokens(slow), expected);

  TMemoryStream s = Over(text);
  TParser parser(s);
  while (!parser.TokenSymbolIs("last")) parser.NextToken();
  EXPECT_EQ(parser.SourceLine(), 2001);
  EXPECT_EQ(parser.SourcePos(), static_cast<std::int64_t>(text.size() - 4));
  EXPECT_EQ(parser.GetLinePos(), 0);
}

TEST(Parser, LineTooLongIsFatal) {
  struct Case {
    std::size_t length;
    bool fits;
  };
  // Lengths of the long line, its line feed included; at the start of the
  // text and across the end of the first block read.
  const Case cases[] = {{4095, true}, {4096, false}, {5000, false}};
  for (const std::size_t before : {std::size_t{0}, static_cast<std::size_t>(TParser::kReadSize) - 1000}) {
    for (const Case& c : cases) {
      test::TCaptureLog log;
      std::string lines = "a\n";
      while (lines.size() < before) lines += "a\n";
      const std::string text = lines + "'" + std::string(c.length - 3, 'x') + "'\nb\n";
      const int lineCount = static_cast<int>(lines.size() / 2);
      TMemoryStream s = Over(text);
      TParser parser(s);
      for (int i = 0; i <= lineCount; ++i) parser.NextToken();
      EXPECT_EQ(parser.TokenSymbolIs("b"), c.fits) << c.length << " after " << before;
      EXPECT_EQ(parser.Failed(), !c.fits) << c.length << " after " << before;
      EXPECT_EQ(log.CountError("Parse error  parser LineTooLong" + std::to_string(lineCount + 1)), c.fits ? 0 : 1)
          << c.length << " after " << before << log.Text();
    }
  }
}

// A stream that counts what is read from it.
class TCountedStream : public TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  std::int64_t Read(void* buffer, std::int64_t count) override {
    ++reads;
    const std::int64_t got = TMemoryStream::Read(buffer, count);
    bytes += got;
    return got;
  }
  int reads = 0;
  std::int64_t bytes = 0;
};

// A text of several blocks (literals decoded where they were read, lines
// across the ends of blocks) is read once, a block at a time, and gives the
// tokens it gives one byte at a time.
TEST(Parser, ALongTextIsReadOnceInBlocks) {
  std::string text;
  std::vector<TTok> expected;
  for (int i = 0; text.size() < 3 * static_cast<std::size_t>(TParser::kReadSize) + 5000; ++i) {
    const std::string name = "Item" + std::to_string(i);
    text += "  " + name + " = 'it''s '#" + std::to_string(65 + i % 26) + " " + std::to_string(i) + " $" +
            std::to_string(i % 10) + "F\r\n";
    expected.push_back({toSymbol, name});
    expected.push_back({'=', "="});
    expected.push_back({toString, "it's " + std::string(1, static_cast<char>(65 + i % 26))});
    expected.push_back({toInteger, std::to_string(i)});
    expected.push_back({toInteger, "$" + std::to_string(i % 10) + "F"});
  }
  const int lines = static_cast<int>(expected.size() / 5);
  text += "last";
  expected.push_back({toSymbol, "last"});

  TTrickleStream slow(std::span<const char>(text.data(), text.size()));
  EXPECT_EQ(Tokens(slow), expected);
  TCountedStream counted(std::span<const char>(text.data(), text.size()));
  {
    TParser parser(counted);
    std::vector<TTok> seen;
    while (parser.Token() != toEOF) {
      if (parser.TokenSymbolIs("last")) {
        EXPECT_EQ(parser.SourceLine(), lines + 1);
        EXPECT_EQ(parser.SourcePos(), static_cast<std::int64_t>(text.size() - 4));
        EXPECT_EQ(parser.GetLinePos(), 0);
      }
      seen.push_back({parser.Token(), parser.TokenString()});
      parser.NextToken();
    }
    EXPECT_EQ(seen, expected);
  }
  EXPECT_EQ(counted.bytes, static_cast<std::int64_t>(text.size())) << "every byte is read once";
  EXPECT_LE(counted.reads, static_cast<int>(text.size() / TParser::kReadSize) + 3)
      << "read in blocks, not a window at a time";
}

TEST(Parser, HexToBinary) {
  struct Case {
    const char* text;
    std::string bytes;
    bool invalid;
  };
  const Case cases[] = {
      {"{0A0b FF\n 10}", std::string("\x0A\x0B\xFF\x10", 4), false},
      {"{}", "", false},
      {"{0102 0G 03}", std::string("\x01\x02", 2), true},  // between "0" and "f" but not hexadecimal
      {"{01:2}", std::string("\x01", 1), true},
      {"{012}", std::string("\x01", 1), true},
  };
  for (const Case& c : cases) {
    test::TCaptureLog log;
    TMemoryStream s = Over(std::string(c.text) + " next");
    TParser parser(s);
    TMemoryStream out;
    parser.HexToBinary(out);
    EXPECT_EQ(std::string(out.Memory(), static_cast<std::size_t>(out.Size())), c.bytes) << c.text;
    EXPECT_EQ(parser.Token(), '}') << c.text;
    EXPECT_EQ(parser.NextToken(), toSymbol) << c.text;
    EXPECT_EQ(log.CountError("Parse error  parser InvalidBinary1"), c.invalid ? 1 : 0) << c.text;
  }
}

TEST(Parser, DestructionHandsTheStreamOnAtTheCurrentToken) {
  TMemoryStream s = Over("alpha beta gamma");
  {
    TParser parser(s);
    parser.NextToken();
    EXPECT_EQ(parser.TokenString(), "beta");
  }
  EXPECT_EQ(s.Position(), 6);
}

}  // namespace
}  // namespace corvane
