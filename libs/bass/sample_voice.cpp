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

namespace {

// Room for at least `values` in frames, growing by doubling up to `most`;
// false when `values` passes it.
template <class T>
bool Room(std::vector<T>& frames, std::size_t values, std::size_t most) {
  if (values > most) return false;
  if (values > frames.capacity()) frames.reserve(std::min(std::max(values, 2 * frames.capacity()), most));
  return true;
}

// Decodes the whole file into frames, followed by the frame the last runs
// on into; false when it holds no frame, runs past kMaxSampleFrames or its
// frames would take more than maxBytes (*tooLarge then set). The frames
// decoded are all that is ever held: the buffer grows by doubling within
// maxBytes, and is cut to its size at the end only when that frees much.
template <class T>
bool DecodeFrames(SoundFile& file, bool loop, std::size_t maxBytes, std::vector<T>& frames, std::size_t& count,
                  bool& tooLarge) {
  const auto channels = static_cast<std::size_t>(file.Channels());
  const std::size_t most = maxBytes / sizeof(T);
  // A declared length is only a first guess of the room needed.
  const std::int64_t declared = file.DeclaredFrames();
  if (declared > 0 && static_cast<std::size_t>(declared) <= kMaxSampleFrames)
    (void)Room(frames, std::min((static_cast<std::size_t>(declared) + 1) * channels, most), most);
  for (;;) {
    const std::size_t have = frames.size() / channels;
    // The block read and the frame after the last must fit.
    if (!Room(frames, (have + kDecodeBlockFrames + 1) * channels, most)) {
      tooLarge = true;
      return false;
    }
    frames.resize((have + kDecodeBlockFrames) * channels);
    const std::size_t got = file.Read(frames.data() + have * channels, kDecodeBlockFrames);
    frames.resize((have + got) * channels);
    if (have + got > kMaxSampleFrames) return false;
    if (got == 0) break;
  }
  count = frames.size() / channels;
  if (count == 0) return false;  // nothing to play
  if (loop) {
    frames.insert(frames.end(), frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(channels));
  } else {
    frames.insert(frames.end(), channels, T{0});
  }
  // Cutting copies the frames: worth it only for a quarter or more spare.
  if (frames.capacity() - frames.size() > frames.size() / 4) frames.shrink_to_fit();
  return true;
}

}  // namespace

std::shared_ptr<const SampleData> DecodeSample(const void* bytes, std::size_t size, bool loop, std::size_t maxBytes,
                                               bool* tooLarge) {
  MemoryReader reader{static_cast<const unsigned char*>(bytes), static_cast<sf_count_t>(size), 0};
  std::unique_ptr<SoundFile> file = SoundFile::Open(kMemoryIo, &reader);
  if (!file) return nullptr;
  const std::int64_t declared = file->DeclaredFrames();
  if (declared > static_cast<std::int64_t>(kMaxSampleFrames)) return nullptr;

  auto data = std::make_shared<SampleData>();
  data->channels = file->Channels();
  data->rate = file->Rate();
  data->loop = loop;
  bool large = false;
  const bool decoded = file->Is16Bit() ? DecodeFrames(*file, loop, maxBytes, data->shorts, data->count, large)
                                       : DecodeFrames(*file, loop, maxBytes, data->frames, data->count, large);
  if (tooLarge) *tooLarge = large;
  return decoded ? data : nullptr;
}

SampleVoice::SampleVoice(std::shared_ptr<const SampleData> data, std::uint32_t outputRate)
    : data_(std::move(data)), step_(StepFor(data_->rate, outputRate)) {}

std::size_t SampleVoice::Mix(const MixBuses& buses, std::size_t frames, float gain) {
  const SampleData& d = *data_;
  std::size_t written = 0;
  for (;;) {
    float* bus = buses.After(written).For(d.channels);
    written += d.shorts.empty()
                   ? MixResampled(d.frames.data(), d.channels, d.count, pos_, step_, gain, bus, frames - written)
                   : MixResampled(d.shorts.data(), d.channels, d.count, pos_, step_, gain, bus, frames - written);
    if (written == frames || !d.loop) return written;
    pos_ %= FramePos{d.count} << 32;
  }
}

}  // namespace libbass
