// ObjectTextToBinary: compiles the text object form into the binary object
// stream, token by token through TParser.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>

#include "base/streams/memory_stream.h"
#include "base/streams/object_text.h"
#include "base/streams/parser.h"
#include "base/streams/stream.h"
#include "base/streams/value_type.h"
#include "base/streams/writer.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

constexpr int kConvertBufferSize = 4096;
// 2^63: the first magnitude a 64-bit integer cannot hold.
constexpr double kTwoPow63 = 9223372036854775808.0;
// Record prefixes are the bytes from 0xF0 up; a class name's length byte
// comes first in a record without one.
constexpr std::size_t kMinPrefixByte = 0xF0;

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

class TTextToBinary {
 public:
  TTextToBinary(TParser& parser, TGWriter& writer) : parser_(parser), writer_(writer) {}

  bool ConvertObject();

 private:
  bool ConvertProperty();
  bool ConvertValue(bool inList);
  bool ConvertString();
  bool ConvertNumber();
  bool ConvertSet();
  bool ConvertCollection();
  bool ConvertBinary();
  // The header's class name, or its name before ":" (the same rules).
  bool ClassName(std::string& className);
  // A bracketed integer (child position, item index) after "[".
  bool ReadIndex(std::int32_t& index);

  // The token must be this one; a fatal error was reported already when
  // the parser failed.
  bool Expect(int token) { return !parser_.Failed() && parser_.CheckToken(token); }
  // The text ended inside a structure: report what was still expected once,
  // and stop.
  bool EndOfText(int expected) {
    if (!parser_.Failed()) {
      if (expected == toSymbol) parser_.CheckTokenSymbol("end");
      else parser_.CheckToken(expected);
    }
    return false;
  }
  // Skips an expected character; reports (and goes on) when it is missing.
  void Skip(int token) {
    if (parser_.Token() == token) parser_.NextToken();
    else if (!parser_.Failed()) parser_.CheckToken(token);
  }
  bool Enter() {
    if (++depth_ <= kMaxStreamDepth) return true;
    EngineError(u"Object text nested deeper than " + IntToStr(kMaxStreamDepth) + u" levels at line " +
                IntToStr(parser_.SourceLine()));
    return false;
  }
  void Leave() { --depth_; }
  bool AtObjectKeyword() const {
    return parser_.TokenSymbolIs("end") || parser_.TokenSymbolIs("object") || parser_.TokenSymbolIs("inherited") ||
           parser_.TokenSymbolIs("inline");
  }

  TParser& parser_;
  TGWriter& writer_;
  int depth_ = 0;
  std::string name_;
  std::string ascii_;
  std::u16string text_;
};

bool TTextToBinary::ConvertObject() {
  if (!Enter()) return false;
  if (parser_.Token() == toEOF) return EndOfText(toSymbol);
  TGFilerFlags flags;
  if (parser_.TokenSymbolIs("inherited")) flags.Include(ffInherited);
  else if (parser_.TokenSymbolIs("inline")) flags.Include(ffInline);
  else parser_.CheckTokenSymbol("object");
  parser_.NextToken();

  std::string className;
  if (!ClassName(className)) return false;
  std::string name;
  if (parser_.NextToken() == ':') {
    parser_.NextToken();
    name = std::move(className);
    if (!ClassName(className)) return false;
    parser_.NextToken();
  }
  std::int32_t childPos = 0;
  if (parser_.Token() == '[') {
    if (!ReadIndex(childPos)) return false;
    flags.Include(ffChildPos);
  }
  writer_.WritePrefix(flags, childPos);
  writer_.WriteStr(className);
  writer_.WriteStr(name);

  while (!AtObjectKeyword()) {
    if (parser_.Token() == toEOF) return EndOfText(toSymbol);
    if (!ConvertProperty()) return false;
  }
  writer_.WriteListEnd();
  while (!parser_.TokenSymbolIs("end")) {
    if (parser_.Token() == toEOF) return EndOfText(toSymbol);
    if (!ConvertObject()) return false;
  }
  parser_.NextToken();
  writer_.WriteListEnd();
  Leave();
  return !parser_.Failed();
}

