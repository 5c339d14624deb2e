// Files that are no sound, cut short, or whose headers lie: a silent record
// with no handle and one error line naming the file, never a crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/libs/bass/kit/sound_media.h"
#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/platform_bass/bass_engine_kit.h"

namespace corvane::test {
namespace {

using libbass::test::Encode;
using libbass::test::Tone;

Bytes Cut(const Bytes& file, std::size_t size) { return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)); }

// A FLAC whose STREAMINFO declares `total` frames (36 bits).
Bytes WithFlacTotalSamples(Bytes flac, std::uint64_t total) {
  flac[21] = static_cast<unsigned char>((flac[21] & 0xF0) | ((total >> 32) & 0x0F));
  for (std::size_t i = 0; i < 4; ++i) flac[22 + i] = static_cast<unsigned char>(total >> (24 - 8 * i));
  return flac;
}

struct Case {
  std::string name;
  Bytes bytes;
};

// Bytes that no decoder takes; with the header that lies about length
// for samples, which are decoded whole (a stream decodes what is there).
std::vector<Case> BadFiles(const std::string& suffix, bool sample) {
  const Bytes wav = Encode(Tone(440, 0.5, 44100, 1, 4410), 1, 44100, libbass::test::kWav16);
  const Bytes ogg = Encode(Tone(440, 0.5, 44100, 1, 4410), 1, 44100, libbass::test::kOggVorbis);
  const Bytes flac = Encode(Tone(440, 0.5, 44100, 1, 4410), 1, 44100, libbass::test::kFlac16);
  const std::string text = "no sound at all, only words. ";
  Bytes words;
  for (int i = 0; i < 100; ++i) words.insert(words.end(), text.begin(), text.end());
  std::vector<Case> cases = {
      {"empty" + suffix, {}},
      {"words" + suffix, words},
      {"zeros" + suffix, Bytes(5000, 0)},
      {"cut-wav" + suffix, Cut(wav, 20)},
      {"cut-ogg" + suffix, Cut(ogg, 60)},
      {"cut-module" + suffix, Cut(libbass::test::TrackerModule(4), 300)},
  };
  if (sample) cases.push_back({"years-of-flac" + suffix, WithFlacTotalSamples(flac, 0xFFFFFFFFFull)});
  return cases;
}

TEST_F(BassEngineTest, UndecodableSoundsKeepTheirRecordWithoutAHandleAndSayWhichFile) {
  Engine();
  for (const Case& c : BadFiles(".wav", true)) {
    log.Clear();
    TSound* sound = LoadSound(c.name, c.bytes);
    ASSERT_NE(sound, nullptr) << c.name;
    EXPECT_EQ(sound->Handle, 0u) << c.name;
    EXPECT_EQ(sound->Channel, 0u) << c.name;
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Can't decode sound " + c.name}) << c.name;
    Engine().PlaySound(sound);  // does nothing
    Engine().StopSound(sound);
  }
  EXPECT_EQ(Peak(Render(512)), 0.0f);
  EXPECT_EQ(Engine().Sounds().size(), BadFiles("", true).size());
}

TEST_F(BassEngineTest, UndecodableMusicKeepsItsRecordAndAFailedStreamFreesItsSourceAtOnce) {
  Engine();
  std::vector<Case> cases = BadFiles(".ogg", false);
  for (Case& c : BadFiles(".xm", true)) cases.push_back(std::move(c));
  for (Case& c : BadFiles(".mp3", false)) cases.push_back(std::move(c));
  for (const Case& c : cases) {
    log.Clear();
    TMusic* music = LoadMusic(c.name, c.bytes);
    ASSERT_NE(music, nullptr) << c.name;
    EXPECT_EQ(music->Handle, 0u) << c.name;
    // Its source went with the failed stream (LeakSanitizer sees the rest).
    EXPECT_EQ(music->Source, nullptr) << c.name;
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Can't decode music " + c.name}) << c.name;
    Engine().PlayMusic(music);
  }
  Engine().SetPause(true);
  Engine().SetPause(false);
  EXPECT_EQ(Peak(Render(512)), 0.0f);
}

}  // namespace
}  // namespace corvane::test
