#include "base/system/content_digest.h"

#include <bit>
#include <algorithm>
#include <cstring>

namespace corvane {

namespace {

// Odd 64-bit constants with well-spread bits (as in common multiply-rotate
// hashes).
constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;

std::uint64_t Word(const std::uint8_t* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

std::uint64_t Round(std::uint64_t lane, std::uint64_t word) {
  return std::rotl(lane + word * kPrime2, 31) * kPrime1;
}

// Every input bit reaches every output bit.
std::uint64_t Avalanche(std::uint64_t x) {
  x ^= x >> 33;
  x *= kPrime2;
  x ^= x >> 29;
  x *= kPrime3;
  x ^= x >> 32;
  return x;
}

}  // namespace

TContentDigest::TContentDigest()
    : lanes_{kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1} {}

void TContentDigest::Stripe(const std::uint8_t* stripe) {
  for (std::size_t i = 0; i < lanes_.size(); ++i) lanes_[i] = Round(lanes_[i], Word(stripe + 8 * i));
}

void TContentDigest::Update(std::string_view bytes) {
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::size_t size = bytes.size();
  length_ += size;
  if (buffered_ > 0) {
    const std::size_t take = std::min(size, buffer_.size() - buffered_);
    std::memcpy(buffer_.data() + buffered_, in, take);
    buffered_ += take;
    in += take;
    size -= take;
    if (buffered_ < buffer_.size()) return;
    Stripe(buffer_.data());
    buffered_ = 0;
  }
  for (; size >= buffer_.size(); in += buffer_.size(), size -= buffer_.size()) Stripe(in);
  std::memcpy(buffer_.data(), in, size);
  buffered_ = size;
}

TContentDigestBytes TContentDigest::Final() {
  // The tail and the length, so that inputs differing only in trailing
  // zero bytes differ.
  std::uint64_t tail = length_ * kPrime3;
  for (std::size_t i = 0; i < buffered_; ++i) tail = std::rotl(tail ^ (buffer_[i] * kPrime1), 11) * kPrime2;
  TContentDigestBytes out{};
  std::uint64_t chain = Avalanche(tail);
  for (std::size_t i = 0; i < lanes_.size(); ++i) {
    chain = Avalanche(chain ^ Avalanche(lanes_[i] + kPrime3 * (i + 1)));
    for (std::size_t b = 0; b < 8; ++b) out[8 * i + b] = static_cast<std::uint8_t>(chain >> (8 * b));
  }
  return out;
}

TContentDigestBytes ContentDigest(std::string_view bytes) {
  TContentDigest digest;
  digest.Update(bytes);
  return digest.Final();
}

}  // namespace corvane