bool TTextToBinary::ClassName(std::string& className) {
  if (!Expect(toSymbol)) return false;
  // A length byte from 240 up would read as a record prefix.
  if (parser_.TokenView().size() >= kMinPrefixByte) {
    parser_.Error("IdentifierExpected");
    return false;
  }
  className.assign(parser_.TokenView());
  return true;
}

bool TTextToBinary::ReadIndex(std::int32_t& index) {
  parser_.NextToken();
  if (!Expect(toInteger)) return false;
  const std::int64_t value = parser_.TokenInt();
  if (parser_.Failed()) return false;
  if (value < INT32_MIN || value > INT32_MAX) {
    parser_.FatalError("NumberExpected");
    return false;
  }
  index = static_cast<std::int32_t>(value);
  parser_.NextToken();
  Skip(']');
  return !parser_.Failed();
}

bool TTextToBinary::ConvertProperty() {
  // A name must be an identifier: anything else could be empty and would
  // end the record's property list in the binary form.
  if (!Expect(toSymbol)) return false;
  name_.assign(parser_.TokenView());
  parser_.NextToken();
  while (parser_.Token() == '.') {
    parser_.NextToken();
    if (!Expect(toSymbol)) return false;
    name_ += '.';
    name_ += parser_.TokenView();
    parser_.NextToken();
  }
  writer_.WriteStr(name_);
  if (parser_.Token() == toEOF) return EndOfText('=');
  Skip('=');
  return ConvertValue(false);
}

bool TTextToBinary::ConvertValue(bool inList) {
  if (parser_.Failed()) return false;
  switch (parser_.Token()) {
    case toString:
    case toWString:
      return ConvertString();
    case toSymbol: {
      const std::string ident = parser_.TokenComponentIdent();
      // Null is the tag that ends a list: as an item it would cut the list short.
      if (inList && SameText(ident, "Null")) {
        parser_.Error("InvalidProperty");
        return false;
      }
      writer_.WriteIdent(ident);
      break;
    }
    case toInteger: {
      const std::int64_t value = parser_.TokenInt();
      if (parser_.Failed()) return false;
      writer_.WriteInteger(value);
      break;
    }
    case toFloat:
      if (!ConvertNumber()) return false;
      break;
    case '(': {
      if (!Enter()) return false;
      parser_.NextToken();
      writer_.WriteListBegin();
      while (parser_.Token() != ')') {
        if (parser_.Token() == toEOF) return EndOfText(')');
        if (!ConvertValue(true)) return false;
      }
      writer_.WriteListEnd();
      Leave();
      break;
    }
    case '[':
      if (!ConvertSet()) return false;
      break;
    case '<':
      if (!ConvertCollection()) return false;
      break;
    case '{':
      if (!ConvertBinary()) return false;
      break;
    default:
      // The property's name is written already: without a value the binary
      // form would be out of step.
      parser_.Error("InvalidProperty");
      return false;
  }
  parser_.NextToken();
  return !parser_.Failed();
}

bool TTextToBinary::ConvertString() {
  // Text that stays ASCII is gathered as it is: for it the string rule of
  // the 8-bit and the wide writer is the same (empty text aside).
  ascii_.clear();
  text_.clear();
  bool ascii = true;
  for (;;) {
    if (ascii && parser_.Token() == toString && IsAscii(parser_.TokenView())) {
      ascii_ += parser_.TokenView();
    } else {
      if (ascii) {
        for (char c : ascii_) text_.push_back(static_cast<char16_t>(c));
        ascii = false;
      }
      if (parser_.Token() == toWString) {
        text_ += parser_.WideStr();
      } else {
        for (char c : parser_.TokenView()) text_.push_back(static_cast<unsigned char>(c));
      }
    }
    parser_.NextToken();
    if (parser_.Token() != '+') break;
    parser_.NextToken();
    if (parser_.Token() != toString && parser_.Token() != toWString) {
      if (!parser_.Failed()) parser_.Error("StringExpected");
      break;
    }
  }
  if (parser_.Failed()) return false;
  if (ascii && !ascii_.empty()) writer_.WriteString(ascii_);
  else writer_.WriteWideString(text_);
  return true;
}

