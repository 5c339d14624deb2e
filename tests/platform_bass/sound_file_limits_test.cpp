// What the engine holds in memory of a sound or music file is bounded:
// sounds and modules are read whole only up to their limits, streamed
// music is read in place from its own file whatever its size (and whole,
// under the music limit, from anywhere else), and running out of memory
// in a load is a line, never an exception. The limits come from the
// command line of the real program.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sound_limits.h"
#include "tests/base/temp_dir.h"
#include "tests/libs/bass/kit/sound_media.h"
#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/platform_bass/bass_engine_kit.h"
#include "tests/platform_bass/failing_allocation.h"
#include "tests/support/program_run.h"

namespace corvane::test {
namespace {

using libbass::test::Encode;
using libbass::test::Tone;

// Sets the limits for one test and puts them back.
class TScopedSoundLimits {
 public:
  TScopedSoundLimits(std::int64_t soundBytes, std::int64_t musicBytes) : saved_(SoundFileLimits) {
    SoundFileLimits.SoundBytes = soundBytes;
    SoundFileLimits.MusicBytes = musicBytes;
  }
  ~TScopedSoundLimits() { SoundFileLimits = saved_; }
  TScopedSoundLimits(const TScopedSoundLimits&) = delete;
  TScopedSoundLimits& operator=(const TScopedSoundLimits&) = delete;

 private:
  TSoundFileLimits saved_;
};

// The library's handle of a loaded sound or music; 0 for none.
std::uintptr_t HandleOf(TSomePersistent* loaded) {
  if (auto* music = dynamic_cast<TMusic*>(loaded)) return music->Handle;
  auto* sound = dynamic_cast<TSound*>(loaded);
  return sound ? sound->Handle : 0;
}

std::string TooLarge(const std::string& what, const std::string& name, std::size_t size, std::int64_t limit,
                     const std::string& limitSwitch) {
  return "(e) Can't load " + what + " " + name + ": its " + std::to_string(size) + " bytes pass the limit of " +
         std::to_string(limit) + " (" + limitSwitch + ")";
}

// Each kind of file at its limit loads and plays; a byte over, it keeps a
// silent record and one line names it, its size, the limit and the switch.
// Files that are not the engine's own (here in memory, as in a container)
// are read whole, so streamed music from them has the music limit too.
TEST_F(BassEngineTest, FilesReadWholeLoadUpToTheirLimitAndAByteMoreIsRefusedWithALine) {
  const Bytes sound = Encode(Tone(440, 0.5, kRate, 1, Frames(0.2)), 1, kRate, libbass::test::kWav16);
  const Bytes song = libbass::test::TrackerModule(8);
  const Bytes theme = Encode(Tone(220, 0.5, kRate, 2, Frames(0.5)), 2, kRate, libbass::test::kOggVorbis);
  Engine();
  struct TCase {
    std::string name;
    const Bytes& bytes;
    bool music;
  };
  for (const TCase& c : {TCase{"shot.wav", sound, false}, TCase{"song.xm", song, true},
                         TCase{"theme.ogg", theme, true}}) {
    SCOPED_TRACE(c.name);
    const auto size = static_cast<std::int64_t>(c.bytes.size());
    for (const std::int64_t limit : {size, size - 1}) {
      TScopedSoundLimits limits(c.music ? size : limit, c.music ? limit : size);
      log.Clear();
      TSomePersistent* loaded = c.music ? static_cast<TSomePersistent*>(LoadMusic(c.name, c.bytes))
                                        : static_cast<TSomePersistent*>(LoadSound(c.name, c.bytes));
      ASSERT_NE(loaded, nullptr);
      const std::uintptr_t handle = HandleOf(loaded);
      if (handle != 0) {
        auto* music = dynamic_cast<TMusic*>(loaded);
        auto* sound = dynamic_cast<TSound*>(loaded);
        if (music) Engine().PlayMusic(music);
        else Engine().PlaySound(sound);
        EXPECT_GT(Peak(Render(4410)), 0.01f);
        if (music) Engine().StopMusic(music);
        else Engine().StopSound(sound);
      }
      if (limit == size) {
        EXPECT_NE(handle, 0u) << log.Text();
        EXPECT_EQ(log.ErrorCount(), 0) << log.Text();
      } else {
        EXPECT_EQ(handle, 0u);
        EXPECT_EQ(log.Lines(), std::vector<std::string>{TooLarge(c.music ? "music" : "sound", c.name, c.bytes.size(),
                                                                 limit, c.music ? "-musicmb" : "-soundmb")});
      }
      // Music held counts against the limit until it goes.
      if (auto* music = dynamic_cast<TMusic*>(loaded)) Engine().DestroyMusic(music);
    }
  }
  EXPECT_EQ(Peak(Render(2048)), 0.0f);
}

// What is held of sound holds for every engine of the program together:
// music held whole beside other music passes what is left of its limit (a
// line says what is held already) until that music goes; a sound that would
// pass the budget of decoded sound, and cannot be streamed from a file of
// its own (here it is in memory, as in a program's own resources), stays
// silent with a line naming the budget and its switch.
TEST_F(BassEngineTest, MusicAndDecodedSoundHeldCountForTheWholeProgram) {
  const Bytes song = libbass::test::TrackerModule(8);
  const Bytes shot = Encode(Tone(440, 0.5, kRate, 2, Frames(4.0)), 2, kRate, libbass::test::kOggVorbis);
  const auto size = static_cast<std::int64_t>(song.size());
  TScopedSoundLimits limits(SoundFileLimits.SoundBytes, size + size / 2);
  SoundFileLimits.DecodedSoundBytes = 1 << 20;  // less than the four seconds of sound decode to
  Engine();
  TMusic* first = LoadMusic("a.xm", song);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first->Handle, 0u);
  log.Clear();
  TMusic* second = LoadMusic("b.xm", song);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Handle, 0u);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{TooLarge("music", "b.xm", song.size(), size + size / 2, "-musicmb") +
                                                  " beside the " + std::to_string(size) + " held already"});
  Engine().DestroyMusic(first);
  Engine().DestroyMusic(second);
  EXPECT_NE(LoadMusic("b.xm", song)->Handle, 0u);

  log.Clear();
  TSound* sound = LoadSound("shot.ogg", shot);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->Handle, 0u);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Can't load sound shot.ogg: decoded sounds would pass their "
                                                  "budget of 1 MiB (-soundmemory)"});
}

