// Builders of 3DS bytes for the reader's tests, and the committed fixture
// files (written by fixtures/make_fixtures.py).
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/streams/memory_stream.h"

namespace corvane::test3ds {

inline std::string U16(std::uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }
inline std::string U32(std::uint32_t v) {
  return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}
inline std::string F32(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return U32(bits);
}
inline std::string Floats(std::initializer_list<float> values) {
  std::string out;
  for (float v : values) out += F32(v);
  return out;
}
inline std::string Str(std::string_view text) { return std::string(text) + '\0'; }

// A chunk whose length counts its header, data and children.
inline std::string Chunk(std::uint16_t tag, std::string_view data = {}, std::initializer_list<std::string> children = {}) {
  std::string body(data);
  for (const std::string& c : children) body += c;
  return U16(tag) + U32(static_cast<std::uint32_t>(6 + body.size())) + body;
}
// A header with a length of one's choosing followed by body.
inline std::string RawChunk(std::uint16_t tag, std::uint32_t length, std::string_view body = {}) {
  return U16(tag) + U32(length) + std::string(body);
}

inline TMemoryStream StreamOf(std::string_view bytes) {
  return TMemoryStream(std::span<const char>(bytes.data(), bytes.size()));
}

// A memory stream that counts the reads reaching it.
class TCountingStream : public TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  std::int64_t Read(void* buffer, std::int64_t count) override {
    ++reads;
    return TMemoryStream::Read(buffer, count);
  }
  int reads = 0;
};

// The bytes of a committed fixture ("cube.3ds", ...).
std::string Fixture(std::string_view name);

}  // namespace corvane::test3ds