bool TTextToBinary::ConvertNumber() {
  const double value = parser_.TokenFloat();
  if (parser_.Failed()) return false;
  switch (parser_.FloatType()) {
    case 'c':
    case 'C': {
      // The text holds the amount times 10000: the currency's own integer.
      const double rounded = std::nearbyint(value);
      if (!(std::fabs(rounded) < kTwoPow63)) break;
      writer_.WriteCurrency(TCurrency{static_cast<std::int64_t>(rounded)});
      return true;
    }
    case 'd':
    case 'D':
      if (!std::isfinite(value)) break;
      writer_.WriteDate(TDateTime{value});
      return true;
    default: {
      const auto single = static_cast<float>(value);
      if (!std::isfinite(single)) break;
      writer_.WriteSingle(single);
      return true;
    }
  }
  // Beyond the range of its kind.
  parser_.FatalError("NumberExpected");
  return false;
}

bool TTextToBinary::ConvertSet() {
  parser_.NextToken();
  writer_.WriteValue(vaSet);
  if (parser_.Token() != ']') {
    for (;;) {
      if (parser_.Token() == toEOF) return EndOfText(']');
      switch (parser_.Token()) {
        case toInteger:
          writer_.WriteStr(parser_.TokenView());
          break;
        case toString:
        case toWString: {
          // A character element: "#" and the code of its first character.
          std::uint32_t code;
          if (parser_.Token() == toWString) {
            code = parser_.WideStr()[0];  // a wide literal is never empty
          } else if (!parser_.TokenView().empty()) {
            code = static_cast<unsigned char>(parser_.TokenView()[0]);
          } else {
            parser_.Error("InvalidString");  // an empty name would end the set
            break;
          }
          char element[16] = {'#'};
          const auto end = std::to_chars(element + 1, element + sizeof element, code).ptr;
          writer_.WriteStr(std::string_view(element, static_cast<std::size_t>(end - element)));
          break;
        }
        default:
          parser_.CheckToken(toSymbol);
          writer_.WriteStr(parser_.TokenView());
          break;
      }
      parser_.NextToken();
      if (parser_.Token() == ']') break;
      if (parser_.Token() == toEOF) return EndOfText(']');
      Skip(',');
    }
  }
  writer_.WriteStr({});
  return true;
}

bool TTextToBinary::ConvertCollection() {
  if (!Enter()) return false;
  parser_.NextToken();
  writer_.WriteValue(vaCollection);
  while (parser_.Token() != '>') {
    if (parser_.Token() == toEOF) return EndOfText('>');
    if (parser_.CheckTokenSymbol("item")) parser_.NextToken();
    if (parser_.Token() == '[') {
      std::int32_t index = 0;
      if (!ReadIndex(index)) return false;
      writer_.WriteInteger(index);
    }
    writer_.WriteListBegin();
    while (!parser_.TokenSymbolIs("end")) {
      if (parser_.Token() == toEOF) return EndOfText(toSymbol);
      if (!ConvertProperty()) return false;
    }
    parser_.NextToken();
    writer_.WriteListEnd();
  }
  writer_.WriteListEnd();
  Leave();
  return true;
}

bool TTextToBinary::ConvertBinary() {
  TMemoryStream data;
  parser_.HexToBinary(data);
  if (parser_.Failed()) return false;
  if (parser_.Token() != '}') return EndOfText('}');
  writer_.WriteBinary(data.Memory(), data.Size());
  return true;
}

}  // namespace

bool ObjectTextToBinary(TStream& input, TStream& output) {
  try {
    TParser parser(input);
    TGWriter writer(output, kConvertBufferSize);
    writer.WriteSignature();
    TTextToBinary converter(parser, writer);
    const bool done = converter.ConvertObject();
    return done && !parser.Failed();
  } catch (const std::exception& e) {
    EngineError(u"Object text to binary: " + Utf8ToUtf16(e.what()));
    return false;
  }
}

}  // namespace corvane
