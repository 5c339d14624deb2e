// ObjectBinaryToText: renders the binary object stream as the text object
// form; and the small helpers both directions share.
#include "base/streams/object_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <string>

#include "base/streams/parser.h"
#include "base/streams/reader.h"
#include "base/streams/stream.h"
#include "base/streams/value_type.h"
#include "base/streams/writer.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

constexpr int kConvertBufferSize = 4096;
// Characters of a string written on one text line, and bytes of binary data.
constexpr std::size_t kLineLength = 64;
constexpr std::int64_t kBytesPerLine = 32;
// 2^63: the first magnitude a 64-bit integer cannot hold.
constexpr double kTwoPow63 = 9223372036854775808.0;


constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The words that end a property list where a property name would stand.
bool IsListKeyword(std::string_view name) {
  const std::string_view first = name.substr(0, name.find('.'));
  return SameText(first, "end") || SameText(first, "object") || SameText(first, "inherited") ||
         SameText(first, "inline");
}

// The identifiers the text reader turns into other values.
bool IsValueWord(std::string_view ident) {
  return SameText(ident, "True") || SameText(ident, "False") || SameText(ident, "nil") || SameText(ident, "Null");
}

// A set element reads back as a symbol, as the text of an integer token
// ("-" and decimal digits, digits, "$" and hexadecimal digits: the reader
// keeps that text as it is), or as a character code "#" and the decimal
// code, as the reader writes a character element.
bool SetElementReadsBack(std::string_view element) {
  auto decimal = [](char c) { return c >= '0' && c <= '9'; };
  auto hex = [](char c) { return HexValue(c) >= 0; };
  if (IsSymbolText(element)) return true;
  if (element.starts_with('$')) return std::all_of(element.begin() + 1, element.end(), hex);
  if (element.starts_with('-')) return std::all_of(element.begin() + 1, element.end(), decimal);
  if (!element.starts_with('#')) return std::all_of(element.begin(), element.end(), decimal);
  const std::string_view code = element.substr(1);
  if (code.empty() || code.size() > 5 || (code.size() > 1 && code[0] == '0')) return false;
  if (!std::all_of(code.begin(), code.end(), decimal)) return false;
  std::uint32_t value = 0;
  for (const char c : code) value = value * 10 + static_cast<std::uint32_t>(c - '0');
  return value <= 0xFFFF;
}

class TBinaryToText {
 public:
  TBinaryToText(TGReader& reader, TGWriter& writer) : reader_(reader), writer_(writer) {
    out_.reserve(2 * kConvertBufferSize);
  }

  bool ConvertObject();
  void Flush() {
    writer_.Write(out_.data(), static_cast<std::int64_t>(out_.size()));
    out_.clear();
  }

 private:
  bool ConvertProperty();
  bool ConvertValue();
  bool ConvertList();
  bool ConvertCollection();
  void ConvertSet();
  void ConvertBinary();
  template <class C>
  void PutStringLiteral(std::basic_string_view<C> text);
  void PutSingle(float value);
  // Fixed-point with the given digits after the point, then the suffix.
  void PutFixed(double value, int decimals, std::string_view suffix);
  void InvalidNumber();
  bool UnknownTag(TValueType tag);
  // A text the reader would not read back as it stands (a name that is no
  // identifier, say 'M\xE9n'): the conversion stops and says so, rather
  // than write a file the engine's own parser refuses.
  // The owner is the object the text belongs to.
  bool Unwritable(std::u16string_view what, std::string_view text, std::string_view owner);

