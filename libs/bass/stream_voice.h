// Streams: decoded block by block on the mixing thread from the bytes a
// caller's file callback delivers, so a long piece never sits in memory
// whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "libs/bass/api/bass_api.h"
#include "libs/bass/frame_mix.h"
#include "libs/bass/sound_file.h"
#include "libs/bass/voice.h"

namespace libbass {

class StreamVoice final : public Voice {
 public:
  // nullptr when the bytes do not decode. The source stays the caller's
  // (no BASS_FILE_CLOSE) until TakeSource.
  static std::unique_ptr<StreamVoice> Create(BassFileProc proc, void* user, bool loop,
                                             std::uint32_t outputRate);
  // Closes the decoder, then, once the source is the stream's, gives the
  // callback its one BASS_FILE_CLOSE.
  ~StreamVoice() override;

  void TakeSource() { ownsSource_ = true; }

  std::size_t Mix(const MixBuses& buses, std::size_t frames, float gain) override;
  void Rewind() override;

  // The callback's source as libsndfile sees it.
  struct Source {
    BassFileProc proc;
    void* user;
    std::uint64_t length;
    std::uint64_t pos;
  };

 private:
  StreamVoice(BassFileProc proc, void* user, bool loop);
  // Carries the last frame to the front and decodes the next block behind
  // it: at the end, from the start again when looping, else a silent
  // frame to run on into and the mark that no more comes.
  void Refill();

  Source source_;
  bool loop_;
  bool ownsSource_ = false;
  std::unique_ptr<SoundFile> file_;
  FramePos step_ = kOneFrame;
  std::vector<float> block_;  // the carried frame, a decoded block, a guard frame
  std::size_t frames_ = 0;    // frames in block_ (the guard not counted)
  FramePos pos_ = 0;          // in block_
  bool last_ = false;         // block_ holds the stream's last frames
};

}  // namespace libbass
