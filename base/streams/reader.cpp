#include "base/streams/reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/lists/collection.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "base/reflection/exceptions.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/value_convert.h"
#include "base/reflection/variant.h"
#include "base/streams/fixups.h"
#include "base/streams/memory_stream.h"
#include "base/streams/stream.h"
#include "base/streams/stream_nesting.h"
#include "base/streams/writer.h"
#include "base/system/log_target.h"
#include "base/system/stop_question.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TGReader)

namespace {

const std::u16string kInvalidValue = u"invalid property value";

bool IsIntegerTag(TValueType tag) { return tag == vaInt8 || tag == vaInt16 || tag == vaInt32; }

}  // namespace

TGReader::TGReader(TStream& stream, int bufferSize)
    : TGFiler(stream, bufferSize), streamPos_(stream.Position()), streamEnd_(stream.Size()) {}

TGReader::~TGReader() {
  // Levels still held (a read left by an exception) go back to the budget.
  for (; depth_ > 0; --depth_) LeaveStreamNesting();
  // Hand the stream on positioned just after what was used.
  if (bufEnd_ > bufPos_) stream_.Seek(-(bufEnd_ - bufPos_), soCurrent);
}

// ---------------------------------------------------------------- buffering

bool TGReader::Refill() {
  bufPos_ = 0;
  bufEnd_ = 0;
  if (aborted_) return false;
  if (stopWhenAsked_ && StopAsked()) {
    Stop();
    return false;
  }
  const std::int64_t got = stream_.Read(buffer_.data(), static_cast<std::int64_t>(buffer_.size()));
  if (got <= 0) {
    ReportExhausted();
    return false;
  }
  bufEnd_ = static_cast<int>(got);
  streamPos_ += got;
  return true;
}

void TGReader::Read(void* buffer, std::int64_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    if (bufPos_ >= bufEnd_ && !Refill()) {
      std::memset(out, 0, static_cast<std::size_t>(count));  // ran dry: zeros end every list
      return;
    }
    const std::int64_t n = std::min<std::int64_t>(count, bufEnd_ - bufPos_);
    std::memcpy(out, buffer_.data() + bufPos_, static_cast<std::size_t>(n));
    bufPos_ += static_cast<int>(n);
    out += n;
    count -= n;
  }
}

void TGReader::ReadBuffer() {
  bufPos_ = 0;
  bufEnd_ = 0;
  if (aborted_) return;
  if (stopWhenAsked_ && StopAsked()) {
    Stop();
    return;
  }
  const std::int64_t got = stream_.Read(buffer_.data(), static_cast<std::int64_t>(buffer_.size()));
  if (got <= 0) {
    EngineLog(u"Read rrror");
    return;
  }
  bufEnd_ = static_cast<int>(got);
  streamPos_ += got;
}

void TGReader::ReportExhausted() {
  if (exhausted_) return;
  exhausted_ = true;
  EngineError(u"ReadError 2 " + IntToStr(static_cast<std::int64_t>(buffer_.size())) +
              WidenLatin1(stream_.ClassName()) + u" size: " + IntToStr(stream_.Size()) + u" pos: " +
              IntToStr(stream_.Position()));
}

void TGReader::Abort(const std::u16string& message) {
  if (aborted_) return;
  EngineError(message);
  Cut();
}

void TGReader::Stop() {
  if (aborted_) return;
  stopped_ = true;
  Cut();
}

void TGReader::Cut() {
  aborted_ = true;
  // What is buffered is dropped too: nothing more is read from this stream.
  streamPos_ -= bufEnd_ - bufPos_;
  stream_.Seek(-(bufEnd_ - bufPos_), soCurrent);
  bufPos_ = bufEnd_ = 0;
}

std::int64_t TGReader::GetPosition() { return streamPos_ - (bufEnd_ - bufPos_); }

void TGReader::SetPosition(std::int64_t position) {
  streamPos_ = stream_.Seek(position, soBeginning);
  bufPos_ = bufEnd_ = 0;
}

void TGReader::FlushBuffer() { SetPosition(GetPosition()); }