// Running out of memory anywhere in a load, in turn at every allocation
// the load makes: no exception leaves it, and a load that gives nothing
// says so; what it made is freed (LeakSanitizer checks at exit). Modules
// are left out: libopenmpt's own loader leaks when an allocation inside it
// fails, and the engine's side of a module's load is a sound's.
TEST_F(BassEngineTest, RunningOutOfMemoryAnywhereInALoadIsALineAndNothingEscapes) {
  files.Put("shot.wav", Encode(Tone(440, 0.5, kRate, 1, Frames(0.1)), 1, kRate, libbass::test::kWav16));
  files.Put("theme.ogg", Encode(Tone(220, 0.5, kRate, 2, Frames(0.2)), 2, kRate, libbass::test::kOggVorbis));
  Engine();
  for (const std::string name : {"shot.wav", "theme.ogg"}) {
    const bool music = name != "shot.wav";
    std::size_t failures = 0;
    for (std::size_t n = 1;; ++n) {
      SCOPED_TRACE(name + ", allocation " + std::to_string(n));
      log.Clear();
      TSomePersistent* loaded = nullptr;
      FailAllocation(n);
      try {
        loaded = music ? static_cast<TSomePersistent*>(Engine().LoadMusic(&files, name))
                       : static_cast<TSomePersistent*>(Engine().LoadSound(&files, name));
      } catch (...) {
        FailAllocation(0);
        ADD_FAILURE() << "an exception left the load";
        break;
      }
      const bool failed = AllocationFailed();
      FailAllocation(0);
      if (!failed) {
        EXPECT_NE(loaded, nullptr);
        break;  // every allocation of the load has failed once
      }
      ++failures;
      // Nothing and the line; or a silent record and the line of what
      // failed in it; or (where a failure has a way round) a record that plays.
      const std::uintptr_t handle = HandleOf(loaded);
      if (!loaded) {
        EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Out of memory loading " +
                                                        std::string(music ? "music " : "sound ") + name});
      } else if (handle == 0) {
        EXPECT_EQ(log.ErrorCount(), 1) << log.Text();
      }
    }
    EXPECT_GT(failures, 3u);
  }
}