  void Put(std::string_view text) {
    out_.append(text);
    if (out_.size() >= kConvertBufferSize) Flush();
  }
  void PutChar(char c) {
    out_.push_back(c);
    if (out_.size() >= kConvertBufferSize) Flush();
  }
  void PutIndent() { out_.append(2 * static_cast<std::size_t>(level_), ' '); }
  void NewLine() {
    PutChar('\n');
    PutIndent();
  }
  bool Enter() {
    if (++depth_ <= kMaxStreamDepth) return true;
    reader_.Abort(u"Object stream nested deeper than " + IntToStr(kMaxStreamDepth) + u" levels");
    return false;
  }
  void Leave() { --depth_; }
  // Whether a list of the stream goes on (false at its end, and for good
  // once the reader gave up).
  bool More() { return !reader_.Failed() && !reader_.EndOfList(); }

  TGReader& reader_;
  TGWriter& writer_;
  std::string out_;
  int level_ = 0;  // indentation: two blanks per level
  int depth_ = 0;  // records, lists and collections entered
  std::string objectName_;  // for messages: the name, else the class name
  std::string propName_;
};

bool TBinaryToText::ConvertObject() {
  if (!Enter()) return false;
  TGFilerFlags flags;
  std::int32_t childPos = 0;
  reader_.ReadPrefix(flags, childPos);
  const std::string className = reader_.ReadStr();
  const std::string name = reader_.ReadStr();
  if (reader_.Failed()) return false;
  if (!IsSymbolText(className)) return Unwritable(u"class name", className, name);
  if (!name.empty() && !IsSymbolText(name)) return Unwritable(u"name", name, className);
  PutIndent();
  if (flags.Contains(ffInherited)) Put("inherited ");
  else if (flags.Contains(ffInline)) Put("inline ");
  else Put("object ");
  if (!name.empty()) {
    Put(name);
    Put(": ");
  }
  Put(className);
  if (flags.Contains(ffChildPos)) {
    Put(" [");
    Put(IntToStr8(childPos));
    PutChar(']');
  }
  PutChar('\n');
  std::string outerName = std::move(objectName_);
  objectName_ = name.empty() ? className : name;
  ++level_;
  while (More())
    if (!ConvertProperty()) return false;
  reader_.ReadValue();
  while (More())
    if (!ConvertObject()) return false;
  reader_.ReadValue();
  --level_;
  PutIndent();
  Put("end\n");
  objectName_ = std::move(outerName);
  Leave();
  return !reader_.Failed();
}

bool TBinaryToText::ConvertProperty() {
  propName_ = reader_.ReadStr();
  if (!reader_.Failed() && (!IsSymbolText(propName_, true) || IsListKeyword(propName_)))
    return Unwritable(u"property name", propName_, objectName_);
  PutIndent();
  Put(propName_);
  Put(" = ");
  if (!ConvertValue()) return false;
  PutChar('\n');
  return true;
}

bool TBinaryToText::ConvertValue() {
  const TValueType tag = reader_.NextValue();
  switch (tag) {
    case vaList:
      return ConvertList();
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      Put(IntToStr8(reader_.ReadInt64()));
      break;
    case vaSingle:
      PutSingle(reader_.ReadSingle());
      break;
    case vaExtended:
    case vaDouble:
      PutFixed(reader_.ReadFloat(), 18, {});
      break;
    case vaCurrency:
      PutFixed(static_cast<double>(reader_.ReadCurrency().Value), 15, "c");
      break;
    case vaDate:
      PutFixed(reader_.ReadDate().Value, 15, "d");
      break;
    case vaIdent: {
      const std::string ident = reader_.ReadIdent();
      if (!reader_.Failed() && (!IsSymbolText(ident, true) || IsValueWord(ident)))
        return Unwritable(u"identifier", ident, objectName_);
      Put(ident);
      break;
    }
    case vaFalse:
    case vaTrue:
    case vaNil:
    case vaNull:
      Put(reader_.ReadIdent());
      break;
    case vaString:
    case vaLString: {
      const std::string text = reader_.ReadString();
      PutStringLiteral(std::string_view(text));
      break;
    }
    case vaWString:
    case vaUTF8String: {
      const std::u16string text = reader_.ReadWideString();
      PutStringLiteral(std::u16string_view(text));
      break;
    }
    case vaBinary:
      ConvertBinary();
      break;
    case vaSet:
      ConvertSet();
      break;
    case vaCollection:
      return ConvertCollection();
    default:
      return UnknownTag(tag);
  }
  return !reader_.Failed();
}

