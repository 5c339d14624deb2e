// A file decoded by libsndfile through virtual I/O (WAV, AIFF, FLAC, OGG
// Vorbis, MP3, ...), read in frames of its kept channels (mono or the first
// two), with the bounds every source must meet.
#pragma once

#include <sndfile.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace libbass {

class SoundFile {
 public:
  static constexpr int kMaxChannels = 8;
  static constexpr std::uint32_t kMaxRate = 384000;

  // nullptr when libsndfile cannot open the bytes, or for no channels, more
  // than kMaxChannels or a rate outside 1..kMaxRate. io and user must
  // outlive the file.
  static std::unique_ptr<SoundFile> Open(SF_VIRTUAL_IO& io, void* user);
  ~SoundFile();
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  int Channels() const;  // kept channels, 1 or 2
  std::uint32_t Rate() const { return static_cast<std::uint32_t>(info_.samplerate); }
  // The frame count the header declares; -1 when it declares none.
  std::int64_t DeclaredFrames() const;

  // Whether the file holds 16-bit integer frames that libsndfile reads
  // as they are (PCM in WAV or AIFF), so that they can be kept in 16 bits.
  bool Is16Bit() const;

  // Reads up to `frames` frames into `kept` (Channels() values a frame);
  // the frames read, 0 at the end or on a decoding error.
  std::size_t Read(float* kept, std::size_t frames);
  // The same in 16 bits; for a file that Is16Bit.
  std::size_t Read(std::int16_t* kept, std::size_t frames);
  // Back to the first frame; false when the file cannot seek.
  bool Rewind();

 private:
  SoundFile(SNDFILE* file, const SF_INFO& info) : file_(file), info_(info) {}

  SNDFILE* file_;
  SF_INFO info_;
  std::vector<float> raw_;  // one block of a wider file's own channels
  std::vector<std::int16_t> rawShorts_;  // the same for a wider 16-bit file, made when first read
};

}  // namespace libbass
