#include "libs/bass/library.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <optional>
#include <utility>

#include "libs/bass/module_voice.h"
#include "libs/bass/stream_voice.h"

namespace libbass {

namespace {

using Hold = std::lock_guard<AudioOutput>;

constexpr std::uint32_t kMinRate = 8000;
constexpr std::uint32_t kMaxRate = 192000;

}  // namespace

Library::~Library() { Free(); }

bool Library::SetConfig(std::uint32_t option, std::uint32_t value) {
  if (option != BASS_CONFIG_SAMPLE_MEMORY) return false;
  sampleMemoryLimit_ = value;
  return true;
}

bool Library::Init(std::int32_t device, std::uint32_t rate) {
  if (initialised_ || rate < kMinRate || rate > kMaxRate) return false;
  if (!output_.Open(device, rate, &Library::Render, this)) return false;
  rate_ = rate;
  initialised_ = true;
  return true;
}

bool Library::Start() {
  if (!initialised_) return false;
  output_.Start();
  return true;
}

bool Library::Free() {
  if (!initialised_) return false;
  initialised_ = false;
  output_.Close();  // no mixing from here on
  table_.TakeAll();  // each stream closes its source as it goes
  sampleMemory_ = 0;
  return true;
}

BassHandle Library::LoadSample(const void* bytes, std::size_t size, std::uint32_t maxChannels,
                               std::uint32_t flags) {
  error_ = BASS_ERROR_UNKNOWN;
  if (!initialised_ || !bytes || maxChannels < 1 || maxChannels > 0xFFFF) return 0;
  const std::size_t room = sampleMemoryLimit_ == 0 ? std::numeric_limits<std::size_t>::max()
                           : sampleMemoryLimit_ > sampleMemory_ ? sampleMemoryLimit_ - sampleMemory_
                                                                : 0;
  bool tooLarge = false;
  std::shared_ptr<const SampleData> data = DecodeSample(bytes, size, (flags & BASS_SAMPLE_LOOP) != 0, room, &tooLarge);
  if (!data) {
    if (tooLarge) error_ = BASS_ERROR_MEM;
    return 0;
  }
  const std::size_t taken = data->Bytes();
  Hold hold(output_);
  const BassHandle handle = table_.Add(SampleEntry{std::move(data), maxChannels, {}, taken});
  if (handle == 0) return 0;
  sampleMemory_ += taken;
  error_ = BASS_OK;
  return handle;
}

BassHandle Library::SampleChannel(BassHandle sample, bool onlyNew) {
  if (!initialised_) return 0;
  Hold hold(output_);
  auto* entry = table_.Find(sample);
  auto* s = entry ? std::get_if<SampleEntry>(entry) : nullptr;
  if (!s) return 0;
  if (s->channels.size() < s->maxChannels) {
    ChannelEntry channel{ChannelKind::kSample, std::make_unique<SampleVoice>(s->data, rate_)};
    channel.sample = sample;
    const BassHandle handle = table_.Add(std::move(channel));
    // The table may have moved its entries: look the sample up again.
    if (handle != 0) std::get<SampleEntry>(*table_.Find(sample)).channels.push_back(handle);
    return handle;
  }
  if (onlyNew) return 0;
  for (BassHandle handle : s->channels) {
    const ChannelEntry* channel = FindChannel(handle);
    if (channel && channel->state != PlayState::kPlaying) return handle;
  }
  return 0;
}

bool Library::FreeSample(BassHandle sample) {
  if (!initialised_) return false;
  std::vector<Entry> freed;
  {
    Hold hold(output_);
    auto* entry = table_.Find(sample);
    if (!entry || !std::holds_alternative<SampleEntry>(*entry)) return false;
    const std::vector<BassHandle> channels = std::get<SampleEntry>(*entry).channels;
    freed.reserve(channels.size() + 1);
    for (BassHandle channel : channels)
      if (std::optional<Entry> taken = table_.Remove(channel)) freed.push_back(std::move(*taken));
    sampleMemory_ -= std::get<SampleEntry>(*table_.Find(sample)).bytes;
    freed.push_back(std::move(*table_.Remove(sample)));
  }
  return true;  // the decoded frames go here, outside the lock
}

BassHandle Library::AddChannel(ChannelKind kind, std::unique_ptr<Voice> voice) {
  Hold hold(output_);
  return table_.Add(ChannelEntry{kind, std::move(voice)});
}

BassHandle Library::LoadMusic(const void* bytes, std::size_t size, std::uint32_t flags) {
  if (!initialised_ || !bytes) return 0;
  std::unique_ptr<Voice> voice = ModuleVoice::Create(bytes, size, (flags & BASS_MUSIC_LOOP) != 0, rate_);
  if (!voice) return 0;
  return AddChannel(ChannelKind::kMusic, std::move(voice));
}

BassHandle Library::CreateStream(BassFileProc proc, void* user, std::uint32_t flags) {
  if (!initialised_) return 0;
  std::unique_ptr<StreamVoice> voice =
      StreamVoice::Create(proc, user, (flags & BASS_SAMPLE_LOOP) != 0, rate_);
  if (!voice) return 0;
  // Until the stream has its handle its source stays the caller's: a full
  // table (or a failed allocation) drops the stream without closing it.
  StreamVoice* stream = voice.get();
  const BassHandle handle = AddChannel(ChannelKind::kStream, std::move(voice));
  if (handle != 0) stream->TakeSource();
  return handle;
}

bool Library::FreeChannel(BassHandle channel, ChannelKind kind) {
  if (!initialised_) return false;
  std::optional<Entry> freed;
  {
    Hold hold(output_);
    ChannelEntry* entry = FindChannel(channel);
    if (!entry || entry->kind != kind) return false;
    freed = table_.Remove(channel);
  }
  freed.reset();  // a stream's source closes here, with the mixing thread clear of it
  return true;
}

ChannelEntry* Library::FindChannel(BassHandle channel) {
  auto* entry = table_.Find(channel);
  return entry ? std::get_if<ChannelEntry>(entry) : nullptr;
}

template <class F>
auto Library::OnChannel(BassHandle channel, F&& use) -> decltype(use(std::declval<ChannelEntry&>())) {
  if (!initialised_) return {};
  Hold hold(output_);
  ChannelEntry* entry = FindChannel(channel);
  return entry ? use(*entry) : decltype(use(*entry)){};
}

bool Library::Play(BassHandle channel, bool restart) {
  return OnChannel(channel, [&](ChannelEntry& entry) {
    if (restart || entry.ended) entry.rewind = true;
    entry.ended = false;
    entry.state = PlayState::kPlaying;
    return true;
  });
}

bool Library::Stop(BassHandle channel) {
  return OnChannel(channel, [](ChannelEntry& entry) {
    entry.state = PlayState::kStopped;
    return true;
  });
}

bool Library::Pause(BassHandle channel) {
  return OnChannel(channel, [](ChannelEntry& entry) {
    if (entry.state == PlayState::kStopped) return false;
    entry.state = PlayState::kPaused;
    return true;
  });
}

std::uint32_t Library::IsActive(BassHandle channel) {
  // No channel reads as stopped (0).
  return OnChannel(channel, [](ChannelEntry& entry) -> std::uint32_t {
    switch (entry.state) {
      case PlayState::kPlaying:
        return BASS_ACTIVE_PLAYING;
      case PlayState::kPaused:
        return BASS_ACTIVE_PAUSED;
      case PlayState::kStopped:
        break;
    }
    return BASS_ACTIVE_STOPPED;
  });
}

bool Library::SetAttributes(BassHandle channel, std::int32_t frequency, std::int32_t volume,
                            std::int32_t pan) {
  if (frequency != BASS_KEEP_FREQUENCY && frequency != 0) return false;
  if (pan != BASS_KEEP_PAN && pan != 0) return false;
  if (volume != BASS_KEEP_VOLUME && (volume < 0 || volume > 100)) return false;
  return OnChannel(channel, [&](ChannelEntry& entry) {
    if (volume != BASS_KEEP_VOLUME) entry.gain = static_cast<float>(volume) / 100.0f;
    return true;
  });
}

std::uint32_t Library::RenderManual(float* stereo, std::uint32_t frames) {
  if (!initialised_ || !output_.IsManual() || !stereo) return 0;
  output_.RenderManual(stereo, frames);
  return frames;
}

void Library::Render(void* self, float* stereo, std::size_t frames) {
  auto* library = static_cast<Library*>(self);
  for (std::size_t done = 0; done < frames; done += kMixChunkFrames)
    library->MixChunk(stereo + 2 * done, std::min(kMixChunkFrames, frames - done));
}

void Library::MixChunk(float* stereo, std::size_t frames) {
  const MixBuses buses{monoBus_.data(), stereo};
  std::fill(buses.mono, buses.mono + frames, 0.0f);
  std::fill(buses.stereo, buses.stereo + 2 * frames, 0.0f);
  table_.ForEach([&](BassHandle, Entry& entry) {
    auto* channel = std::get_if<ChannelEntry>(&entry);
    if (!channel || channel->state != PlayState::kPlaying) return;
    if (channel->rewind) {
      channel->voice->Rewind();
      channel->rewind = false;
    }
    if (channel->voice->Mix(buses, frames, channel->gain) < frames) {
      channel->state = PlayState::kStopped;
      channel->ended = true;
    }
  });
  JoinBuses(buses, frames);
}

}  // namespace libbass