std::int64_t TGReader::BytesLeft() {
  if (aborted_) return 0;
  return std::max<std::int64_t>(0, streamEnd_ - streamPos_) + (bufEnd_ - bufPos_);
}

void TGReader::SkipBytes(std::int64_t count) {
  if (count <= 0) return;
  const std::int64_t inBuffer = std::min<std::int64_t>(count, bufEnd_ - bufPos_);
  bufPos_ += static_cast<int>(inBuffer);
  count -= inBuffer;
  if (count == 0) return;
  const std::int64_t left = BytesLeft();
  if (count > left) {
    count = left;
    ReportExhausted();
  }
  streamPos_ = stream_.Seek(count, soCurrent);
}

void TGReader::ReadLE(void* value, int size) {
  auto* bytes = static_cast<std::uint8_t*>(value);
  if (bufEnd_ - bufPos_ >= size) {
    std::memcpy(bytes, buffer_.data() + bufPos_, static_cast<std::size_t>(size));
    bufPos_ += size;
  } else {
    Read(bytes, size);
  }
  if constexpr (std::endian::native == std::endian::big)
    for (int i = 0; i < size / 2; ++i) std::swap(bytes[i], bytes[size - 1 - i]);
}

std::int64_t TGReader::ReadLength(int unitSize) {
  std::uint32_t length = 0;
  ReadLE(&length, 4);
  const std::int64_t fits = BytesLeft() / unitSize;
  if (static_cast<std::int64_t>(length) > fits) {
    ReportExhausted();
    return fits;
  }
  return length;
}

bool TGReader::EnterNesting() {
  ++depth_;
  if (EnterStreamNesting()) return true;
  Abort(u"Object stream nested deeper than " + IntToStr(kMaxStreamDepth) + u" levels");
  return false;
}

void TGReader::LeaveNesting() {
  --depth_;
  LeaveStreamNesting();
}

// ------------------------------------------------------------------- values

TValueType TGReader::NextValue() {
  if (bufPos_ >= bufEnd_ && !Refill()) return vaNull;
  return static_cast<TValueType>(buffer_[static_cast<std::size_t>(bufPos_)]);
}

void TGReader::CheckValue(TValueType value) {
  const TValueType tag = ReadValue();
  if (tag == value) return;
  SkipAfterTag(tag);
  EngineLog(kInvalidValue);
}

void TGReader::ReadSignature() {
  char signature[4];
  Read(signature, 4);
  if (std::memcmp(signature, kObjectSignature, 4) != 0) EngineLog(u"Invalid image");
}

void TGReader::ReadPrefix(TGFilerFlags& flags, std::int32_t& childPos) {
  flags = TGFilerFlags();
  if ((NextValue() & 0xF0) == 0xF0) {
    flags = TGFilerFlags::FromMask(ReadByte() & 0x0F);
    if (flags.Contains(ffChildPos)) childPos = ReadInteger();
  }
}

std::string TGReader::ReadStr() {
  const std::uint8_t length = ReadByte();
  std::string text(length, '\0');
  if (bufEnd_ - bufPos_ >= length) {
    std::memcpy(text.data(), buffer_.data() + bufPos_, length);
    bufPos_ += length;
  } else {
    Read(text.data(), length);
  }
  return text;
}

void TGReader::InvalidAfterTag(TValueType tag) {
  SkipAfterTag(tag);
  EngineLog(kInvalidValue);
}

std::int64_t TGReader::ReadIntegerAfterTag(TValueType tag) {
  switch (tag) {
    case vaInt8:
      return static_cast<std::int8_t>(ReadByte());
    case vaInt16: {
      std::int16_t v = 0;
      ReadLE(&v, 2);
      return v;
    }
    case vaInt32: {
      std::int32_t v = 0;
      ReadLE(&v, 4);
      return v;
    }
    case vaInt64: {
      std::int64_t v = 0;
      ReadLE(&v, 8);
      return v;
    }
    default:
      InvalidAfterTag(tag);
      return 0;
  }
}

