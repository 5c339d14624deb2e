// wav_to_ogg: encodes a WAV file as Ogg Vorbis with libsndfile, for the
// sample's streamed music (Python's standard library has no Vorbis
// encoder, and the engine streams only compressed music).
//
//   wav_to_ogg INPUT.wav OUTPUT.ogg
//
// libsndfile numbers the Ogg stream at random; the serial number is set to
// a fixed one afterwards (every page's CRC written again), so the same WAV
// always gives the same bytes. The output is written beside and renamed
// into place when complete.
#include <sndfile.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kSerial = 0x636F7276;  // "corv"

int Fail(const std::string& message) {
  std::fprintf(stderr, "wav_to_ogg: %s\n", message.c_str());
  return 1;
}

std::uint32_t OggCrc(const std::uint8_t* bytes, std::size_t count) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t r = i << 24;
      for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
      t[i] = r;
    }
    return t;
  }();
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < count; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ bytes[i]) & 0xFF];
  return crc;
}

void PutLE32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Gives every page the fixed serial and its new CRC; false for bytes that
// are not a run of whole Ogg pages.
bool FixSerial(std::vector<std::uint8_t>& ogg) {
  std::size_t at = 0;
  while (at < ogg.size()) {
    if (ogg.size() - at < 27 || std::string(ogg.begin() + static_cast<long>(at), ogg.begin() + static_cast<long>(at) + 4) != "OggS")
      return false;
    const std::size_t segments = ogg[at + 26];
    if (ogg.size() - at < 27 + segments) return false;
    std::size_t body = 0;
    for (std::size_t i = 0; i < segments; ++i) body += ogg[at + 27 + i];
    const std::size_t size = 27 + segments + body;
    if (ogg.size() - at < size) return false;
    PutLE32(&ogg[at + 14], kSerial);
    PutLE32(&ogg[at + 22], 0);
    PutLE32(&ogg[at + 22], OggCrc(&ogg[at], size));
    at += size;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: wav_to_ogg INPUT.wav OUTPUT.ogg");
  const std::string output = argv[2];
  const std::string part = output + ".part";

  SF_INFO in{};
  SNDFILE* wav = sf_open(argv[1], SFM_READ, &in);
  if (!wav) return Fail(std::string("can't read ") + argv[1] + ": " + sf_strerror(nullptr));
  std::vector<float> frames(static_cast<std::size_t>(in.frames) * static_cast<std::size_t>(in.channels));
  const bool read = sf_readf_float(wav, frames.data(), in.frames) == in.frames;
  sf_close(wav);
  if (!read) return Fail(std::string("can't read ") + argv[1]);

  SF_INFO out{};
  out.channels = in.channels;
  out.samplerate = in.samplerate;
  out.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  SNDFILE* ogg = sf_open(part.c_str(), SFM_WRITE, &out);
  if (!ogg) return Fail("can't write " + part + ": " + sf_strerror(nullptr));
  double quality = 0.4;
  sf_command(ogg, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
  const bool written = sf_writef_float(ogg, frames.data(), in.frames) == in.frames;
  if (sf_close(ogg) != 0 || !written) {
    std::filesystem::remove(part);
    return Fail("can't write " + part);
  }

  std::ifstream encoded(part, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(encoded)), std::istreambuf_iterator<char>());
  encoded.close();
  if (!FixSerial(bytes)) {
    std::filesystem::remove(part);
    return Fail("libsndfile wrote no Ogg pages");
  }
  std::ofstream fixed(part, std::ios::binary | std::ios::trunc);
  fixed.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  fixed.close();
  if (!fixed) {
    std::filesystem::remove(part);
    return Fail("can't write " + part);
  }
  std::error_code error;
  std::filesystem::rename(part, output, error);
  if (error) return Fail("can't write " + output + ": " + error.message());
  return 0;
}
