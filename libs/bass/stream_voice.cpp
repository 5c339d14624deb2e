#include "libs/bass/stream_voice.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace libbass {

namespace {

constexpr std::size_t kStreamBlockFrames = 1024;

using Source = StreamVoice::Source;

Source& SourceOf(void* user) { return *static_cast<Source*>(user); }

sf_count_t SourceLength(void* user) { return static_cast<sf_count_t>(SourceOf(user).length); }

sf_count_t SourceSeek(sf_count_t offset, int whence, void* user) {
  Source& s = SourceOf(user);
  const auto length = static_cast<sf_count_t>(s.length);
  const sf_count_t base =
      whence == SEEK_CUR ? static_cast<sf_count_t>(s.pos) : whence == SEEK_END ? length : 0;
  if (offset < -base || offset > length - base) return -1;
  const auto target = static_cast<std::uint64_t>(base + offset);
  if (s.proc(BASS_FILE_SEEK, target, nullptr, s.user) == 0) return -1;
  s.pos = target;
  return static_cast<sf_count_t>(target);
}

sf_count_t SourceRead(void* to, sf_count_t count, void* user) {
  Source& s = SourceOf(user);
  if (count <= 0) return 0;
  const auto want = static_cast<std::uint64_t>(count);
  // A callback that claims more than was asked for is held to the request.
  const std::uint64_t got = std::min(s.proc(BASS_FILE_READ, want, to, s.user), want);
  s.pos += got;
  return static_cast<sf_count_t>(got);
}

sf_count_t SourceWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t SourceTell(void* user) { return static_cast<sf_count_t>(SourceOf(user).pos); }

SF_VIRTUAL_IO kSourceIo = {SourceLength, SourceSeek, SourceRead, SourceWrite, SourceTell};

}  // namespace

StreamVoice::StreamVoice(BassFileProc proc, void* user, bool loop)
    : source_{proc, user, 0, 0}, loop_(loop) {}

std::unique_ptr<StreamVoice> StreamVoice::Create(BassFileProc proc, void* user, bool loop,
                                                 std::uint32_t outputRate) {
  if (!proc) return nullptr;
  std::unique_ptr<StreamVoice> voice(new StreamVoice(proc, user, loop));
  // libsndfile counts in signed 64 bits.
  voice->source_.length = std::min<std::uint64_t>(proc(BASS_FILE_LENGTH, 0, nullptr, user), INT64_MAX);
  // Decoding starts from the first byte, wherever the source stands.
  if (proc(BASS_FILE_SEEK, 0, nullptr, user) == 0) return nullptr;
  voice->file_ = SoundFile::Open(kSourceIo, &voice->source_);
  if (!voice->file_) return nullptr;
  voice->step_ = StepFor(voice->file_->Rate(), outputRate);
  voice->block_.resize((kStreamBlockFrames + 2) * static_cast<std::size_t>(voice->file_->Channels()));
  return voice;
}

StreamVoice::~StreamVoice() {
  file_.reset();
  if (ownsSource_) source_.proc(BASS_FILE_CLOSE, 0, nullptr, source_.user);
}

void StreamVoice::Rewind() {
  frames_ = 0;
  pos_ = 0;
  last_ = !file_->Rewind();
}

void StreamVoice::Refill() {
  const std::size_t channels = static_cast<std::size_t>(file_->Channels());
  if (frames_ > 0) {
    std::memmove(block_.data(), block_.data() + (frames_ - 1) * channels, channels * sizeof(float));
    pos_ -= FramePos{frames_ - 1} << 32;
    frames_ = 1;
  }
  float* to = block_.data() + frames_ * channels;
  std::size_t got = file_->Read(to, kStreamBlockFrames);
  // At the end a looping stream starts over; one that yields nothing even
  // from its start ends, so that an empty piece cannot spin the mixer.
  if (got == 0 && loop_ && file_->Rewind()) got = file_->Read(to, kStreamBlockFrames);
  frames_ += got;
  if (got == 0) {
    std::fill(to, to + channels, 0.0f);
    last_ = true;
  }
}

std::size_t StreamVoice::Mix(const MixBuses& buses, std::size_t frames, float gain) {
  const int channels = file_->Channels();
  std::size_t written = 0;
  while (written < frames) {
    // Until the last block only frames with a decoded successor are mixed.
    const std::size_t limit = last_ ? frames_ : frames_ > 0 ? frames_ - 1 : 0;
    written += MixResampled(block_.data(), channels, limit, pos_, step_, gain,
                            buses.After(written).For(channels), frames - written);
    if (written == frames || last_) break;
    Refill();
  }
  return written;
}

}  // namespace libbass
