// TFileReader: reads an untrusted binary file front to back. Every read
// needs its bytes to be left in the stream: a count times a size is checked
// against what is left (in 64 bits) before anything is allocated or read.
// The first shortfall, short read or refused value fails the reader and
// keeps its reason; every later read gives zeros and does nothing, so a
// loader reads its fields in a row and looks once at Failed(). Reads below
// the buffer's size come from a buffer of up to 64 KB, so a small file costs
// one read of the stream.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace corvane {

class TStream;

class TFileReader {
 public:
  explicit TFileReader(TStream& stream);

  bool Failed() const { return failed_; }
  // Why the first failure happened ("" while none did).
  const std::u16string& Reason() const { return reason_; }
  // Fails with the reason unless failed already.
  void Fail(std::u16string_view reason);
  // Bytes left unread (by the caller).
  std::int64_t Left() const { return left_; }

  // Whether count items of size bytes are left after the next before
  // bytes; fails naming what when not (or when count is negative).
  bool Need(std::int64_t count, std::int64_t size, std::u16string_view what, std::int64_t before = 0);
  // Reads count bytes whole; false (and failed) when fewer are left or come.
  bool Bytes(void* data, std::int64_t count);
  // Whether the next bytes are exactly these; a mismatch consumes them but
  // does not fail the reader (a wrong signature is no damaged file).
  bool Matches(std::string_view expected);
  // Matches, failing the reader on a mismatch: "the file is empty", or
  // "it is no <kind> file".
  bool Signature(std::string_view expected, std::u16string_view kind);
  bool Skip(std::int64_t count);
  // Little-endian values.
  std::uint32_t Longword();
  float Single();
  // count 32-bit (16-bit) little-endian words into host order.
  bool Longwords(void* data, std::int64_t count);
  bool Words(std::uint16_t* data, std::int64_t count);
  // A 32-bit length, then that many 8-bit characters.
  std::string String();

 private:
  static constexpr std::int64_t kBufferSize = 64 * 1024;
  std::size_t Buffered() const { return end_ - next_; }

  TStream& stream_;
  std::int64_t left_ = 0;
  // Made at the first fill, never larger than the file; left uninitialised
  // (the reads fill it).
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t next_ = 0;  // the buffered bytes not yet handed out: next_ .. end_
  std::size_t end_ = 0;
  bool failed_ = false;
  std::u16string reason_;
};

// The one error line of a refused file: "Can't load <name>: <reason>".
void ReportBadFile(std::string_view name, std::u16string_view reason);

}  // namespace corvane
