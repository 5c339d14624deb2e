#include "base/streams/stream_helpers.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

namespace corvane {

namespace {

constexpr bool kLittleHost = std::endian::native == std::endian::little;
static_assert(kLittleHost || std::endian::native == std::endian::big, "mixed-endian hosts are not supported");

constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

// Host order <-> stream order: the identity on a little-endian host.
template <class T>
T Little(T value) {
  if constexpr (!kLittleHost) ReverseBytes(&value, sizeof(T));
  return value;
}

template <class T>
void LittleInPlace(T* values, std::int64_t count) {
  if constexpr (!kLittleHost) {
    for (std::int64_t i = 0; i < count; ++i) values[i] = Little(values[i]);
  }
}

// Scalar readers start from zero and read over it in one call.
template <class T>
T ReadScalar(TStream& stream) {
  T value{};
  stream.Read(&value, sizeof(T));
  return Little(value);
}

template <std::size_t N>
void WriteBytesReversed(TStream& stream, const void* data) {
  unsigned char bytes[N];
  std::memcpy(bytes, data, N);
  if constexpr (!kLittleHost) ReverseBytes(bytes, N);
  stream.Write(bytes, N);
}

// char16_t and std::uint16_t are distinct types; the unit writer serves
// both without reinterpreting one as the other.
template <class U>
void WriteUnits(TStream& stream, const U* units, std::int64_t count) {
  for (std::int64_t i = 0; i < count; ++i) {
    const auto unit = Little(static_cast<std::uint16_t>(units[i]));
    stream.Write(&unit, 2);
  }
}

// A buffer of count elements of size bytes cannot hold more than this.
bool ValidBlock(std::int64_t count, std::size_t size) {
  return count > 0 && count <= std::numeric_limits<std::int64_t>::max() / static_cast<std::int64_t>(size);
}

template <class T>
std::int64_t WriteConvertedBlock(TStream& stream, const T* buffer, std::int64_t count) {
  if (!ValidBlock(count, sizeof(T))) return 0;
  const auto bytes = count * static_cast<std::int64_t>(sizeof(T));
  if constexpr (kLittleHost) {
    return stream.Write(buffer, bytes);
  } else {
    // A converted copy rather than the caller's buffer converted and
    // restored: the buffer stays intact even when Write throws.
    std::vector<T> converted(buffer, buffer + count);
    LittleInPlace(converted.data(), count);
    return stream.Write(converted.data(), bytes);
  }
}

}  // namespace

void ReverseBytes(void* data, std::int32_t count) {
  if (count < 2) return;
  auto* bytes = static_cast<unsigned char*>(data);
  std::reverse(bytes, bytes + count);
}

void ReverseByteOrderInWords(std::uint16_t* units, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    units[i] = static_cast<std::uint16_t>((units[i] >> 8) | (units[i] << 8));
  }
}

std::uint8_t ReadByte(TStream& stream) { return ReadScalar<std::uint8_t>(stream); }
std::uint16_t ReadWord(TStream& stream) { return ReadScalar<std::uint16_t>(stream); }
std::int32_t ReadInteger(TStream& stream) { return ReadScalar<std::int32_t>(stream); }
std::uint32_t ReadLongword(TStream& stream) { return ReadScalar<std::uint32_t>(stream); }
std::int64_t ReadInt64(TStream& stream) { return ReadScalar<std::int64_t>(stream); }
float ReadSingle(TStream& stream) { return std::bit_cast<float>(ReadScalar<std::uint32_t>(stream)); }
double ReadDouble(TStream& stream) { return std::bit_cast<double>(ReadScalar<std::uint64_t>(stream)); }
TCurrency ReadCurrency(TStream& stream) { return TCurrency{ReadInt64(stream)}; }

// The stored count is trusted only as far as the stream reaches: a count
// beyond the end is cut to the bytes that remain, which are then read (the
// position ends at the end of the stream, as a full-length read would
// leave it). So a hostile count never sizes a string beyond the stream.
// Within that bound, bytes a short read did not deliver stay zero.
std::string ReadString(TStream& stream) {
  const auto count = static_cast<std::int32_t>(ReadLongword(stream));
  if (count <= 0) return {};
  const std::int64_t length = std::min<std::int64_t>(count, stream.Remaining());
  std::string text(static_cast<std::size_t>(length), '\0');
  if (length > 0) stream.Read(text.data(), length);
  return text;
}