bool TBinaryToText::UnknownTag(TValueType tag) {
  // The value's size is unknown, so the place in the stream is lost.
  reader_.Abort(u"sPropertyException" + WidenLatin1(objectName_) + u"." + WidenLatin1(propName_) +
                IntToStr(static_cast<int>(tag)));
  return false;
}

bool TBinaryToText::ConvertList() {
  reader_.ReadValue();
  if (!Enter()) return false;
  PutChar('(');
  ++level_;
  while (More()) {
    NewLine();
    if (!ConvertValue()) return false;
  }
  reader_.ReadValue();
  --level_;
  PutChar(')');
  Leave();
  return !reader_.Failed();
}

bool TBinaryToText::ConvertCollection() {
  reader_.ReadValue();
  if (!Enter()) return false;
  PutChar('<');
  ++level_;
  while (More()) {
    NewLine();
    Put("item");
    const TValueType first = reader_.NextValue();
    if (first == vaInt8 || first == vaInt16 || first == vaInt32) {
      Put(" [");
      Put(IntToStr8(reader_.ReadInteger()));
      PutChar(']');
    }
    PutChar('\n');
    const TValueType list = reader_.NextValue();
    if (list > kLastValueType) return UnknownTag(list);
    reader_.ReadListBegin();
    ++level_;
    while (More())
      if (!ConvertProperty()) return false;
    reader_.ReadValue();
    --level_;
    PutIndent();
    Put("end");
  }
  reader_.ReadValue();
  --level_;
  PutChar('>');
  Leave();
  return !reader_.Failed();
}

void TBinaryToText::ConvertSet() {
  reader_.ReadValue();
  PutChar('[');
  bool first = true;
  for (;;) {
    const std::string name = reader_.ReadStr();
    if (name.empty() || reader_.Failed()) break;
    if (!SetElementReadsBack(name)) {
      Unwritable(u"set element", name, objectName_);
      break;
    }
    if (!first) Put(", ");
    Put(name);
    first = false;
  }
  PutChar(']');
}

void TBinaryToText::ConvertBinary() {
  reader_.ReadValue();
  std::uint8_t size[4];
  reader_.Read(size, 4);
  std::int64_t count = size[0] | (size[1] << 8) | (size[2] << 16) | (std::int64_t{size[3]} << 24);
  const bool multiLine = count >= kBytesPerLine;
  PutChar('{');
  ++level_;
  std::uint8_t bytes[kBytesPerLine];
  char text[2 * kBytesPerLine];
  // A hostile length ends with the stream: the reader reports it once.
  while (count > 0 && !reader_.Failed()) {
    if (multiLine) NewLine();
    const std::int64_t n = count < kBytesPerLine ? count : kBytesPerLine;
    reader_.Read(bytes, n);
    BinToHex(bytes, text, static_cast<std::size_t>(n));
    Put(std::string_view(text, static_cast<std::size_t>(2 * n)));
    count -= n;
  }
  --level_;
  PutChar('}');
}

// Both string rules write every character outside 32..127 and the quote as a
// "#" code (of the byte for 8-bit text, of the UTF-16 unit for wide text),
// so the text is plain ASCII.
template <class C>
void TBinaryToText::PutStringLiteral(std::basic_string_view<C> text) {
  using U = std::make_unsigned_t<C>;
  const auto quoted = [](C c) {
    const auto code = static_cast<U>(c);
    return code >= 32 && code <= 127 && code != '\'';
  };
  const std::size_t length = text.size();
  if (length == 0) {
    Put("''");
    return;
  }
  ++level_;
  if (length > kLineLength) NewLine();
  std::size_t i = 0;
  std::size_t lineStart = 0;
  while (i < length) {
    bool lineBreak = false;
    if (quoted(text[i])) {
      const std::size_t runStart = i;
      do {
        ++i;
      } while (i < length && quoted(text[i]) && i - lineStart < kLineLength);
      if (i - lineStart >= kLineLength) lineBreak = true;
      PutChar('\'');
      for (std::size_t j = runStart; j < i; ++j) out_.push_back(static_cast<char>(text[j]));
      PutChar('\'');
    } else {
      PutChar('#');
      Put(IntToStr8(static_cast<U>(text[i])));
      ++i;
      if (i - lineStart >= kLineLength) lineBreak = true;
    }
    if (lineBreak && i < length) {
      Put(" +");
      NewLine();
      lineStart = i;
    }
  }
  --level_;
}

