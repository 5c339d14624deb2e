#include "tests/libs/bass/kit/sound_media.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace libbass::test {

namespace {

// libsndfile writing into a growing block of memory.
struct MemoryFile {
  Bytes bytes;
  sf_count_t pos = 0;
};

MemoryFile& FileOf(void* user) { return *static_cast<MemoryFile*>(user); }

sf_count_t Length(void* user) { return static_cast<sf_count_t>(FileOf(user).bytes.size()); }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  MemoryFile& f = FileOf(user);
  const sf_count_t base = whence == SEEK_CUR ? f.pos : whence == SEEK_END ? Length(user) : 0;
  if (base + offset < 0) return -1;
  f.pos = base + offset;
  return f.pos;
}

sf_count_t Read(void* to, sf_count_t count, void* user) {
  MemoryFile& f = FileOf(user);
  const sf_count_t n = std::clamp<sf_count_t>(Length(user) - f.pos, 0, count);
  if (n > 0) std::memcpy(to, f.bytes.data() + f.pos, static_cast<std::size_t>(n));
  f.pos += n;
  return n;
}

sf_count_t Write(const void* from, sf_count_t count, void* user) {
  MemoryFile& f = FileOf(user);
  const auto end = static_cast<std::size_t>(f.pos + count);
  if (end > f.bytes.size()) f.bytes.resize(end);
  std::memcpy(f.bytes.data() + f.pos, from, static_cast<std::size_t>(count));
  f.pos += count;
  return count;
}

sf_count_t Tell(void* user) { return FileOf(user).pos; }

}  // namespace

std::string FormatName(int format) {
  switch (format) {
    case kWavFloat: return "float WAV";
    case kWav16: return "16-bit WAV";
    case kFlac16: return "FLAC";
    case kOggVorbis: return "OGG Vorbis";
    case kMp3: return "MP3";
    default: return "format " + std::to_string(format);
  }
}

std::vector<float> Tone(double hertz, double amplitude, int rate, int channels, std::size_t frames) {
  std::vector<float> out(frames * static_cast<std::size_t>(channels));
  for (std::size_t i = 0; i < frames; ++i) {
    const auto v = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hertz * static_cast<double>(i) / rate));
    for (int c = 0; c < channels; ++c) out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = v;
  }
  return out;
}

std::vector<float> Ramp(int channels, std::size_t frames) {
  std::vector<float> out(frames * static_cast<std::size_t>(channels));
  for (std::size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
          static_cast<float>(i % 1000) / 1000.0f - static_cast<float>(c) / 2.0f;
  return out;
}

Bytes Encode(const std::vector<float>& interleaved, int channels, int rate, int format) {
  MemoryFile file;
  SF_VIRTUAL_IO io = {Length, Seek, Read, Write, Tell};
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = rate;
  info.format = format;
  SNDFILE* sf = sf_open_virtual(&io, SFM_WRITE, &info, &file);
  if (!sf) return {};
  const auto frames = static_cast<sf_count_t>(interleaved.size() / static_cast<std::size_t>(channels));
  const bool whole = sf_writef_float(sf, interleaved.data(), frames) == frames;
  if (sf_close(sf) != 0 || !whole) return {};
  return file.bytes;
}

}  // namespace libbass::test
