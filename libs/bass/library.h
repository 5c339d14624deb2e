// The library's state behind the C entry points: the output, the table of
// samples and channels, and the mix. Every change of what plays is made
// under the output's lock; decoding at load time and freeing happen outside
// it, so the mixing thread never waits for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "libs/bass/audio_output.h"
#include "libs/bass/api/bass_api.h"
#include "libs/bass/handle_table.h"
#include "libs/bass/sample_voice.h"
#include "libs/bass/voice.h"

namespace libbass {

enum class ChannelKind : std::uint8_t { kSample, kStream, kMusic };
enum class PlayState : std::uint8_t { kStopped, kPlaying, kPaused };

struct SampleEntry {
  std::shared_ptr<const SampleData> data;
  std::uint32_t maxChannels;
  std::vector<BassHandle> channels;
  std::size_t bytes = 0;  // what its frames take, counted against the bound
};

struct ChannelEntry {
  ChannelKind kind;
  std::unique_ptr<Voice> voice;
  BassHandle sample = 0;  // the sample a sample's channel plays
  PlayState state = PlayState::kStopped;
  float gain = 1.0f;
  bool ended = false;   // played to its end: the next play starts over
  bool rewind = false;  // to go back to the first frame when next mixed
};

using Entry = std::variant<SampleEntry, ChannelEntry>;

class Library {
 public:
  // The frames mixed at a time.
  static constexpr std::size_t kMixChunkFrames = 1024;

  ~Library();

  // BASS_CONFIG_SAMPLE_MEMORY; false for another option.
  bool SetConfig(std::uint32_t option, std::uint32_t value);
  // Why the last sample load failed (BASS_OK after one that succeeded).
  std::int32_t ErrorCode() const { return error_; }

  bool Init(std::int32_t device, std::uint32_t rate);
  bool Start();
  bool Free();

  BassHandle LoadSample(const void* bytes, std::size_t size, std::uint32_t maxChannels,
                        std::uint32_t flags);
  BassHandle SampleChannel(BassHandle sample, bool onlyNew);
  bool FreeSample(BassHandle sample);
  BassHandle LoadMusic(const void* bytes, std::size_t size, std::uint32_t flags);
  BassHandle CreateStream(BassFileProc proc, void* user, std::uint32_t flags);
  // Frees a module or a stream.
  bool FreeChannel(BassHandle channel, ChannelKind kind);

  bool Play(BassHandle channel, bool restart);
  bool Stop(BassHandle channel);
  bool Pause(BassHandle channel);
  std::uint32_t IsActive(BassHandle channel);
  bool SetAttributes(BassHandle channel, std::int32_t frequency, std::int32_t volume,
                     std::int32_t pan);

  std::uint32_t RenderManual(float* stereo, std::uint32_t frames);

 private:
  static void Render(void* self, float* stereo, std::size_t frames);
  void MixChunk(float* stereo, std::size_t frames);
  ChannelEntry* FindChannel(BassHandle channel);
  // use(entry) under the lock; the empty result without an output or for
  // no such channel.
  template <class F>
  auto OnChannel(BassHandle channel, F&& use) -> decltype(use(std::declval<ChannelEntry&>()));
  BassHandle AddChannel(ChannelKind kind, std::unique_ptr<Voice> voice);

  bool initialised_ = false;
  std::uint32_t rate_ = 0;
  // The bound of all samples' frames (0: none) and what they take now.
  std::size_t sampleMemoryLimit_ = 0;
  std::size_t sampleMemory_ = 0;
  std::int32_t error_ = BASS_OK;
  AudioOutput output_;
  HandleTable<Entry> table_;
  std::vector<float> monoBus_ = std::vector<float>(kMixChunkFrames);
};

}  // namespace libbass