void TBinaryToText::PutSingle(float value) {
  if (!std::isfinite(value)) {
    InvalidNumber();
    PutChar('0');
    return;
  }
  if (std::trunc(value) == value && std::fabs(value) < kTwoPow63) {
    Put(IntToStr8(static_cast<std::int64_t>(value)));
    return;
  }
  PutFixed(value, 10, {});
}

void TBinaryToText::PutFixed(double value, int decimals, std::string_view suffix) {
  if (!std::isfinite(value)) {
    InvalidNumber();
    value = 0;
  }
  if (value == 0) value = 0;  // no "-0.000..."
  // A double has at most 309 integer digits.
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  Put(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
  Put(suffix);
}

bool TBinaryToText::Unwritable(std::u16string_view what, std::string_view text, std::string_view owner) {
  std::u16string message = u"Can't write the " + std::u16string(what) + u" '" + WidenLatin1(text) + u"'";
  if (!owner.empty()) message += u" of " + WidenLatin1(owner);
  reader_.Abort(message + u" as text: it would not read back");
  return false;
}

void TBinaryToText::InvalidNumber() {
  EngineError(u"Invalid number in " + WidenLatin1(objectName_) + u"." + WidenLatin1(propName_));
}

}  // namespace

bool ObjectBinaryToText(TStream& input, TStream& output) {
  try {
    TGReader reader(input, kConvertBufferSize);
    TGWriter writer(output, kConvertBufferSize);
    TBinaryToText converter(reader, writer);
    reader.ReadSignature();
    const bool done = converter.ConvertObject();
    converter.Flush();
    return done && !reader.Failed();
  } catch (const std::exception& e) {
    EngineError(u"Object binary to text: " + Utf8ToUtf16(e.what()));
    return false;
  }
}

TStreamOriginalFormat TestStreamFormat(TStream& stream) {
  const std::int64_t position = stream.Position();
  std::uint8_t bytes[4] = {};
  std::int64_t got = 0;
  while (got < 4) {
    const std::int64_t n = stream.Read(bytes + got, 4 - got);
    if (n <= 0) break;
    got += n;
  }
  stream.SetPosition(position);
  if (got == 0) return sofUnknown;
  if (bytes[0] == 255 || (got == 4 && std::memcmp(bytes, kObjectSignature, 4) == 0)) return sofBinary;
  switch (bytes[0]) {
    case 9:
    case 11:
    case 13:
    case ' ':
    case 'I':
    case 'O':
    case 'i':
    case 'o':
      return sofText;
    default:
      return sofUnknown;
  }
}

void BinToHex(const void* buffer, char* text, std::size_t count) {
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  for (std::size_t i = 0; i < count; ++i) {
    text[2 * i] = kHexDigits[bytes[i] >> 4];
    text[2 * i + 1] = kHexDigits[bytes[i] & 15];
  }
}

std::size_t HexToBin(std::string_view text, void* buffer, std::size_t count) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::size_t made = 0;
  while (made < count && 2 * made + 1 < text.size()) {
    const int high = HexValue(text[2 * made]);
    const int low = HexValue(text[2 * made + 1]);
    if (high < 0 || low < 0) break;
    bytes[made++] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return made;
}

}  // namespace corvane