std::int32_t TGReader::ReadInteger() {
  const TValueType tag = ReadValue();
  if (tag == vaInt64) {
    InvalidAfterTag(tag);
    return 0;
  }
  return static_cast<std::int32_t>(ReadIntegerAfterTag(tag));
}

std::int64_t TGReader::ReadInt64() { return ReadIntegerAfterTag(ReadValue()); }

bool TGReader::ReadBoolean() {
  const TValueType tag = ReadValue();
  if (tag == vaTrue) return true;
  if (tag != vaFalse) SkipAfterTag(tag);  // "visible = 1" compiles to an integer: false, quietly
  return false;
}

double TGReader::ReadDoubleAfterTag() {
  double v = 0;
  ReadLE(&v, 8);
  return v;
}

double TGReader::ReadFloat() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case vaExtended:
    case vaDouble:
      return ReadDoubleAfterTag();
    case vaSingle: {
      float v = 0;
      ReadLE(&v, 4);
      return v;
    }
    default:
      return static_cast<double>(ReadIntegerAfterTag(tag));
  }
}

float TGReader::ReadSingle() {
  const TValueType tag = ReadValue();
  if (tag == vaSingle) {
    float v = 0;
    ReadLE(&v, 4);
    return v;
  }
  return static_cast<float>(ReadIntegerAfterTag(tag));
}

double TGReader::ReadDouble() {
  const TValueType tag = ReadValue();
  if (tag == vaDouble) return ReadDoubleAfterTag();
  return static_cast<double>(ReadIntegerAfterTag(tag));
}

TCurrency TGReader::ReadCurrency() {
  const TValueType tag = ReadValue();
  if (tag == vaCurrency) {
    TCurrency c;
    ReadLE(&c.Value, 8);
    return c;
  }
  return TCurrency{ReadIntegerAfterTag(tag) * 10000};
}

TDateTime TGReader::ReadDate() {
  const TValueType tag = ReadValue();
  if (tag == vaDate) return TDateTime{ReadDoubleAfterTag()};
  return TDateTime{static_cast<double>(ReadIntegerAfterTag(tag))};
}

std::string TGReader::ReadIdent() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default:
      InvalidAfterTag(tag);
      return {};
  }
}

std::string TGReader::ReadRawString(TValueType tag) {
  std::int64_t length;
  if (tag == vaString) {
    length = ReadByte();
  } else {
    length = ReadLength(1);
  }
  std::string text(static_cast<std::size_t>(length), '\0');
  Read(text.data(), length);
  return text;
}

std::u16string TGReader::ReadRawWideString() {
  const std::int64_t count = ReadLength(2);
  std::u16string text(static_cast<std::size_t>(count), u'\0');
  for (std::int64_t i = 0; i < count; ++i) {
    std::uint16_t unit = 0;
    ReadLE(&unit, 2);
    text[static_cast<std::size_t>(i)] = unit;
  }
  return text;
}

std::string TGReader::ReadString() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case vaString:
    case vaLString: return ReadRawString(tag);
    case vaWString: return NarrowLatin1(ReadRawWideString());
    case vaUTF8String: return NarrowLatin1(Utf8ToUtf16(ReadRawString(tag)));
    default:
      InvalidAfterTag(tag);
      return {};
  }
}

std::u16string TGReader::ReadWideString() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case vaString:
    case vaLString: return WidenLatin1(ReadRawString(tag));
    case vaWString: return ReadRawWideString();
    case vaUTF8String: return Utf8ToUtf16(ReadRawString(tag));
    default:
      InvalidAfterTag(tag);
      return {};
  }
}

char TGReader::ReadChar() {
  const std::string text = ReadString();
  if (text.size() > 1) EngineLog(kInvalidValue);
  return text.empty() ? '\0' : text[0];
}

char16_t TGReader::ReadWideChar() {
  const std::u16string text = ReadWideString();
  if (text.size() > 1) EngineLog(kInvalidValue);
  return text.empty() ? u'\0' : text[0];
}

