// Ten seconds of an applet's sound through libbass.so's manual output: 32
// sample voices (half at the mix rate, half at 22.05 kHz), an OGG and an
// MP3 stream and a tracker module, mixed in device-sized blocks; against
// the same two streams decoded by plain libsndfile and the same module
// rendered by plain libopenmpt, which is the work no mixer can skip. Both
// sides play the same frames: the streams loop, so each side decodes past
// the end from the start again. Each reports its share of one core while
// it keeps up with real time ("percent_of_core": CPU time / 10 s of sound);
// BM_MixOverDecoders reports the median ratio of alternating rounds (the
// aim is at most 1.5).
#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>

#include <time.h>

#include <cstring>
#include <vector>

#include "bench/support/paired_rounds.h"
#include "tests/libs/bass/kit/loaded_libbass.h"
#include "tests/libs/bass/kit/recording_source.h"
#include "tests/libs/bass/kit/sound_media.h"
#include "tests/libs/bass/kit/tracker_module.h"

namespace libbass::test {
namespace {

constexpr int kRate = 44100;
constexpr std::size_t kSeconds = 10;
constexpr std::size_t kBlockFrames = 1024;  // what SDL's device asks for at a time
constexpr std::size_t kFrames = kSeconds * kRate;

struct Media {
  Media()
      : ogg(Encode(Tone(330, 0.3, kRate, 2, kSeconds * kRate), 2, kRate, kOggVorbis)),
        mp3(Encode(Tone(220, 0.3, kRate, 2, kSeconds * kRate), 2, kRate, kMp3)),
        module(TrackerModule(64)) {
    for (int i = 0; i < 32; ++i) {
      const int rate = i % 2 ? 22050 : kRate;
      samples.push_back(Encode(Tone(200 + 20 * i, 0.02, rate, 1, static_cast<std::size_t>(rate)), 1, rate, kWav16));
    }
  }
  Bytes ogg, mp3, module;
  std::vector<Bytes> samples;
};

const Media& TheMedia() {
  static const Media media;
  return media;
}

// What the benchmark library reports as CPU time, per iteration, as a
// share of the ten seconds of sound made in it.
void SetShareOfCore(benchmark::State& state, double cpuSeconds) {
  state.counters["percent_of_core"] =
      benchmark::Counter(cpuSeconds * 100.0 / kSeconds, benchmark::Counter::kAvgIterations);
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The applet's sound through libbass.so.
struct MixSide {
  MixSide() : ogg(TheMedia().ogg), mp3(TheMedia().mp3) {
    const Media& media = TheMedia();
    if (!lib.Loaded() || !lib.BASS_Init(BASS_DEVICE_MANUAL, kRate, 0, nullptr, nullptr) || !lib.BASS_Start()) return;
    for (const Bytes& s : media.samples) {
      const BassHandle sample = lib.BASS_SampleLoad(BASS_TRUE, s.data(), 0, static_cast<std::uint32_t>(s.size()), 1, BASS_SAMPLE_LOOP);
      channels.push_back(lib.BASS_SampleGetChannel(sample, BASS_FALSE));
    }
    channels.push_back(lib.BASS_StreamCreateFileUser(BASS_FALSE, BASS_SAMPLE_LOOP, &RecordingSource::Proc, &ogg));
    channels.push_back(lib.BASS_StreamCreateFileUser(BASS_FALSE, BASS_SAMPLE_LOOP, &RecordingSource::Proc, &mp3));
    channels.push_back(lib.BASS_MusicLoad(BASS_TRUE, media.module.data(), 0, static_cast<std::uint32_t>(media.module.size()), BASS_MUSIC_LOOP, 0));
    for (BassHandle h : channels) {
      if (h == 0) return;
      lib.BASS_ChannelSetAttributes(h, -1, 60, -101);
    }
    ready = true;
  }
  ~MixSide() { lib.Unload(); }
  void Round() {
    for (BassHandle h : channels) lib.BASS_ChannelPlay(h, BASS_TRUE);
    for (std::size_t done = 0; done < kFrames; done += kBlockFrames) lib.BassManual_Render(block.data(), kBlockFrames);
    benchmark::DoNotOptimize(block.data());
  }

  RecordingSource ogg, mp3;
  LoadedLibBass lib;
  std::vector<BassHandle> channels;
  std::vector<float> block = std::vector<float>(2 * kBlockFrames);
  bool ready = false;
};

// Rounds of one side, with its share of a core; skipped with why when the
// side did not open.
template <class Side>
void TimeRounds(benchmark::State& state, const char* why) {
  Side side;
  if (!side.ready) {
    state.SkipWithError(why);
    return;
  }
  const double cpuStart = ThreadCpuSeconds();
  for (auto _ : state) side.Round();
  SetShareOfCore(state, ThreadCpuSeconds() - cpuStart);
}

void BM_LibBassMix(benchmark::State& state) {
  TimeRounds<MixSide>(state, "libbass.so did not load or open, or a sound did not load");
}
BENCHMARK(BM_LibBassMix)->Unit(benchmark::kMillisecond);

// libsndfile over the same bytes, through the same file callback.
struct PlainStream {
  explicit PlainStream(const Bytes& bytes) : source(bytes) {
    SF_INFO info{};
    file = sf_open_virtual(&io, SFM_READ, &info, this);
    channels = info.channels;
  }
  ~PlainStream() {
    if (file) sf_close(file);
  }
  static PlainStream& Of(void* user) { return *static_cast<PlainStream*>(user); }
  static sf_count_t Length(void* user) { return static_cast<sf_count_t>(Of(user).source.bytes.size()); }
  static sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    RecordingSource& s = Of(user).source;
    const auto base = whence == SEEK_CUR ? static_cast<sf_count_t>(s.pos) : whence == SEEK_END ? Length(user) : 0;
    s.pos = static_cast<std::uint64_t>(base + offset);
    return base + offset;
  }
  static sf_count_t Read(void* to, sf_count_t count, void* user) {
    return static_cast<sf_count_t>(RecordingSource::Proc(BASS_FILE_READ, static_cast<std::uint64_t>(count), to, &Of(user).source));
  }
  static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
  static sf_count_t Tell(void* user) { return static_cast<sf_count_t>(Of(user).source.pos); }

  RecordingSource source;
  SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
  SNDFILE* file = nullptr;
  int channels = 0;
};

// The same streams and module decoded alone, as many frames as the mix
// plays.
struct PlainSide {
  PlainSide()
      : ogg(TheMedia().ogg),
        mp3(TheMedia().mp3),
        module(openmpt_module_create_from_memory2(TheMedia().module.data(), TheMedia().module.size(), openmpt_log_func_silent,
                                                  nullptr, openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr)) {
    ready = ogg.file && mp3.file && module;
    if (module) openmpt_module_set_repeat_count(module, -1);
  }
  ~PlainSide() {
    if (module) openmpt_module_destroy(module);
  }
  void Round() {
    for (PlainStream* s : {&ogg, &mp3}) {
      sf_seek(s->file, 0, SEEK_SET);
      for (std::size_t done = 0; done < kFrames; done += kBlockFrames) {
        // A looping stream: at its end, on from the start.
        bool rewound = false;
        for (sf_count_t got = 0; got < static_cast<sf_count_t>(kBlockFrames);) {
          const sf_count_t n = sf_readf_float(s->file, block.data(), static_cast<sf_count_t>(kBlockFrames) - got);
          if (n > 0) {
            got += n;
          } else if (rewound || sf_seek(s->file, 0, SEEK_SET) != 0) {
            break;
          } else {
            rewound = true;
          }
        }
      }
    }
    openmpt_module_set_position_seconds(module, 0.0);
    for (std::size_t done = 0; done < kFrames; done += kBlockFrames)
      openmpt_module_read_interleaved_float_stereo(module, kRate, kBlockFrames, block.data());
    benchmark::DoNotOptimize(block.data());
  }

  PlainStream ogg, mp3;
  openmpt_module* module;
  std::vector<float> block = std::vector<float>(8 * kBlockFrames);
  bool ready = false;
};

void BM_PlainDecodersAlone(benchmark::State& state) { TimeRounds<PlainSide>(state, "a decoder did not open"); }
BENCHMARK(BM_PlainDecodersAlone)->Unit(benchmark::kMillisecond);

double ratio = 0;
void BM_MixOverDecoders(benchmark::State& state) {
  MixSide mix;
  PlainSide plain;
  if (!mix.ready || !plain.ready) {
    state.SkipWithError("a side did not open");
    return;
  }
  for (auto _ : state) ratio = corvane::bench::MedianRatio(15, [&] { mix.Round(); }, [&] { plain.Round(); });
  state.counters["ratio"] = ratio;
}
BENCHMARK(BM_MixOverDecoders)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace libbass::test

int main(int argc, char** argv) {
  return corvane::bench::RunWithRatio(argc, argv, "libbass mix / the decoders alone", libbass::test::ratio);
}