// A WAV made by libsndfile that declares `frames` stereo frames: a second
// of tone, then a hole of silence the file system keeps sparse.
void WriteLongWav(const std::string& path, std::int64_t frames) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<short> second(2 * 44100);
  for (std::size_t i = 0; i < second.size(); ++i) second[i] = static_cast<short>(8000 * std::sin(0.06 * static_cast<double>(i / 2)));
  ASSERT_EQ(sf_writef_short(file, second.data(), 44100), 44100);
  ASSERT_EQ(sf_seek(file, frames - 1, SEEK_SET | SFM_WRITE), frames - 1);
  ASSERT_EQ(sf_writef_short(file, second.data(), 1), 1);
  sf_close(file);
}

float PeakOfRawFloats(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  float peak = 0, sample = 0;
  while (in.read(reinterpret_cast<char*>(&sample), sizeof sample)) peak = std::fmax(peak, std::fabs(sample));
  return peak;
}

// An applet in the folder that plays `music` at once and logs "played a
// while" a second later; a click sound is loaded too.
void WriteApplet(const std::string& folder, const std::string& music) {
  std::filesystem::create_directories(folder);
  const Bytes click = Encode(Tone(880, 0.5, 44100, 1, 4410), 1, 44100, libbass::test::kWav16);
  WriteFile(folder + "/click.wav", std::string(click.begin(), click.end()));
  WriteFile(folder + "/main.object",
            "object game: Applet\n"
            "  width = 320\n"
            "  height = 240\n"
            "  onLoad = 'music.play()'\n"
            "  object music: MusicPlayer\n"
            "    fileName = '" + music + "'\n"
            "  end\n"
            "  object click: SoundPlayer\n"
            "    fileName = 'click.wav'\n"
            "  end\n"
            "  object clock: Timer\n"
            "    interval = 0.25\n"
            "    enabled = True\n"
            "    onTimer = 'ticks = (typeof ticks == \"number\" ? ticks : 0) + 1; "
            "if (ticks == 5) engine.log(\"played a while\")'\n"
            "  end\n"
            "end\n");
}

TProgramRun Play(const TTempDir& folder, const std::string& applet, std::vector<std::string> switches) {
  switches.insert(switches.begin(), applet);
  switches.push_back("-nostorelog");
  return RunProgram({.program = CORVANE_PROGRAM,
                     .arguments = switches,
                     .environment = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=disk",
                                     "SDL_DISKAUDIOFILE=audio.raw", "DISPLAY", "WAYLAND_DISPLAY"},
                     .folder = folder.Path(),
                     .until = "played a while"});
}

// The real program plays music far larger than the limits from its own
// file without its size in memory: a WAV of 3 GB (streamed by its name,
// decoded by its content). The limits come from the command line, where a
// bad value is reported and changes nothing; a sound over its limit is
// refused with a line.
TEST(SoundFileLimitsProgram, LongMusicPlaysFromItsFileWithoutItsSizeInMemory) {
  TTempDir folder;
  WriteApplet(folder / "game", "long.ogg");
  constexpr std::int64_t kFrames = 750'000'000;  // 3 GB of 16-bit stereo, over four hours
  WriteLongWav(folder / "game/long.ogg", kFrames);
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(folder / "game/long.ogg"));
  ASSERT_GT(size, 4 * kFrames);
  const TProgramRun run = Play(folder, "game/main.object", {"-soundmb=0", "-musicmb=0", "-musicmb=lots"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("(e) Switch -musicmb=lots ignored: it takes a whole number from 0 to 4095"), std::string::npos)
      << run.output;
  const auto click = static_cast<std::size_t>(std::filesystem::file_size(folder / "game/click.wav"));
  EXPECT_NE(run.output.find(TooLarge("sound", "click.wav", click, 0, "-soundmb")), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("music long.ogg"), std::string::npos) << run.output;
  EXPECT_GT(PeakOfRawFloats(folder / "audio.raw"), 0.05f) << "the music was not heard";
  EXPECT_GT(run.peakBytes, 0);
  EXPECT_LT(run.peakBytes, size / 2) << "the music's file sat in memory";
}