std::uint32_t TGReader::ReadSet(const TTypeInfo& setType) {
  const TValueType tag = ReadValue();
  if (tag != vaSet) {
    InvalidAfterTag(tag);
    return 0;
  }
  const TTypeInfo& element = *setType.CompType();
  const bool numbered = element.Kind() == pkInteger || element.Kind() == pkChar || element.Kind() == pkWChar;
  std::uint32_t result = 0;
  for (;;) {
    const std::string name = ReadStr();
    if (name.empty()) break;
    if (numbered) {
      const bool isNumber = element.Kind() == pkInteger ? TryStrToInt64(name).has_value()
                                                        : name.size() > 1 && TryStrToInt64(name.substr(1)).has_value();
      if (!isNumber) {
        SkipSetBody();
        throw EConvertError("'" + name + "' is not a valid set element");
      }
      const int bit = SetElementBit(element, name);
      if (bit >= 0) result |= std::uint32_t{1} << bit;  // below 0 or from 32 up: nothing
      continue;
    }
    const int value = element.EnumValue(name);
    if (value < 0) EngineLog(kInvalidValue);
    else if (value < 32) result |= std::uint32_t{1} << value;
  }
  return result;
}

Variant TGReader::ReadVariant() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case vaNull: return Variant::Null();
    case vaNil: return Variant();
    case vaInt8: return Variant::OfInteger(varShortInt, ReadIntegerAfterTag(tag));
    case vaInt16: return Variant::OfInteger(varSmallInt, ReadIntegerAfterTag(tag));
    case vaInt32: return Variant(static_cast<std::int32_t>(ReadIntegerAfterTag(tag)));
    case vaInt64: return Variant(ReadIntegerAfterTag(tag));
    case vaExtended:
    case vaDouble: return Variant(ReadDoubleAfterTag());
    case vaSingle: {
      float v = 0;
      ReadLE(&v, 4);
      return Variant(v);
    }
    case vaCurrency: {
      TCurrency c;
      ReadLE(&c.Value, 8);
      return Variant(c);
    }
    case vaDate: return Variant(TDateTime{ReadDoubleAfterTag()});
    case vaString:
    case vaLString: return Variant(ReadRawString(tag));
    case vaWString: return Variant(ReadRawWideString());
    case vaUTF8String: return Variant(Utf8ToUtf16(ReadRawString(tag)));
    case vaFalse: return Variant(false);
    case vaTrue: return Variant(true);
    case vaBinary:
      // A custom variant record; its types are not interpreted.
      SkipBytes(ReadLength(1));
      return Variant();
    default:
      SkipAfterTag(tag);
      EngineLog(u"Read error");
      return Variant();
  }
}

void TGReader::SkipValue() { SkipAfterTag(ReadValue()); }

void TGReader::SkipAfterTag(TValueType tag) {
  switch (tag) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaInt8: SkipBytes(1); return;
    case vaInt16: SkipBytes(2); return;
    case vaInt32:
    case vaSingle: SkipBytes(4); return;
    case vaExtended:
    case vaCurrency:
    case vaDate:
    case vaInt64:
    case vaDouble: SkipBytes(8); return;
    case vaString:
    case vaIdent: SkipBytes(ReadByte()); return;
    case vaBinary:
    case vaLString:
    case vaUTF8String: SkipBytes(ReadLength(1)); return;
    case vaWString: SkipBytes(2 * ReadLength(2)); return;
    case vaSet: SkipSetBody(); return;
    case vaList:
      if (EnterNesting()) {
        while (!EndOfList() && !Failed()) SkipValue();
        ReadValue();
      }
      LeaveNesting();
      return;
    case vaCollection:
      if (EnterNesting()) {
        while (!EndOfList() && !Failed()) {
          if (IsIntegerTag(NextValue())) SkipValue();
          ReadValue();  // the item's vaList
          while (!EndOfList() && !Failed()) SkipProperty();
          ReadValue();
        }
        ReadValue();
      }
      LeaveNesting();
      return;
  }
  Abort(u"Invalid value tag " + IntToStr(static_cast<int>(tag)) + u" at " + IntToStr(GetPosition() - 1));
}

void TGReader::SkipSetBody() {
  while (!Failed() && !ReadStr().empty()) {
  }
}

