// A fast 256-bit digest of bytes, to tell whether a file's contents changed
// (a derived file's source): not a cryptographic hash, so never for what an
// adversary must not forge (see sha256.h for that). It runs at memory speed,
// so stamping a source costs far less than converting it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvane {

using TContentDigestBytes = std::array<std::uint8_t, 32>;

// An incremental digest: Update any number of times, then Final once. The
// result depends only on the bytes, not on how they were split.
class TContentDigest {
 public:
  TContentDigest();
  void Update(std::string_view bytes);
  TContentDigestBytes Final();

 private:
  void Stripe(const std::uint8_t* stripe);
  std::array<std::uint64_t, 4> lanes_;
  std::array<std::uint8_t, 32> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

TContentDigestBytes ContentDigest(std::string_view bytes);

}  // namespace corvane