// Music inside a container (packed by corvane_pack) streams from the
// container's file too, through a handle of its own: with no memory
// allowed for music it still plays.
TEST(SoundFileLimitsProgram, MusicInAContainerStreamsFromTheContainersFile) {
  TTempDir folder;
  WriteApplet(folder / "game", "theme.ogg");
  const Bytes theme = Encode(Tone(330, 0.5, 44100, 2, 3 * 44100), 2, 44100, libbass::test::kOggVorbis);
  WriteFile(folder / "game/theme.ogg", std::string(theme.begin(), theme.end()));
  const TProgramRun pack = RunProgram(
      {.program = CORVANE_PACK, .arguments = {"game.applet", "game"}, .environment = {}, .folder = folder.Path(), .until = {}});
  ASSERT_EQ(pack.status, 0) << pack.output;
  const TProgramRun run = Play(folder, "game.applet", {"-musicmb=0"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output.find("music theme.ogg"), std::string::npos) << run.output;
  EXPECT_GT(PeakOfRawFloats(folder / "audio.raw"), 0.05f) << "the music was not heard";
}

// All the program's decoded sound has one budget ("-soundmemory=N"): a
// sound that would pass it is streamed from its file as it plays instead.
// Twelve sounds of 15 s (5 MiB decoded each; one Ogg Vorbis file under
// twelve names) under a budget of 8 MiB take no more than that above the
// same applet's peak with sounds of a tenth of a second, and the last of
// them, streamed, is heard.
TEST(SoundFileLimitsProgram, DecodedSoundsShareOneBudgetAndLongOnesStream) {
  TTempDir folder;
  const auto put = [&](double seconds) {
    const Bytes tone = Encode(Tone(440, 0.5, 44100, 2, static_cast<std::size_t>(seconds * 44100)), 2, 44100,
                              libbass::test::kOggVorbis);
    std::string players;
    for (int i = 1; i <= 12; ++i) {
      const std::string n = "s" + std::to_string(i);
      WriteFile(folder / ("game/" + n + ".ogg"), std::string(tone.begin(), tone.end()));
      players += "  object " + n + ": SoundPlayer\n    fileName = '" + n + ".ogg'\n  end\n";
    }
    WriteFile(folder / "game/main.object",
              "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 's12.play()'\n" + players +
                  "  object clock: Timer\n    interval = 0.25\n    enabled = True\n"
                  "    onTimer = 'ticks = (typeof ticks == \"number\" ? ticks : 0) + 1; "
                  "if (ticks == 5) engine.log(\"played a while\")'\n  end\nend\n");
  };
  const auto play = [&](std::vector<std::string> switches) {
    switches.insert(switches.begin(), "game/main.object");
    return RunProgram({.program = CORVANE_PROGRAM,
                       .arguments = switches,
                       .environment = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=audio.raw",
                                       "DISPLAY", "WAYLAND_DISPLAY",
                                       // What was freed stays out of the peak.
                                       "ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0:quarantine_size_mb=1"},
                       .folder = folder.Path(),
                       .until = "played a while"});
  };
  std::filesystem::create_directories(folder / "game");
  put(0.1);
  const TProgramRun short_ = play({"-soundmemory=8", "-nostorelog"});
  ASSERT_EQ(short_.status, 0) << short_.output;
  put(15);
  const TProgramRun run = play({"-soundmemory=8", "-soundmemory=none", "-nostorelog"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("(e) Switch -soundmemory=none ignored: it takes a whole number from 1 to 4095"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("sound s"), std::string::npos) << run.output;
  EXPECT_GT(PeakOfRawFloats(folder / "audio.raw"), 0.05f) << "the streamed sound was not heard";
  constexpr std::int64_t kMiB = std::int64_t{1} << 20;
  EXPECT_GT(short_.peakBytes, 0);
  EXPECT_LT(run.peakBytes - short_.peakBytes, 8 * kMiB * 9 / 8 + 16 * kMiB)
      << "peak " << run.peakBytes / 1024 << " KiB, " << short_.peakBytes / 1024 << " KiB with short sounds";
}

}  // namespace
}  // namespace corvane::test
