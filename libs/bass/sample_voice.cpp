#include "libs/bass/sample_voice.h"

#include <algorithm>
#include <cstring>

#include "libs/bass/sound_file.h"

namespace libbass {

namespace {

constexpr std::size_t kDecodeBlockFrames = 16384;

// libsndfile's view of a block of memory.
struct MemoryReader {
  const unsigned char* bytes;
  sf_count_t size;
  sf_count_t pos;
};

MemoryReader& Reader(void* user) { return *static_cast<MemoryReader*>(user); }

sf_count_t MemoryLength(void* user) { return Reader(user).size; }

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
  MemoryReader& r = Reader(user);
  const sf_count_t base = whence == SEEK_CUR ? r.pos : whence == SEEK_END ? r.size : 0;
  // Offsets come from the file's own fields: keep the sum in range.
  if (offset < -base || offset > r.size - base) return -1;
  r.pos = base + offset;
  return r.pos;
}

sf_count_t MemoryRead(void* to, sf_count_t count, void* user) {
  MemoryReader& r = Reader(user);
  const sf_count_t n = std::clamp<sf_count_t>(count, 0, r.size - r.pos);
  if (n > 0) std::memcpy(to, r.bytes + r.pos, static_cast<std::size_t>(n));
  r.pos += n;
  return n;
}

sf_count_t MemoryWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t MemoryTell(void* user) { return Reader(user).pos; }

SF_VIRTUAL_IO kMemoryIo = {MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};

}  // namespace

std::shared_ptr<const SampleData> DecodeSample(const void* bytes, std::size_t size, bool loop) {
  MemoryReader reader{static_cast<const unsigned char*>(bytes), static_cast<sf_count_t>(size), 0};
  std::unique_ptr<SoundFile> file = SoundFile::Open(kMemoryIo, &reader);
  if (!file) return nullptr;
  const std::int64_t declared = file->DeclaredFrames();
  if (declared > static_cast<std::int64_t>(kMaxSampleFrames)) return nullptr;

  auto data = std::make_shared<SampleData>();
  data->channels = file->Channels();
  data->rate = file->Rate();
  data->loop = loop;
  const std::size_t channels = static_cast<std::size_t>(data->channels);
  std::vector<float>& frames = data->frames;
  for (;;) {
    const std::size_t have = frames.size() / channels;
    frames.resize((have + kDecodeBlockFrames) * channels);
    const std::size_t got = file->Read(frames.data() + have * channels, kDecodeBlockFrames);
    frames.resize((have + got) * channels);
    if (have + got > kMaxSampleFrames) return nullptr;
    if (got == 0) break;
  }
  data->count = frames.size() / channels;
  if (data->count == 0) return nullptr;  // nothing to play
  if (loop) {
    frames.insert(frames.end(), frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(channels));
  } else {
    frames.insert(frames.end(), channels, 0.0f);
  }
  frames.shrink_to_fit();
  return data;
}

SampleVoice::SampleVoice(std::shared_ptr<const SampleData> data, std::uint32_t outputRate)
    : data_(std::move(data)), step_(StepFor(data_->rate, outputRate)) {}

std::size_t SampleVoice::Mix(const MixBuses& buses, std::size_t frames, float gain) {
  const SampleData& d = *data_;
  std::size_t written = 0;
  for (;;) {
    written += MixResampled(d.frames.data(), d.channels, d.count, pos_, step_, gain,
                            buses.After(written).For(d.channels), frames - written);
    if (written == frames || !d.loop) return written;
    pos_ %= FramePos{d.count} << 32;
  }
}

}  // namespace libbass
