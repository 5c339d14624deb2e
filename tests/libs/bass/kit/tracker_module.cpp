#include "tests/libs/bass/kit/tracker_module.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace libbass::test {

namespace {

constexpr std::size_t kSampleHeaders = 20;
constexpr std::size_t kSampleHeaderSize = 30;
constexpr std::size_t kSongLength = 950;
constexpr std::size_t kOrders = 952;
constexpr std::size_t kSignature = 1080;
constexpr std::size_t kPatterns = 1084;
constexpr std::size_t kPatternSize = 64 * 4 * 4;
constexpr std::size_t kSampleBytes = 64;

void BigEndian16(Bytes& b, std::size_t at, unsigned value) {
  b[at] = static_cast<unsigned char>(value >> 8);
  b[at + 1] = static_cast<unsigned char>(value & 0xFF);
}

// One cell: period, sample number, effect and its parameter.
void Cell(Bytes& b, int row, int channel, unsigned period, unsigned sample, unsigned effect,
          unsigned param) {
  const std::size_t at = kPatterns + static_cast<std::size_t>((row * 4 + channel) * 4);
  b[at] = static_cast<unsigned char>((sample & 0xF0) | ((period >> 8) & 0x0F));
  b[at + 1] = static_cast<unsigned char>(period & 0xFF);
  b[at + 2] = static_cast<unsigned char>(((sample & 0x0F) << 4) | (effect & 0x0F));
  b[at + 3] = static_cast<unsigned char>(param);
}

}  // namespace

Bytes TrackerModule(int rows) {
  Bytes b(kPatterns + kPatternSize + kSampleBytes, 0);
  std::memcpy(b.data(), "libbass test", 12);
  // Sample 1: a whole sine period, looped, at full volume.
  const std::size_t header = kSampleHeaders;
  std::memcpy(b.data() + header, "sine", 4);
  BigEndian16(b, header + 22, kSampleBytes / 2);  // length in words
  b[header + 25] = 64;                            // volume
  BigEndian16(b, header + 26, 0);                 // loop start
  BigEndian16(b, header + 28, kSampleBytes / 2);  // loop length
  for (std::size_t i = 1; i < 31; ++i) BigEndian16(b, kSampleHeaders + i * kSampleHeaderSize + 28, 1);
  b[kSongLength] = 1;
  b[kSongLength + 1] = 127;
  b[kOrders] = 0;
  std::memcpy(b.data() + kSignature, "M.K.", 4);
  Cell(b, 0, 0, 428, 1, 0xF, 0x01);                       // C-2, speed 1
  if (rows < 64) Cell(b, rows - 1, 1, 0, 0, 0xD, 0x00);  // break after the last row
  for (std::size_t i = 0; i < kSampleBytes; ++i) {
    const double v = 100.0 * std::sin(2 * std::numbers::pi * static_cast<double>(i) / kSampleBytes);
    b[kPatterns + kPatternSize + i] = static_cast<unsigned char>(static_cast<signed char>(std::lround(v)));
  }
  return b;
}

}  // namespace libbass::test
