// SHA-256 and HMAC-SHA-256 over bytes in memory: what authenticates the
// files the engine writes for itself and must trust when it reads them
// back. Small and self-contained; no library of the system is needed.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvane {

using TSha256Digest = std::array<std::uint8_t, 32>;

// An incremental digest: Update any number of times, then Final once.
class TSha256 {
 public:
  TSha256();
  void Update(std::string_view bytes);
  TSha256Digest Final();

 private:
  void Block(const std::uint8_t* block);
  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::uint64_t length_ = 0;  // bytes taken so far
};

TSha256Digest Sha256(std::string_view bytes);

// HMAC-SHA-256 of the parts, one after another, under the key.
class THmacSha256 {
 public:
  explicit THmacSha256(std::string_view key);
  void Update(std::string_view bytes) { inner_.Update(bytes); }
  TSha256Digest Final();

 private:
  TSha256 inner_;
  std::array<std::uint8_t, 64> outerPad_{};
};

// Compares two digests in a time that does not depend on where they differ.
bool SameDigest(const TSha256Digest& a, const TSha256Digest& b);

}  // namespace corvane
