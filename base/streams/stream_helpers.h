// The one place where values meet the byte order of the engine's files.
// Every binary file stores its numbers least significant byte first,
// whatever the host; these helpers convert on the way in and out (a no-op on
// little-endian hosts). They keep no state.
//
// Readers start from zero and read each value in one Read call, so bytes a
// stream did not deliver stay zero; they do not report short reads (callers
// that care compare positions). Errors a stream raises pass through.
//
// On the stream:
//  - 8-bit string: 32-bit byte count, then the bytes, no terminator;
//  - wide string (ReadWideString): 32-bit count of UTF-16 units, then the
//    units, 2 bytes each;
//  - wide-string content (WriteWideStringContent): the units alone; formats
//    that need the counted form write the count first with WriteLongword.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/reflection/type_info.h"
#include "base/streams/stream.h"

namespace corvane {

// Byte-order utilities on memory. They always reverse, whatever the host.
// Reverses count bytes in place; a count below 2 changes nothing.
void ReverseBytes(void* data, std::int32_t count);
// Swaps the two bytes of each of count units; a count of 0 or less changes
// nothing.
void ReverseByteOrderInWords(std::uint16_t* units, std::int32_t count);

// Scalar readers.
std::uint8_t ReadByte(TStream& stream);
std::uint16_t ReadWord(TStream& stream);
std::int32_t ReadInteger(TStream& stream);
std::uint32_t ReadLongword(TStream& stream);
std::int64_t ReadInt64(TStream& stream);
float ReadSingle(TStream& stream);
double ReadDouble(TStream& stream);
TCurrency ReadCurrency(TStream& stream);
// A counted string. A count of 0 or with the top bit set gives an empty
// string. The count is bounded by the bytes left in the stream, so a
// hostile count costs no more than the stream's own size.
std::string ReadString(TStream& stream);
std::u16string ReadWideString(TStream& stream);

// Block readers: count elements into the caller's buffer; the result is
// what the stream's Read returned (bytes, not elements).
std::int64_t ReadBuf(TStream& stream, void* buffer, std::int64_t count);
std::int64_t ReadLongwordBuf(TStream& stream, std::uint32_t* buffer, std::int64_t count);
// The elements stay as stored (little-endian), unconverted.
std::int64_t ReadLongwordBuf2(TStream& stream, std::uint32_t* buffer, std::int64_t count);
std::int64_t ReadWordBuf(TStream& stream, std::uint16_t* buffer, std::int64_t count);

// Scalar writers.
void WriteByte(TStream& stream, std::uint8_t value);
void WriteWord(TStream& stream, std::uint16_t value);
void WriteReversedWord(TStream& stream, std::uint16_t value);
void WriteInteger(TStream& stream, std::int32_t value);
void WriteLongword(TStream& stream, std::uint32_t value);
void WriteSingle(TStream& stream, float value);
void WriteDouble(TStream& stream, double value);
void WriteInt64(TStream& stream, std::int64_t value);
void WriteCurrency(TStream& stream, TCurrency value);
// The value at data, in host order, written least significant byte first
// in one Write: 4 bytes, 8 bytes, or a 10-byte extended float.
void Write4BytesReversed(TStream& stream, const void* data);
void Write8BytesReversed(TStream& stream, const void* data);
void Write10BytesReversed(TStream& stream, const void* data);
// One 2-byte Write per unit; nothing for a count of 0 or less.
void WriteReversedWords(TStream& stream, const std::uint16_t* units, std::int32_t count);
// count zero bytes, one 1-byte Write each; nothing for 0 or less.
void WriteNull(TStream& stream, std::int32_t count);
// The 32-bit count, then the bytes in one Write.
void WriteString(TStream& stream, std::string_view text);
// The units alone, no count; nothing at all for an empty string.
void WriteWideStringContent(TStream& stream, std::u16string_view text);

// Block writers: count elements in one Write; the result is what the
// stream's Write returned. The caller's buffer is never changed.
std::int64_t WriteBuf(TStream& stream, const void* buffer, std::int64_t count);
std::int64_t WriteLongwordBuf(TStream& stream, const std::uint32_t* buffer, std::int64_t count);
std::int64_t WriteWordBuf(TStream& stream, const std::uint16_t* buffer, std::int64_t count);

}  // namespace corvane
