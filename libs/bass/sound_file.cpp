#include "libs/bass/sound_file.h"

#include <algorithm>
#include <new>

#include "libs/bass/frame_mix.h"

namespace libbass {

namespace {

constexpr std::size_t kReadBlockFrames = 1024;

}  // namespace

std::unique_ptr<SoundFile> SoundFile::Open(SF_VIRTUAL_IO& io, void* user) {
  SF_INFO info{};
  SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, user);
  if (!file) return nullptr;
  // The handle is closed however the rest goes, a failed allocation included.
  std::unique_ptr<SoundFile> opened(new (std::nothrow) SoundFile(file, info));
  if (!opened) {
    sf_close(file);
    return nullptr;
  }
  if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1 ||
      static_cast<std::uint32_t>(info.samplerate) > kMaxRate)
    return nullptr;
  if (info.channels > 2) opened->raw_.resize(kReadBlockFrames * static_cast<std::size_t>(info.channels));
  return opened;
}

SoundFile::~SoundFile() { sf_close(file_); }

int SoundFile::Channels() const { return KeptChannels(info_.channels); }

std::int64_t SoundFile::DeclaredFrames() const {
  // libsndfile reports a length it cannot know as the largest count.
  return info_.frames < 0 || info_.frames == SF_COUNT_MAX ? -1 : info_.frames;
}

std::size_t SoundFile::Read(float* kept, std::size_t frames) {
  const std::size_t keptChannels = static_cast<std::size_t>(Channels());
  std::size_t done = 0;
  while (done < frames) {
    const std::size_t want = std::min(frames - done, kReadBlockFrames);
    // Mono and stereo frames are read where they are kept and cleaned there.
    float* to = kept + done * keptChannels;
    float* read = static_cast<int>(keptChannels) == info_.channels ? to : raw_.data();
    const sf_count_t got = sf_readf_float(file_, read, static_cast<sf_count_t>(want));
    if (got <= 0) break;
    const std::size_t n = std::min(static_cast<std::size_t>(got), want);
    KeepFrames(read, info_.channels, to, n);
    done += n;
  }
  return done;
}

bool SoundFile::Is16Bit() const {
  const int major = info_.format & SF_FORMAT_TYPEMASK;
  return (info_.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 &&
         (major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_AIFF || major == SF_FORMAT_RF64);
}

std::size_t SoundFile::Read(std::int16_t* kept, std::size_t frames) {
  const auto channels = static_cast<std::size_t>(info_.channels);
  const std::size_t keptChannels = static_cast<std::size_t>(Channels());
  std::size_t done = 0;
  while (done < frames) {
    const std::size_t want = std::min(frames - done, kReadBlockFrames);
    // Mono and stereo frames are kept as they are read.
    if (channels == keptChannels) {
      const sf_count_t got = sf_readf_short(file_, kept + done * keptChannels, static_cast<sf_count_t>(want));
      if (got <= 0) break;
      done += std::min(static_cast<std::size_t>(got), want);
      continue;
    }
    rawShorts_.resize(kReadBlockFrames * channels);
    const sf_count_t got = sf_readf_short(file_, rawShorts_.data(), static_cast<sf_count_t>(want));
    if (got <= 0) break;
    const std::size_t n = std::min(static_cast<std::size_t>(got), want);
    for (std::size_t i = 0; i < n; ++i) {
      kept[2 * (done + i)] = rawShorts_[i * channels];
      kept[2 * (done + i) + 1] = rawShorts_[i * channels + 1];
    }
    done += n;
  }
  return done;
}

bool SoundFile::Rewind() { return sf_seek(file_, 0, SEEK_SET) == 0; }

}  // namespace libbass