// As ReadString, in units: an odd last byte makes a final unit whose
// missing high byte is zero.
std::u16string ReadWideString(TStream& stream) {
  const auto count = static_cast<std::int32_t>(ReadLongword(stream));
  if (count <= 0) return {};
  const std::int64_t units = std::min<std::int64_t>(count, (stream.Remaining() + 1) / 2);
  std::u16string text(static_cast<std::size_t>(units), u'\0');
  if (units > 0) stream.Read(text.data(), units * 2);
  LittleInPlace(text.data(), units);
  return text;
}

std::int64_t ReadBuf(TStream& stream, void* buffer, std::int64_t count) {
  return count > 0 ? stream.Read(buffer, count) : 0;
}

std::int64_t ReadLongwordBuf(TStream& stream, std::uint32_t* buffer, std::int64_t count) {
  if (!ValidBlock(count, 4)) return 0;
  const std::int64_t got = stream.Read(buffer, count * 4);
  LittleInPlace(buffer, count);
  return got;
}

std::int64_t ReadLongwordBuf2(TStream& stream, std::uint32_t* buffer, std::int64_t count) {
  return ValidBlock(count, 4) ? stream.Read(buffer, count * 4) : 0;
}

std::int64_t ReadWordBuf(TStream& stream, std::uint16_t* buffer, std::int64_t count) {
  if (!ValidBlock(count, 2)) return 0;
  const std::int64_t got = stream.Read(buffer, count * 2);
  LittleInPlace(buffer, count);
  return got;
}

void WriteByte(TStream& stream, std::uint8_t value) { stream.Write(&value, 1); }
void WriteWord(TStream& stream, std::uint16_t value) { WriteReversedWord(stream, value); }

void WriteReversedWord(TStream& stream, std::uint16_t value) {
  const std::uint16_t stored = Little(value);
  stream.Write(&stored, 2);
}

void WriteInteger(TStream& stream, std::int32_t value) { Write4BytesReversed(stream, &value); }
void WriteLongword(TStream& stream, std::uint32_t value) { Write4BytesReversed(stream, &value); }
void WriteSingle(TStream& stream, float value) { Write4BytesReversed(stream, &value); }
void WriteDouble(TStream& stream, double value) { Write8BytesReversed(stream, &value); }
void WriteInt64(TStream& stream, std::int64_t value) { Write8BytesReversed(stream, &value); }
void WriteCurrency(TStream& stream, TCurrency value) { WriteInt64(stream, value.Value); }

void Write4BytesReversed(TStream& stream, const void* data) { WriteBytesReversed<4>(stream, data); }
void Write8BytesReversed(TStream& stream, const void* data) { WriteBytesReversed<8>(stream, data); }
void Write10BytesReversed(TStream& stream, const void* data) { WriteBytesReversed<10>(stream, data); }

void WriteReversedWords(TStream& stream, const std::uint16_t* units, std::int32_t count) {
  WriteUnits(stream, units, count);
}

void WriteNull(TStream& stream, std::int32_t count) {
  const char zero = 0;
  for (std::int32_t i = 0; i < count; ++i) stream.Write(&zero, 1);
}

// A reader takes a count with the top bit set for an empty string, so
// longer text is cut to the largest count that reads back.
void WriteString(TStream& stream, std::string_view text) {
  const auto length = static_cast<std::uint32_t>(std::min<std::int64_t>(static_cast<std::int64_t>(text.size()), kMaxInt32));
  WriteLongword(stream, length);
  if (length > 0) stream.Write(text.data(), length);
}

void WriteWideStringContent(TStream& stream, std::u16string_view text) {
  WriteUnits(stream, text.data(), static_cast<std::int64_t>(text.size()));
}

std::int64_t WriteBuf(TStream& stream, const void* buffer, std::int64_t count) {
  return count > 0 ? stream.Write(buffer, count) : 0;
}

std::int64_t WriteLongwordBuf(TStream& stream, const std::uint32_t* buffer, std::int64_t count) {
  return WriteConvertedBlock(stream, buffer, count);
}

std::int64_t WriteWordBuf(TStream& stream, const std::uint16_t* buffer, std::int64_t count) {
  return WriteConvertedBlock(stream, buffer, count);
}

}  // namespace corvane