void TGReader::SkipProperty() {
  ReadStr();
  SkipValue();
}

void TGReader::SkipComponent(bool skipHeader) {
  if (!EnterNesting()) {
    LeaveNesting();
    return;
  }
  if (skipHeader) {
    TGFilerFlags flags;
    std::int32_t childPos = 0;
    ReadPrefix(flags, childPos);
    ReadStr();
    ReadStr();
  }
  while (!EndOfList() && !Failed()) SkipProperty();
  ReadValue();
  while (!EndOfList() && !Failed()) SkipComponent(true);
  ReadValue();
  LeaveNesting();
}

void TGReader::CopyValue(TGWriter& writer) {
  const TValueType tag = ReadValue();
  switch (tag) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      writer.WriteValue(tag);
      return;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      writer.WriteInteger(ReadIntegerAfterTag(tag));
      return;
    case vaSingle: {
      float v = 0;
      ReadLE(&v, 4);
      writer.WriteSingle(v);
      return;
    }
    case vaExtended: {
      // Kept as it came: tag and the 8 bytes of its double.
      std::uint8_t bytes[8];
      Read(bytes, 8);
      writer.WriteValue(vaExtended);
      writer.Write(bytes, 8);
      return;
    }
    case vaCurrency: {
      TCurrency c;
      ReadLE(&c.Value, 8);
      writer.WriteCurrency(c);
      return;
    }
    case vaDate: writer.WriteDate(TDateTime{ReadDoubleAfterTag()}); return;
    case vaDouble: writer.WriteDouble(ReadDoubleAfterTag()); return;
    case vaString: writer.WriteString(ReadRawString(tag)); return;
    case vaIdent: writer.WriteIdent(ReadStr()); return;
    case vaBinary:
    case vaLString:
    case vaUTF8String:
    case vaWString: {
      const int unit = tag == vaWString ? 2 : 1;
      const std::int64_t length = ReadLength(unit);
      writer.WriteValue(tag);
      const auto length32 = static_cast<std::uint32_t>(length);
      std::uint8_t lengthBytes[4] = {static_cast<std::uint8_t>(length32), static_cast<std::uint8_t>(length32 >> 8),
                                     static_cast<std::uint8_t>(length32 >> 16),
                                     static_cast<std::uint8_t>(length32 >> 24)};
      writer.Write(lengthBytes, 4);
      std::uint8_t chunk[8192];
      for (std::int64_t left = length * unit; left > 0;) {
        const std::int64_t n = std::min<std::int64_t>(left, sizeof chunk);
        Read(chunk, n);
        writer.Write(chunk, n);
        left -= n;
      }
      return;
    }
    case vaList:
      writer.WriteValue(tag);
      if (EnterNesting())
        while (!EndOfList() && !Failed()) CopyValue(writer);
      LeaveNesting();
      ReadValue();
      writer.WriteListEnd();
      return;
    case vaCollection:
      // Items are not plain values: an optional index, then named
      // properties; copy them as such.
      writer.WriteValue(tag);
      if (EnterNesting())
        while (!EndOfList() && !Failed()) {
          if (IsIntegerTag(NextValue())) CopyValue(writer);
          CheckValue(vaList);
          writer.WriteListBegin();
          while (!EndOfList() && !Failed()) {
            writer.WriteStr(ReadStr());
            CopyValue(writer);
          }
          ReadValue();
          writer.WriteListEnd();
        }
      LeaveNesting();
      ReadValue();
      writer.WriteListEnd();
      return;
    case vaSet:
      writer.WriteValue(vaSet);
      for (;;) {
        const std::string name = ReadStr();
        writer.WriteStr(name);
        if (name.empty() || Failed()) break;
      }
      return;
  }
  Abort(u"Invalid value tag " + IntToStr(static_cast<int>(tag)) + u" at " + IntToStr(GetPosition() - 1));
}

void TGReader::PropertyError(const std::string& name) {
  SkipValue();
  EngineLog(u"Unknown property " + WidenLatin1(name));
}

}  // namespace corvane
